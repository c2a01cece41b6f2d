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

} // namespace

TClientDataSet::TClientDataSet(QObject *parent) : TDataSet(parent)
{
  // Rows changed since the packet was loaded: only then does a close rebuild the packet.
  for (auto signal : {&TDataSet::rowInserted, &TDataSet::rowRemoved, &TDataSet::rowChanged})
    connect(this, signal, this, [this] { m_changed = true; });
}

void TClientDataSet::SetData(const zrt::DataPacket &packet) { SetData(zrt::DataPacket(packet)); }

void TClientDataSet::SetData(zrt::DataPacket &&packet)
{
  m_changed = false; // the rows are replaced: closing need not keep them
  Close();
  m_packet = std::move(packet);
  Open();
}

void TClientDataSet::InternalOpen()
{
  if (!m_packet)
    throw EDatabaseError(QStringLiteral("Provedor ou pacote de dados ausente."));
  const zrt::DataPacket &packet = *m_packet;
  BeginLoad();
  std::vector<TFieldType> types;
  types.reserve(packet.fields.size());
  for (const auto &def : packet.fields) {
    LoadField(QString::fromStdString(def.name), toFieldType(def.type), def.size);
    types.push_back(toFieldType(def.type));
  }
  std::vector<Row> rows;
  rows.reserve(packet.rows.size());
  for (const auto &cells : packet.rows) {
    Row row(int(types.size()));
    for (size_t c = 0; c < types.size() && c < cells.size(); ++c) {
      QVariant v = fromJson(cells[c]);
      // Keep each cell in its field's storage kind: day-based values and floats as double.
      if (!v.isNull() && v.typeId() != QMetaType::Double && (types[c] == ftFloat || types[c] == ftDateTime || types[c] == ftDate))
        v = v.toDouble();
      row[int(c)] = std::move(v);
    }
    rows.push_back(std::move(row));
  }
  EndLoad(std::move(rows));
  m_changed = false;
}

void TClientDataSet::InternalClose()
{
  // Posted edits survive a close and reopen, as the packet then holds them; an unchanged set
  // keeps the packet it was loaded from.
  if (m_changed)
    m_packet = Data();
  m_changed = false;
}

zrt::DataPacket TClientDataSet::Data() const
{
  if (!Active())
    return m_packet.value_or(zrt::DataPacket{});
  zrt::DataPacket packet;
  for (const TField *f : Fields())
    packet.fields.push_back({f->FieldName.toStdString(), toPacketType(f->DataType), f->DataType == ftString ? f->Size : 0});
  packet.rows.reserve(Rows().size());
  for (const Row &row : Rows()) {
    std::vector<nlohmann::json> cells;
    cells.reserve(Fields().size());
    for (size_t c = 0; c < Fields().size(); ++c)
      cells.push_back(toJson(c < size_t(row.size()) ? row[int(c)] : QVariant(), Fields()[c]->DataType));
    packet.rows.push_back(std::move(cells));
  }
  return packet;
}

void TClientDataSet::EmptyDataSet()
{
  CheckActive();
  ResetRows({});
  m_changed = true;
}
