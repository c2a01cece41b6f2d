#include <inhouse/data/clientdataset.h>

namespace {

TFieldType toFieldType(zrt::FieldType type)
{
  switch (type) {
  case zrt::FieldType::String: return ftString;
  case zrt::FieldType::DateTime: return ftDateTime;
  case zrt::FieldType::Date: return ftDate;
  case zrt::FieldType::Float: return ftFloat;
  case zrt::FieldType::Integer: return ftInteger;
  case zrt::FieldType::Boolean: return ftBoolean;
  }
  return ftString;
}

zrt::FieldType toPacketType(TFieldType type)
{
  switch (type) {
  case ftString: return zrt::FieldType::String;
  case ftDateTime: return zrt::FieldType::DateTime;
  case ftDate: return zrt::FieldType::Date;
  case ftFloat: return zrt::FieldType::Float;
  case ftInteger: return zrt::FieldType::Integer;
  case ftBoolean: return zrt::FieldType::Boolean;
  }
  return zrt::FieldType::String;
}

QVariant fromJson(const nlohmann::json &cell)
{
  if (cell.is_null())
    return {};
  if (cell.is_string()) {
    const std::string &text = cell.get_ref<const std::string &>();
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
  }
  if (cell.is_boolean())
    return cell.get<bool>();
  if (cell.is_number_integer())
    return qint64(cell.get<std::int64_t>());
  if (cell.is_number())
    return cell.get<double>();
  return QString::fromStdString(cell.dump());
}

nlohmann::json toJson(const QVariant &value, TFieldType type)
{
  if (value.isNull())
    return nullptr;
  switch (type) {
  case ftString: return value.toString().toStdString();
  case ftInteger: return std::int64_t(value.toLongLong());
  case ftBoolean: return value.toBool();
  default: return value.toDouble();
  }
}

std::vector<nlohmann::json> toCells(const TDataSet::Row &row, const std::vector<TFieldType> &types)
{
  std::vector<nlohmann::json> cells;
  cells.reserve(types.size());
  for (size_t c = 0; c < types.size(); ++c)
    cells.push_back(toJson(c < size_t(row.size()) ? row.at(int(c)) : QVariant(), types[c]));
  return cells;
}

std::vector<zrt::FieldDef> fieldDefs(const std::vector<TField *> &fields)
{
  std::vector<zrt::FieldDef> defs;
  for (const TField *f : fields)
    defs.push_back({f->FieldName.toStdString(), toPacketType(f->DataType), f->DataType == ftString ? f->Size : 0});
  return defs;
}

} // namespace

TDataTable ToDataTable(zrt::DataPacket &&packet)
{
  TDataTable table;
  std::vector<TFieldType> types;
  types.reserve(packet.fields.size());
  for (const auto &def : packet.fields)
    types.push_back(toFieldType(def.type));
  table.rows.reserve(packet.rows.size());
  for (const auto &cells : packet.rows) {
    TDataSet::Row row(int(types.size()));
    for (size_t c = 0; c < types.size() && c < cells.size(); ++c) {
      // Keep each cell in its field's storage kind: day-based values and floats as double (also
      // an integer beyond 63 bits, which must not wrap).
      const bool dayOrFloat = types[c] == ftFloat || types[c] == ftDateTime || types[c] == ftDate;
      row[int(c)] = dayOrFloat && cells[c].is_number() ? QVariant(cells[c].get<double>()) : fromJson(cells[c]);
    }
    table.rows.push_back(std::move(row));
  }
  table.fields = std::move(packet.fields);
  packet.rows.clear();
  return table;
}

TClientDataSet::TClientDataSet(QObject *parent) : TDataSet(parent)
{
  // Rows changed since the table was loaded: only then does a close take the field list anew.
  for (auto signal : {&TDataSet::rowInserted, &TDataSet::rowRemoved, &TDataSet::rowChanged})
    connect(this, signal, this, [this] { m_changed = true; });
}

void TClientDataSet::SetData(const zrt::DataPacket &packet) { SetData(zrt::DataPacket(packet)); }

void TClientDataSet::SetData(zrt::DataPacket &&packet) { SetData(ToDataTable(std::move(packet))); }

void TClientDataSet::SetData(TDataTable &&table)
{
  m_changed = false; // the rows are replaced: closing need not keep them
  Close();
  m_table = std::move(table);
  Open();
}

void TClientDataSet::InternalOpen()
{
  if (!m_table)
    throw EDatabaseError(QStringLiteral("Provedor ou pacote de dados ausente."));
  BeginLoad();
  for (const auto &def : m_table->fields)
    LoadField(QString::fromStdString(def.name), toFieldType(def.type), def.size);
  // The rows move into the set; a failed load leaves them here for the next open.
  EndLoad(std::move(m_table->rows));
  m_table->rows = {};
  m_changed = false;
}

void TClientDataSet::InternalClose()
{
  // The rows come back, posted edits included, for the next open and for Data().
  if (!m_table)
    m_table.emplace();
  if (m_changed)
    m_table->fields = fieldDefs(Fields());
  m_table->rows = TakeRows();
  m_changed = false;
}

zrt::DataPacket TClientDataSet::Data() const
{
  zrt::DataPacket packet;
  std::vector<TFieldType> types;
  const std::vector<Row> *rows = nullptr;
  if (Active()) {
    packet.fields = fieldDefs(Fields());
    for (const TField *f : Fields())
      types.push_back(f->DataType);
    rows = &Rows();
  } else if (m_table) {
    packet.fields = m_table->fields;
    for (const auto &def : packet.fields)
      types.push_back(toFieldType(def.type));
    rows = &m_table->rows;
  } else {
    return packet;
  }
  packet.rows.reserve(rows->size());
  for (const Row &row : *rows)
    packet.rows.push_back(toCells(row, types));
  return packet;
}

void TClientDataSet::EmptyDataSet()
{
  CheckActive();
  ResetRows({});
  m_changed = true;
}
