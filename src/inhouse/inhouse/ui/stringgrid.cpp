#include <inhouse/ui/colours.h>
#include <inhouse/ui/gridexport.h>
#include <inhouse/ui/stringgrid.h>

#include <QAbstractTableModel>
#include <QBrush>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPalette>
#include <QToolTip>
#include <QVector>

// Cells of the whole grid in one flat vector (column-major would not matter: rows are few).
// The view shows the data cells; row 0 and column 0 are the headers' texts.
class TStringGridModel : public QAbstractTableModel {
public:
  using QAbstractTableModel::QAbstractTableModel;

  int cols = 8;
  int rows = 12;
  QVector<QString> cells = QVector<QString>(8 * 12);
  QVector<QBrush> brushes = QVector<QBrush>(8 * 12); // of the data cells; NoBrush: the grid's own
  std::function<QString(int, int)> hint;
  int updating = 0;
  bool dirty = false;
  // The shape the view was last told about. Inside a bulk update the cells may take another
  // shape, but the view keeps seeing this one (reading blanks where cells went away) until
  // the one reset at the end publishes the new shape.
  int shownCols = 8;
  int shownRows = 12;

  QString cell(int c, int r) const { return c >= 0 && r >= 0 && c < cols && r < rows ? cells.at(r * cols + c) : QString(); }

  void resize(int newCols, int newRows)
  {
    if (newCols == cols && newRows == rows)
      return;
    QVector<QString> next(newCols * newRows);
    QVector<QBrush> nextBrushes(newCols * newRows);
    for (int r = 0; r < qMin(rows, newRows); ++r)
      for (int c = 0; c < qMin(cols, newCols); ++c) {
        next[r * newCols + c] = std::move(cells[r * cols + c]);
        nextBrushes[r * newCols + c] = std::move(brushes[r * cols + c]);
      }
    change([&] {
      cells = std::move(next);
      brushes = std::move(nextBrushes);
      cols = newCols;
      rows = newRows;
    });
  }

  void setCell(int c, int r, const QString &text)
  {
    QString &slot = cells[r * cols + c];
    if (slot == text)
      return;
    slot = text;
    if (updating) {
      dirty = true;
      return;
    }
    if (c >= shownCols || r >= shownRows)
      return;
    if (r == 0 && c > 0)
      emit headerDataChanged(Qt::Horizontal, c - 1, c - 1);
    else if (c == 0 && r > 0)
      emit headerDataChanged(Qt::Vertical, r - 1, r - 1);
    else if (r > 0 && c > 0)
      emit dataChanged(index(r - 1, c - 1), index(r - 1, c - 1), {Qt::DisplayRole});
  }

  void setBrush(int c, int r, const QBrush &brush)
  {
    QBrush &slot = brushes[r * cols + c];
    if (slot == brush)
      return;
    slot = brush;
    if (updating)
      dirty = true;
    else if (c < shownCols && r < shownRows)
      emit dataChanged(index(r - 1, c - 1), index(r - 1, c - 1), {Qt::BackgroundRole});
  }

  template <class F>
  void change(F &&f)
  {
    if (updating) {
      f();
      dirty = true;
      return;
    }
    beginResetModel();
    f();
    shownCols = cols;
    shownRows = rows;
    endResetModel();
  }

  void endUpdate()
  {
    if (updating > 0 && --updating == 0 && dirty) {
      dirty = false;
      beginResetModel();
      shownCols = cols;
      shownRows = rows;
      endResetModel();
    }
  }

  int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : shownRows - 1; }
  int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : shownCols - 1; }
  QVariant data(const QModelIndex &index, int role) const override
  {
    if (!index.isValid())
      return {};
    const int c = index.column() + 1, r = index.row() + 1;
    switch (role) {
    case Qt::DisplayRole: return cell(c, r);
    case Qt::BackgroundRole: {
      const QBrush &b = c < cols && r < rows ? brushes.at(r * cols + c) : QBrush();
      return b.style() == Qt::NoBrush ? QVariant() : QVariant(b);
    }
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole: {
      const QString text = hint && c < cols && r < rows ? hint(c, r) : QString();
      return text.isEmpty() ? QVariant() : QVariant(text);
    }
    default: return {};
    }
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override
  {
    if (role == Qt::DisplayRole)
      return orientation == Qt::Horizontal ? cell(section + 1, 0) : cell(0, section + 1);
    if (role == Qt::TextAlignmentRole) // a day header too long for its column takes two lines
      return int(Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap);
    return {};
  }
  Qt::ItemFlags flags(const QModelIndex &index) const override
  {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
  }
};

