#include <inhouse/ui/grids.h>

#include <inhouse/data/datasetmodel.h>
#include <inhouse/data/datasource.h>
#include <inhouse/services/errors.h>
#include <inhouse/ui/colours.h>
#include <inhouse/ui/gridexport.h>
#include <inhouse/ui/icons.h>
#include <zrt/common/datetime.h>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QSortFilterProxyModel>
#include <QStyle>
#include <QStyledItemDelegate>

// The view's model: the data model's rows in identity or sorted order, with the column titles
// the grid was given and in-cell edits written back through the fields.
class TGridProxy : public QSortFilterProxyModel {
public:
  explicit TGridProxy(TDBGrid *grid) : QSortFilterProxyModel(grid), m_grid(grid)
  {
    setSortRole(TDataSetModel::ValueRole);
    setDynamicSortFilter(true);
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override
  {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
      const QList<TColumn> cols = m_grid->Columns();
      if (section < cols.size() && !cols.at(section).Title.isEmpty())
        return cols.at(section).Title;
    }
    if (orientation == Qt::Vertical) {
      // The indicator column shows no numbers, only an arrow on the current record.
      if (role == Qt::DisplayRole)
        return QString();
      if (role == Qt::DecorationRole) {
        const QModelIndex src = mapToSource(index(section, 0));
        if (src.isValid() && src.row() == m_grid->Model()->CurrentRow())
          return LibIcon(QStringLiteral("current"));
        return {};
      }
    }
    return QSortFilterProxyModel::headerData(section, orientation, role);
  }

  Qt::ItemFlags flags(const QModelIndex &index) const override
  {
    Qt::ItemFlags f = QSortFilterProxyModel::flags(index);
    TDataSet *set = m_grid->DataSet();
    if (index.isValid() && !m_grid->ReadOnly() && set && !set->ReadOnly)
      f |= Qt::ItemIsEditable;
    return f;
  }

  QVariant data(const QModelIndex &index, int role) const override
  {
    if (role == Qt::EditRole) {
      TDataSet *set = m_grid->DataSet();
      const QModelIndex src = mapToSource(index);
      TField *field = m_grid->Model()->ColumnField(src.column());
      if (set && field) {
        // The row being edited shows its edit buffer, the others their stored value.
        if (src.row() == m_grid->Model()->CurrentRow())
          return field->Text();
        return set->CellDisplayText(src.row(), fieldIndex(set, field));
      }
    }
    return QSortFilterProxyModel::data(index, role);
  }

  bool setData(const QModelIndex &index, const QVariant &value, int role) override
  {
    if (role != Qt::EditRole)
      return false;
    TDataSet *set = m_grid->DataSet();
    const QModelIndex src = mapToSource(index);
    TField *field = m_grid->Model()->ColumnField(src.column());
    if (!set || !field)
      return false;
    return TryGuarded([&] {
      if (m_grid->Model()->CurrentRow() != src.row())
        m_grid->Model()->SetCurrentRow(src.row());
      if (set->State() == dsBrowse)
        set->Edit();
      field->SetText(value.toString());
    });
  }

protected:
  bool lessThan(const QModelIndex &left, const QModelIndex &right) const override
  {
    // Empty values first; numbers and day-based dates by value; texts as people read them.
    const QVariant a = left.data(TDataSetModel::ValueRole);
    const QVariant b = right.data(TDataSetModel::ValueRole);
    if (a.isNull() || b.isNull())
      return a.isNull() && !b.isNull();
    const auto numeric = [](const QVariant &v) {
      switch (v.typeId()) {
      case QMetaType::Double:
      case QMetaType::Float:
      case QMetaType::Int:
      case QMetaType::LongLong:
      case QMetaType::UInt:
      case QMetaType::ULongLong:
      case QMetaType::Bool: return true;
      default: return false;
      }
    };
    if (numeric(a) && numeric(b))
      return a.toDouble() < b.toDouble();
    return QString::localeAwareCompare(a.toString().toCaseFolded(), b.toString().toCaseFolded()) < 0;
  }

private:
  static int fieldIndex(TDataSet *set, TField *field)
  {
    for (int i = 0; i < set->FieldCount(); ++i)
      if (&set->Field(i) == field)
        return i;
    return -1;
  }
  TDBGrid *m_grid;
};

