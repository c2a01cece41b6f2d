#include <inhouse/data/dataset.h>
#include <inhouse/errors.h>
#include <inhouse/services/prompts.h>
#include <inhouse/services/search.h>
#include <inhouse/ui/accessibility.h>
#include <inhouse/ui/picklist.h>

#include <QAbstractTableModel>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSet>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <vector>

namespace {
// Joins a row's column texts for searching: no typed term contains it, so a match never spans
// two columns.
constexpr QChar kColumnBreak = QChar(0x1F);
constexpr int kSampledRows = 200; // rows measured to size the columns
constexpr int kMaxColumnWidth = 280;

// FoldText for searching. Plain ASCII has no accents to drop and folds by lower-casing, which
// skips the Unicode normalisation that dominates the cost of folding thousands of rows.
QString FoldForSearch(const QString &text)
{
  for (QChar c : text)
    if (c.unicode() >= 0x80)
      return FoldText(text);
  return text.toLower();
}

// The rows of the set with a check each, narrowed to those whose text contains the search
// term. Model rows are the shown rows; the checks belong to the set's rows, so a row hidden by
// the search keeps its check.
class TPickListModel final : public QAbstractTableModel {
public:
  TPickListModel(TDataSet &set, int keyField, std::vector<int> fields, bool singleChoice, QObject *parent)
      : QAbstractTableModel(parent), m_set(set), m_keyField(keyField), m_fields(std::move(fields)),
        m_rows(set.Active() ? set.RecordCount() : 0), m_single(singleChoice), m_checked(size_t(m_rows), 0)
  {
    m_folded.reserve(size_t(m_rows));
    m_shown.reserve(size_t(m_rows));
    QString joined;
    for (int row = 0; row < m_rows; ++row) {
      joined.clear();
      for (int field : m_fields) {
        joined += CellText(row, field);
        joined += kColumnBreak;
      }
      m_folded.push_back(FoldForSearch(joined));
      m_shown.push_back(row);
    }
  }

  std::function<void()> OnChecksChanged;

  int RowTotal() const { return m_rows; }
  int CheckedTotal() const { return m_checkedCount; }
  bool Filtered() const { return !m_term.isEmpty(); }
  int SourceRow(int row) const { return row >= 0 && size_t(row) < m_shown.size() ? m_shown[size_t(row)] : -1; }
  int RowOfSource(int sourceRow) const
  {
    const auto it = std::lower_bound(m_shown.begin(), m_shown.end(), sourceRow);
    return it != m_shown.end() && *it == sourceRow ? int(it - m_shown.begin()) : -1;
  }

  QString Key(int sourceRow) const { return m_set.CellValue(sourceRow, m_keyField).toString(); }

  void CheckKeys(const QStringList &keys)
  {
    const QSet<QString> wanted(keys.begin(), keys.end());
    for (int row = 0; row < m_rows; ++row) {
      if (!wanted.contains(Key(row)))
        continue;
      m_checked[size_t(row)] = 1;
      ++m_checkedCount;
      if (m_single)
        break;
    }
  }

  QStringList CheckedKeys() const
  {
    QStringList keys;
    for (int row = 0; row < m_rows; ++row)
      if (m_checked[size_t(row)])
        keys << Key(row);
    return keys;
  }

  void Toggle(int row)
  {
    const int source = SourceRow(row);
    if (source >= 0)
      SetChecked(row, !m_checked[size_t(source)]);
  }

  void SetChecked(int row, bool on)
  {
    const int source = SourceRow(row);
    if (source < 0 || bool(m_checked[size_t(source)]) == on)
      return;
    if (on && m_single && m_checkedCount > 0) {
      std::fill(m_checked.begin(), m_checked.end(), 0);
      m_checked[size_t(source)] = 1;
      m_checkedCount = 1;
      EmitCheckColumnChanged(0, rowCount() - 1);
    } else {
      m_checked[size_t(source)] = on ? 1 : 0;
      m_checkedCount += on ? 1 : -1;
      EmitCheckColumnChanged(row, row);
    }
    if (OnChecksChanged)
      OnChecksChanged();
  }

