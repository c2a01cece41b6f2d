#pragma once
// What the benchmarks share: the server as its own process, percentiles, a line describing the
// machine, and the floor: a statement run straight through the database's C client library
// (SQLite or libpq), with no layer of ours between, so that a figure of the product can be
// printed next to the least the same SQL costs.
#include <QProcess>
#include <QString>

#include <chrono>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace zrt::bench {

using Clock = std::chrono::steady_clock;
double msSince(Clock::time_point start);

// Nearest-rank percentile (p in [0, 1]) of a set of timings; 0 when empty.
double percentile(std::vector<double> values, double p);

// "machine: N CPUs, <model>, load <1-minute average>, <UTC date and time>", so that figures carry
// where and when they came from.
std::string machineLine();

// A value from /proc/PID/status in KiB ("VmHWM", "VmRSS"); -1 when unreadable. pid 0 is this process.
long procStatusKiB(qint64 pid, const char *key);

// zrt02600-server (next to the benchmark) serving `dbUrl` on a free loopback port, as its own
// process so that its memory and CPU are its own. The access log is discarded.
class ServerProcess {
public:
  ServerProcess(const QString &dbUrl, int threads);
  ~ServerProcess();
  bool started() const { return port_ != 0; }
  unsigned short port() const { return port_; }
  qint64 pid() const { return process_.processId(); }
  const QByteArray &banner() const { return banner_; }

private:
  QProcess process_;
  QByteArray banner_;
  unsigned short port_ = 0;
};

// One keep-alive HTTP connection to the server on loopback, as a desktop holds it: posts a
// JSON-RPC request and gives the answer's body.
class HttpClient {
public:
  explicit HttpClient(unsigned short port);
  ~HttpClient();
  std::string post(const std::string &body);

private:
  struct Connection;
  std::unique_ptr<Connection> connection_;
};

// A statement parameter: NULL, text, or an integer (SQLite compares a text '0' unequal to 0).
using Param = std::variant<std::monostate, std::string, long long>;

struct FloorResult {
  long rows = 0;
  std::vector<std::string> firstRow; // as text, NULL as ""
  std::size_t bytes = 0;             // of every value read, so the reads cannot be skipped
};

// One connection of the floor. Statements are prepared once, on first use (keyed by the text's
// address, as the server keeps them), and every value of every row is read.
class FloorDb {
public:
  static std::unique_ptr<FloorDb> open(const QString &dbUrl); // "sqlite:PATH" or "postgresql://..."; throws
  virtual ~FloorDb() = default;
  virtual bool isPostgres() const = 0;
  virtual FloorResult run(const char *sql, const std::vector<Param> &params) = 0; // throws on a database error
};

// "?" placeholders as "$1".."$n", leaving quoted text alone.
std::string numberedPlaceholders(const char *sql);

// The server's first statement of a period: the earliest start (as bound text) a reservation
// reaching past `after` can have.
std::string earliestStart(FloorDb &db, double after);

} // namespace zrt::bench
