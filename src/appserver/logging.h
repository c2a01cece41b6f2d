#pragma once
// The server's log categories. Each is on from "info" up; QT_LOGGING_RULES turns any of them
// off, or its debug messages on ("zrt.server.db.debug=true").
#include <QLoggingCategory>

namespace zrt::appserver {

Q_DECLARE_LOGGING_CATEGORY(lcRpc)  // zrt.server.rpc: the access log, one line per call
Q_DECLARE_LOGGING_CATEGORY(lcDb)   // zrt.server.db: connections lost, failing and opened again
Q_DECLARE_LOGGING_CATEGORY(lcHttp) // zrt.server.http: requests refused before any call

} // namespace zrt::appserver
