#include "nativedb.h"

#include <zrt/appserver/server.h>

#include <zrt/dburl/dburl.h>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <charconv>
#include <stdexcept>

namespace zrt::appserver {
namespace {

[[noreturn]] void fail(const std::string &why) { throw std::runtime_error(why); }

std::optional<double> parseNumber(std::string_view s)
{
  double d = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), d);
  if (ec != std::errc() || end != s.data() + s.size())
    return std::nullopt;
  return d;
}

// ---- SQLite -----------------------------------------------------------------------------------

class SqliteRows final : public SqlRows {
public:
  sqlite3_stmt *stmt = nullptr;
  sqlite3 *db = nullptr;

  bool next() override
  {
    if (!stmt)
      return false;
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW)
      return true;
    const std::string why = rc == SQLITE_DONE ? std::string() : sqlite3_errmsg(db);
    done();
    if (!why.empty())
      fail(why);
    return false;
  }
  void done()
  {
    if (stmt)
      sqlite3_reset(stmt);
    stmt = nullptr;
  }
  bool isNull(int c) const override { return sqlite3_column_type(stmt, c) == SQLITE_NULL; }
  std::string_view text(int c) const override
  {
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(stmt, c));
    return p ? std::string_view(p, std::size_t(sqlite3_column_bytes(stmt, c))) : std::string_view();
  }
  std::optional<double> number(int c) const override
  {
    switch (sqlite3_column_type(stmt, c)) {
    case SQLITE_NULL: return std::nullopt;
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: return sqlite3_column_double(stmt, c);
    default: return parseNumber(text(c));
    }
  }
};

class SqliteDb final : public NativeDb {
public:
  explicit SqliteDb(const QString &path)
  {
    // Each worker owns its connection, so SQLite's own per-connection locking is not needed.
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
      const std::string why = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
      sqlite3_close(db_);
      fail("Não foi possível abrir o banco de dados: " + why);
    }
    // Readers and the occasional writer share the file: wait for a lock instead of failing at once.
    sqlite3_busy_timeout(db_, 5000);
    // A worker's page cache of 16 MB keeps the reservation index in memory between calls.
    sqlite3_exec(db_, "PRAGMA cache_size = -16000", nullptr, nullptr, nullptr);
  }
  ~SqliteDb() override
  {
    rows_.done();
    for (auto &[sql, stmt] : statements_)
      sqlite3_finalize(stmt);
    sqlite3_close(db_);
  }

  bool isPostgres() const override { return false; }

  SqlRows &exec(const char *sql, const std::vector<SqlParam> &params) override
  {
    rows_.done();
    sqlite3_stmt *&stmt = statements_[sql];
    if (!stmt && sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK)
      fail(sqlite3_errmsg(db_));
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    for (std::size_t i = 0; i < params.size(); ++i) {
      const int at = int(i) + 1;
      if (const auto *t = std::get_if<std::string>(&params[i]))
        sqlite3_bind_text(stmt, at, t->data(), int(t->size()), SQLITE_TRANSIENT);
      else if (const auto *n = std::get_if<std::int64_t>(&params[i]))
        sqlite3_bind_int64(stmt, at, *n);
      else
        sqlite3_bind_null(stmt, at);
    }
    rows_.stmt = stmt;
    rows_.db = db_;
    return rows_;
  }
  void done() override { rows_.done(); }

private:
  sqlite3 *db_ = nullptr;
  std::map<const char *, sqlite3_stmt *> statements_;
  SqliteRows rows_;
};

// ---- PostgreSQL -------------------------------------------------------------------------------

class PgRows final : public SqlRows {
public:
  PGresult *result = nullptr;
  int row = -1;

  ~PgRows() override { reset(); }
  void reset()
  {
    PQclear(result);
    result = nullptr;
    row = -1;
  }
  bool next() override { return result && ++row < PQntuples(result); }
  bool isNull(int c) const override { return PQgetisnull(result, row, c); }
  std::string_view text(int c) const override
  {
    return std::string_view(PQgetvalue(result, row, c), std::size_t(PQgetlength(result, row, c)));
  }
  std::optional<double> number(int c) const override { return isNull(c) ? std::nullopt : parseNumber(text(c)); }
};