TStringGrid::TStringGrid(QWidget *parent) : QTableView(parent), m_model(new TStringGridModel(this))
{
  setModel(m_model);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setWordWrap(true);
  setCornerButtonEnabled(false);
  // The fixed row and column are the view's headers: they stay put while the cells scroll.
  for (QHeaderView *h : {horizontalHeader(), verticalHeader()}) {
    h->setSectionResizeMode(QHeaderView::Interactive);
    h->setHighlightSections(false);
    h->setSectionsClickable(false);
    h->setMinimumSectionSize(1);
  }
  verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { saveSizes_(); });
  connect(m_model, &QAbstractItemModel::modelReset, this, [this] { syncHeaders_(); });
  for (QHeaderView *h : {horizontalHeader(), verticalHeader()}) {
    h->viewport()->installEventFilter(this);
    h->viewport()->setMouseTracking(true);
  }
  SetDefaultColWidth(m_defaultColWidth);
  SetDefaultRowHeight(m_defaultRowHeight);
  setShowGrid(true);
  AttachGridExport(this, {true, [this] { return Cells(0, 0); }});
}

TStringGrid::~TStringGrid() = default;

int TStringGrid::ColCount() const { return m_model->cols; }

void TStringGrid::SetColCount(int n) { m_model->resize(qMax(1, n), m_model->rows); }

int TStringGrid::RowCount() const { return m_model->rows; }

void TStringGrid::SetRowCount(int n) { m_model->resize(m_model->cols, qMax(1, n)); }

QString TStringGrid::Cells(int col, int row) const
{
  if (col < 0 || row < 0 || col >= m_model->cols || row >= m_model->rows)
    return {};
  return m_model->cell(col, row);
}

void TStringGrid::SetCells(int col, int row, const QString &text)
{
  if (col < 0 || row < 0 || col >= m_model->cols || row >= m_model->rows)
    return;
  m_model->setCell(col, row, text);
}

QBrush TStringGrid::CellBrush(int col, int row) const
{
  if (col < 1 || row < 1 || col >= m_model->cols || row >= m_model->rows)
    return {};
  return m_model->brushes.at(row * m_model->cols + col);
}

void TStringGrid::SetCellBrush(int col, int row, const QBrush &brush)
{
  if (col < 1 || row < 1 || col >= m_model->cols || row >= m_model->rows)
    return;
  m_model->setBrush(col, row, brush);
}

void TStringGrid::ClearCellBrushes()
{
  TStringGridUpdate update(*this);
  for (int r = 1; r < m_model->rows; ++r)
    for (int c = 1; c < m_model->cols; ++c)
      m_model->setBrush(c, r, QBrush());
}

void TStringGrid::SetCellHint(std::function<QString(int col, int row)> hint)
{
  m_model->hint = std::move(hint);
  emit m_model->dataChanged(m_model->index(0, 0), m_model->index(m_model->rowCount() - 1, m_model->columnCount() - 1),
                            {Qt::ToolTipRole, Qt::AccessibleDescriptionRole});
}

QString TStringGrid::CellHint(int col, int row) const
{
  if (!m_model->hint || col < 1 || row < 1 || col >= m_model->cols || row >= m_model->rows)
    return {};
  return m_model->hint(col, row);
}

void TStringGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
  QTableView::currentChanged(current, previous);
  // A keyboard user gets what a mouse user gets by hovering.
  if (!hasFocus() || !current.isValid())
    return;
  const QString text = CellHint(current.column() + 1, current.row() + 1);
  const QRect cell = visualRect(current);
  if (text.isEmpty())
    QToolTip::hideText();
  else
    QToolTip::showText(viewport()->mapToGlobal(cell.bottomLeft()), text, viewport(), cell);
}

void TStringGrid::SetDefaultColWidth(int w)
{
  m_defaultColWidth = w;
  horizontalHeader()->setDefaultSectionSize(w);
  verticalHeader()->setFixedWidth(w);
  for (int i = 0; i < horizontalHeader()->count(); ++i)
    horizontalHeader()->resizeSection(i, w);
}

void TStringGrid::SetDefaultRowHeight(int h)
{
  m_defaultRowHeight = h;
  verticalHeader()->setDefaultSectionSize(h);
  horizontalHeader()->setFixedHeight(h);
  for (int i = 0; i < verticalHeader()->count(); ++i)
    verticalHeader()->resizeSection(i, h);
}

int TStringGrid::RowHeights(int row) const
{
  if (row == 0)
    return horizontalHeader()->height();
  return verticalHeader()->sectionSize(row - 1);
}

void TStringGrid::SetRowHeight(int row, int h)
{
  if (row == 0)
    horizontalHeader()->setFixedHeight(h);
  else if (row > 0 && row < m_model->rows)
    verticalHeader()->resizeSection(row - 1, h);
}

int TStringGrid::ColWidths(int col) const
{
  if (col == 0)
    return verticalHeader()->width();
  return horizontalHeader()->sectionSize(col - 1);
}

void TStringGrid::SetColWidth(int col, int w)
{
  if (col == 0)
    verticalHeader()->setFixedWidth(w);
  else if (col > 0 && col < m_model->cols)
    horizontalHeader()->resizeSection(col - 1, w);
}

void TStringGrid::BeginUpdate() { ++m_model->updating; }

