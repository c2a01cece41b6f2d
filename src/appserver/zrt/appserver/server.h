#pragma once
// The application server "ZRT02600.rmdPlanUtilEquipProd": HTTP/1.1 + JSON-RPC 2.0 over an
// asynchronous Boost.Beast listener. Idle keep-alive connections hold no thread; each of the
// `threads` workers owns its own database connection and answers calls to completion.
#include <QString>

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

namespace zrt::appserver {

struct ServerOptions {
  QString dbUrl; // sqlite:PATH or postgresql://USER@HOST:PORT/DB
  std::string listen = "127.0.0.1";
  unsigned short port = 0; // 0: an ephemeral port, see Server::port()
  int threads = 2;
  std::string token; // non-empty: calls need "Authorization: Bearer <token>"
  std::size_t maxBodyBytes = 1 << 20;
  std::size_t maxHeaderBytes = 8 * 1024;
  std::chrono::milliseconds idleTimeout{60'000}; // keep-alive wait for the next request
  std::chrono::milliseconds readTimeout{30'000}; // reading one request body once its header came
  bool accessLog = true;                         // one line per call in zrt.server.rpc
  std::size_t maxBatchCalls = 100;               // calls in one JSON-RPC batch
};

// The layout of the server's log lines on stderr (see docs/server.md, "Logs"); called first
// thing in main(). QT_MESSAGE_PATTERN still overrides it.
void installLogFormat();

// Process-wide SQLite settings for a server that owns its connections: no global memory
// statistics, whose lock every allocation of every worker would take. Only takes effect
// before the library's first use in the process; later it changes nothing.
void tuneSqliteForServer();

class Server {
public:
  explicit Server(ServerOptions options);
  ~Server(); // stops it
  Server(const Server &) = delete;
  Server &operator=(const Server &) = delete;

  void start();                // binds, starts the threads; throws std::runtime_error
  unsigned short port() const; // the bound port (the ephemeral one when 0 was asked)
  void stop();                 // idempotent; closes every connection and joins the threads
  // Stops accepting, closes idle keep-alive connections and lets the calls in flight finish
  // (their answers carry "Connection: close"); then stops. False when `timeout` ran out first
  // and some calls were cut short.
  bool drain(std::chrono::milliseconds timeout);

  struct Impl; // opaque

private:
  std::unique_ptr<Impl> d;
};

} // namespace zrt::appserver
