#pragma once
// A whole result set as it travels from the application server to a client data set:
// {"fields":[{"name":"NRORDPROD","type":"string","size":10}, ...], "rows":[[...], ...]}.
// Date-time cells are day-based numbers (see datetime.h); an absent value is null.
#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zrt {

enum class FieldType { String, DateTime, Date, Float, Integer, Boolean };

std::string_view fieldTypeName(FieldType type);
std::optional<FieldType> fieldTypeFromName(std::string_view name);

struct FieldDef {
  std::string name;
  FieldType type = FieldType::String;
  int size = 0; // characters, for strings
  bool operator==(const FieldDef &) const = default;
};

struct DataPacket {
  std::vector<FieldDef> fields;
  std::vector<std::vector<nlohmann::json>> rows;

  int fieldIndex(std::string_view name) const; // -1 when absent
  nlohmann::json toJson() const;
  // Throws std::invalid_argument naming what is wrong: a packet from the wire is checked
  // whole (field list, row widths, cell kinds) before any data set sees it.
  static DataPacket fromJson(const nlohmann::json &json);
  static DataPacket fromJson(nlohmann::json &&json); // takes the cells over
};

} // namespace zrt
