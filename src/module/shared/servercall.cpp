#include "shared/servercall.h"

#include <inhouse/net/checkresultserv.h>
#include <inhouse/services/application.h>
#include <inhouse/services/brivon.h>
#include <inhouse/services/waitanimation.h>

#include <zrt/common/jsonrpc.h>

#include <optional>

TNetConnection *NewServerConnection(QObject *window, const QString &name)
{
  auto *connection = new TNetConnection(window);
  connection->setObjectName(name);
  connection->ServerName = QString::fromLatin1(zrt::rpc::kServerName.data(), int(zrt::rpc::kServerName.size()));
  connection->ThrowException = false;
  return connection;
}

void PointAtWebServer(TNetConnection &connection)
{
  connection.Host = Brivon::WebURL();
  connection.Port = Brivon::WebPort();
  connection.Token = Brivon::Token();
}

void CallIntoDataSet(TNetConnection &connection, TClientDataSet &dataSet, const QString &method, const TServerParams &params,
                     TCallWait wait, TCallRows rows)
{
  if (rows == TCallRows::CloseFirst)
    dataSet.Close();
  {
    std::optional<WaitAnimation> animation;
    if (wait != TCallWait::None)
      animation.emplace(MainForm(), int(wait));
    // Loading replaces the rows kept so far only once the answer has passed the check.
    dataSet.SetData(CheckResultServ(connection.AppServer().CallData(method, params), true, 0));
  }
  if (!dataSet.Active())
    dataSet.Open();
}
