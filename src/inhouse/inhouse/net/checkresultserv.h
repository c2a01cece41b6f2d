#pragma once
// Turns a server answer into the data packet a client data set takes, or an error.
#include <inhouse/errors.h>
#include <inhouse/inhouse_core_export.h>
#include <inhouse/net/netconnection.h>

#include <zrt/common/datapacket.h>

// A server-side failure or an answer that is no data packet; the text comes from the server.
class INHOUSE_CORE_EXPORT EServerError : public EInhouseError {
public:
  EServerError(const QString &message, int code = 0);
  int Code() const { return m_code; }

private:
  int m_code;
};

// The flag and number are kept for the callers' sake; every failure throws EServerError.
INHOUSE_CORE_EXPORT zrt::DataPacket CheckResultServ(const ServerResult &result, bool raise = true, int kind = 0);
// The same for an answer no longer needed: its rows move into the packet.
INHOUSE_CORE_EXPORT zrt::DataPacket CheckResultServ(ServerResult &&result, bool raise = true, int kind = 0);
// The same for an answer read straight into a table: the rows move out of it.
INHOUSE_CORE_EXPORT TDataTable CheckResultServ(TPacketAnswer &&answer, bool raise = true, int kind = 0);
