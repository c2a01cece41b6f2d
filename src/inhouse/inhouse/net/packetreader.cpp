#include <inhouse/net/packetreader.h>

#include <zrt/common/answertexts.h>
#include <zrt/common/jsonrpc.h>

#include <simdjson.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

namespace dom = simdjson::dom;
using Kind = dom::element_type;

namespace {

// The last member of that name: a repeated key means what the tree parser makes of it.
bool member(dom::object object, std::string_view key, dom::element &value)
{
  bool found = false;
  for (dom::key_value_pair pair : object)
    if (pair.key == key) {
      value = pair.value;
      found = true;
    }
  return found;
}

// By value: a range-for over value_unsafe() of a temporary result would outlive it.
dom::array arrayOf(dom::element e) { return e.get_array().value_unsafe(); }
dom::object objectOf(dom::element e) { return e.get_object().value_unsafe(); }

bool isInteger(dom::element e) { return e.type() == Kind::INT64 || e.type() == Kind::UINT64; }

std::int64_t integerOf(dom::element e)
{
  return e.type() == Kind::INT64 ? e.get_int64().value_unsafe() : std::int64_t(e.get_uint64().value_unsafe());
}

// The recent texts of one column: a repeated text (order, product, status) is one shared
// QString instead of one allocation per cell. The keys point into the parser's buffer.
class TextCache {
public:
  QString text(std::string_view utf8)
  {
    Slot &slot = m_slots[std::hash<std::string_view>{}(utf8) % kSlots];
    if (!slot.used || slot.key != utf8) {
      slot.key = utf8;
      slot.text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
      slot.used = true;
    }
    return slot.text;
  }

private:
  static constexpr size_t kSlots = 256;
  struct Slot {
    std::string_view key;
    QString text;
    bool used = false;
  };
  std::unique_ptr<Slot[]> m_slots = std::make_unique<Slot[]>(kSlots);
};

[[noreturn]] void invalid(const std::string &what) { throw std::invalid_argument(what); }

// A cell in its field's storage kind; nullopt when the JSON kind does not fit the field.
std::optional<QVariant> cellOf(dom::element cell, zrt::FieldType type, TextCache &texts)
{
  const Kind kind = cell.type();
  if (kind == Kind::NULL_VALUE)
    return QVariant();
  switch (type) {
  case zrt::FieldType::String:
    if (kind == Kind::STRING)
      return QVariant(texts.text(cell.get_string().value_unsafe()));
    break;
  case zrt::FieldType::Boolean:
    if (kind == Kind::BOOL)
      return QVariant(cell.get_bool().value_unsafe());
    break;
  case zrt::FieldType::Integer:
    if (isInteger(cell))
      return QVariant(qint64(integerOf(cell)));
    break;
  case zrt::FieldType::DateTime:
  case zrt::FieldType::Date:
  case zrt::FieldType::Float:
    if (kind == Kind::DOUBLE)
      return QVariant(cell.get_double().value_unsafe());
    if (kind == Kind::INT64)
      return QVariant(double(cell.get_int64().value_unsafe()));
    if (kind == Kind::UINT64)
      return QVariant(double(cell.get_uint64().value_unsafe()));
    break;
  }
  return std::nullopt;
}

// The same checks in the same order, and the same texts, as zrt::DataPacket::fromJson.
TDataTable readPacket(dom::element json)
{
  dom::element fields, rows;
  if (json.type() != Kind::OBJECT || !member(objectOf(json), "fields", fields) || !member(objectOf(json), "rows", rows))
    invalid(zrt::texts::kPacketWithoutParts);
  if (fields.type() != Kind::ARRAY || rows.type() != Kind::ARRAY)
    invalid(zrt::texts::kPartsNotLists);
  TDataTable table;
  for (dom::element def : arrayOf(fields)) {
    dom::element name, type, size;
    if (def.type() != Kind::OBJECT || !member(objectOf(def), "name", name) || name.type() != Kind::STRING ||
        !member(objectOf(def), "type", type) || type.type() != Kind::STRING)
      invalid("definição de campo inválida");
    const std::string_view typeName = type.get_string().value_unsafe();
    const auto fieldType = zrt::fieldTypeFromName(typeName);
    if (!fieldType)
      invalid("tipo de campo desconhecido: " + std::string(typeName));
    int fieldSize = 0;
    if (member(objectOf(def), "size", size)) {
      if (!isInteger(size) || int(integerOf(size)) < 0)
        invalid("tamanho de campo inválido");
      fieldSize = int(integerOf(size));
    }
    table.fields.push_back({std::string(name.get_string().value_unsafe()), *fieldType, fieldSize});
  }

  const size_t width = table.fields.size();
  std::vector<TextCache> texts(width);
  const dom::array rowList = arrayOf(rows);
  table.rows.reserve(rowList.size());
  for (dom::element rowJson : rowList) {
    if (rowJson.type() != Kind::ARRAY || arrayOf(rowJson).size() != width)
      invalid(zrt::texts::kRowWidth);
    const dom::array cells = arrayOf(rowJson);
    TDataSet::Row row(static_cast<qsizetype>(width));
    QVariant *out = row.data();
    size_t c = 0;
    for (dom::element cell : cells) {
      std::optional<QVariant> value = cellOf(cell, table.fields[c].type, texts[c]);
      if (!value)
        invalid(zrt::texts::kWrongKindIn + table.fields[c].name);
      out[c++] = std::move(*value);
    }
    table.rows.push_back(std::move(row));
  }
  return table;
}

void readResult(dom::element result, TPacketAnswer &answer)
{
  answer.ok = true;
  try {
    answer.table = readPacket(result);
  } catch (const std::exception &e) {
    answer.table = {};
    answer.packetError = QString::fromUtf8(e.what());
  }
}

// What the JSON parser of the tree makes of a body the fast parser refused: the same text for
// garbage, and an answer for what only the tree parser takes (a byte-order mark, an integer
// beyond 64 bits).
TPacketAnswer readWithTree(const std::string &body, simdjson::error_code error)
{
  TPacketAnswer answer;
  zrt::rpc::Response response = zrt::rpc::parseResponse(body);
  if (!response.ok) {
    answer.code = response.code;
    answer.message = error == simdjson::UTF8_ERROR && response.code == zrt::rpc::kParseError
                         ? QStringLiteral("Resposta inválida do servidor de aplicação: texto fora da codificação UTF-8.")
                         : QString::fromStdString(response.message);
    return answer;
  }
  answer.ok = true;
  try {
    answer.table = ToDataTable(zrt::DataPacket::fromJson(std::move(response.result)));
  } catch (const std::exception &e) {
    answer.packetError = QString::fromUtf8(e.what());
  }
  return answer;
}

} // namespace

