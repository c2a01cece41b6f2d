// Measures the application server on a large demo plant (500 equipment, 24 months):
// GetReservados latency next to the same SQL run directly, calls per second with 1 and 16
// clients, HoraLivre for all equipment over 31 days, and the server's peak memory.
// Usage: bench_appserver [--db sqlite:PATH] [--seconds N]   (the plant is built when missing)
#include <zrt/appserver/schema.h>
#include <zrt/common/datetime.h>
#include <zrt/common/jsonrpc.h>
#include <zrt/dburl/dburl.h>

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace beast = boost::beast;
namespace http = beast::http;
namespace net = boost::asio;
using tcp = net::ip::tcp;
using nlohmann::json;
using Clock = std::chrono::steady_clock;

namespace {

const std::string kPath = "/ZRT02600.rmdPlanUtilEquipProd";

class Client {
public:
  explicit Client(unsigned short port) : stream_(ioc_)
  {
    stream_.connect(tcp::endpoint(net::ip::make_address("127.0.0.1"), port));
    stream_.socket().set_option(tcp::no_delay(true));
  }
  std::string post(const std::string &body)
  {
    http::request<http::string_body> req{http::verb::post, kPath, 11};
    req.set(http::field::host, "127.0.0.1");
    req.body() = body;
    req.prepare_payload();
    http::write(stream_, req);
    http::response_parser<http::string_body> p;
    p.body_limit(512 * 1024 * 1024);
    http::read(stream_, buffer_, p);
    return p.release().body();
  }

private:
  net::io_context ioc_;
  beast::tcp_stream stream_;
  beast::flat_buffer buffer_;
};

double percentile(std::vector<double> v, double p)
{
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[std::min(v.size() - 1, std::size_t(p * double(v.size())))];
}

double msSince(Clock::time_point t0) { return std::chrono::duration<double, std::milli>(Clock::now() - t0).count(); }

long peakKiB(qint64 pid)
{
  QFile f(QStringLiteral("/proc/%1/status").arg(pid));
  if (!f.open(QIODevice::ReadOnly))
    return -1;
  for (const QByteArray &line : f.readAll().split('\n'))
    if (line.startsWith("VmHWM:"))
      return line.mid(6).trimmed().split(' ').first().toLong();
  return -1;
}

} // namespace

