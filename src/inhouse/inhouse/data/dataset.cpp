#include <inhouse/data/dataset.h>

#include <zrt/common/datetime.h>

#include <algorithm>
#include <cmath>

namespace {
const QString kNotEditing = QStringLiteral("Conjunto de dados não está em modo de edição ou inserção.");
const QString kClosed = QStringLiteral("Não é possível executar esta operação em um conjunto de dados fechado.");
const QString kOpen = QStringLiteral("Não é possível executar esta operação em um conjunto de dados aberto.");
const QString kReadOnly = QStringLiteral("Não é possível modificar um conjunto de dados somente leitura.");
const QString kEmpty = QStringLiteral("Não é possível executar esta operação em um conjunto de dados vazio.");

// A cell Coerce would return unchanged: loaded rows are mostly in their field's kind already,
// and this check costs far less than the conversion.
bool alreadyCoerced(const TField &field, const QVariant &value)
{
  switch (value.typeId()) {
  case QMetaType::UnknownType: return true;
  case QMetaType::QString: {
    const QString &text = *static_cast<const QString *>(value.constData());
    return field.DataType == ftString && !text.isNull() && (field.Size <= 0 || text.size() <= field.Size);
  }
  case QMetaType::Double: {
    const double d = *static_cast<const double *>(value.constData());
    switch (field.DataType) {
    case ftFloat: return std::isfinite(d);
    case ftDateTime: return zrt::isValidDateTime(d);
    case ftDate: return zrt::isValidDateTime(d) && d == std::trunc(d);
    default: return false;
    }
  }
  case QMetaType::LongLong: return field.DataType == ftInteger;
  case QMetaType::Bool: return field.DataType == ftBoolean;
  default: return false;
  }
}
} // namespace

TDataSet::TDataSet(QObject *parent) : QObject(parent) {}

TDataSet::~TDataSet() = default;

void TDataSet::CheckActive() const
{
  if (!Active())
    throw EDatabaseError(Name.isEmpty() ? kClosed : QStringLiteral("%1: %2").arg(Name, kClosed));
}

void TDataSet::CheckInactive() const
{
  if (Active())
    throw EDatabaseError(Name.isEmpty() ? kOpen : QStringLiteral("%1: %2").arg(Name, kOpen));
}

void TDataSet::CheckModifiable() const
{
  CheckActive();
  if (ReadOnly)
    throw EDatabaseError(kReadOnly);
}

void TDataSet::SetState(TDataSetState state)
{
  if (m_state == state)
    return;
  m_state = state;
  emit stateChanged(state);
}

// ---- opening and closing ----

void TDataSet::Open()
{
  if (Active())
    return;
  Fire(BeforeOpen, *this);
  emit aboutToReset();
  try {
    InternalOpen();
  } catch (...) {
    m_rows.clear();
    m_cur = -1;
    m_bof = m_eof = true;
    emit dataReset();
    throw;
  }
  m_cur = m_rows.empty() ? -1 : 0;
  m_bof = true;
  m_eof = m_rows.empty();
  m_state = dsBrowse;
  emit dataReset();
  emit stateChanged(dsBrowse);
  emit currentChanged(m_cur);
  Fire(AfterOpen, *this);
  if (Active() && !m_rows.empty())
    Fire(AfterScroll, *this);
}

void TDataSet::Close()
{
  if (!Active())
    return;
  Fire(BeforeClose, *this);
  if (!Active())
    return;
  DiscardEdits();
  emit aboutToReset();
  InternalClose();
  m_rows.clear();
  m_cur = -1;
  m_bof = m_eof = true;
  m_state = dsInactive;
  emit dataReset();
  emit stateChanged(dsInactive);
  emit currentChanged(-1);
  Fire(AfterClose, *this);
}

// Drops a pending edit or insert without events: closing and reloading discard it.
void TDataSet::DiscardEdits()
{
  if (m_state == dsInsert && m_cur >= 0) {
    const int row = m_cur;
    emit aboutToRemoveRow(row);
    m_rows.erase(m_rows.begin() + row);
    emit rowRemoved(row);
    m_cur = m_insertReturn;
  } else if (m_state == dsEdit && m_cur >= 0) {
    m_rows[size_t(m_cur)] = m_editOriginal;
    emit rowChanged(m_cur);
  }
  m_editOriginal.clear();
  if (m_state == dsEdit || m_state == dsInsert)
    SetState(dsBrowse);
}

void TDataSet::BeginLoad()
{
  for (auto &f : m_allFields)
    f->m_index = -1;
  m_fields.clear();
  m_rows.clear();
}

