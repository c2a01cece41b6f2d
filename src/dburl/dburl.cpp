#include "zrt/dburl/dburl.h"

#include <QSqlError>
#include <QUrl>

#include <stdexcept>

namespace zrt {
namespace {
[[noreturn]] void fail(const QString &text) { throw std::runtime_error(text.toStdString()); }

QString sqlitePath(const QString &url)
{
  QString path = url.mid(int(qstrlen("sqlite:")));
  if (path.startsWith(QLatin1String("//")))
    path = path.mid(2); // sqlite:///abs/path reads as /abs/path
  return path;
}
} // namespace

DbKind dbKindOf(const QString &url)
{
  if (url.startsWith(QLatin1String("sqlite:")))
    return DbKind::SQLite;
  if (url.startsWith(QLatin1String("postgresql://")) || url.startsWith(QLatin1String("postgres://")))
    return DbKind::PostgreSQL;
  fail(QStringLiteral("Endereço de banco de dados inválido: \"%1\". Use sqlite:CAMINHO ou "
                      "postgresql://USUÁRIO@SERVIDOR:PORTA/BANCO.")
           .arg(url.section(QLatin1Char('@'), -1)));
}

DbTarget parseDbUrl(const QString &url)
{
  DbTarget t;
  t.kind = dbKindOf(url);
  if (t.kind == DbKind::SQLite) {
    t.path = sqlitePath(url);
    if (t.path.isEmpty())
      fail(QStringLiteral("Endereço de banco de dados sem caminho de arquivo: \"%1\".").arg(url));
    return t;
  }
  const QUrl u(url, QUrl::StrictMode);
  t.name = u.path().mid(1);
  if (!u.isValid() || u.host().isEmpty() || t.name.isEmpty() || t.name.contains(QLatin1Char('/')))
    fail(QStringLiteral("Endereço PostgreSQL inválido: \"%1\". Use postgresql://USUÁRIO@SERVIDOR:PORTA/BANCO.")
             .arg(u.toDisplayString(QUrl::RemovePassword)));
  t.host = u.host();
  t.port = u.port(5432);
  t.user = u.userName();
  t.password = u.password();
  return t;
}

QSqlDatabase openDatabase(const QString &url, const QString &connectionName)
{
  const DbTarget t = parseDbUrl(url);
  const DbKind kind = t.kind;
  QSqlDatabase db;
  if (kind == DbKind::SQLite) {
    db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(t.path);
    // Readers and the occasional writer share the file: wait for a lock instead of failing at once.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
  } else {
    db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    db.setHostName(t.host);
    db.setPort(t.port);
    db.setDatabaseName(t.name);
    db.setUserName(t.user);
    db.setPassword(t.password);
    db.setConnectOptions(QStringLiteral("connect_timeout=5"));
  }
  if (!db.isValid()) {
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(connectionName);
    fail(QStringLiteral("Driver de banco de dados %1 não disponível.")
             .arg(kind == DbKind::SQLite ? QStringLiteral("SQLite") : QStringLiteral("PostgreSQL")));
  }
  if (!db.open()) {
    const QString why = db.lastError().text();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(connectionName);
    fail(QStringLiteral("Não foi possível abrir o banco de dados: %1").arg(why));
  }
  return db;
}

} // namespace zrt
