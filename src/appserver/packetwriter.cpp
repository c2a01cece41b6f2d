#include "packetwriter.h"

#include <charconv>
#include <cmath>

namespace zrt::appserver {
namespace {

// Length of the valid UTF-8 sequence starting at s[i], or 0 when it is not one.
std::size_t utf8Length(std::string_view s, std::size_t i)
{
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = byte(i);
  std::size_t n;
  std::uint32_t cp;
  if (c < 0x80)
    return 1;
  if (c >= 0xC2 && c <= 0xDF)
    n = 2, cp = c & 0x1F;
  else if (c >= 0xE0 && c <= 0xEF)
    n = 3, cp = c & 0x0F;
  else if (c >= 0xF0 && c <= 0xF4)
    n = 4, cp = c & 0x07;
  else
    return 0;
  if (i + n > s.size())
    return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80)
      return 0;
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
  if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
    return 0;
  return n;
}

} // namespace

void appendJsonString(std::string &out, std::string_view s)
{
  static const char hex[] = "0123456789abcdef";
  out += '"';
  std::size_t plain = 0; // start of the run of bytes copied as they are
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0x20 && c != '"' && c != '\\' && c < 0x80) {
      ++i;
      continue;
    }
    const std::size_t n = c < 0x80 ? 1 : utf8Length(s, i);
    if (n > 1) {
      i += n;
      continue;
    }
    out.append(s.data() + plain, i - plain);
    switch (c) {
    case '"': out += "\\\""; break;
    case '\\': out += "\\\\"; break;
    case '\b': out += "\\b"; break;
    case '\f': out += "\\f"; break;
    case '\n': out += "\\n"; break;
    case '\r': out += "\\r"; break;
    case '\t': out += "\\t"; break;
    default:
      if (c < 0x20) {
        out += "\\u00";
        out += hex[c >> 4];
        out += hex[c & 15];
      } else {
        out += "\xEF\xBF\xBD"; // U+FFFD
      }
    }
    plain = ++i;
  }
  out.append(s.data() + plain, s.size() - plain);
  out += '"';
}

PacketWriter::PacketWriter(std::string &out, const std::vector<FieldDef> &fields) : out_(out)
{
  // Keys in the order a JSON library with sorted objects writes them.
  out_ += "{\"fields\":[";
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i)
      out_ += ',';
    out_ += "{\"name\":";
    appendJsonString(out_, fields[i].name);
    if (fields[i].type == FieldType::String)
      out_ += ",\"size\":" + std::to_string(fields[i].size);
    out_ += ",\"type\":\"";
    out_ += fieldTypeName(fields[i].type);
    out_ += "\"}";
  }
  out_ += "],\"rows\":[";
}

void PacketWriter::beginRow()
{
  if (rows_++)
    out_ += ',';
  out_ += '[';
  firstCell_ = true;
}

void PacketWriter::separate()
{
  if (!firstCell_)
    out_ += ',';
  firstCell_ = false;
}

void PacketWriter::text(std::string_view utf8)
{
  separate();
  appendJsonString(out_, utf8);
}

void PacketWriter::number(std::optional<double> value)
{
  separate();
  if (!value || !std::isfinite(*value)) {
    out_ += "null";
    return;
  }
  char buf[32];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, *value);
  std::string_view digits(buf, std::size_t(end - buf));
  out_ += digits;
  // A whole number still reads back as a floating value, as the JSON library writes it.
  if (digits.find_first_of(".eEn") == std::string_view::npos)
    out_ += ".0";
}

void PacketWriter::null()
{
  separate();
  out_ += "null";
}

void PacketWriter::endRow() { out_ += ']'; }

std::size_t PacketWriter::finish()
{
  out_ += "]}";
  return rows_;
}

} // namespace zrt::appserver
