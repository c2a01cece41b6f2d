#include "zrt/host/datamodule.h"

#include <inhouse/sql/databaseconnection.h>
#include <zrt/dburl/dburl.h>

#include <QSqlDatabase>

namespace zrt::host {

DataModule::DataModule(const QString &dbUrl, QObject *parent)
    : QObject(parent), m_dbUrl(dbUrl), m_connectionName(QStringLiteral("dtmDBGeral"))
{
  setObjectName(QStringLiteral("dtmDBGeral"));
  zrt::openDatabase(dbUrl, m_connectionName);
  // The three components of the original access paths all run over the one connection.
  for (const char *name : {"adcGeral", "dtbGeral", "ibtGeral"})
    new TDatabaseConnection(QString::fromLatin1(name), m_connectionName, this);
  RegisterDataModule(this);
}

DataModule::~DataModule()
{
  UnregisterDataModule(this);
  qDeleteAll(findChildren<TDatabaseConnection *>(Qt::FindDirectChildrenOnly));
  {
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (db.isValid())
      db.close();
  }
  QSqlDatabase::removeDatabase(m_connectionName);
}

} // namespace zrt::host
