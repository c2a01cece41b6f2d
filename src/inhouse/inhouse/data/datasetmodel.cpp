#include <inhouse/data/datasetmodel.h>

TDataSetModel::TDataSetModel(TDataSource *source, QObject *parent) : QAbstractTableModel(parent), m_source(source)
{
  if (source) {
    connect(source, &TDataSource::dataSetChanged, this, [this](TDataSet *set) { Attach(set); });
    Attach(source->DataSet());
  }
}

void TDataSetModel::Attach(TDataSet *set)
{
  beginResetModel();
  for (const auto &c : std::as_const(m_conns))
    disconnect(c);
  m_conns.clear();
  m_set = set;
  if (set) {
    m_conns << connect(set, &TDataSet::aboutToReset, this, &TDataSetModel::BeginReset)
            << connect(set, &TDataSet::dataReset, this, &TDataSetModel::EndReset)
            << connect(set, &TDataSet::aboutToInsertRow, this, [this](int row) { beginInsertRows({}, row, row); })
            << connect(set, &TDataSet::rowInserted, this, [this] { endInsertRows(); })
            << connect(set, &TDataSet::aboutToRemoveRow, this, [this](int row) { beginRemoveRows({}, row, row); })
            << connect(set, &TDataSet::rowRemoved, this, [this] { endRemoveRows(); })
            << connect(set, &TDataSet::rowChanged, this,
                       [this](int row) {
                         if (row >= 0 && row < rowCount() && columnCount() > 0)
                           emit dataChanged(index(row, 0), index(row, columnCount() - 1));
                       })
            << connect(set, &TDataSet::currentChanged, this, &TDataSetModel::currentRowChanged)
            << connect(set, &QObject::destroyed, this, [this] { Attach(nullptr); });
  }
  m_resetting = true;
  EndReset();
}

void TDataSetModel::BeginReset()
{
  if (m_resetting)
    return;
  m_resetting = true;
  beginResetModel();
}

void TDataSetModel::EndReset()
{
  // Columns are worked out again: a reload may bring a different field list.
  m_shown = m_columns;
  if (m_shown.isEmpty() && m_set)
    for (const TField *f : m_set->Fields())
      if (f->Visible)
        m_shown << f->FieldName;
  if (m_resetting) {
    m_resetting = false;
    endResetModel();
  }
}

void TDataSetModel::SetColumns(const QStringList &fieldNames)
{
  BeginReset();
  m_columns = fieldNames;
  EndReset();
}

QStringList TDataSetModel::Columns() const { return m_shown; }

TField *TDataSetModel::ColumnField(int column) const
{
  if (!m_set || column < 0 || column >= m_shown.size())
    return nullptr;
  return m_set->FindField(m_shown[column]);
}

int TDataSetModel::CurrentRow() const { return m_set && m_set->Active() ? m_set->RecNo() - 1 : -1; }

void TDataSetModel::SetCurrentRow(int row)
{
  if (m_set && m_set->Active() && row >= 0 && row < m_set->RecordCount())
    m_set->SetRecNo(row + 1);
}

int TDataSetModel::rowCount(const QModelIndex &parent) const
{
  if (parent.isValid() || !m_set || !m_set->Active())
    return 0;
  return m_set->RecordCount();
}

int TDataSetModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_shown.size()); }

QVariant TDataSetModel::data(const QModelIndex &index, int role) const
{
  if (!checkIndex(index, CheckIndexOption::IndexIsValid))
    return {};
  const TField *field = ColumnField(index.column());
  if (!field)
    return role == FieldNameRole ? QVariant(m_shown.value(index.column())) : QVariant();
  const QVariant &value = field->Index() >= 0 ? m_set->CellValue(index.row(), field->Index()) : QVariant();
  switch (role) {
  case Qt::DisplayRole: return field->MaskedDisplayTextOf(value);
  case Qt::EditRole: return field->TextOf(value);
  case Qt::TextAlignmentRole:
    return QVariant::fromValue(Qt::AlignVCenter | (field->IsNumeric() ? Qt::AlignRight : Qt::AlignLeft));
  case FieldNameRole: return field->FieldName;
  case ValueRole: return value;
  default: return {};
  }
}

QVariant TDataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
  if (role != Qt::DisplayRole)
    return QAbstractTableModel::headerData(section, orientation, role);
  if (orientation == Qt::Vertical)
    return section + 1;
  if (section < 0 || section >= m_shown.size())
    return {};
  const TField *field = ColumnField(section);
  return field ? field->Label() : m_shown[section];
}