  // Marks or unmarks every row the search shows; the hidden ones keep their checks.
  void SetShownChecked(bool on)
  {
    if (m_shown.empty())
      return;
    for (int source : m_shown) {
      char &c = m_checked[size_t(source)];
      if (bool(c) != on) {
        c = on ? 1 : 0;
        m_checkedCount += on ? 1 : -1;
      }
    }
    EmitCheckColumnChanged(0, rowCount() - 1);
    if (OnChecksChanged)
      OnChecksChanged();
  }

  void Filter(const QString &text)
  {
    const QString term = FoldForSearch(text);
    if (term == m_term)
      return;
    beginResetModel();
    if (term.isEmpty()) {
      m_shown.resize(size_t(m_rows));
      for (int row = 0; row < m_rows; ++row)
        m_shown[size_t(row)] = row;
    } else {
      // A term that extends the previous one can only narrow: rescan the shown rows alone.
      const bool narrowing = !m_term.isEmpty() && term.contains(m_term);
      std::vector<int> shown;
      shown.reserve(narrowing ? m_shown.size() : size_t(m_rows));
      if (narrowing) {
        for (int row : m_shown)
          if (m_folded[size_t(row)].contains(term))
            shown.push_back(row);
      } else {
        for (int row = 0; row < m_rows; ++row)
          if (m_folded[size_t(row)].contains(term))
            shown.push_back(row);
      }
      m_shown = std::move(shown);
    }
    m_term = term;
    endResetModel();
  }

  int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(m_shown.size()); }
  int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(m_fields.size()) + 1; }

  QVariant data(const QModelIndex &index, int role) const override
  {
    const int source = SourceRow(index.row());
    if (source < 0)
      return {};
    if (index.column() == 0) {
      const bool on = m_checked[size_t(source)];
      switch (role) {
      case Qt::CheckStateRole: return on ? Qt::Checked : Qt::Unchecked;
      case Qt::AccessibleTextRole: return on ? QStringLiteral("Marcado") : QStringLiteral("Desmarcado");
      default: return {};
      }
    }
    const int field = m_fields[size_t(index.column() - 1)];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: return CellText(source, field);
    case Qt::TextAlignmentRole:
      if (m_set.Field(field).IsNumeric())
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
      return {};
    default: return {};
    }
  }

  bool setData(const QModelIndex &index, const QVariant &value, int role) override
  {
    if (index.column() != 0 || role != Qt::CheckStateRole || SourceRow(index.row()) < 0)
      return false;
    SetChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override
  {
    if (orientation != Qt::Horizontal || section < 0 || section > int(m_fields.size()))
      return {};
    if (section == 0)
      return role == Qt::ToolTipRole || role == Qt::AccessibleTextRole ? QVariant(QStringLiteral("Marcado")) : QVariant();
    if (role == Qt::DisplayRole)
      return m_set.Field(m_fields[size_t(section - 1)]).Label();
    return {};
  }

  Qt::ItemFlags flags(const QModelIndex &index) const override
  {
    if (!index.isValid())
      return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == 0)
      f |= Qt::ItemIsUserCheckable;
    return f;
  }

  QString CellText(int row, int field) const { return m_set.Field(field).MaskedDisplayTextOf(m_set.CellValue(row, field)); }

private:
  void EmitCheckColumnChanged(int first, int last)
  {
    if (first <= last)
      emit dataChanged(index(first, 0), index(last, 0), {Qt::CheckStateRole, Qt::AccessibleTextRole});
  }

  TDataSet &m_set;
  int m_keyField;
  std::vector<int> m_fields; // the set's field index of each column after the check column
  int m_rows;
  bool m_single;
  std::vector<char> m_checked;   // per set row
  std::vector<QString> m_folded; // per set row: its column texts folded, joined once at opening
  std::vector<int> m_shown;      // set rows the search lets through, ascending
  QString m_term;                // the folded search term in effect
  int m_checkedCount = 0;
};

