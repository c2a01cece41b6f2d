// Measures the application server as a black box on a large demo plant (500 equipment, 24
// months), each figure next to its floor: the server's own statements run straight through the
// database's C client library. GetReservados latency with one client, throughput with 16
// clients, latency under 64 clients, HoraLivre for all equipment over 31 days, one scrape of
// GET /metrics next to GET /health, peak memory.
// Usage: bench_appserver [--db [sqlite:]PATH | --db postgresql://...] [--seconds N] [--calls N]
// A missing plant is built; ZRT_BENCH_PG_URL adds a PostgreSQL run after the SQLite one.
#include <benchkit.h>

#include <zrt/appserver/schema.h>
#include <zrt/appserver/sqltexts.h>
#include <zrt/common/datetime.h>
#include <zrt/common/jsonrpc.h>

#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

using nlohmann::json;
using namespace zrt::bench;
using namespace zrt::appserver::sql;

namespace {

struct Load {
  double perSecond = 0;
  std::vector<double> latencies; // ms, every call in the timed span
};

// `threads` threads, each building its own caller with make(t) (a connection) before the clock
// starts, then calling it until `seconds` have passed.
template <class Make>
Load hammer(int threads, int seconds, Make make)
{
  std::atomic<int> ready{0};
  std::atomic<bool> go{false}, stop{false};
  std::vector<std::vector<double>> times(static_cast<std::size_t>(threads));
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t)
    pool.emplace_back([&, t] {
      auto call = make(t);
      ++ready;
      while (!go)
        std::this_thread::yield();
      while (!stop) {
        const auto t0 = Clock::now();
        call();
        times[std::size_t(t)].push_back(msSince(t0));
      }
    });
  while (ready < threads)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  const auto t0 = Clock::now();
  go = true;
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  stop = true;
  const double elapsed = msSince(t0) / 1000;
  for (auto &t : pool)
    t.join();
  Load load;
  for (auto &v : times)
    load.latencies.insert(load.latencies.end(), v.begin(), v.end());
  load.perSecond = double(load.latencies.size()) / elapsed;
  return load;
}

template <class F>
std::vector<double> timeEach(int n, F f)
{
  std::vector<double> v;
  v.reserve(std::size_t(n));
  for (int i = 0; i < n; ++i) {
    const auto t0 = Clock::now();
    f();
    v.push_back(msSince(t0));
  }
  return v;
}

// GET of `target` on its own keep-alive connection; the answer's body.
class Getter {
public:
  explicit Getter(unsigned short port)
  {
    using boost::asio::ip::tcp;
    stream_.connect(tcp::endpoint(boost::asio::ip::make_address("127.0.0.1"), port));
    stream_.socket().set_option(tcp::no_delay(true));
  }
  std::string get(const char *target)
  {
    namespace http = boost::beast::http;
    http::request<http::empty_body> req{http::verb::get, target, 11};
    req.set(http::field::host, "127.0.0.1");
    http::write(stream_, req);
    http::response<http::string_body> res;
    http::read(stream_, buffer_, res);
    return std::move(res.body());
  }

private:
  boost::asio::io_context ioc_;
  boost::beast::tcp_stream stream_{ioc_};
  boost::beast::flat_buffer buffer_;
};

std::size_t resultRows(const std::string &reply)
{
  const json j = json::parse(reply, nullptr, false);
  if (!j.contains("result")) {
    std::printf("  unexpected reply: %.200s\n", reply.c_str());
    return 0;
  }
  return j["result"]["rows"].size();
}

bool plantMissing(const QString &url)
{
  if (url.startsWith(QLatin1String("sqlite:")))
    return !QFile::exists(url.mid(url.startsWith(QLatin1String("sqlite://")) ? 9 : 7));
  try {
    const FloorResult r = FloorDb::open(url)->run("SELECT COUNT(*) FROM RESEQUIPPROD", {});
    return r.firstRow.empty() || r.firstRow[0] == "0";
  } catch (const std::exception &) {
    return true; // no tables yet
  }
}

