#pragma once
// JSON-RPC 2.0 envelope of the application server: POST /<server name>, positional params.
#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace zrt::rpc {

inline constexpr std::string_view kServerName = "ZRT02600.rmdPlanUtilEquipProd";

inline constexpr int kParseError = -32700;
inline constexpr int kInvalidRequest = -32600;
inline constexpr int kMethodNotFound = -32601;
inline constexpr int kInvalidParams = -32602;
inline constexpr int kInternalError = -32603;
inline constexpr int kServerError = -32000; // database and other server-side failures

nlohmann::json makeRequest(std::string_view method, nlohmann::json params, nlohmann::json id = 1);
nlohmann::json makeResult(const nlohmann::json &id, nlohmann::json result);
nlohmann::json makeError(const nlohmann::json &id, int code, std::string_view message);

// The outcome of one call as a client sees it: a result, or an error with a Portuguese
// message fit to show the user (malformed answers included).
struct Response {
  bool ok = false;
  nlohmann::json result;
  int code = 0;
  std::string message;
};
Response parseResponse(std::string_view body);

} // namespace zrt::rpc
