#include "benchkit.h"

#include <zrt/appserver/sqltexts.h>
#include <zrt/common/datetime.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <stdexcept>
#include <thread>

namespace zrt::bench {

namespace http = boost::beast::http;

struct HttpClient::Connection {
  boost::asio::io_context ioc;
  boost::beast::tcp_stream stream{ioc};
  boost::beast::flat_buffer buffer;
};

HttpClient::HttpClient(unsigned short port) : connection_(std::make_unique<Connection>())
{
  using boost::asio::ip::tcp;
  connection_->stream.connect(tcp::endpoint(boost::asio::ip::make_address("127.0.0.1"), port));
  connection_->stream.socket().set_option(tcp::no_delay(true));
}

HttpClient::~HttpClient() = default;

std::string HttpClient::post(const std::string &body)
{
  http::request<http::string_body> req{http::verb::post, "/ZRT02600.rmdPlanUtilEquipProd", 11};
  req.set(http::field::host, "127.0.0.1");
  req.body() = body;
  req.prepare_payload();
  http::write(connection_->stream, req);
  http::response_parser<http::string_body> p;
  p.body_limit(512 * 1024 * 1024);
  connection_->buffer.reserve(256 * 1024); // reads as large as the desktop's
  http::read(connection_->stream, connection_->buffer, p);
  return p.release().body();
}

double msSince(Clock::time_point start) { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); }

double percentile(std::vector<double> values, double p)
{
  if (values.empty())
    return 0;
  std::sort(values.begin(), values.end());
  const auto rank = std::size_t(std::clamp(p, 0.0, 1.0) * double(values.size()));
  return values[std::min(values.size() - 1, rank)];
}

std::string machineLine()
{
  QString model = QStringLiteral("unknown CPU");
  QFile f(QStringLiteral("/proc/cpuinfo"));
  if (f.open(QIODevice::ReadOnly))
    for (const QByteArray &line : f.readAll().split('\n'))
      if (line.startsWith("model name")) {
        model = QString::fromUtf8(line.mid(line.indexOf(':') + 1).trimmed());
        break;
      }
  // Other work on the machine moves every figure: the load average says how much there was.
  QString load = QStringLiteral("?");
  QFile avg(QStringLiteral("/proc/loadavg"));
  if (avg.open(QIODevice::ReadOnly))
    load = QString::fromLatin1(avg.readAll().split(' ').first());
  return QStringLiteral("machine: %1 CPUs, %2, load %3, %4 UTC")
      .arg(std::thread::hardware_concurrency())
      .arg(model, load, QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm")))
      .toStdString();
}

long procStatusKiB(qint64 pid, const char *key)
{
  QFile f(pid ? QStringLiteral("/proc/%1/status").arg(pid) : QStringLiteral("/proc/self/status"));
  if (!f.open(QIODevice::ReadOnly))
    return -1;
  const QByteArray prefix = QByteArray(key) + ':';
  for (const QByteArray &line : f.readAll().split('\n'))
    if (line.startsWith(prefix))
      return line.mid(prefix.size()).trimmed().split(' ').first().toLong();
  return -1;
}

// ---- the server process -----------------------------------------------------------------------

ServerProcess::ServerProcess(const QString &dbUrl, int threads)
{
  process_.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/zrt02600-server"));
  process_.setArguments({QStringLiteral("serve"), QStringLiteral("--db"), dbUrl, QStringLiteral("--port"), QStringLiteral("0"),
                         QStringLiteral("--threads"), QString::number(threads)});
  process_.setStandardErrorFile(QProcess::nullDevice());
  process_.start();
  if (!process_.waitForStarted() || !process_.waitForReadyRead(10000))
    return;
  // "... em http://127.0.0.1:PORT/ZRT02600.rmdPlanUtilEquipProd (...)"
  banner_ = process_.readLine();
  const int path = banner_.indexOf("/ZRT");
  const int colon = banner_.lastIndexOf(':', path);
  if (path > 0 && colon > 0)
    port_ = banner_.mid(colon + 1, path - colon - 1).toUShort();
}

ServerProcess::~ServerProcess()
{
  if (process_.state() == QProcess::NotRunning)
    return;
  process_.terminate();
  if (!process_.waitForFinished(5000))
    process_.kill();
  process_.waitForFinished(1000);
}

// ---- the floor --------------------------------------------------------------------------------

namespace {

class SqliteFloor final : public FloorDb {
public:
  explicit SqliteFloor(const std::string &path)
  {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
      const std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
      sqlite3_close(db_);
      throw std::runtime_error("sqlite: " + why);
    }
    // The same page cache as a server worker, so both read from memory.
    sqlite3_exec(db_, "PRAGMA cache_size = -16000", nullptr, nullptr, nullptr);
  }
  ~SqliteFloor() override
  {
    for (auto &[sql, stmt] : statements_)
      sqlite3_finalize(stmt);
    sqlite3_close(db_);
  }
  bool isPostgres() const override { return false; }

  FloorResult run(const char *sql, const std::vector<Param> &params) override
  {
    sqlite3_stmt *&stmt = statements_[sql];
    if (!stmt && sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK)
      fail();
    for (int i = 0; i < int(params.size()); ++i) {
      const Param &p = params[std::size_t(i)];
      if (const auto *text = std::get_if<std::string>(&p))
        sqlite3_bind_text(stmt, i + 1, text->data(), int(text->size()), SQLITE_STATIC);
      else if (const auto *n = std::get_if<long long>(&p))
        sqlite3_bind_int64(stmt, i + 1, *n);
      else
        sqlite3_bind_null(stmt, i + 1);
    }
    FloorResult r;
    const int columns = sqlite3_column_count(stmt);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      for (int c = 0; c < columns; ++c) {
        switch (sqlite3_column_type(stmt, c)) {
        case SQLITE_INTEGER: r.bytes += std::size_t(sqlite3_column_int64(stmt, c) & 1) + 8; break;
        case SQLITE_FLOAT: r.bytes += sqlite3_column_double(stmt, c) != 0 ? 8 : 0; break;
        case SQLITE_NULL: break;
        default: r.bytes += std::size_t(sqlite3_column_bytes(stmt, c)) + (sqlite3_column_text(stmt, c) ? 0 : 1); break;
        }
        if (r.rows == 0) {
          const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, c));
          r.firstRow.emplace_back(text ? text : "");
        }
      }
      ++r.rows;
    }
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    if (rc != SQLITE_DONE)
      fail();
    return r;
  }

