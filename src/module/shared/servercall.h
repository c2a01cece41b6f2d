#pragma once
// One server call into a client data set, as every window makes it: the method is called
// (under the wait animation over the host's main window when asked), the result is checked and
// its packet loaded, which opens the data set.
#include <inhouse/data/clientdataset.h>
#include <inhouse/net/netconnection.h>

#include <QString>

// A window's own connection to the planning server object; failures come back as results
// (ThrowException false). The window binds its before-connect handler to it.
TNetConnection *NewServerConnection(QObject *window, const QString &name);
// Where every connection of the package connects: the address, port and token of the
// library's settings, read at each connect.
void PointAtWebServer(TNetConnection &connection);

// Wait animation kinds: none, the sheet's requests, the dialogs' requests.
enum class TCallWait { None = 0, Sheet = 1, Dialog = 6 };

// What the data set holds while the call runs: closed before the call (a failure leaves it
// closed), or its rows kept until the new result has been checked (a failure leaves them).
enum class TCallRows { CloseFirst, KeepUntilChecked };

// A failed call or result check reaches the caller; the animation is hidden on every path.
void CallIntoDataSet(TNetConnection &connection, TClientDataSet &dataSet, const QString &method,
                     const TServerParams &params = {}, TCallWait wait = TCallWait::None,
                     TCallRows rows = TCallRows::CloseFirst);
