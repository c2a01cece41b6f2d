#pragma once
// The six methods of "ZRT02600.rmdPlanUtilEquipProd" over one worker's database connection.
#include "nativedb.h"

#include <QString>

#include <nlohmann/json.hpp>

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zrt::appserver {

class Metrics;

// The methods, by index in a fixed order (the metrics keep a row for each).
inline constexpr std::size_t kMethodCount = 6;
std::string_view methodName(std::size_t index);

// A call that ends in a JSON-RPC error; `what()` is the Portuguese text for the user.
class CallError : public std::runtime_error {
public:
  CallError(int errorCode, const std::string &message) : std::runtime_error(message), code(errorCode) {}
  int code;
};

// One worker thread's connection. Opened on first use; after a failure the connection is
// dropped and opened again by the next call, so a database that went away recovers by itself.
// A connection the database closed meanwhile (a restart) is replaced within the call.
// Failures and new connections are logged (zrt.server.db) and counted in `metrics`, if given.
class Store {
public:
  explicit Store(QString dbUrl, Metrics *metrics = nullptr);
  ~Store();
  Store(const Store &) = delete;
  Store &operator=(const Store &) = delete;

  // Runs one of the methods' statements; a failure drops the connection and throws
  // CallError(kServerError).
  SqlRows &run(const char *sql, const std::vector<SqlParam> &params);
  [[noreturn]] void fail(const std::string &why);
  void done(); // lets the last statement's rows go
  // Checks that the database answers and holds the schema; throws CallError(kServerError).
  void ping();
  bool isPostgres() const { return postgres_; }

private:
  void open();
  void connect();
  void noteFailure(const std::string &why);

  QString url_;
  Metrics *metrics_ = nullptr;
  bool connected_ = false; // a connection was opened before: the next one is a reconnect
  bool failing_ = false;   // failed since the last statement that ran: logged once
  bool postgres_ = false;
  std::unique_ptr<NativeDb> db_;
  std::pair<std::uint64_t, std::uint64_t> file_{}; // SQLite: device and inode of the file opened
};

// Appends the method's data packet to `out` and gives its number of rows. Throws CallError for
// an unknown method, bad arguments or a database failure (`out` then holds a partial text).
std::size_t callMethod(Store &store, const std::string &method, const nlohmann::json &params, std::string &out);

} // namespace zrt::appserver