void KeepMemoryForAnswers()
{
#ifdef __GLIBC__
  // Fixed values also stop the library from moving the bounds itself after each large free.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}

TPacketAnswer ReadPacketAnswer(const std::string &body)
{
  // Kept per thread: its buffers grow to the largest answer once instead of being allocated
  // and faulted in again for each one. They take about ten times the answer's size, so an
  // exceptional answer gets a parser of its own that goes with it.
  constexpr std::size_t kKeptParserLimit = 8 << 20;
  thread_local dom::parser kept;
  std::optional<dom::parser> own;
  dom::parser &parser = body.size() <= kKeptParserLimit ? kept : own.emplace();
  dom::element root;
  if (const auto error = parser.parse(body).get(root))
    return readWithTree(body, error);
  TPacketAnswer answer;
  if (root.type() != Kind::OBJECT) {
    answer.code = zrt::rpc::kParseError;
    answer.message = QString::fromUtf8(zrt::texts::kInvalidAnswer);
    return answer;
  }
  const dom::object top = objectOf(root);
  dom::element part;
  if (member(top, "error", part)) {
    dom::element code, message;
    const bool isObject = part.type() == Kind::OBJECT;
    answer.code =
        isObject && member(objectOf(part), "code", code) && isInteger(code) ? int(integerOf(code)) : zrt::rpc::kInternalError;
    answer.message = isObject && member(objectOf(part), "message", message) && message.type() == Kind::STRING
                         ? QString::fromUtf8(message.get_string().value_unsafe())
                         : QString::fromUtf8(zrt::texts::kUnknownError);
    return answer;
  }
  if (member(top, "result", part)) {
    readResult(part, answer);
    return answer;
  }
  answer.code = zrt::rpc::kInvalidRequest;
  answer.message = QString::fromUtf8(zrt::texts::kNoResult);
  return answer;
}
