#include <inhouse/ui/gridexport.h>

#include <inhouse/data/datasetmodel.h>
#include <inhouse/data/field.h>
#include <inhouse/services/errors.h>
#include <inhouse/services/prompts.h>
#include <inhouse/text/formatfloat.h>
#include <inhouse/text/regional.h>

#include <QAbstractProxyModel>
#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTableView>

#include <csv.h>
#include <vector>

namespace {

// The menu, Ctrl+C and Shift+F10 of one view. A child of the view, where the functions below
// find the view's options.
class TGridExporter : public QObject {
  Q_OBJECT
public:
  TGridExporter(QAbstractItemView *view, TGridExportOptions options) : QObject(view), m_view(view), m_options(std::move(options))
  {
    setObjectName(QStringLiteral("gridExport"));
    m_menu = new QMenu(view);
    m_menu->setObjectName(QStringLiteral("pmnGrade"));
    m_menu->setAccessibleName(QStringLiteral("Opções da grade"));
    auto *copy = new QAction(QStringLiteral("Copiar"), view);
    copy->setObjectName(QStringLiteral("mnuCopiar"));
    copy->setShortcut(QKeySequence::Copy); // shown in the menu; the key itself is taken below
    copy->setShortcutContext(Qt::WidgetShortcut);
    auto *save = new QAction(QStringLiteral("Exportar..."), view);
    save->setObjectName(QStringLiteral("mnuExportar"));
    m_menu->addAction(copy);
    m_menu->addAction(save);
    connect(copy, &QAction::triggered, this, Handler([this] { CopyGrid(*m_view); }));
    connect(save, &QAction::triggered, this, Handler([this] { ExportGrid(*m_view); }));
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
  }

  const TGridExportOptions &Options() const { return m_options; }

protected:
  bool eventFilter(QObject *watched, QEvent *event) override
  {
    switch (event->type()) {
    case QEvent::ShortcutOverride:
      // Ctrl+C belongs to the grid while it has the focus, whatever the window binds to it.
      if (watched == m_view && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy)) {
        event->accept();
        return true;
      }
      break;
    case QEvent::KeyPress: {
      if (watched != m_view)
        break;
      auto *key = static_cast<QKeyEvent *>(event);
      if (key->matches(QKeySequence::Copy)) {
        Guarded([this] { CopyGrid(*m_view); });
        return true;
      }
      // Shift+F10 is the other key that asks for a context menu; Qt makes an event of the Menu
      // key only.
      if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
        QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(), m_view->mapToGlobal(QPoint()), key->modifiers());
        QCoreApplication::sendEvent(m_view, &request);
        return true;
      }
      break;
    }
    case QEvent::ContextMenu: {
      // The mouse's arrives at the viewport (or the header, passed up to the view), the
      // keyboard's at the view.
      auto *request = static_cast<QContextMenuEvent *>(event);
      m_menu->popup(request->reason() == QContextMenuEvent::Keyboard ? keyboardMenuPos() : request->globalPos());
      return true;
    }
    default: break;
    }
    return QObject::eventFilter(watched, event);
  }

private:
  // Under the current cell when it is in sight, else at the top left of the cells.
  QPoint keyboardMenuPos() const
  {
    QWidget *viewport = m_view->viewport();
    const QRect cell = m_view->visualRect(m_view->currentIndex());
    const QPoint at = cell.isValid() && viewport->rect().intersects(cell) ? cell.bottomLeft() : QPoint(0, 0);
    return viewport->mapToGlobal(at);
  }

  QAbstractItemView *m_view;
  TGridExportOptions m_options;
  QMenu *m_menu;
};

TGridExportOptions OptionsOf(const QAbstractItemView &view)
{
  const auto *exporter = view.findChild<TGridExporter *>(QStringLiteral("gridExport"), Qt::FindDirectChildrenOnly);
  return exporter ? exporter->Options() : TGridExportOptions{};
}

// ',' in a number format groups thousands, except inside a quoted literal.
QString WithoutGrouping(const QString &format)
{
  QString out;
  QChar quote;
  for (const QChar ch : format) {
    if (!quote.isNull()) {
      if (ch == quote)
        quote = QChar();
    } else if (ch == u'"' || ch == u'\'') {
      quote = ch;
    } else if (ch == u',') {
      continue;
    }
    out += ch;
  }
  return out;
}