private:
  [[noreturn]] void fail() const { throw std::runtime_error(std::string("sqlite: ") + sqlite3_errmsg(db_)); }
  sqlite3 *db_ = nullptr;
  std::map<const char *, sqlite3_stmt *> statements_;
};

class PostgresFloor final : public FloorDb {
public:
  explicit PostgresFloor(const std::string &url) : conn_(PQconnectdb(url.c_str()))
  {
    if (PQstatus(conn_) != CONNECTION_OK) {
      const std::string why = PQerrorMessage(conn_);
      PQfinish(conn_);
      throw std::runtime_error("libpq: " + why);
    }
  }
  ~PostgresFloor() override { PQfinish(conn_); }
  bool isPostgres() const override { return true; }

  FloorResult run(const char *sql, const std::vector<Param> &params) override
  {
    auto [it, fresh] = names_.try_emplace(sql, "s" + std::to_string(names_.size()));
    if (fresh) {
      PGresult *prep = PQprepare(conn_, it->second.c_str(), numberedPlaceholders(sql).c_str(), 0, nullptr);
      const bool ok = PQresultStatus(prep) == PGRES_COMMAND_OK;
      PQclear(prep);
      if (!ok) {
        names_.erase(it);
        fail();
      }
    }
    std::vector<std::string> texts(params.size());
    std::vector<const char *> values(params.size());
    for (std::size_t i = 0; i < params.size(); ++i) {
      if (const auto *text = std::get_if<std::string>(&params[i]))
        values[i] = text->c_str();
      else if (const auto *n = std::get_if<long long>(&params[i]))
        values[i] = (texts[i] = std::to_string(*n)).c_str();
    }
    PGresult *res = PQexecPrepared(conn_, it->second.c_str(), int(params.size()), values.data(), nullptr, nullptr, 0);
    if (PQresultStatus(res) != PGRES_TUPLES_OK) {
      PQclear(res);
      fail();
    }
    FloorResult r;
    r.rows = PQntuples(res);
    const int columns = PQnfields(res);
    for (int row = 0; row < r.rows; ++row)
      for (int c = 0; c < columns; ++c) {
        const char *v = PQgetvalue(res, row, c);
        r.bytes += std::size_t(PQgetlength(res, row, c)) + (v[0] ? 0 : 1);
        if (row == 0)
          r.firstRow.emplace_back(v);
      }
    PQclear(res);
    return r;
  }

private:
  [[noreturn]] void fail() const { throw std::runtime_error(std::string("libpq: ") + PQerrorMessage(conn_)); }
  PGconn *conn_;
  std::map<const char *, std::string> names_;
};

} // namespace

std::unique_ptr<FloorDb> FloorDb::open(const QString &dbUrl)
{
  if (dbUrl.startsWith(QLatin1String("sqlite:"))) {
    QString path = dbUrl.mid(7);
    if (path.startsWith(QLatin1String("//")))
      path = path.mid(2);
    return std::make_unique<SqliteFloor>(path.toStdString());
  }
  if (dbUrl.startsWith(QLatin1String("postgresql://")) || dbUrl.startsWith(QLatin1String("postgres://")))
    return std::make_unique<PostgresFloor>(dbUrl.toStdString());
  throw std::runtime_error("the floor runs on sqlite: or postgresql:// only: " + dbUrl.toStdString());
}

std::string numberedPlaceholders(const char *sql)
{
  std::string out;
  int n = 0;
  char quote = 0;
  for (const char *p = sql; *p; ++p) {
    if (quote) {
      if (*p == quote)
        quote = 0; // a doubled quote closes and reopens: same result
    } else if (*p == '\'' || *p == '"') {
      quote = *p;
    } else if (*p == '?') {
      out += '$' + std::to_string(++n);
      continue;
    }
    out += *p;
  }
  return out;
}

std::string earliestStart(FloorDb &db, double after)
{
  using namespace zrt::appserver::sql;
  const FloorResult r = db.run(db.isPostgres() ? kSqlLongestPostgres : kSqlLongestSQLite, {});
  double longest = 0;
  if (!r.firstRow.empty() && !r.firstRow[0].empty())
    longest = std::max(0.0, QByteArray::fromStdString(r.firstRow[0]).toDouble()); // C locale, unlike stod
  const double bound = after - longest - 2.0 / 86400.0;
  return zrt::toSqlText(zrt::isValidDateTime(bound) ? bound : zrt::kMinDateTime).toStdString();
}

} // namespace zrt::bench
