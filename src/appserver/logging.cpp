#include "logging.h"

#include "zrt/appserver/server.h"

namespace zrt::appserver {

Q_LOGGING_CATEGORY(lcRpc, "zrt.server.rpc", QtInfoMsg)
Q_LOGGING_CATEGORY(lcDb, "zrt.server.db", QtInfoMsg)
Q_LOGGING_CATEGORY(lcHttp, "zrt.server.http", QtInfoMsg)

void installLogFormat()
{
  // Information goes out as it is, so the access log stays one plain line per call for the
  // scripts that read it; anything else names its category, which is what a rule silences.
  qSetMessagePattern(QStringLiteral("%{if-debug}%{category}: debug: %{endif}"
                                    "%{if-warning}%{category}: warning: %{endif}"
                                    "%{if-critical}%{category}: critical: %{endif}"
                                    "%{if-fatal}%{category}: fatal: %{endif}%{message}"));
}

} // namespace zrt::appserver
