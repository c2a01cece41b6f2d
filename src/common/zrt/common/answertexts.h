#pragma once
// The texts a client shows for an answer it cannot use, shared by both ways of reading one
// (the JSON tree and the fast reader), so the user sees the same words either way.
namespace zrt::texts {

inline constexpr const char *kInvalidAnswer = "Resposta inválida do servidor de aplicação.";
inline constexpr const char *kUnknownError = "Erro desconhecido no servidor de aplicação.";
inline constexpr const char *kNoResult = "Resposta do servidor de aplicação sem resultado.";

// Why a data packet was refused.
inline constexpr const char *kPacketWithoutParts = "pacote de dados sem \"fields\" ou \"rows\"";
inline constexpr const char *kPartsNotLists = "\"fields\" e \"rows\" devem ser listas";
inline constexpr const char *kRowWidth = "linha com número de colunas diferente do de campos";
inline constexpr const char *kWrongKindIn = "valor de tipo errado no campo ";

} // namespace zrt::texts
