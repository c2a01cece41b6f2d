#pragma once
// dtmDBGeral: the host's database connection as the module finds it by name.
#include <QObject>
#include <QString>

class TDatabaseConnection;

namespace zrt::host {

class DataModule : public QObject {
  Q_OBJECT
public:
  // Opens the database (throws std::runtime_error with a Portuguese message when it cannot)
  // and registers the data module with the in-house library.
  explicit DataModule(const QString &dbUrl, QObject *parent = nullptr);
  ~DataModule() override;

  QString connectionName() const { return m_connectionName; }
  QString dbUrl() const { return m_dbUrl; }

private:
  QString m_dbUrl;
  QString m_connectionName;
};

} // namespace zrt::host
