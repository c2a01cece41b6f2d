#include "zrt/common/jsonrpc.h"
#include <zrt/common/answertexts.h>

namespace zrt::rpc {

nlohmann::json makeRequest(std::string_view method, nlohmann::json params, nlohmann::json id)
{
  return {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}, {"id", std::move(id)}};
}

nlohmann::json makeResult(const nlohmann::json &id, nlohmann::json result)
{
  return {{"jsonrpc", "2.0"}, {"result", std::move(result)}, {"id", id}};
}

nlohmann::json makeError(const nlohmann::json &id, int code, std::string_view message)
{
  return {{"jsonrpc", "2.0"}, {"error", {{"code", code}, {"message", message}}}, {"id", id}};
}

Response parseResponse(std::string_view body)
{
  Response r;
  auto json = nlohmann::json::parse(body, nullptr, false);
  if (json.is_discarded() || !json.is_object()) {
    r.code = kParseError;
    r.message = texts::kInvalidAnswer;
    return r;
  }
  if (auto it = json.find("error"); it != json.end()) {
    r.code =
        it->is_object() && it->contains("code") && (*it)["code"].is_number_integer() ? (*it)["code"].get<int>() : kInternalError;
    r.message = it->is_object() && it->contains("message") && (*it)["message"].is_string() ? (*it)["message"].get<std::string>()
                                                                                           : texts::kUnknownError;
    return r;
  }
  if (auto it = json.find("result"); it != json.end()) {
    r.ok = true;
    r.result = std::move(*it);
    return r;
  }
  r.code = kInvalidRequest;
  r.message = texts::kNoResult;
  return r;
}

} // namespace zrt::rpc
