// "Copiar" and "Exportar..." of the data grids and the string grid: the clipboard text after the
// real Ctrl+C key and the menu, the CSV file read back with libcsv under both regional settings,
// and the failures of writing.
#include "csvfile.h"

#include <inhouse/data/clientdataset.h>
#include <inhouse/data/datasource.h>
#include <inhouse/errors.h>
#include <inhouse/services/prompts.h>
#include <inhouse/text/regional.h>
#include <inhouse/ui/gridexport.h>
#include <inhouse/ui/grids.h>
#include <inhouse/ui/stringgrid.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QHeaderView>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <zrt/common/datapacket.h>
#include <zrt/common/datetime.h>

namespace {

struct SavePrompts : IPrompts {
  QStringList shown;
  QStringList suggested;
  QList<std::optional<QString>> files; // none left: cancelled
  int Ask(const QString &, TMsgDlgType, TMsgDlgButtons, int) override { return mrNo; }
  void Show(const QString &text, TMsgDlgType) override { shown << text; }
  std::optional<QString> AskText(const QString &, const QString &, const QString &) override { return std::nullopt; }
  std::optional<SearchAnswer> AskSearch(const QString &, const QStringList &) override { return std::nullopt; }
  std::optional<QStringList> AskList(const QString &, TDataSet &, const QString &, const QStringList &, bool) override
  {
    return std::nullopt;
  }
  std::optional<QString> AskSaveFile(const QString &, const QString &path, const QString &) override
  {
    suggested << path;
    return files.isEmpty() ? std::nullopt : files.takeFirst();
  }
};

using Table = CsvTable;

// Orders whose texts hold what breaks naive files: quotes, both separators, line breaks, a tab,
// accents; a quantity with a grouped display format, a plain float, an integer and a date-time.
struct Orders {
  TClientDataSet set;
  TDataSource source{nullptr, &set};
  Orders()
  {
    set.AddField(QStringLiteral("NRORDPROD"), ftString, 10).DisplayLabel = QStringLiteral("Ordem");
    set.AddField(QStringLiteral("NMPRODUTO"), ftString, 60).DisplayLabel = QStringLiteral("Produto");
    set.AddField(QStringLiteral("QTPRODRESPROC"), ftFloat).DisplayFormat = QStringLiteral("#,##0.00");
    set.AddField(QStringLiteral("VLFATOR"), ftFloat).DisplayLabel = QStringLiteral("Fator");
    set.AddField(QStringLiteral("NRSEQ"), ftInteger).DisplayLabel = QStringLiteral("Seq.");
    set.AddField(QStringLiteral("DTHRINIPROD"), ftDateTime).DisplayLabel = QStringLiteral("Início");
    set.AddField(QStringLiteral("IDINTERNO"), ftString, 10).Visible = false;
    zrt::DataPacket p;
    p.fields = {{"NRORDPROD", zrt::FieldType::String, 10},   {"NMPRODUTO", zrt::FieldType::String, 60},
                {"QTPRODRESPROC", zrt::FieldType::Float, 0}, {"VLFATOR", zrt::FieldType::Float, 0},
                {"NRSEQ", zrt::FieldType::Integer, 0},       {"DTHRINIPROD", zrt::FieldType::DateTime, 0},
                {"IDINTERNO", zrt::FieldType::String, 10}};
    const double start = zrt::toDateTime(QDate(2026, 12, 9), QTime(8, 30));
    // clang-format off
    p.rows = {{"OP1", "Chapa \"A\"; 3,5 mm", 1234.5, 0.25, 7, start, "x1"},
              {"OP2", "Eixo\nTemperado\tSAE", 2.0, -1.5, 12, start + 1.5, "x2"},
              {"OP3", "Conexão Ação", 1234567.891, 1e20, 0, nullptr, "x3"}};
    // clang-format on
    set.SetData(p);
  }
};

void SetDecimal(QChar decimal)
{
  TFormatSettings fs;
  fs.decimalSeparator = decimal;
  fs.thousandSeparator = decimal == u',' ? u'.' : u',';
  SetFormatSettings(fs);
}

QAction *Action(QWidget *grid, const char *name) { return grid->findChild<QAction *>(QLatin1String(name)); }

} // namespace

class TstUiGridExport : public QObject {
  Q_OBJECT

  SavePrompts m_prompts;
  QStringList m_reported;
  QTemporaryDir m_dir;

private slots:
  void initTestCase()
  {
    QVERIFY(m_dir.isValid());
    SetErrorReporter([this](const QString &text) { m_reported << text; });
  }
  void init()
  {
    m_prompts = SavePrompts();
    SetPrompts(&m_prompts);
    m_reported.clear();
  }
  void cleanup()
  {
    SetPrompts(nullptr);
    SetFormatSettings(TFormatSettings());
    QVERIFY2(m_reported.isEmpty(), qPrintable(m_reported.join(QLatin1Char('\n'))));
  }