void TStringGrid::EndUpdate() { m_model->endUpdate(); }

void TStringGrid::SetGridLines(bool on) { setShowGrid(on); }

void TStringGrid::SetTooltipBackground(bool on)
{
  QPalette p = QPalette();
  if (on) {
    p.setColor(QPalette::Base, p.color(QPalette::ToolTipBase));
    p.setColor(QPalette::Text, Colours::InkOn(p.color(QPalette::ToolTipBase), p));
  }
  setPalette(p);
}

QPoint TStringGrid::CellAt(const QPoint &viewportPos) const
{
  const QModelIndex i = indexAt(viewportPos);
  if (!i.isValid())
    return {-1, -1};
  return {i.column() + 1, i.row() + 1};
}

QRect TStringGrid::Selection() const
{
  const QModelIndexList sel = selectionModel()->selectedIndexes();
  if (sel.isEmpty()) {
    const QModelIndex c = currentIndex();
    return c.isValid() ? QRect(QPoint(c.column() + 1, c.row() + 1), QSize(1, 1)) : QRect();
  }
  int l = INT_MAX, t = INT_MAX, r = -1, b = -1;
  for (const QModelIndex &i : sel) {
    l = qMin(l, i.column() + 1);
    t = qMin(t, i.row() + 1);
    r = qMax(r, i.column() + 1);
    b = qMax(b, i.row() + 1);
  }
  return QRect(QPoint(l, t), QPoint(r, b));
}

void TStringGrid::ResetSizes()
{
  SetDefaultColWidth(m_defaultColWidth);
  SetDefaultRowHeight(m_defaultRowHeight);
}

void TStringGrid::saveSizes_()
{
  auto sizes = [](const QHeaderView *h) {
    QVector<int> v(h->count());
    for (int i = 0; i < h->count(); ++i)
      v[i] = h->sectionSize(i);
    return v;
  };
  m_savedColWidths = sizes(horizontalHeader());
  m_savedRowHeights = sizes(verticalHeader());
}

void TStringGrid::syncHeaders_()
{
  // A reset puts every section back to the default size: the sizes the columns and rows had
  // are given back to those that still exist.
  horizontalHeader()->setDefaultSectionSize(m_defaultColWidth);
  verticalHeader()->setDefaultSectionSize(m_defaultRowHeight);
  auto restore = [](QHeaderView *h, const QVector<int> &sizes) {
    for (int i = 0; i < qMin(h->count(), int(sizes.size())); ++i)
      h->resizeSection(i, sizes[i]);
  };
  restore(horizontalHeader(), m_savedColWidths);
  restore(verticalHeader(), m_savedRowHeights);
}

bool TStringGrid::eventFilter(QObject *watched, QEvent *event)
{
  QHeaderView *header = nullptr;
  if (watched == horizontalHeader()->viewport())
    header = horizontalHeader();
  else if (watched == verticalHeader()->viewport())
    header = verticalHeader();
  if (!header)
    return QTableView::eventFilter(watched, event);
  // The horizontal header is the fixed row (its height is row 0's), the vertical one the fixed
  // column (its width is column 0's); each is resized by its edge towards the cells.
  const bool fixedRow = header == horizontalHeader();
  constexpr int kEdge = 4, kMinimum = 8;
  auto along = [fixedRow](const QMouseEvent *e) {
    const QPoint p = e->position().toPoint();
    return fixedRow ? p.y() : p.x();
  };
  auto thickness = [&] { return fixedRow ? header->height() : header->width(); };
  auto onEdge = [&](const QMouseEvent *e) { return thickness() - along(e) <= kEdge && along(e) >= 0; };
  const Qt::CursorShape edgeCursor = fixedRow ? Qt::SplitVCursor : Qt::SplitHCursor;

  switch (event->type()) {
  case QEvent::MouseButtonPress: {
    auto *e = static_cast<QMouseEvent *>(event);
    if (e->button() != Qt::LeftButton || !onEdge(e))
      break;
    m_edgeDrag = {header, along(e), thickness()};
    return true;
  }
  case QEvent::MouseMove: {
    auto *e = static_cast<QMouseEvent *>(event);
    if (m_edgeDrag.header == header) {
      const int size = qMax(kMinimum, m_edgeDrag.startSize + along(e) - m_edgeDrag.startPos);
      fixedRow ? SetRowHeight(0, size) : SetColWidth(0, size);
      return true;
    }
    if (e->buttons() != Qt::NoButton)
      break; // a section drag of the header itself
    if (onEdge(e)) {
      header->setCursor(edgeCursor);
      return true;
    }
    if (header->testAttribute(Qt::WA_SetCursor) && header->cursor().shape() == edgeCursor)
      header->unsetCursor();
    break;
  }
  case QEvent::MouseButtonRelease:
    if (m_edgeDrag.header == header) {
      m_edgeDrag = {};
      return true;
    }
    break;
  default: break;
  }
  return QTableView::eventFilter(watched, event);
}