QString NumberText(const TField &field, const QVariant &value)
{
  if (!value.isValid() || value.isNull())
    return {};
  if (!field.DisplayFormat.isEmpty())
    return FormatFloat(WithoutGrouping(field.DisplayFormat), value.toDouble());
  if (field.DataType == ftInteger)
    return QString::number(value.toLongLong());
  // Fifteen digits as the grid shows them, never in exponent form (a spreadsheet would keep
  // "1e+20" as text).
  QString text = QString::number(value.toDouble(), 'g', 15);
  if (text.contains(u'e'))
    text = QString::number(value.toDouble(), 'f', QLocale::FloatingPointShortest);
  text.replace(u'.', FormatSettings().decimalSeparator);
  return text;
}

// What a view shows: its rows in view order without hidden ones, its columns in the header's
// visual order without hidden ones, and for a data set's model the field behind each column.
class TGridReader {
public:
  explicit TGridReader(const QAbstractItemView &view) : m_model(view.model()), m_options(OptionsOf(view))
  {
    if (!m_model)
      return;
    const auto *table = qobject_cast<const QTableView *>(&view);
    const QHeaderView *header = table ? table->horizontalHeader() : nullptr;
    const int columns = m_model->columnCount();
    for (int visual = 0; visual < columns; ++visual) {
      const int logical = header ? header->logicalIndex(visual) : visual;
      if (logical < 0 || (header && header->isSectionHidden(logical)))
        continue;
      m_columns.push_back(logical);
      m_fields.push_back(fieldOf(logical));
    }
    const int rows = m_model->rowCount();
    m_rows.reserve(size_t(rows));
    for (int row = 0; row < rows; ++row)
      if (!table || !table->isRowHidden(row))
        m_rows.push_back(row);
  }

  const std::vector<int> &Rows() const { return m_rows; }

  QStringList Titles() const
  {
    QStringList titles;
    if (m_options.rowTitles)
      titles << (m_options.cornerTitle ? m_options.cornerTitle() : QString());
    for (const int column : m_columns)
      titles << m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    return titles;
  }

  QStringList Row(int row) const
  {
    QStringList cells;
    cells.reserve(qsizetype(m_columns.size()) + 1);
    if (m_options.rowTitles)
      cells << m_model->headerData(row, Qt::Vertical, Qt::DisplayRole).toString();
    for (size_t i = 0; i < m_columns.size(); ++i) {
      const QModelIndex index = m_model->index(row, m_columns[i]);
      const TField *field = m_fields[i];
      cells << (field && field->IsNumeric() ? NumberText(*field, index.data(TDataSetModel::ValueRole))
                                            : index.data(Qt::DisplayRole).toString());
    }
    return cells;
  }

private:
  // The field under a view column: the column followed down the proxies to a data set's model.
  const TField *fieldOf(int column) const
  {
    if (m_model->rowCount() == 0)
      return nullptr;
    const QAbstractItemModel *model = m_model;
    QModelIndex index = model->index(0, column);
    while (const auto *proxy = qobject_cast<const QAbstractProxyModel *>(model)) {
      index = proxy->mapToSource(index);
      model = proxy->sourceModel();
    }
    const auto *data = qobject_cast<const TDataSetModel *>(model);
    return data && index.isValid() ? data->ColumnField(index.column()) : nullptr;
  }

  const QAbstractItemModel *m_model;
  TGridExportOptions m_options;
  std::vector<int> m_columns;
  std::vector<const TField *> m_fields;
  std::vector<int> m_rows;
};

// The rows holding a selected cell, in view order; the current row when nothing is selected.
std::vector<int> SelectedRows(const QAbstractItemView &view, const std::vector<int> &shown)
{
  const int rows = view.model() ? view.model()->rowCount() : 0;
  std::vector<char> marked(size_t(rows), 0);
  bool any = false;
  if (view.selectionModel())
    for (const QItemSelectionRange &range : view.selectionModel()->selection())
      for (int row = qMax(0, range.top()); row <= range.bottom() && row < rows; ++row) {
        marked[size_t(row)] = 1;
        any = true;
      }
  if (!any && view.currentIndex().isValid() && view.currentIndex().row() < rows)
    marked[size_t(view.currentIndex().row())] = 1;
  std::vector<int> picked;
  for (const int row : shown)
    if (marked[size_t(row)])
      picked.push_back(row);
  return picked;
}