// Routes the keys typed into an in-cell editor through the grid's key events first.
class TDBGridDelegate : public QStyledItemDelegate {
public:
  explicit TDBGridDelegate(TDBGrid *grid) : QStyledItemDelegate(grid), m_grid(grid) {}

  QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
  {
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (editor) {
      editor->installEventFilter(m_grid);
      m_grid->m_editor = editor;
    }
    return editor;
  }

  void destroyEditor(QWidget *editor, const QModelIndex &index) const override
  {
    if (m_grid->m_editor == editor)
      m_grid->m_editor = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
  }

private:
  TDBGrid *m_grid;
};

TDBGrid::TDBGrid(QWidget *parent) : QTableView(parent)
{
  m_proxy = new TGridProxy(this);
  setItemDelegate(new TDBGridDelegate(this));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setWordWrap(false);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setFixedWidth(14);
  verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
  horizontalHeader()->setHighlightSections(false);
  // A title click must not select a column: that would move the data set's cursor.
  disconnect(horizontalHeader(), &QHeaderView::sectionPressed, this, &QTableView::selectColumn);
  disconnect(horizontalHeader(), SIGNAL(sectionEntered(int)), this, SLOT(_q_selectColumn(int)));
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  setModel(m_proxy);
  applyOptions();
  AttachGridExport(this);
  // clicked comes on release, after the press has moved the current row.
  connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex &index) {
    if (!OnCellClick || !m_model)
      return;
    TField *field = m_model->ColumnField(m_proxy->mapToSource(index).column());
    Guarded([&] { OnCellClick(*this, field); });
  });
}

TDBGrid::~TDBGrid() = default;

void TDBGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
  QTableView::mouseDoubleClickEvent(event);
  if (OnDblClick)
    Guarded([this] { OnDblClick(*this); });
}

TDataSet *TDBGrid::DataSet() const { return m_source ? m_source->DataSet() : nullptr; }

void TDBGrid::SetDataSource(TDataSource *source)
{
  if (m_source == source)
    return;
  TDataSetModel *old = m_model;
  m_source = source;
  m_model = source ? new TDataSetModel(source, this) : nullptr;
  m_proxy->setSourceModel(m_model);
  delete old;
  if (m_model) {
    connect(m_model, &TDataSetModel::currentRowChanged, this, [this](int) { syncFromCursor(); });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { afterReset(); });
    connect(m_model, &QAbstractItemModel::rowsInserted, this, [this] { syncFromCursor(); });
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, [this] { syncFromCursor(); });
  }
  applyColumns();
  afterReset();
}

void TDBGrid::SetColumns(const QList<TColumn> &columns)
{
  m_columns = columns;
  applyColumns();
}

void TDBGrid::applyColumns()
{
  if (!m_model)
    return;
  QStringList names;
  for (const TColumn &c : m_columns)
    names << c.FieldName;
  m_model->SetColumns(names);
  afterReset();
}