// The check box only draws the state: the grid toggles on its own clicks and keys, so the
// delegate must not toggle a second time on the same click.
class TCheckDrawDelegate final : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;
  bool editorEvent(QEvent *, QAbstractItemModel *, const QStyleOptionViewItem &, const QModelIndex &) override { return false; }
};

// A click in the check column toggles that row, Space the current row, and a double click the
// row under it once, wherever it lands. Widgets get no second press for a double click, so in
// the check column the first press has already toggled.
class TPickGrid final : public QTableView {
public:
  TPickGrid(TPickListModel *model, QWidget *parent) : QTableView(parent), m_model(model) {}

protected:
  void mousePressEvent(QMouseEvent *event) override
  {
    QTableView::mousePressEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid() && index.column() == 0)
      m_model->Toggle(index.row());
  }
  void mouseDoubleClickEvent(QMouseEvent *event) override
  {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !index.isValid()) {
      QTableView::mouseDoubleClickEvent(event);
      return;
    }
    if (index.column() != 0)
      m_model->Toggle(index.row());
    event->accept();
  }
  void keyPressEvent(QKeyEvent *event) override
  {
    if (event->key() == Qt::Key_Space && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
      if (currentIndex().isValid())
        m_model->Toggle(currentIndex().row());
      event->accept();
      return;
    }
    QTableView::keyPressEvent(event);
  }

private:
  TPickListModel *m_model;
};

std::vector<int> ShownFields(const TDataSet &set, int keyField)
{
  std::vector<int> fields{keyField};
  for (int i = 0; i < set.FieldCount(); ++i)
    if (i != keyField && set.Field(i).Visible)
      fields.push_back(i);
  return fields;
}

class TPickListDialog final : public QDialog {
public:
  TPickListDialog(QWidget *parent, const QString &title, TDataSet &set, int keyField, const QStringList &checked,
                  bool singleChoice)
      : QDialog(parent)
  {
    setObjectName(QStringLiteral("frmPesquisaLista"));
    setWindowTitle(title);

    m_model = new TPickListModel(set, keyField, ShownFields(set, keyField), singleChoice, this);
    m_model->CheckKeys(checked);

    auto *searchLabel = new QLabel(QStringLiteral("&Pesquisar:"), this);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("edtPesquisa"));
    m_search->setAccessibleName(QStringLiteral("Pesquisar"));
    m_search->setClearButtonEnabled(true);
    m_search->installEventFilter(this);
    searchLabel->setBuddy(m_search);

    m_grid = new TPickGrid(m_model, this);
    m_grid->setObjectName(QStringLiteral("grdLista"));
    m_grid->setAccessibleName(title.isEmpty() ? QStringLiteral("Lista") : title);
    m_grid->setModel(m_model);
    m_grid->setItemDelegateForColumn(0, new TCheckDrawDelegate(m_grid));
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setTabKeyNavigation(false);
    m_grid->setWordWrap(false);
    m_grid->setCornerButtonEnabled(false);
    // Fixed row heights and column widths: nothing is measured over every row.
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_grid->horizontalHeader()->setHighlightSections(false);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    SizeColumns();