// "? ? ?" as PostgreSQL's "$1 $2 $3" (the statements hold no question mark inside a literal).
std::string numberedParameters(const char *sql)
{
  std::string out;
  int n = 0;
  for (const char *p = sql; *p; ++p) {
    if (*p == '?')
      out += '$' + std::to_string(++n);
    else
      out += *p;
  }
  return out;
}

class PgDb final : public NativeDb {
public:
  explicit PgDb(const DbTarget &t)
  {
    const std::string host = t.host.toStdString(), port = std::to_string(t.port), name = t.name.toStdString(),
                      user = t.user.toStdString(), password = t.password.toStdString();
    // Timestamps come back as "YYYY-MM-DD HH:MM:SS" whatever the server's default style.
    // tcp_user_timeout: a database host that vanished from the network fails a call in seconds
    // instead of leaving the worker waiting for the system's TCP timeout.
    const char *keys[] = {
        "host", "port", "dbname", "user", "password", "connect_timeout", "client_encoding", "options", "tcp_user_timeout",
        nullptr};
    const char *values[] = {host.c_str(),
                            port.c_str(),
                            name.c_str(),
                            user.empty() ? nullptr : user.c_str(),
                            password.empty() ? nullptr : password.c_str(),
                            "5",
                            "UTF8",
                            "-c DateStyle=ISO",
                            "10000",
                            nullptr};
    conn_ = PQconnectdbParams(keys, values, 0);
    if (PQstatus(conn_) != CONNECTION_OK) {
      const std::string why = PQerrorMessage(conn_);
      PQfinish(conn_);
      fail("Não foi possível abrir o banco de dados: " + why);
    }
  }
  ~PgDb() override
  {
    rows_.reset();
    PQfinish(conn_);
  }

  bool isPostgres() const override { return true; }

  SqlRows &exec(const char *sql, const std::vector<SqlParam> &params) override
  {
    rows_.reset();
    auto it = statements_.find(sql);
    if (it == statements_.end()) {
      const std::string name = "s" + std::to_string(statements_.size() + 1);
      PGresult *r = PQprepare(conn_, name.c_str(), numberedParameters(sql).c_str(), 0, nullptr);
      check(r, PGRES_COMMAND_OK);
      it = statements_.emplace(sql, name).first;
    }
    std::vector<std::string> texts(params.size());
    std::vector<const char *> values(params.size(), nullptr);
    for (std::size_t i = 0; i < params.size(); ++i) {
      if (const auto *t = std::get_if<std::string>(&params[i]))
        values[i] = t->c_str();
      else if (const auto *n = std::get_if<std::int64_t>(&params[i]))
        values[i] = (texts[i] = std::to_string(*n)).c_str();
    }
    PGresult *r = PQexecPrepared(conn_, it->second.c_str(), int(values.size()), values.data(), nullptr, nullptr, 0);
    check(r, PGRES_TUPLES_OK);
    rows_.result = r;
    return rows_;
  }
  void done() override { rows_.reset(); }
  bool broken() const override { return PQstatus(conn_) == CONNECTION_BAD; }

private:
  void check(PGresult *r, ExecStatusType expected)
  {
    if (PQresultStatus(r) == expected) {
      if (expected == PGRES_COMMAND_OK)
        PQclear(r);
      return;
    }
    std::string why = r ? PQresultErrorMessage(r) : PQerrorMessage(conn_);
    PQclear(r);
    while (!why.empty() && (why.back() == '\n' || why.back() == ' '))
      why.pop_back();
    fail(why);
  }

  PGconn *conn_ = nullptr;
  std::map<const char *, std::string> statements_;
  PgRows rows_;
};

} // namespace

std::unique_ptr<NativeDb> NativeDb::open(const QString &url)
{
  const DbTarget t = parseDbUrl(url);
  if (t.kind == DbKind::SQLite)
    return std::make_unique<SqliteDb>(t.path);
  return std::make_unique<PgDb>(t);
}

void tuneSqliteForServer() { sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0); }

} // namespace zrt::appserver