void TDBGrid::afterReset()
{
  if (!m_model)
    return;
  const QFontMetrics fm(font());
  for (int i = 0; i < m_proxy->columnCount(); ++i) {
    int width = i < m_columns.size() ? m_columns.at(i).Width : -1;
    if (width < 0) {
      // No width given: wide enough for the title and the field's size, within reason.
      TField *f = m_model->ColumnField(i);
      const QString title = m_proxy->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString();
      int chars = f ? qBound(4, f->Size > 0 ? f->Size : 12, 40) : 12;
      width = qMax(fm.horizontalAdvance(title) + 12, fm.averageCharWidth() * chars + 8);
      // Short fields hold codes: digits and capitals, wider than the average character.
      if (f && f->DataType == ftString && f->Size > 0 && f->Size <= 20)
        width = qMax(width, fm.horizontalAdvance(QString(f->Size, QLatin1Char('0'))) + 16);
      // Dates are as wide as their format makes them: a date and time with seconds is cut
      // by the twelve characters of a field without size.
      if (f && (f->DataType == ftDateTime || f->DataType == ftDate)) {
        const double widest = zrt::toDateTime(QDate(2000, 12, 28), QTime(20, 58, 58));
        width = qMax(width, fm.horizontalAdvance(f->DisplayTextOf(widest)) + 12);
      }
    }
    horizontalHeader()->resizeSection(i, width);
  }
  syncFromCursor();
}

void TDBGrid::SetOptions(TGridOptions options)
{
  m_options = options;
  applyOptions();
}

void TDBGrid::applyOptions()
{
  horizontalHeader()->setVisible(m_options & dgTitles);
  verticalHeader()->setVisible(m_options & dgIndicator);
  horizontalHeader()->setSectionResizeMode((m_options & dgColumnResize) ? QHeaderView::Interactive : QHeaderView::Fixed);
  setShowGrid((m_options & dgColLines) || (m_options & dgRowLines));
  setTabKeyNavigation(m_options & dgTabs);
  setSelectionBehavior((m_options & dgRowSelect) ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
  setEditTriggers((m_options & dgEditing)
                      ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed
                      : QAbstractItemView::NoEditTriggers);
  if (!(m_options & dgEditing) && m_editor)
    closePersistentEditor(currentIndex());
  SetTooltipBackground(m_tooltipBackground);
}

void TDBGrid::SetTooltipBackground(bool on)
{
  m_tooltipBackground = on;
  QPalette p = QPalette();
  if (on) {
    p.setColor(QPalette::Base, p.color(QPalette::ToolTipBase));
    p.setColor(QPalette::Text, Colours::InkOn(p.color(QPalette::ToolTipBase), p));
  }
  if (m_options & dgAlwaysShowSelection) {
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
  } else {
    // Without the option a grid that lost the focus shows no selection.
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Base));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Text));
  }
  setPalette(p);
}

TField *TDBGrid::SelectedField() const
{
  if (!m_model || !DataSet() || !DataSet()->Active())
    return nullptr;
  const int col = SelectedIndex();
  return col >= 0 ? m_model->ColumnField(col) : nullptr;
}

int TDBGrid::SelectedIndex() const
{
  const QModelIndex cur = currentIndex();
  if (cur.isValid())
    return cur.column();
  return m_proxy->columnCount() > 0 ? 0 : -1;
}

void TDBGrid::SetSelectedIndex(int column)
{
  if (column < 0 || column >= m_proxy->columnCount())
    return;
  const int row = currentIndex().isValid() ? currentIndex().row() : 0;
  if (row < m_proxy->rowCount())
    setCurrentIndex(m_proxy->index(row, column));
}

QWidget *TDBGrid::InplaceEditor() const { return m_editor; }

void TDBGrid::syncFromCursor()
{
  if (!m_model || m_syncing)
    return;
  const int srcRow = m_model->CurrentRow();
  m_syncing = true;
  if (srcRow < 0 || m_proxy->columnCount() == 0) {
    if (currentIndex().isValid())
      selectionModel()->clearCurrentIndex();
    clearSelection();
  } else {
    const int col = qBound(0, currentIndex().isValid() ? currentIndex().column() : 0, m_proxy->columnCount() - 1);
    const QModelIndex target = m_proxy->mapFromSource(m_model->index(srcRow, col));
    if (target.isValid() && target != currentIndex()) {
      selectionModel()->setCurrentIndex(
          target, QItemSelectionModel::ClearAndSelect |
                      ((m_options & dgRowSelect) ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate));
    }
    if (target.isValid())
      scrollTo(target);
  }
  if ((m_options & dgIndicator) && m_proxy->rowCount() > 0)
    emit m_proxy->headerDataChanged(Qt::Vertical, 0, m_proxy->rowCount() - 1);
  m_syncing = false;
}

void TDBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
  QTableView::currentChanged(current, previous);
  if (m_syncing || !m_model || !current.isValid())
    return;
  const QModelIndex src = m_proxy->mapToSource(current);
  if (!src.isValid() || src.row() == m_model->CurrentRow())
    return;
  // The user chose another row: move the data set there (its AfterScroll runs).
  m_syncing = true;
  Guarded([&] { m_model->SetCurrentRow(src.row()); });
  m_syncing = false;
  // A handler may have refused or moved elsewhere; show where the cursor really is.
  syncFromCursor();
}

void TDBGrid::focusOutEvent(QFocusEvent *event)
{
  QTableView::focusOutEvent(event);
  // Leaving the grid for another control of the window drops a record that was started here
  // and never filled in. A dialog or another window taking the focus is not leaving.
  if (!(m_options & dgCancelOnExit) || event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
    return;
  QWidget *to = QApplication::focusWidget();
  if (!to || isAncestorOf(to) || to->window() != window())
    return;
  TDataSet *set = DataSet();
  if (!set || set->State() != dsInsert)
    return;
  for (TField *f : set->Fields())
    if (!f->IsNull())
      return;
  Guarded([set] { set->Cancel(); });
}

bool TDBGrid::runKeyHandlers(QKeyEvent *event)
{
  if (OnKeyDown) {
    int key = event->key();
    const bool completed = TryGuarded([&] { OnKeyDown(*this, key, event->modifiers()); });
    if (!completed || key == 0)
      return true;
  }
  const QString text = event->text();
  if (OnKeyPress && !text.isEmpty() && text.at(0) != QChar(0x7f)) {
    QChar ch = text.at(0);
    const bool completed = TryGuarded([&] { OnKeyPress(*this, ch); });
    if (!completed || ch.isNull())
      return true;
  }
  return false;
}

void TDBGrid::keyPressEvent(QKeyEvent *event)
{
  if (runKeyHandlers(event)) {
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}

bool TDBGrid::eventFilter(QObject *watched, QEvent *event)
{
  if (watched == m_editor && event->type() == QEvent::KeyPress) {
    if (runKeyHandlers(static_cast<QKeyEvent *>(event)))
      return true;
  }
  return QTableView::eventFilter(watched, event);
}

// --- TDBSortGrid

TDBSortGrid::TDBSortGrid(QWidget *parent) : TDBGrid(parent)
{
  horizontalHeader()->setSectionsClickable(true);
  connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
    if (!Model())
      return;
    TField *f = Model()->ColumnField(section);
    if (!f)
      return;
    const bool again = f->FieldName.compare(m_sortField, Qt::CaseInsensitive) == 0;
    SortBy(f->FieldName, again && m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder);
  });
}

void TDBSortGrid::SortBy(const QString &fieldName, Qt::SortOrder order)
{
  m_sortField = fieldName;
  m_sortOrder = order;
  reapplySort();
}

void TDBSortGrid::ClearSort()
{
  m_sortField.clear();
  reapplySort();
}

void TDBSortGrid::reapplySort()
{
  int column = -1;
  if (Model() && !m_sortField.isEmpty()) {
    for (int i = 0; i < Model()->columnCount(); ++i) {
      TField *f = Model()->ColumnField(i);
      if (f && f->FieldName.compare(m_sortField, Qt::CaseInsensitive) == 0)
        column = i;
    }
  }
  m_syncing = true;
  Proxy()->sort(column, m_sortOrder); // -1 restores the data set's own order
  m_syncing = false;
  horizontalHeader()->setSortIndicatorShown(column >= 0);
  if (column >= 0)
    horizontalHeader()->setSortIndicator(column, m_sortOrder);
  syncFromCursor();
}