    auto *markAll = new QPushButton(QStringLiteral("Marcar todos"), this);
    markAll->setObjectName(QStringLiteral("btnMarcarTodos"));
    markAll->setAutoDefault(false);
    markAll->setEnabled(!singleChoice);
    auto *unmarkAll = new QPushButton(QStringLiteral("Desmarcar todos"), this);
    unmarkAll->setObjectName(QStringLiteral("btnDesmarcarTodos"));
    unmarkAll->setAutoDefault(false);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("lblContador"));

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    QPushButton *cancel = buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("btnCancelar"));
    cancel->setAutoDefault(false);

    auto *searchRow = new QHBoxLayout;
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(m_search, 1);
    auto *markRow = new QHBoxLayout;
    markRow->addWidget(markAll);
    markRow->addWidget(unmarkAll);
    markRow->addStretch(1);
    markRow->addWidget(m_count);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(searchRow);
    layout->addWidget(m_grid, 1);
    layout->addLayout(markRow);
    layout->addWidget(buttons);

    connect(m_search, &QLineEdit::textChanged, this, Handler([this](const QString &text) { Search(text); }));
    connect(markAll, &QPushButton::clicked, this, Handler([this] { m_model->SetShownChecked(true); }));
    connect(unmarkAll, &QPushButton::clicked, this, Handler([this] { m_model->SetShownChecked(false); }));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_model->OnChecksChanged = [this] { ShowCount(); };
    // The rows are read in place: a set reloaded or edited under the picker cancels it rather
    // than answer with the keys of other rows.
    connect(&set, &TDataSet::aboutToReset, this, &QDialog::reject);
    connect(&set, &TDataSet::aboutToInsertRow, this, &QDialog::reject);
    connect(&set, &TDataSet::aboutToRemoveRow, this, &QDialog::reject);

    ShowCount();
    if (m_model->rowCount() > 0)
      SetCurrentRow(0);
    NameControls(this);
    resize(520, 420);
    m_search->setFocus();
  }

  QStringList CheckedKeys() const { return m_model->CheckedKeys(); }

protected:
  bool eventFilter(QObject *watched, QEvent *event) override
  {
    if (watched == m_search && event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent *>(event)->key();
      if (key == Qt::Key_Down || key == Qt::Key_PageDown) {
        if (!m_grid->currentIndex().isValid() && m_model->rowCount() > 0)
          SetCurrentRow(0);
        m_grid->setFocus(Qt::TabFocusReason);
        return true;
      }
    }
    return QDialog::eventFilter(watched, event);
  }

private:
  void Search(const QString &text)
  {
    const int current = m_model->SourceRow(m_grid->currentIndex().row());
    m_model->Filter(text);
    if (m_model->rowCount() > 0)
      SetCurrentRow(std::max(0, m_model->RowOfSource(current)));
    ShowCount();
  }

  void SetCurrentRow(int row)
  {
    const QModelIndex index = m_model->index(row, 0);
    m_grid->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }

  void ShowCount()
  {
    QString text = QStringLiteral("%1 de %2 selecionados").arg(m_model->CheckedTotal()).arg(m_model->RowTotal());
    if (m_model->Filtered())
      text += QStringLiteral(" (%1 exibidos)").arg(m_model->rowCount());
    m_count->setText(text);
  }

  // Widths from the titles and the first rows' texts, never a pass over every row.
  void SizeColumns()
  {
    QHeaderView *header = m_grid->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    const int check = m_grid->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, m_grid) + 12;
    header->setMinimumSectionSize(check);
    header->resizeSection(0, check);
    const QFontMetrics body = m_grid->fontMetrics();
    const QFontMetrics title = header->fontMetrics();
    const int sampled = std::min(m_model->rowCount(), kSampledRows);
    for (int column = 1; column < m_model->columnCount(); ++column) {
      int width = title.horizontalAdvance(m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
      for (int row = 0; row < sampled; ++row)
        width = std::max(width, body.horizontalAdvance(m_model->data(m_model->index(row, column), Qt::DisplayRole).toString()));
      header->resizeSection(column, std::min(width + 16, kMaxColumnWidth));
    }
  }

  TPickListModel *m_model = nullptr;
  QLineEdit *m_search = nullptr;
  TPickGrid *m_grid = nullptr;
  QLabel *m_count = nullptr;
};
} // namespace

std::optional<QStringList> ExecPickList(QWidget *parent, const QString &title, TDataSet &dataSet, const QString &keyField,
                                        const QStringList &checked, bool singleChoice)
{
  if (!dataSet.Active())
    dataSet.Open();
  const int keyIndex = dataSet.FieldByName(keyField).Index();
  TPickListDialog dialog(parent, title, dataSet, keyIndex, checked, singleChoice);
  if (dialog.exec() != QDialog::Accepted)
    return std::nullopt;
  return dialog.CheckedKeys();
}

namespace {
// The services' prompts show this picker; installed when the library loads.
[[maybe_unused]] const bool g_pickListInstalled = [] {
  SetPickListDialog(&ExecPickList);
  return true;
}();
} // namespace
