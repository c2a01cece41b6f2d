#include "zrt/appserver/schema.h"

#include "nativedb.h"

#include <zrt/appserver/sqltexts.h>
#include <zrt/dburl/dburl.h>

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>
#include <stdexcept>

namespace zrt::appserver {
namespace {

std::atomic<int> connectionSerial{0};

// Steps that take a database from version N-1 to N; each runs once, in a transaction.
enum Engines { Both, PostgresOnly, SQLiteOnly };

struct Step {
  int version;
  Engines engines;
  const char *sql;
};

const Step kSteps[] = {
    {1, Both,
     "CREATE TABLE IF NOT EXISTS GRUPOEQUIPA ("
     " CDGRUPOEQUIPA VARCHAR(10) NOT NULL PRIMARY KEY,"
     " NMGRUPOEQUIPA VARCHAR(50))"},
    {1, Both,
     "CREATE TABLE IF NOT EXISTS EQUIPAPROD ("
     " CDEQUIPPRO VARCHAR(10) NOT NULL PRIMARY KEY,"
     " SGEQUIPPRO VARCHAR(10),"
     " NMEQUIPPRO VARCHAR(40),"
     " CDGRUPOEQUIPA VARCHAR(10) REFERENCES GRUPOEQUIPA (CDGRUPOEQUIPA))"},
    {1, Both, "CREATE INDEX IF NOT EXISTS IX_EQUIPAPROD_GRUPO ON EQUIPAPROD (CDGRUPOEQUIPA)"},
    {1, Both,
     "CREATE TABLE IF NOT EXISTS PRODUTO ("
     " CDPRODUTO VARCHAR(10) NOT NULL PRIMARY KEY,"
     " NMPRODUTO VARCHAR(50))"},
    {1, Both,
     "CREATE TABLE IF NOT EXISTS ORDPROD ("
     " NRORDPROD VARCHAR(10) NOT NULL PRIMARY KEY,"
     " CDARVPROD VARCHAR(20),"
     " CDPRODUTO VARCHAR(10) REFERENCES PRODUTO (CDPRODUTO),"
     " IDSITORDPROD CHAR(1) NOT NULL CHECK (IDSITORDPROD IN ('1', '2', '3', '4')))"},
    {1, Both,
     "CREATE TABLE IF NOT EXISTS RESEQUIPPROD ("
     " CDEQUIPPRO VARCHAR(10) NOT NULL REFERENCES EQUIPAPROD (CDEQUIPPRO),"
     " NRORDPROD VARCHAR(10) NOT NULL REFERENCES ORDPROD (NRORDPROD),"
     " DTHRINIPROD TIMESTAMP NOT NULL,"
     " DTHRFINPROD TIMESTAMP NOT NULL,"
     " QTPRODRESPROC NUMERIC(15,4),"
     " PRIMARY KEY (CDEQUIPPRO, NRORDPROD, DTHRINIPROD),"
     " CHECK (DTHRFINPROD > DTHRINIPROD))"},
    {1, Both, "CREATE INDEX IF NOT EXISTS IX_RESEQUIPPROD_INICIO ON RESEQUIPPROD (CDEQUIPPRO, DTHRINIPROD)"},
    // The module's equipment queries call INSTR(text, part), which PostgreSQL lacks.
    {1, PostgresOnly,
     "CREATE OR REPLACE FUNCTION INSTR(TEXT, TEXT) RETURNS INTEGER"
     " LANGUAGE SQL IMMUTABLE AS 'SELECT STRPOS($1, $2)'"},
    // Period queries read start, end and order straight from the index: a reservation that
    // began long ago can still run into the period, so the index range starts at the
    // equipment's first reservation, and visiting the table for each of those rows was the cost.
    {2, Both,
     "CREATE INDEX IF NOT EXISTS IX_RESEQUIPPROD_PERIODO"
     " ON RESEQUIPPROD (CDEQUIPPRO, DTHRINIPROD, DTHRFINPROD, NRORDPROD)"},
    {2, Both, "DROP INDEX IF EXISTS IX_RESEQUIPPROD_INICIO"},
    // The longest reservation bounds how far back that range must start; this index answers
    // MAX(duration) without reading the table.
    {3, SQLiteOnly,
     "CREATE INDEX IF NOT EXISTS IX_RESEQUIPPROD_DURACAO"
     " ON RESEQUIPPROD ((julianday(DTHRFINPROD) - julianday(DTHRINIPROD)))"},
    {3, PostgresOnly, "CREATE INDEX IF NOT EXISTS IX_RESEQUIPPROD_DURACAO ON RESEQUIPPROD ((DTHRFINPROD - DTHRINIPROD))"},
};

class Connection {
public:
  explicit Connection(const QString &url)
      : name_(QStringLiteral("zrt-schema-%1").arg(++connectionSerial)), db_(openDatabase(url, name_)),
        postgres_(dbKindOf(url) == DbKind::PostgreSQL)
  {}
  ~Connection()
  {
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
  }
  QSqlDatabase &db() { return db_; }
  bool postgres() const { return postgres_; }

private:
  QString name_;
  QSqlDatabase db_;
  bool postgres_;
};

void run(QSqlQuery &q, const QString &sql)
{
  if (!q.exec(sql))
    throw std::runtime_error(
        QStringLiteral("Falha ao preparar o banco de dados (%1): %2").arg(sql.left(60), q.lastError().text()).toStdString());
}

// "O banco de dados está na versão 2 do esquema, mais antiga que a deste programa (3)."
std::string versionMismatch(int version, const char *relation)
{
  return QStringLiteral("O banco de dados está na versão %1 do esquema, %2 que a deste programa (%3).")
      .arg(version)
      .arg(QLatin1String(relation))
      .arg(kSchemaVersion)
      .toStdString();
}

} // namespace

void initSchema(const QString &dbUrl)
{
  Connection c(dbUrl);
  QSqlQuery q(c.db());
  if (c.postgres()) {
    run(q, QStringLiteral("SET client_min_messages = WARNING")); // no "already exists, skipping"
  } else {
    // Readers keep reading while a writer (an import, a demo fill) works.
    q.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    run(q, QStringLiteral("PRAGMA foreign_keys=ON"));
  }
  run(q, QStringLiteral("CREATE TABLE IF NOT EXISTS ZRT_SCHEMA_VERSION (VERSAO INTEGER NOT NULL)"));
  run(q, QLatin1String(sql::kSqlSchemaVersion));
  const int current = q.next() && !q.value(0).isNull() ? q.value(0).toInt() : 0;
  q.finish();
  if (current > kSchemaVersion)
    throw std::runtime_error(versionMismatch(current, "mais nova"));
  for (int version = current + 1; version <= kSchemaVersion; ++version) {
    if (!c.db().transaction())
      throw std::runtime_error("Falha ao iniciar a transação do esquema: " + c.db().lastError().text().toStdString());
    try {
      for (const Step &s : kSteps)
        if (s.version == version && (s.engines == Both || (s.engines == PostgresOnly) == c.postgres()))
          run(q, QString::fromLatin1(s.sql));
      run(q, QStringLiteral("INSERT INTO ZRT_SCHEMA_VERSION (VERSAO) VALUES (%1)").arg(version));
    } catch (...) {
      c.db().rollback();
      throw;
    }
    if (!c.db().commit())
      throw std::runtime_error("Falha ao gravar o esquema: " + c.db().lastError().text().toStdString());
  }
}

void checkSchema(const QString &dbUrl)
{
  const DbTarget target = parseDbUrl(dbUrl);
  const std::string init = "Execute \"zrt02600-server init --db URL\" ";
  // Opening a missing SQLite file would create an empty database.
  if (target.kind == DbKind::SQLite && target.path != QLatin1String(":memory:") && !QFileInfo::exists(target.path))
    throw std::runtime_error("Banco de dados não encontrado: " + target.path.toStdString() + ". " + init + "para criá-lo.");
  const std::unique_ptr<NativeDb> db = NativeDb::open(dbUrl);
  int version = 0;
  try {
    SqlRows &rows = db->exec(sql::kSqlSchemaVersion, {});
    if (rows.next())
      version = int(rows.number(0).value_or(0));
    db->done();
  } catch (const std::exception &) {
    version = 0;
  }
  if (version == 0)
    throw std::runtime_error("O banco de dados não tem o esquema do servidor de aplicação. " + init + "para criá-lo.");
  if (version < kSchemaVersion)
    throw std::runtime_error(versionMismatch(version, "mais antiga") + " " + init + "para atualizá-lo.");
  if (version > kSchemaVersion)
    throw std::runtime_error(versionMismatch(version, "mais nova") + " Atualize o servidor de aplicação.");
}

} // namespace zrt::appserver
