#pragma once
// A worker's own database connection through the engine's C client library (SQLite or libpq).
// The methods' hot loop reads every value of every row: here a value is the engine's own bytes
// (a text as UTF-8, a number as a double), with no per-value conversion in between.
#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zrt::appserver {

// A statement parameter: SQL NULL, a text, or an integer.
using SqlParam = std::variant<std::monostate, std::string, std::int64_t>;

// The rows of one executed statement, read forward. Column numbers are 0-based.
class SqlRows {
public:
  virtual ~SqlRows() = default;
  virtual bool next() = 0;
  virtual bool isNull(int column) const = 0;
  virtual std::string_view text(int column) const = 0; // "" for NULL; valid until next()
  virtual std::optional<double> number(int column) const = 0;
};

class NativeDb {
public:
  // Opens `url` (sqlite:PATH or postgresql://...). Throws std::runtime_error with a Portuguese
  // text that never shows a password.
  static std::unique_ptr<NativeDb> open(const QString &url);
  virtual ~NativeDb() = default;

  virtual bool isPostgres() const = 0;
  // Runs `sql` (prepared once per connection, kept by its address) with `params` bound in order.
  // The rows stay readable until the next exec. Throws std::runtime_error with the engine's text.
  virtual SqlRows &exec(const char *sql, const std::vector<SqlParam> &params) = 0;
  // Ends the rows of the last exec: SQLite's read lock and libpq's result are let go.
  virtual void done() = 0;
  // The connection itself is lost (the database closed it, e.g. on a restart), not just one
  // statement failed: a new connection is needed.
  virtual bool broken() const { return false; }
};

} // namespace zrt::appserver