void runSuite(const QString &url, int seconds, int calls)
{
  const QDate today = QDate::currentDate();
  const bool postgres = !url.startsWith(QLatin1String("sqlite:"));
  std::printf("\n== %s ==\n", postgres ? "PostgreSQL" : "SQLite");
  if (plantMissing(url)) {
    const auto t0 = Clock::now();
    zrt::appserver::fillDemo(url, {1, 500, 24, today});
    std::printf("plant: 500 equipment x 24 months built in %.1f s\n", msSince(t0) / 1000);
  } else {
    std::printf("plant: reused as it is\n");
  }
  auto db = FloorDb::open(url);
  std::printf("plant: %s reservations\n", db->run("SELECT COUNT(*) FROM RESEQUIPPROD", {}).firstRow.at(0).c_str());

  // 31 days around today; the equipment with most reservations in them.
  const double from = zrt::toDateTime(today.addDays(-15), QTime(0, 0));
  const double to = zrt::toDateTime(today.addDays(15), QTime(23, 59, 59));
  const std::string fromText = zrt::toSqlText(from).toStdString(), toText = zrt::toSqlText(to).toStdString();
  const FloorResult top = db->run("SELECT CDEQUIPPRO, COUNT(*) FROM RESEQUIPPROD WHERE DTHRINIPROD <= ? AND DTHRFINPROD > ?"
                                  " GROUP BY CDEQUIPPRO ORDER BY 2 DESC, 1 LIMIT 1",
                                  {toText, fromText});
  const std::string equip = top.firstRow.at(0);

  ServerProcess server(url, 2);
  if (!server.started()) {
    std::printf("server did not start\n");
    return;
  }
  std::printf("server: %s", server.banner().constData());

  // GetReservados: what the server runs for it, then the call itself.
  auto reservadosFloor = [&](FloorDb &d) {
    return d.run(kSqlPeriod, {equip, "1", "2", "3", toText, fromText, earliestStart(d, from)}).rows;
  };
  const std::string body = zrt::rpc::makeRequest("GetReservados", {equip, "1", "2", "2", from, to}, 1).dump();
  const long floorRows = reservadosFloor(*db);
  timeEach(calls / 10, [&] { reservadosFloor(*db); });
  const std::vector<double> floorTimes = timeEach(calls, [&] { reservadosFloor(*db); });
  std::vector<double> callTimes, exchangeTimes;
  {
    HttpClient c(server.port());
    const std::size_t rows = resultRows(c.post(body));
    if (long(rows) != floorRows)
      std::printf("  rows differ: server %zu, floor %ld\n", rows, floorRows);
    timeEach(calls / 10, [&] { c.post(body); });
    callTimes = timeEach(calls, [&] { c.post(body); });
    // The HTTP exchange alone, with no database behind it: what any call costs on top of its SQL.
    const std::string clock = zrt::rpc::makeRequest("GetHoraServidor", json::array(), 1).dump();
    timeEach(calls / 10, [&] { c.post(clock); });
    exchangeTimes = timeEach(calls, [&] { c.post(clock); });
  }
  const double f50 = percentile(floorTimes, 0.5), f99 = percentile(floorTimes, 0.99);
  const double c50 = percentile(callTimes, 0.5), c99 = percentile(callTimes, 0.99);
  std::printf("GetReservados %s, 31 days, %s to %s: %ld rows, %d calls\n", equip.c_str(), fromText.c_str(), toText.c_str(),
              floorRows, calls);
  std::printf("  floor (longest + period statements)  p50 %7.3f ms  p99 %7.3f ms\n", f50, f99);
  std::printf("  over HTTP, 1 keep-alive client      p50 %7.3f ms  p99 %7.3f ms   p50 ratio %.2fx  (target <= 1.5x)\n", c50, c99,
              c50 / f50);
  const double e50 = percentile(exchangeTimes, 0.5);
  std::printf("  GetHoraServidor, the exchange alone p50 %7.3f ms: floor + exchange is %.2fx the floor\n", e50,
              (f50 + e50) / f50);

  // Throughput: the floor on two connections against the server's two workers.
  const Load floorLoad = hammer(2, seconds, [&](int) {
    return [d = std::shared_ptr<FloorDb>(FloorDb::open(url)), &reservadosFloor] { reservadosFloor(*d); };
  });
  const Load serverLoad =
      hammer(16, seconds, [&](int) { return [c = std::make_shared<HttpClient>(server.port()), &body] { c->post(body); }; });
  std::printf("throughput, %d s each\n", seconds);
  std::printf("  floor, 2 threads                    %8.0f queries/s\n", floorLoad.perSecond);
  std::printf("  server (2 threads), 16 clients      %8.0f calls/s     %.0f%% of the floor  (target >= 60%%)\n",
              serverLoad.perSecond, 100 * serverLoad.perSecond / floorLoad.perSecond);

  const Load crowd =
      hammer(64, seconds, [&](int) { return [c = std::make_shared<HttpClient>(server.port()), &body] { c->post(body); }; });
  const double crowd99 = percentile(crowd.latencies, 0.99);
  std::printf("  64 keep-alive clients               p50 %7.3f ms  p99 %7.3f ms   p99 = %.1fx the 1-client p50  (target < 10x)\n",
              percentile(crowd.latencies, 0.5), crowd99, crowd99 / c50);

  // HoraLivre over every equipment: the equipment list and the busy-time query, then the call.
  const double d0 = zrt::toDateTime(today.addDays(-15)), d1 = zrt::toDateTime(today.addDays(15));
  const double first = (d0 * 86400 + 8 * 3600) / 86400, last = (d1 * 86400 + 18 * 3600) / 86400;
  const std::vector<Param> selection = {0LL, ";;", 0LL, ";;"};
  long busyRows = 0;
  auto freeFloor = [&] {
    db->run(kSqlFreeEquipment, selection);
    std::vector<Param> p = selection;
    p.insert(p.end(), {zrt::toSqlText(last).toStdString(), zrt::toSqlText(first).toStdString(), earliestStart(*db, first)});
    busyRows = db->run(kSqlFreeBusy, p).rows;
  };
  freeFloor();
  const std::vector<double> freeFloorTimes = timeEach(10, freeFloor);
  std::size_t spans = 0;
  std::vector<double> freeTimes;
  {
    HttpClient c(server.port());
    const std::string free = zrt::rpc::makeRequest("HoraLivre", {false, false, "08:00:00", "18:00:00", "", d0, d1, ""}, 2).dump();
    spans = resultRows(c.post(free));
    freeTimes = timeEach(10, [&] { c.post(free); });
  }
  const double h50 = percentile(freeTimes, 0.5), hf50 = percentile(freeFloorTimes, 0.5);
  std::printf("HoraLivre, all equipment x 31 days, 08:00-18:00: %zu free spans from %ld busy rows, 10 calls\n", spans, busyRows);
  std::printf("  floor (equipment + busy-time statements)  p50 %7.1f ms\n", hf50);
  std::printf("  over HTTP                                 p50 %7.1f ms   ratio %.2fx  (target <= 2x)\n", h50, h50 / hf50);

  // One scrape of GET /metrics once every method (and an unknown one) was called, next to the
  // floor of any GET: /health, one small statement on the worker's connection.
  {
    const double day = zrt::toDateTime(today);
    const std::vector<std::string> mix = {
        zrt::rpc::makeRequest("GetHoraServidor", json::array(), 1).dump(),
        body,
        zrt::rpc::makeRequest("GetReseGeral", {equip, "1", "2", "2", from, to}, 1).dump(),
        zrt::rpc::makeRequest("GetDiasReservados", {equip, from, to, "1", "2", "2"}, 1).dump(),
        zrt::rpc::makeRequest("GetReservaDia", {equip, "1", "2", "2", day, from, to}, 1).dump(),
        zrt::rpc::makeRequest("HoraLivre", {false, true, "08:00:00", "18:00:00", "", day, day, ";" + equip + ";"}, 1).dump(),
        zrt::rpc::makeRequest("Desconhecido", json::array(), 1).dump()};
    HttpClient c(server.port());
    const int mixCalls = 10000;
    const auto t0 = Clock::now();
    for (int i = 0; i < mixCalls; ++i)
      c.post(mix[std::size_t(i) % mix.size()]);
    const double mixSeconds = msSince(t0) / 1000;
    Getter g(server.port());
    const std::size_t bytes = g.get("/metrics").size();
    timeEach(calls / 10, [&] { g.get("/health"); });
    const std::vector<double> healthTimes = timeEach(calls, [&] { g.get("/health"); });
    timeEach(calls / 10, [&] { g.get("/metrics"); });
    const std::vector<double> scrapeTimes = timeEach(calls, [&] { g.get("/metrics"); });
    const double s50 = percentile(scrapeTimes, 0.5), g50 = percentile(healthTimes, 0.5);
    std::printf("GET /metrics after %d calls over the six methods and an unknown one (%.1f s): %zu bytes, %d scrapes\n", mixCalls,
                mixSeconds, bytes, calls);
    std::printf("  floor: GET /health                  p50 %7.3f ms  p99 %7.3f ms\n", g50, percentile(healthTimes, 0.99));
    std::printf("  GET /metrics                        p50 %7.3f ms  p99 %7.3f ms   p50 ratio %.2fx\n", s50,
                percentile(scrapeTimes, 0.99), s50 / g50);
  }

  std::printf("server peak memory (VmHWM): %.1f MB\n", double(procStatusKiB(server.pid(), "VmHWM")) / 1024);
}

} // namespace

int main(int argc, char **argv)
{
  QCoreApplication app(argc, argv);
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  QTemporaryDir tmp;
  QString url = QStringLiteral("sqlite:") + tmp.filePath(QStringLiteral("plant.db"));
  int seconds = 3, calls = 2000;
  const QStringList args = app.arguments();
  for (int i = 1; i + 1 < args.size(); ++i) {
    if (args[i] == QLatin1String("--db")) // a bare path is a SQLite file
      url = args[i + 1].contains(QLatin1Char(':')) ? args[i + 1] : QStringLiteral("sqlite:") + args[i + 1];
    if (args[i] == QLatin1String("--seconds"))
      seconds = std::max(1, args[i + 1].toInt());
    if (args[i] == QLatin1String("--calls"))
      calls = std::max(10, args[i + 1].toInt());
  }
  QStringList urls = {url};
  const QString pg = qEnvironmentVariable("ZRT_BENCH_PG_URL");
  if (!pg.isEmpty() && url.startsWith(QLatin1String("sqlite:")))
    urls << pg;
  std::printf("%s\n", machineLine().c_str());
  try {
    for (const QString &u : urls)
      runSuite(u, seconds, calls);
  } catch (const std::exception &e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