TField &TDataSet::LoadField(const QString &name, TFieldType type, int size)
{
  TField *field = nullptr;
  for (auto &f : m_allFields)
    if (f->FieldName.compare(name, Qt::CaseInsensitive) == 0 && f->m_index < 0) {
      field = f.get();
      break;
    }
  if (!field) {
    m_allFields.push_back(std::make_unique<TField>(this, name, type, size));
    field = m_allFields.back().get();
  } else if (!field->m_persistent) {
    field->DataType = type;
    field->Size = size;
  } else if (field->Size == 0) {
    field->Size = size;
  }
  field->m_index = int(m_fields.size());
  m_fields.push_back(field);
  return *field;
}

void TDataSet::EndLoad(std::vector<Row> &&rows)
{
  // A declared field the data lack is a broken contract between window and data: say so.
  for (auto &f : m_allFields)
    if (f->m_persistent && f->m_index < 0)
      throw EDatabaseError(QStringLiteral("Campo '%1' não encontrado.").arg(f->FieldName));
  // Persistent fields may declare a kind the source reports differently (SQLite date texts).
  for (size_t c = 0; c < m_fields.size(); ++c) {
    TField &field = *m_fields[c];
    if (!field.m_persistent)
      continue;
    for (Row &row : rows)
      if (int(c) < row.size() && !alreadyCoerced(field, row.at(int(c))))
        row[int(c)] = field.Coerce(row.at(int(c)));
  }
  m_rows = std::move(rows);
}

void TDataSet::ResetRows(std::vector<Row> rows)
{
  CheckActive();
  DiscardEdits();
  emit aboutToReset();
  m_rows = std::move(rows);
  m_cur = m_rows.empty() ? -1 : 0;
  m_bof = true;
  m_eof = m_rows.empty();
  emit dataReset();
  emit currentChanged(m_cur);
}

// ---- fields ----

TField &TDataSet::AddField(const QString &name, TFieldType type, int size)
{
  CheckInactive();
  if (FindField(name))
    throw EDatabaseError(QStringLiteral("Campo '%1' já existe.").arg(name));
  m_allFields.push_back(std::make_unique<TField>(this, name, type, size));
  TField *field = m_allFields.back().get();
  field->m_persistent = true;
  field->DisplayLabel = name;
  // Until the first load, the declared fields are the field list.
  bool onlyPersistent = true;
  for (TField *f : m_fields)
    onlyPersistent = onlyPersistent && f->m_persistent;
  if (onlyPersistent) {
    field->m_index = int(m_fields.size());
    m_fields.push_back(field);
  }
  return *field;
}

TField *TDataSet::FindField(const QString &name) const
{
  for (TField *f : m_fields)
    if (f->FieldName.compare(name, Qt::CaseInsensitive) == 0)
      return f;
  for (auto &f : m_allFields)
    if (f->FieldName.compare(name, Qt::CaseInsensitive) == 0)
      return f.get();
  return nullptr;
}

TField &TDataSet::FieldByName(const QString &name) const
{
  if (TField *f = FindField(name))
    return *f;
  throw EDatabaseError(QStringLiteral("Campo '%1' não encontrado.").arg(name));
}

const QVariant &TDataSet::CellValue(int row, int field) const
{
  static const QVariant null;
  if (row < 0 || size_t(row) >= m_rows.size() || field < 0 || field >= m_rows[size_t(row)].size())
    return null;
  return m_rows[size_t(row)][field];
}

QString TDataSet::CellDisplayText(int row, int field) const
{
  if (field < 0 || size_t(field) >= m_fields.size())
    return {};
  return m_fields[size_t(field)]->DisplayTextOf(CellValue(row, field));
}

QVariant TDataSet::CurrentValue(int field) const { return CellValue(m_cur, field); }

void TDataSet::SetFieldValue(TField &field, const QVariant &value)
{
  if (m_state != dsEdit && m_state != dsInsert)
    throw EDatabaseError(kNotEditing);
  if (field.m_index < 0 || m_cur < 0)
    throw EDatabaseError(QStringLiteral("Campo '%1' não encontrado.").arg(field.FieldName));
  QVariant stored = field.Coerce(value);
  Row &row = m_rows[size_t(m_cur)];
  if (field.m_index >= row.size())
    row.resize(int(m_fields.size()));
  row[field.m_index] = std::move(stored);
  emit rowChanged(m_cur);
}

// ---- navigation ----

void TDataSet::CheckBrowseMode()
{
  CheckActive();
  if (m_state == dsEdit || m_state == dsInsert)
    Post();
}

void TDataSet::MoveTo(int row, bool alwaysScrollEvents)
{
  if (row == m_cur && !alwaysScrollEvents)
    return;
  m_cur = row;
  emit currentChanged(m_cur);
}

void TDataSet::First()
{
  CheckBrowseMode();
  if (m_rows.empty()) {
    m_bof = m_eof = true;
    return;
  }
  Fire(BeforeScroll, *this);
  MoveTo(0, false);
  m_bof = true;
  m_eof = false;
  Fire(AfterScroll, *this);
}

