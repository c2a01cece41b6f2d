#include "shared/servercall.h"

#include <inhouse/net/checkresultserv.h>
#include <inhouse/services/application.h>
#include <inhouse/services/waitanimation.h>

#include <optional>

void CallIntoDataSet(TNetConnection &connection, TClientDataSet &dataSet, const QString &method, nlohmann::json params,
                     TCallWait wait, TCallRows rows)
{
  if (rows == TCallRows::CloseFirst)
    dataSet.Close();
  {
    std::optional<WaitAnimation> animation;
    if (wait != TCallWait::None)
      animation.emplace(MainForm(), int(wait));
    // Loading replaces the rows kept so far only once the answer has passed the check.
    dataSet.SetData(CheckResultServ(connection.AppServer().Call(method, std::move(params)), true, 0));
  }
  if (!dataSet.Active())
    dataSet.Open();
}
