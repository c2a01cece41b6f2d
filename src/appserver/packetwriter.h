#pragma once
// Writes a data packet's JSON text straight from the rows as they are read, with no tree in
// between: {"fields":[...],"rows":[[...],...]}, the same text a JSON library would give.
#include <zrt/common/datapacket.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zrt::appserver {

class PacketWriter {
public:
  // Appends to `out`, starting with the field list.
  PacketWriter(std::string &out, const std::vector<FieldDef> &fields);

  void beginRow();
  void text(std::string_view utf8);         // escaped; a byte that is no valid UTF-8 becomes U+FFFD
  void number(std::optional<double> value); // none, NaN and infinity are null
  void null();
  void endRow();
  std::size_t finish(); // closes the packet; the number of rows

private:
  void separate();
  std::string &out_;
  std::size_t rows_ = 0;
  bool firstCell_ = true;
};

// A JSON string literal of `utf8`, appended to `out`.
void appendJsonString(std::string &out, std::string_view utf8);

} // namespace zrt::appserver
