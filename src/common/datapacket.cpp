#include "zrt/common/datapacket.h"
#include <zrt/common/answertexts.h>

#include <stdexcept>

namespace zrt {
namespace {
constexpr std::pair<FieldType, std::string_view> kTypeNames[] = {
    {FieldType::String, "string"}, {FieldType::DateTime, "datetime"}, {FieldType::Date, "date"},
    {FieldType::Float, "float"},   {FieldType::Integer, "integer"},   {FieldType::Boolean, "boolean"},
};

bool cellFits(FieldType type, const nlohmann::json &cell)
{
  if (cell.is_null())
    return true;
  switch (type) {
  case FieldType::String: return cell.is_string();
  case FieldType::Boolean: return cell.is_boolean();
  case FieldType::Integer: return cell.is_number_integer();
  case FieldType::DateTime:
  case FieldType::Date:
  case FieldType::Float: return cell.is_number();
  }
  return false;
}
} // namespace

std::string_view fieldTypeName(FieldType type)
{
  for (const auto &[t, name] : kTypeNames)
    if (t == type)
      return name;
  return "string";
}

std::optional<FieldType> fieldTypeFromName(std::string_view name)
{
  for (const auto &[t, n] : kTypeNames)
    if (n == name)
      return t;
  return std::nullopt;
}

int DataPacket::fieldIndex(std::string_view name) const
{
  for (size_t i = 0; i < fields.size(); ++i)
    if (fields[i].name == name)
      return int(i);
  return -1;
}

nlohmann::json DataPacket::toJson() const
{
  nlohmann::json f = nlohmann::json::array();
  for (const auto &field : fields) {
    nlohmann::json def = {{"name", field.name}, {"type", fieldTypeName(field.type)}};
    if (field.type == FieldType::String)
      def["size"] = field.size;
    f.push_back(std::move(def));
  }
  nlohmann::json r = nlohmann::json::array();
  for (const auto &row : rows)
    r.push_back(row);
  return {{"fields", std::move(f)}, {"rows", std::move(r)}};
}

DataPacket DataPacket::fromJson(const nlohmann::json &json)
{
  nlohmann::json copy = json;
  return fromJson(std::move(copy));
}

DataPacket DataPacket::fromJson(nlohmann::json &&json)
{
  if (!json.is_object() || !json.contains("fields") || !json.contains("rows"))
    throw std::invalid_argument(texts::kPacketWithoutParts);
  const auto &f = json.at("fields");
  auto &r = json.at("rows");
  if (!f.is_array() || !r.is_array())
    throw std::invalid_argument(texts::kPartsNotLists);
  DataPacket packet;
  for (const auto &def : f) {
    if (!def.is_object() || !def.contains("name") || !def["name"].is_string() || !def.contains("type") ||
        !def["type"].is_string())
      throw std::invalid_argument("definição de campo inválida");
    auto type = fieldTypeFromName(def["type"].get<std::string>());
    if (!type)
      throw std::invalid_argument("tipo de campo desconhecido: " + def["type"].get<std::string>());
    int size = 0;
    if (def.contains("size")) {
      if (!def["size"].is_number_integer() || def["size"].get<int>() < 0)
        throw std::invalid_argument("tamanho de campo inválido");
      size = def["size"].get<int>();
    }
    packet.fields.push_back({def["name"].get<std::string>(), *type, size});
  }
  packet.rows.reserve(r.size());
  for (auto &row : r) {
    if (!row.is_array() || row.size() != packet.fields.size())
      throw std::invalid_argument(texts::kRowWidth);
    std::vector<nlohmann::json> cells;
    cells.reserve(row.size());
    for (size_t i = 0; i < row.size(); ++i) {
      if (!cellFits(packet.fields[i].type, row[i]))
        throw std::invalid_argument(texts::kWrongKindIn + packet.fields[i].name);
      cells.push_back(std::move(row[i]));
    }
    packet.rows.push_back(std::move(cells));
  }
  return packet;
}

} // namespace zrt
