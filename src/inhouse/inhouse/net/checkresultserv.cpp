#include <inhouse/net/checkresultserv.h>

EServerError::EServerError(const QString &message, int code) : EInhouseError(message), m_code(code) {}

zrt::DataPacket CheckResultServ(const ServerResult &result, bool raise, int kind)
{
  return CheckResultServ(ServerResult(result), raise, kind);
}

zrt::DataPacket CheckResultServ(ServerResult &&result, bool raise, int kind)
{
  Q_UNUSED(raise);
  Q_UNUSED(kind);
  if (!result.ok)
    throw EServerError(result.message.isEmpty() ? QStringLiteral("Erro desconhecido no servidor de aplicação.") : result.message,
                       result.code);
  try {
    return zrt::DataPacket::fromJson(std::move(result.result));
  } catch (const std::exception &e) {
    throw EServerError(QStringLiteral("Resposta inválida do servidor de aplicação: %1").arg(QString::fromUtf8(e.what())));
  }
}