  // The whole grid as shown: sorted rows, moved and hidden columns left as the user arranged
  // them, numbers in the regional form without grouping, the date-time as shown.
  void exportReadsBack_data()
  {
    QTest::addColumn<QChar>("decimal");
    QTest::addColumn<char>("separator");
    QTest::addColumn<Table>("expected");
    // clang-format off
    QTest::newRow("decimal comma, ';' between fields") << QChar(u',') << ';' << Table{
        {QStringLiteral("Produto"), QStringLiteral("Ordem"), QStringLiteral("QTPRODRESPROC"), QStringLiteral("Fator"), QStringLiteral("Início")},
        {QStringLiteral("Conexão Ação"), QStringLiteral("OP3"), QStringLiteral("1234567,89"), QStringLiteral("100000000000000000000"), QStringLiteral("")},
        {QStringLiteral("Eixo\nTemperado\tSAE"), QStringLiteral("OP2"), QStringLiteral("2,00"), QStringLiteral("-1,5"), QStringLiteral("10/12/2026 20:30:00")},
        {QStringLiteral("Chapa \"A\"; 3,5 mm"), QStringLiteral("OP1"), QStringLiteral("1234,50"), QStringLiteral("0,25"), QStringLiteral("09/12/2026 08:30:00")}};
    QTest::newRow("decimal point, ',' between fields") << QChar(u'.') << ',' << Table{
        {QStringLiteral("Produto"), QStringLiteral("Ordem"), QStringLiteral("QTPRODRESPROC"), QStringLiteral("Fator"), QStringLiteral("Início")},
        {QStringLiteral("Conexão Ação"), QStringLiteral("OP3"), QStringLiteral("1234567.89"), QStringLiteral("100000000000000000000"), QStringLiteral("")},
        {QStringLiteral("Eixo\nTemperado\tSAE"), QStringLiteral("OP2"), QStringLiteral("2.00"), QStringLiteral("-1.5"), QStringLiteral("10/12/2026 20:30:00")},
        {QStringLiteral("Chapa \"A\"; 3,5 mm"), QStringLiteral("OP1"), QStringLiteral("1234.50"), QStringLiteral("0.25"), QStringLiteral("09/12/2026 08:30:00")}};
    // clang-format on
  }
  void exportReadsBack()
  {
    QFETCH(QChar, decimal);
    QFETCH(char, separator);
    QFETCH(Table, expected);
    SetDecimal(decimal);
    Orders orders;
    TDBSortGrid grid;
    grid.SetDataSource(&orders.source);
    grid.SortBy(QStringLiteral("NRORDPROD"), Qt::DescendingOrder);
    grid.horizontalHeader()->moveSection(1, 0); // Produto before Ordem
    grid.setColumnHidden(4, true);              // Seq.
    const QString path = m_dir.filePath(QStringLiteral("ordens %1.csv").arg(separator));
    m_prompts.files << path;
    Action(&grid, "mnuExportar")->trigger();
    QCOMPARE(m_prompts.shown, QStringList());
    QCOMPARE(ReadCsv(path, separator), expected);
    // A file of the same name is replaced whole.
    orders.set.Close();
    m_prompts.files << path;
    Action(&grid, "mnuExportar")->trigger();
    QCOMPARE(ReadCsv(path, separator), Table{expected.first()});
  }

