#pragma once
// The host's database as the module sees it: a named QtSql connection and its kind, held by
// the data module "dtmDBGeral" as "adcGeral", "dtbGeral" and "ibtGeral".
#include <inhouse/inhouse_core_export.h>

#include <QObject>
#include <QSqlDatabase>
#include <QString>

enum class TDatabaseKind { Generic, Oracle, MSSQL, InterBase };

class INHOUSE_CORE_EXPORT TDatabaseConnection : public QObject {
  Q_OBJECT
public:
  // objectName is the component's name ("adcGeral"); connectionName the QtSql connection's.
  TDatabaseConnection(const QString &objectName, const QString &connectionName, QObject *parent = nullptr);

  QString ConnectionName() const { return m_connectionName; }
  QSqlDatabase Database() const; // the open connection, invalid when it was removed
  // From the driver: QSQLITE/QPSQL generic, QOCI Oracle, QODBC on SQL Server MSSQL, QIBASE InterBase.
  TDatabaseKind Kind() const;
  static TDatabaseKind KindOf(const QSqlDatabase &db);

private:
  QString m_connectionName;
};

// The host registers its data modules; the module finds "dtmDBGeral" by name.
INHOUSE_CORE_EXPORT void RegisterDataModule(QObject *dataModule);
INHOUSE_CORE_EXPORT void UnregisterDataModule(QObject *dataModule);
INHOUSE_CORE_EXPORT QObject *FindDataModule(const QString &name);
// The named connection component of a registered data module, or nullptr.
INHOUSE_CORE_EXPORT TDatabaseConnection *FindConnection(const QString &dataModule, const QString &name);