void TDataSet::Last()
{
  CheckBrowseMode();
  if (m_rows.empty()) {
    m_bof = m_eof = true;
    return;
  }
  Fire(BeforeScroll, *this);
  MoveTo(int(m_rows.size()) - 1, false);
  m_eof = true;
  m_bof = false;
  Fire(AfterScroll, *this);
}

void TDataSet::Next() { MoveBy(1); }
void TDataSet::Prior() { MoveBy(-1); }

int TDataSet::MoveBy(int distance)
{
  CheckBrowseMode();
  if (distance == 0)
    return 0;
  if (m_rows.empty()) {
    m_bof = m_eof = true;
    return 0;
  }
  Fire(BeforeScroll, *this);
  const int last = int(m_rows.size()) - 1;
  const int target = std::clamp(m_cur + distance, 0, last);
  const int moved = target - m_cur;
  if (distance > 0) {
    m_bof = false;
    m_eof = moved < distance;
  } else {
    m_eof = false;
    m_bof = moved > distance;
  }
  if (moved != 0) {
    MoveTo(target, false);
    Fire(AfterScroll, *this);
  }
  return moved;
}

void TDataSet::SetRecNo(int recNo)
{
  CheckBrowseMode();
  if (m_rows.empty())
    return;
  const int target = std::clamp(recNo, 1, int(m_rows.size())) - 1;
  if (target == m_cur)
    return;
  Fire(BeforeScroll, *this);
  MoveTo(target, false);
  m_bof = m_eof = false;
  Fire(AfterScroll, *this);
}

// ---- editing ----

void TDataSet::BeginInsertAppend(bool append)
{
  CheckModifiable();
  CheckBrowseMode();
  Fire(BeforeInsert, *this);
  Fire(BeforeScroll, *this);
  const int row = append || m_cur < 0 ? int(m_rows.size()) : m_cur;
  m_insertReturn = m_cur;
  emit aboutToInsertRow(row);
  m_rows.insert(m_rows.begin() + row, Row(int(m_fields.size())));
  emit rowInserted(row);
  m_editOriginal.clear();
  m_bof = m_eof = false;
  SetState(dsInsert);
  MoveTo(row, true);
  Fire(AfterInsert, *this);
  Fire(AfterScroll, *this);
}

void TDataSet::Insert() { BeginInsertAppend(false); }
void TDataSet::Append() { BeginInsertAppend(true); }

void TDataSet::Edit()
{
  CheckModifiable();
  if (m_state == dsEdit || m_state == dsInsert)
    return;
  if (m_rows.empty()) {
    Insert();
    return;
  }
  Fire(BeforeEdit, *this);
  m_editOriginal = m_rows[size_t(m_cur)];
  SetState(dsEdit);
  Fire(AfterEdit, *this);
}

void TDataSet::Post()
{
  CheckActive();
  if (m_state != dsEdit && m_state != dsInsert)
    throw EDatabaseError(kNotEditing);
  Fire(BeforePost, *this);
  m_editOriginal.clear();
  SetState(dsBrowse);
  emit rowChanged(m_cur);
  Fire(AfterPost, *this);
}

void TDataSet::Cancel()
{
  if (m_state != dsEdit && m_state != dsInsert)
    return;
  const bool inserting = m_state == dsInsert;
  Fire(BeforeCancel, *this);
  if (inserting)
    Fire(BeforeScroll, *this);
  const int previous = m_cur;
  DiscardEdits();
  if (inserting && m_cur != previous)
    emit currentChanged(m_cur);
  if (inserting) {
    m_bof = m_cur <= 0;
    m_eof = m_rows.empty();
  }
  Fire(AfterCancel, *this);
  if (inserting && !m_rows.empty())
    Fire(AfterScroll, *this);
}

void TDataSet::Delete()
{
  CheckModifiable();
  if (m_state == dsInsert) {
    Cancel();
    return;
  }
  if (m_rows.empty())
    throw EDatabaseError(kEmpty);
  if (m_state == dsEdit)
    DiscardEdits();
  Fire(BeforeDelete, *this);
  Fire(BeforeScroll, *this);
  const int row = m_cur;
  emit aboutToRemoveRow(row);
  m_rows.erase(m_rows.begin() + row);
  emit rowRemoved(row);
  m_cur = m_rows.empty() ? -1 : std::min(row, int(m_rows.size()) - 1);
  m_bof = m_cur <= 0;
  m_eof = m_rows.empty() || row >= int(m_rows.size());
  emit currentChanged(m_cur);
  Fire(AfterDelete, *this);
  if (!m_rows.empty())
    Fire(AfterScroll, *this);
}
