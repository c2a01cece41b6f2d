#include <inhouse/sql/databaseconnection.h>

#include <QHash>
#include <QPointer>

TDatabaseConnection::TDatabaseConnection(const QString &objectName, const QString &connectionName, QObject *parent)
    : QObject(parent), m_connectionName(connectionName)
{
  setObjectName(objectName);
}

QSqlDatabase TDatabaseConnection::Database() const { return QSqlDatabase::database(m_connectionName, false); }

TDatabaseKind TDatabaseConnection::Kind() const { return KindOf(Database()); }

TDatabaseKind TDatabaseConnection::KindOf(const QSqlDatabase &db)
{
  const QString driver = db.driverName().toUpper();
  if (driver.startsWith(QLatin1String("QOCI")))
    return TDatabaseKind::Oracle;
  if (driver.startsWith(QLatin1String("QIBASE")))
    return TDatabaseKind::InterBase;
  if (driver.startsWith(QLatin1String("QODBC"))) {
    // The ODBC connection string names the driver; only SQL Server takes the MSSQL text.
    const QString dsn = db.databaseName();
    if (dsn.contains(QLatin1String("SQL Server"), Qt::CaseInsensitive) ||
        dsn.contains(QLatin1String("SQLNCLI"), Qt::CaseInsensitive) || dsn.contains(QLatin1String("MSSQL"), Qt::CaseInsensitive))
      return TDatabaseKind::MSSQL;
  }
  return TDatabaseKind::Generic;
}

namespace {
QHash<QString, QPointer<QObject>> &registry()
{
  static QHash<QString, QPointer<QObject>> modules;
  return modules;
}
} // namespace

void RegisterDataModule(QObject *dataModule)
{
  if (dataModule && !dataModule->objectName().isEmpty())
    registry().insert(dataModule->objectName(), dataModule);
}

void UnregisterDataModule(QObject *dataModule)
{
  for (auto it = registry().begin(); it != registry().end();)
    it = it.value() == dataModule || it.value().isNull() ? registry().erase(it) : std::next(it);
}

QObject *FindDataModule(const QString &name)
{
  auto it = registry().constFind(name);
  return it == registry().constEnd() ? nullptr : it.value().data();
}

TDatabaseConnection *FindConnection(const QString &dataModule, const QString &name)
{
  QObject *module = FindDataModule(dataModule);
  return module ? module->findChild<TDatabaseConnection *>(name) : nullptr;
}
