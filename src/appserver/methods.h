#pragma once
// The six methods of "ZRT02600.rmdPlanUtilEquipProd" over one worker's database connection.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <nlohmann/json.hpp>

#include <cstddef>
#include <map>
#include <stdexcept>
#include <string>

namespace zrt::appserver {

// A call that ends in a JSON-RPC error; `what()` is the Portuguese text for the user.
class CallError : public std::runtime_error {
public:
  CallError(int code, const std::string &message) : std::runtime_error(message), code(code) {}
  int code;
};

// One worker thread's connection. Opened on first use; after a failure the connection is
// dropped and opened again by the next call, so a database that went away recovers by itself.
class Store {
public:
  Store(QString dbUrl, QString connectionName);
  ~Store();
  Store(const Store &) = delete;
  Store &operator=(const Store &) = delete;

  // The prepared statement `sql`, kept for the life of the connection.
  QSqlQuery &prepared(const char *sql);
  void exec(QSqlQuery &query); // throws CallError(kServerError) and drops the connection
  bool isPostgres() const { return postgres_; }

private:
  void open();
  void drop();

  QString url_;
  QString name_;
  bool postgres_ = false;
  bool open_ = false;
  std::map<const char *, QSqlQuery> queries_;
};

struct CallResult {
  nlohmann::json packet;
  std::size_t rows = 0;
};

// Throws CallError for an unknown method, bad arguments or a database failure.
CallResult callMethod(Store &store, const std::string &method, const nlohmann::json &params);

} // namespace zrt::appserver