  // Ctrl+C and the menu copy the selected row, or the current one when nothing is selected,
  // under the titles, with tabs and line breaks inside cells made blanks.
  void copySelectedRow_data()
  {
    QTest::addColumn<bool>("byMenu");
    QTest::addColumn<bool>("clearSelection");
    QTest::newRow("Ctrl+C") << false << false;
    QTest::newRow("menu") << true << false;
    QTest::newRow("Ctrl+C, nothing selected") << false << true;
  }
  void copySelectedRow()
  {
    QFETCH(bool, byMenu);
    QFETCH(bool, clearSelection);
    Orders orders;
    TDBGrid grid;
    grid.SetDataSource(&orders.source);
    grid.SetColumns(
        {{QStringLiteral("NRORDPROD"), -1, {}}, {QStringLiteral("NMPRODUTO"), -1, {}}, {QStringLiteral("VLFATOR"), -1, {}}});
    grid.resize(500, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowActive(&grid));
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_Down); // second row, its first cell selected
    QCOMPARE(orders.set.RecNo(), 2);
    if (clearSelection)
      grid.selectionModel()->clearSelection();
    QGuiApplication::clipboard()->clear();
    if (byMenu) {
      QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(), grid.mapToGlobal(QPoint()));
      QApplication::sendEvent(&grid, &request);
      auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
      QVERIFY(menu);
      QTest::keyClick(menu, Qt::Key_Down);
      QCOMPARE(menu->activeAction(), Action(&grid, "mnuCopiar"));
      QTest::keyClick(menu, Qt::Key_Return);
      QVERIFY(!QApplication::activePopupWidget());
    } else {
      QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
    }
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Ordem\tProduto\tFator\nOP2\tEixo Temperado SAE\t-1,5\n"));
  }

  // The week-like string grid: the fixed row gives the titles, the fixed column goes first;
  // a block of cells copies the whole rows it touches.
  void stringGrid()
  {
    TStringGrid grid;
    grid.SetColCount(3);
    grid.SetRowCount(4);
    // clang-format off
    const Table cells = {{QStringLiteral(""), QStringLiteral("Qua 09/12/2026"), QStringLiteral("Qui 10/12/2026")},
                         {QStringLiteral("8:00"), QStringLiteral("OP1"), QStringLiteral("")},
                         {QStringLiteral("9:00"), QStringLiteral("OP1 \"urgente\""), QStringLiteral("OP2; OP3")},
                         {QStringLiteral("10:00"), QStringLiteral(""), QStringLiteral("OP2\nOP4")}};
    // clang-format on
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 3; ++c)
        grid.SetCells(c, r, cells[r][c]);
    grid.resize(400, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowActive(&grid));
    grid.setFocus();
    // Cells (2,2) and (2,3): rows 9:00 and 10:00.
    grid.selectionModel()->select(QItemSelection(grid.model()->index(1, 1), grid.model()->index(2, 1)),
                                  QItemSelectionModel::ClearAndSelect);
    QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("\tQua 09/12/2026\tQui 10/12/2026\n9:00\tOP1 \"urgente\"\tOP2; OP3\n10:00\t\tOP2 OP4\n"));

    const QString path = m_dir.filePath(QStringLiteral("semana.csv"));
    m_prompts.files << path;
    QVERIFY(ExportGrid(grid));
    QCOMPARE(ReadCsv(path, ';'), cells);
  }

  // The menu opens from the mouse and Shift+F10 (the Menu key's event: copySelectedRow); its
  // items are named for screen readers.
  void menuOpens()
  {
    TStringGrid grid;
    grid.resize(300, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowActive(&grid));
    grid.setFocus();
    const auto openedBy = [&](const std::function<void()> &open) {
      open();
      auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
      if (!menu)
        return QStringList();
      QStringList names;
      QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(menu);
      for (int i = 0; iface && i < iface->childCount(); ++i)
        names << iface->child(i)->text(QAccessible::Name);
      menu->close();
      return names;
    };
    const QStringList items = {QStringLiteral("Copiar"), QStringLiteral("Exportar...")};
    QCOMPARE(openedBy([&] { QTest::keyClick(&grid, Qt::Key_F10, Qt::ShiftModifier); }), items);
    QCOMPARE(openedBy([&] {
               QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(20, 20), grid.viewport()->mapToGlobal(QPoint(20, 20)));
               QApplication::sendEvent(grid.viewport(), &click);
             }),
             items);
  }

  // A file that cannot be written is reported and leaves nothing behind; a cancelled dialog
  // writes nothing and says nothing; the grid goes on working either way.
  void writeFailures_data()
  {
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing folder") << QStringLiteral("nao/existe/grade.csv") << QStringLiteral("Não foi possível criar");
    QTest::newRow("cancelled") << QString() << QString();
  }
  void writeFailures()
  {
    QFETCH(QString, target);
    QFETCH(QString, message);
    QTemporaryDir dir;
    Orders orders;
    TDBGrid grid;
    grid.SetDataSource(&orders.source);
    if (!target.isEmpty())
      m_prompts.files << dir.filePath(target);
    Action(&grid, "mnuExportar")->trigger();
    QCOMPARE(m_prompts.suggested.size(), 1);
    QVERIFY(QDir(dir.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    if (message.isEmpty()) {
      QCOMPARE(m_prompts.shown, QStringList());
    } else {
      QCOMPARE(m_prompts.shown.size(), 1);
      QVERIFY2(m_prompts.shown.first().startsWith(message), qPrintable(m_prompts.shown.first()));
      QVERIFY2(m_prompts.shown.first().contains(QDir::toNativeSeparators(dir.filePath(target))),
               qPrintable(m_prompts.shown.first()));
    }
    // Still usable: the next export goes through.
    m_prompts.files << dir.filePath(QStringLiteral("ok.csv"));
    QVERIFY(ExportGrid(grid));
    QCOMPARE(ReadCsv(dir.filePath(QStringLiteral("ok.csv")), ';').size(), 4);
  }
};

QTEST_MAIN(TstUiGridExport)
#include "tst_ui_gridexport.moc"
