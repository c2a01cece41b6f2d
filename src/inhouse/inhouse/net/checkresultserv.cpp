#include <inhouse/net/checkresultserv.h>

#include <nlohmann/json.hpp>

EServerError::EServerError(const QString &message, int code) : EInhouseError(message), m_code(code) {}

zrt::DataPacket CheckResultServ(const ServerResult &result, bool raise, int kind)
{
  return CheckResultServ(ServerResult(result), raise, kind);
}

namespace {

[[noreturn]] void raiseFailure(const QString &message, int code)
{
  throw EServerError(message.isEmpty() ? QStringLiteral("Erro desconhecido no servidor de aplicação.") : message, code);
}

[[noreturn]] void raiseNoPacket(const QString &what)
{
  throw EServerError(QStringLiteral("Resposta inválida do servidor de aplicação: %1").arg(what));
}

} // namespace

zrt::DataPacket CheckResultServ(ServerResult &&result, bool raise, int kind)
{
  Q_UNUSED(raise);
  Q_UNUSED(kind);
  if (!result.ok)
    raiseFailure(result.message, result.code);
  try {
    return zrt::DataPacket::fromJson(nlohmann::json::parse(result.result));
  } catch (const std::exception &e) {
    raiseNoPacket(QString::fromUtf8(e.what()));
  }
}

TDataTable CheckResultServ(TPacketAnswer &&answer, bool raise, int kind)
{
  Q_UNUSED(raise);
  Q_UNUSED(kind);
  if (!answer.ok)
    raiseFailure(answer.message, answer.code);
  if (!answer.packetError.isEmpty())
    raiseNoPacket(answer.packetError);
  return std::move(answer.table);
}
