#pragma once
// The host database as the module and the application server read it.
#include <QDate>
#include <QString>

namespace zrt::appserver {

inline constexpr int kSchemaVersion = 3;

// Creates or upgrades the tables, indexes and helper functions (INSTR on PostgreSQL).
// Idempotent: the version table records what is there. Throws std::runtime_error.
void initSchema(const QString &dbUrl);

// Refuses a database the server cannot serve from: one that cannot be opened, has no schema,
// or has a schema older or newer than this program's. Throws std::runtime_error with a
// Portuguese text that says what to do.
void checkSchema(const QString &dbUrl);

struct DemoOptions {
  unsigned seed = 1;
  int equipment = 40;
  int months = 6;
  QDate today = QDate::currentDate();
};

// Replaces the plant data with a deterministic demo plant: the same options give the same rows.
// Calls initSchema first. Throws std::runtime_error.
void fillDemo(const QString &dbUrl, const DemoOptions &options);

} // namespace zrt::appserver