int main(int argc, char **argv)
{
  QCoreApplication app(argc, argv);
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  QTemporaryDir tmp;
  QString url = QStringLiteral("sqlite:") + tmp.filePath(QStringLiteral("plant.db"));
  int seconds = 3;
  const QStringList args = app.arguments();
  for (int i = 1; i + 1 < args.size(); ++i) {
    if (args[i] == QLatin1String("--db"))
      url = args[i + 1];
    if (args[i] == QLatin1String("--seconds"))
      seconds = std::max(1, args[i + 1].toInt());
  }
  const QDate today = QDate::currentDate();
  const bool fresh = url.startsWith(QLatin1String("sqlite:")) && !QFile::exists(url.mid(7));
  if (fresh) {
    auto t0 = Clock::now();
    zrt::appserver::fillDemo(url, {1, 500, 24, today});
    std::printf("plant: 500 equipment x 24 months built in %.1f s\n", msSince(t0) / 1000);
  }
  {
    QSqlDatabase db = zrt::openDatabase(url, QStringLiteral("count"));
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT COUNT(*) FROM RESEQUIPPROD"));
    q.next();
    std::printf("plant: %lld reservations\n", q.value(0).toLongLong());
  }
  QSqlDatabase::removeDatabase(QStringLiteral("count"));

  // The server runs as its own process so that its memory is its own.
  QProcess server;
  server.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/zrt02600-server"));
  server.setArguments({QStringLiteral("serve"), QStringLiteral("--db"), url, QStringLiteral("--port"), QStringLiteral("0"),
                       QStringLiteral("--threads"), QStringLiteral("2")});
  server.setStandardErrorFile(QProcess::nullDevice()); // the access log
  server.start();
  if (!server.waitForStarted() || !server.waitForReadyRead(10000)) {
    std::fprintf(stderr, "server did not start\n");
    return 1;
  }
  const QByteArray banner = server.readLine();
  const int colon = banner.lastIndexOf(':', banner.indexOf("/ZRT"));
  const unsigned short port = banner.mid(colon + 1, banner.indexOf('/', colon) - colon - 1).toUShort();
  std::printf("server: %s", banner.constData());

  const double from = zrt::toDateTime(today.addDays(-15), QTime(0, 0));
  const double to = zrt::toDateTime(today.addDays(15), QTime(23, 59, 59));
  auto reservados = [&](const std::string &equip, int id) {
    return zrt::rpc::makeRequest("GetReservados", {equip, "1", "2", "2", from, to}, id).dump();
  };
  const int n = 2000;

  // The floor: the server's query, run directly over QtSql with rows read.
  std::vector<double> direct;
  {
    QSqlDatabase db = zrt::openDatabase(url, QStringLiteral("direct"));
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(
        QStringLiteral("SELECT R.NRORDPROD, O.CDARVPROD, O.CDPRODUTO, P.NMPRODUTO, R.DTHRINIPROD, R.DTHRFINPROD, O.IDSITORDPROD,"
                       " R.QTPRODRESPROC FROM RESEQUIPPROD R JOIN ORDPROD O ON O.NRORDPROD = R.NRORDPROD"
                       " LEFT JOIN PRODUTO P ON P.CDPRODUTO = O.CDPRODUTO"
                       " WHERE R.CDEQUIPPRO = ? AND O.IDSITORDPROD IN (?, ?, ?) AND R.DTHRINIPROD <= ? AND R.DTHRFINPROD > ?"
                       " ORDER BY R.DTHRINIPROD, R.NRORDPROD"));
    int rows = 0;
    for (int i = 0; i < n; ++i) {
      auto t0 = Clock::now();
      q.bindValue(0, QStringLiteral("INJ01"));
      q.bindValue(1, QStringLiteral("1"));
      q.bindValue(2, QStringLiteral("2"));
      q.bindValue(3, QStringLiteral("3"));
      q.bindValue(4, zrt::toSqlText(to));
      q.bindValue(5, zrt::toSqlText(from));
      q.exec();
      rows = 0;
      while (q.next()) {
        for (int c = 0; c < 8; ++c)
          (void)q.value(c);
        ++rows;
      }
      direct.push_back(msSince(t0));
    }
    std::printf("GetReservados, INJ01, 31 days: %d rows\n", rows);
  }
  QSqlDatabase::removeDatabase(QStringLiteral("direct"));

  std::vector<double> rpc;
  {
    Client c(port);
    const std::string body = reservados("INJ01", 1);
    for (int i = 0; i < 200; ++i)
      c.post(body);
    for (int i = 0; i < n; ++i) {
      auto t0 = Clock::now();
      c.post(body);
      rpc.push_back(msSince(t0));
    }
  }
  const double d50 = percentile(direct, 0.5), d99 = percentile(direct, 0.99);
  const double r50 = percentile(rpc, 0.5), r99 = percentile(rpc, 0.99);
  std::printf("  direct SQL     p50 %.3f ms  p99 %.3f ms\n", d50, d99);
  std::printf("  over HTTP      p50 %.3f ms  p99 %.3f ms  (p50 ratio %.2fx; target <= 3x)\n", r50, r99, r50 / d50);

  for (int clients : {1, 16}) {
    std::atomic<long> calls{0};
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < clients; ++t)
      threads.emplace_back([&, t] {
        Client c(port);
        static const char *groups[] = {"INJ", "EXT", "PRE", "TOR", "FOR", "EMB"};
        int i = 0;
        while (!stop) {
          char code[16];
          std::snprintf(code, sizeof code, "%s%02d", groups[(t + i) % 6], 1 + (t * 7 + i) % 80);
          c.post(reservados(code, i++));
          ++calls;
        }
      });
    auto t0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    stop = true;
    for (auto &t : threads)
      t.join();
    std::printf("GetReservados, %2d client(s): %.0f calls/s%s\n", clients, double(calls) / (msSince(t0) / 1000),
                clients == 16 ? "  (target >= 5000 on 2 cores)" : "");
  }

  {
    Client c(port);
    const double d0 = zrt::toDateTime(today), d1 = d0 + 30;
    std::vector<double> times;
    std::size_t rows = 0;
    for (int i = 0; i < 10; ++i) {
      auto t0 = Clock::now();
      const std::string reply =
          c.post(zrt::rpc::makeRequest("HoraLivre", {false, false, "06:00:00", "22:00:00", "", d0, d1, ""}, i).dump());
      times.push_back(msSince(t0));
      rows = json::parse(reply)["result"]["rows"].size();
    }
    std::printf("HoraLivre, all 500 equipment x 31 days: %zu spans, p50 %.1f ms, max %.1f ms  (target < 100 ms)\n", rows,
                percentile(times, 0.5), *std::max_element(times.begin(), times.end()));
  }

  const long kib = peakKiB(server.processId());
  std::printf("server peak memory (VmHWM): %.1f MB  (target < 100 MB)\n", double(kib) / 1024);
  server.terminate();
  server.waitForFinished(5000);
  return 0;
}