void AppendQuoted(QByteArray &out, const QByteArray &text)
{
  // csv_write2 needs at most two bytes per byte (quotes doubled) and the two enclosing quotes.
  const qsizetype at = out.size();
  const size_t room = size_t(text.size()) * 2 + 2;
  out.resize(at + qsizetype(room));
  const size_t written = csv_write2(out.data() + at, room, text.constData(), size_t(text.size()), '"');
  out.resize(at + qsizetype(written));
}

QString SuggestedPath(const QAbstractItemView &view)
{
  static const QString kDocuments = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  // The grid's own window names the file: the first ancestor with a title (an MDI child's
  // window() is the main window).
  QString name;
  for (const QWidget *w = view.parentWidget(); w && name.isEmpty(); w = w->parentWidget())
    name = w->windowTitle().trimmed();
  for (const QChar bad : QStringLiteral("\\/:*?\"<>|"))
    name.replace(bad, u'-');
  if (name.isEmpty())
    name = QStringLiteral("Grade");
  const QString folder = kDocuments.isEmpty() ? QDir::homePath() : kDocuments;
  return QDir(folder).filePath(name + QStringLiteral(".csv"));
}

} // namespace

void AttachGridExport(QAbstractItemView *view, TGridExportOptions options)
{
  if (view && !view->findChild<TGridExporter *>(QStringLiteral("gridExport"), Qt::FindDirectChildrenOnly))
    new TGridExporter(view, std::move(options));
}

QString GridCopyText(const QAbstractItemView &view)
{
  const TGridReader grid(view);
  QString out;
  const auto line = [&out](const QStringList &cells) {
    for (qsizetype i = 0; i < cells.size(); ++i) {
      if (i > 0)
        out += u'\t';
      // A tab or a line break inside a cell would start another cell or row when pasted.
      QString cell = cells[i];
      for (QChar &ch : cell)
        if (ch == u'\t' || ch == u'\n' || ch == u'\r')
          ch = u' ';
      out += cell;
    }
    out += u'\n';
  };
  line(grid.Titles());
  for (const int row : SelectedRows(view, grid.Rows()))
    line(grid.Row(row));
  return out;
}

QByteArray GridCsv(const QAbstractItemView &view)
{
  const TGridReader grid(view);
  // A spreadsheet splits fields on ";" where "," is the decimal separator.
  const char separator = FormatSettings().decimalSeparator == u',' ? ';' : ',';
  QByteArray out("\xEF\xBB\xBF");
  const auto line = [&](const QStringList &cells) {
    for (qsizetype i = 0; i < cells.size(); ++i) {
      if (i > 0)
        out += separator;
      AppendQuoted(out, cells[i].toUtf8());
    }
    out += "\r\n";
  };
  line(grid.Titles());
  for (const int row : grid.Rows())
    line(grid.Row(row));
  return out;
}

void CopyGrid(const QAbstractItemView &view) { QGuiApplication::clipboard()->setText(GridCopyText(view)); }

bool WriteGridCsv(const QAbstractItemView &view, const QString &path)
{
  const QByteArray bytes = GridCsv(view);
  const QString shown = QDir::toNativeSeparators(path);
  // The file appears only once it is whole: a failure leaves no partial file behind.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    ShowError(
        QStringLiteral("Não foi possível criar o arquivo \"%1\". Verifique se a pasta existe e se há permissão para gravar nela.")
            .arg(shown));
    return false;
  }
  if (file.write(bytes) != bytes.size() || !file.commit()) {
    ShowError(
        QStringLiteral("Não foi possível gravar o arquivo \"%1\". Verifique o espaço livre no disco e a permissão de gravação.")
            .arg(shown));
    return false;
  }
  return true;
}

bool ExportGrid(const QAbstractItemView &view)
{
  static QString lastFolder; // the next export proposes the folder chosen last
  QString suggested = SuggestedPath(view);
  if (!lastFolder.isEmpty())
    suggested = QDir(lastFolder).filePath(QFileInfo(suggested).fileName());
  const std::optional<QString> path =
      Prompts().AskSaveFile(QStringLiteral("Exportar"), suggested, QStringLiteral("Arquivos CSV (*.csv);;Todos os arquivos (*)"));
  if (!path || path->isEmpty())
    return false;
  lastFolder = QFileInfo(*path).absolutePath();
  return WriteGridCsv(view, *path);
}

#include "gridexport.moc"
