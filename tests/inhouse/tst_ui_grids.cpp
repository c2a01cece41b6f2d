// Data grids over a real client data set, and the string grid, driven by mouse and keys.
#include <inhouse/data/clientdataset.h>
#include <inhouse/data/datasetmodel.h>
#include <inhouse/data/datasource.h>
#include <inhouse/errors.h>
#include <inhouse/services/application.h>
#include <inhouse/services/errors.h>
#include <inhouse/ui/grids.h>
#include <inhouse/ui/stringgrid.h>

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <zrt/common/datapacket.h>
#include <zrt/common/datetime.h>

#include <memory>

namespace {

// Five pieces of equipment whose names sort in the opposite order of their codes.
zrt::DataPacket equipment()
{
  zrt::DataPacket p;
  p.fields = {{"CDEQUIPPRO", zrt::FieldType::String, 10},
              {"SGEQUIPPRO", zrt::FieldType::String, 10},
              {"NMEQUIPPRO", zrt::FieldType::String, 40}};
  const char *names[] = {"Torno", "Serra", "Prensa", "Fresa", "Esteira"};
  for (int i = 0; i < 5; ++i)
    p.rows.push_back({QStringLiteral("EQ%1").arg(i + 1).toStdString(), QStringLiteral("S%1").arg(i + 1).toStdString(), names[i]});
  return p;
}

QPoint cellCenter(QTableView &view, int row, int col) { return view.visualRect(view.model()->index(row, col)).center(); }

QString cellText(QTableView &view, int row, int col) { return view.model()->index(row, col).data().toString(); }

// Checks the view's model, its signals and answers, through everything the test does with it.
std::unique_ptr<QAbstractItemModelTester> checkedModel(QTableView &view)
{
  return std::make_unique<QAbstractItemModelTester>(view.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
}

} // namespace

class TstUiGrids : public QObject {
  Q_OBJECT

  QStringList m_reported;

  struct Fixture {
    TClientDataSet set;
    TDataSource source{nullptr, &set};
    int scrolls = 0;
    Fixture()
    {
      set.AddField(QStringLiteral("CDEQUIPPRO"), ftString, 10).DisplayLabel = QStringLiteral("Código");
      set.AddField(QStringLiteral("NMEQUIPPRO"), ftString, 40).DisplayLabel = QStringLiteral("Nome");
      set.AfterScroll = [this](TDataSet &) { ++scrolls; };
    }
  };

private slots:
  void initTestCase()
  {
    SetErrorReporter([this](const QString &text) { m_reported << text; });
  }
  void init() { m_reported.clear(); }
  void cleanup() { QVERIFY2(m_reported.isEmpty(), qPrintable(m_reported.join(QLatin1Char('\n')))); }

  void columnsAndTitles()
  {
    Fixture f;
    f.set.SetData(equipment());
    TDBGrid grid;
    const auto tester = checkedModel(grid);
    grid.SetDataSource(&f.source);
    grid.SetColumns({{QStringLiteral("CDEQUIPPRO"), 71, {}},
                     {QStringLiteral("SGEQUIPPRO"), 48, QStringLiteral("Sg.")},
                     {QStringLiteral("NMEQUIPPRO"), -1, {}}});
    QCOMPARE(grid.model()->columnCount(), 3);
    QCOMPARE(grid.model()->rowCount(), 5);
    QCOMPARE(grid.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Código"));
    QCOMPARE(grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Sg."));
    QCOMPARE(grid.model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Nome"));
    QCOMPARE(grid.columnWidth(0), 71);
    QCOMPARE(grid.columnWidth(1), 48);
    QCOMPARE(cellText(grid, 3, 2), QStringLiteral("Fresa"));
    // Widths survive the set being closed and loaded again.
    f.set.Close();
    f.set.SetData(equipment());
    QCOMPARE(grid.columnWidth(0), 71);
    QCOMPARE(grid.model()->rowCount(), 5);
  }

  void columnsWithoutWidthShowTheWholeText()
  {
    TClientDataSet set;
    zrt::DataPacket p;
    p.fields = {{"DTHRINIPROD", zrt::FieldType::DateTime, 0},
                {"DTENTREGA", zrt::FieldType::Date, 0},
                {"NRORDPROD", zrt::FieldType::String, 10}};
    const double when = zrt::toDateTime(QDate(2026, 12, 28), QTime(23, 58, 58));
    p.rows.push_back({when, zrt::toDateTime(QDate(2026, 12, 28)), "OP00000123"});
    set.SetData(p);
    TDataSource source(nullptr, &set);
    TDBGrid grid;
    const auto tester = checkedModel(grid);
    grid.SetDataSource(&source);
    grid.SetColumns({{QStringLiteral("DTHRINIPROD"), -1, {}},
                     {QStringLiteral("DTENTREGA"), -1, {}},
                     {QStringLiteral("NRORDPROD"), -1, QStringLiteral("Ordem")}});
    for (int col = 0; col < 3; ++col) {
      const QString text = cellText(grid, 0, col);
      QVERIFY2(grid.columnWidth(col) > grid.fontMetrics().horizontalAdvance(text), qPrintable(text));
    }
    QCOMPARE(cellText(grid, 0, 0), QStringLiteral("28/12/2026 23:58:58"));
  }

  void clickMovesCursorThenCellClick()
  {
    Fixture f;
    f.set.SetData(equipment());
    TDBGrid grid;
    const auto tester = checkedModel(grid);
    grid.SetDataSource(&f.source);
    grid.resize(400, 300);
    int clickRecNo = -1;
    QString clickField;
    int clicks = 0;
    grid.OnCellClick = [&](TDBGrid &g, TField *field) {
      ++clicks;
      clickRecNo = g.DataSet()->RecNo();
      clickField = field ? field->FieldName : QString();
    };
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QCOMPARE(grid.currentIndex().row(), 0);
    const int scrollsBefore = f.scrolls;

    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cellCenter(grid, 2, 1));
    QCOMPARE(f.set.RecNo(), 3);
    QCOMPARE(f.scrolls, scrollsBefore + 1);
    QCOMPARE(clicks, 1);
    QCOMPARE(clickRecNo, 3); // the row change happened before the click event
    QCOMPARE(clickField, QStringLiteral("SGEQUIPPRO"));
    QCOMPARE(grid.SelectedField()->FieldName, QStringLiteral("SGEQUIPPRO"));

    // Clicking the current row again moves nothing but still reports the click.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cellCenter(grid, 2, 0));
    QCOMPARE(f.scrolls, scrollsBefore + 1);
    QCOMPARE(clicks, 2);
  }

  void keysMoveCursor()
  {
    Fixture f;
    f.set.SetData(equipment());
    TDBGrid grid;
    const auto tester = checkedModel(grid);
    grid.SetDataSource(&f.source);
    grid.show();
    QVERIFY(QTest::qWaitForWindowActive(&grid));
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_Down);
    QTest::keyClick(&grid, Qt::Key_Down);
    QCOMPARE(f.set.RecNo(), 3);
    QTest::keyClick(&grid, Qt::Key_Up);
    QCOMPARE(f.set.RecNo(), 2);
    QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(f.set.RecNo(), 5);
  }

  void cursorMovesSelection()
  {
    Fixture f;
    f.set.SetData(equipment());
    TDBGrid grid;
    const auto tester = checkedModel(grid);
    grid.SetDataSource(&f.source);
    grid.show();
    f.set.Last();
    QCOMPARE(grid.currentIndex().row(), 4);
    f.set.SetRecNo(2);
    QCOMPARE(grid.currentIndex().row(), 1);
    QVERIFY(grid.selectionModel()->isSelected(grid.currentIndex()));
    f.set.Close();
    QCOMPARE(grid.model()->rowCount(), 0);
    QVERIFY(!grid.SelectedField());
    f.set.SetData(equipment());
    QCOMPARE(grid.currentIndex().row(), 0);
    QCOMPARE(f.set.RecNo(), 1);
  }

  void sortKeepsCursorSync()
  {
    Fixture f;
    f.set.SetData(equipment());
    TDBSortGrid grid;
    grid.SetDataSource(&f.source);
    grid.SetColumns({{QStringLiteral("CDEQUIPPRO"), 71, {}}, {QStringLiteral("NMEQUIPPRO"), 120, {}}});
    grid.resize(400, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    f.set.SetRecNo(2); // EQ2 "Serra"
    const int scrollsBefore = f.scrolls;

    // A title click sorts by name: Esteira, Fresa, Prensa, Serra, Torno.
    QHeaderView *header = grid.horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 10, header->height() / 2));
    QCOMPARE(grid.SortField(), QStringLiteral("NMEQUIPPRO"));
    QCOMPARE(cellText(grid, 0, 1), QStringLiteral("Esteira"));
    QCOMPARE(cellText(grid, 4, 1), QStringLiteral("Torno"));
    // The cursor did not move and the view follows it to its new place.
    QCOMPARE(f.set.RecNo(), 2);
    QCOMPARE(f.scrolls, scrollsBefore);
    QCOMPARE(grid.currentIndex().row(), 3);

    // Choosing the first row shown moves the cursor to that record, not to record 1.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cellCenter(grid, 0, 0));
    QCOMPARE(f.set.RecNo(), 5);
    QCOMPARE(f.set.FieldByName(QStringLiteral("NMEQUIPPRO")).AsString(), QStringLiteral("Esteira"));
    // Moving the cursor selects the record's sorted row.
    f.set.First(); // EQ1 "Torno"
    QCOMPARE(grid.currentIndex().row(), 4);

    // Clicking the same title again sorts descending.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 10, header->height() / 2));
    QCOMPARE(grid.SortOrder(), Qt::DescendingOrder);
    QCOMPARE(cellText(grid, 0, 1), QStringLiteral("Torno"));
    QCOMPARE(grid.currentIndex().row(), 0);
    QCOMPARE(f.set.RecNo(), 1);

    // Reloading the set keeps the order asked for.
    f.set.Close();
    f.set.SetData(equipment());
    QCOMPARE(cellText(grid, 0, 1), QStringLiteral("Torno"));
    QCOMPARE(cellText(grid, 4, 1), QStringLiteral("Esteira"));
  }

  void sortOrderOfValues()
  {
    // Numbers by value (not "10" before "9"), texts regardless of case, empty values first.
    zrt::DataPacket p;
    p.fields = {{"CDEQUIPPRO", zrt::FieldType::String, 10}, {"QTD", zrt::FieldType::Float, 0}};
    p.rows = {{"b", 10.0}, {"A", 9.0}, {"c", nullptr}, {"a2", 100.5}};
    TClientDataSet set;
    TDataSource source(nullptr, &set);
    set.SetData(p);
    TDBSortGrid grid;
    grid.SetDataSource(&source);
    grid.SortBy(QStringLiteral("QTD"));
    QStringList order;
    for (int r = 0; r < 4; ++r)
      order << cellText(grid, r, 0);
    QCOMPARE(order, (QStringList{QStringLiteral("c"), QStringLiteral("A"), QStringLiteral("b"), QStringLiteral("a2")}));
    grid.SortBy(QStringLiteral("CDEQUIPPRO"), Qt::DescendingOrder);
    order.clear();
    for (int r = 0; r < 4; ++r)
      order << cellText(grid, r, 0);
    QCOMPARE(order, (QStringList{QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a2"), QStringLiteral("A")}));
    grid.ClearSort();
    QCOMPARE(cellText(grid, 0, 0), QStringLiteral("b"));
  }

  void keyHandlersDiscard()
  {
    Fixture f;
    f.set.SetData(equipment());
    TDBGrid grid;
    const auto tester = checkedModel(grid);
    grid.SetDataSource(&f.source);
    QList<int> downs;
    grid.OnKeyDown = [&](TDBGrid &, int &key, Qt::KeyboardModifiers mods) {
      downs << key;
      if (key == Qt::Key_Down && (mods & Qt::ControlModifier))
        key = 0;
      if (key == Qt::Key_PageDown)
        Abort();
    };
    grid.show();
    QVERIFY(QTest::qWaitForWindowActive(&grid));
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(f.set.RecNo(), 1);
    QTest::keyClick(&grid, Qt::Key_PageDown);
    QCOMPARE(f.set.RecNo(), 1);
    QTest::keyClick(&grid, Qt::Key_Down);
    QCOMPARE(f.set.RecNo(), 2);
    // The Ctrl key itself is a key down too, as the form's handlers expect.
    QCOMPARE(downs, (QList<int>{Qt::Key_Control, Qt::Key_Down, Qt::Key_PageDown, Qt::Key_Down}));
  }

  void inplaceEditorKeys()
  {
    Fixture f;
    f.set.SetData(equipment());
    TDBGrid grid;
    const auto tester = checkedModel(grid);
    grid.SetOptions(grid.Options() | dgEditing);
    grid.SetDataSource(&f.source);
    grid.SetColumns({{QStringLiteral("CDEQUIPPRO"), 71, {}}, {QStringLiteral("NMEQUIPPRO"), 120, {}}});
    // Digits may not be typed into the name.
    grid.OnKeyPress = [](TDBGrid &g, QChar &key) {
      if (g.SelectedField() && g.SelectedField()->FieldName == QStringLiteral("NMEQUIPPRO") && key.isDigit())
        key = QChar();
    };
    grid.show();
    QVERIFY(QTest::qWaitForWindowActive(&grid));
    grid.setFocus();
    grid.setCurrentIndex(grid.model()->index(1, 1));
    QVERIFY(!grid.InplaceEditor());
    QTest::keyClick(&grid, Qt::Key_F2);
    QVERIFY(grid.InplaceEditor());
    auto *editor = qobject_cast<QLineEdit *>(grid.InplaceEditor());
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("Se1rr2a3 X"));
    QCOMPARE(editor->text(), QStringLiteral("Serra X"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!grid.InplaceEditor()); // the editor commits on a queued call
    QCOMPARE(f.set.State(), dsEdit);
    QCOMPARE(f.set.RecNo(), 2);
    QCOMPARE(f.set.FieldByName(QStringLiteral("NMEQUIPPRO")).AsString(), QStringLiteral("Serra X"));
    f.set.Post();
    QCOMPARE(cellText(grid, 1, 1), QStringLiteral("Serra X"));
  }

  void cancelOnExitDropsBlankInsert()
  {
    Fixture f;
    f.set.SetData(equipment());
    QWidget form;
    auto *grid = new TDBGrid(&form);
    auto *other = new QLineEdit(&form);
    other->move(0, 320);
    grid->resize(300, 300);
    grid->SetDataSource(&f.source);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    grid->setFocus();

    f.set.Insert();
    QCOMPARE(f.set.RecordCount(), 6);
    other->setFocus();
    QCOMPARE(f.set.State(), dsBrowse);
    QCOMPARE(f.set.RecordCount(), 5);

    // A record with something typed in stays.
    grid->setFocus();
    f.set.Insert();
    f.set.FieldByName(QStringLiteral("CDEQUIPPRO")).SetAsString(QStringLiteral("EQ9"));
    other->setFocus();
    QCOMPARE(f.set.State(), dsInsert);
    f.set.Cancel();

    // Without the option nothing is dropped.
    grid->SetOptions(grid->Options() & ~TGridOptions(dgCancelOnExit));
    grid->setFocus();
    f.set.Insert();
    other->setFocus();
    QCOMPARE(f.set.State(), dsInsert);
    f.set.Cancel();
  }

  void readOnlyGridOpensNoEditor()
  {
    Fixture f;
    f.set.SetData(equipment());
    TDBGrid grid;
    const auto tester = checkedModel(grid);
    grid.SetDataSource(&f.source);
    grid.show();
    QVERIFY(QTest::qWaitForWindowActive(&grid));
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_F2);
    QTest::keyClicks(&grid, QStringLiteral("abc"));
    QVERIFY(!grid.InplaceEditor());
    QCOMPARE(f.set.State(), dsBrowse);
  }

  void stringGridDimensions()
  {
    TStringGrid grid;
    const auto tester = checkedModel(grid);
    QCOMPARE(grid.ColCount(), 8);
    QCOMPARE(grid.RowCount(), 12);
    grid.SetDefaultColWidth(90);
    grid.SetDefaultRowHeight(38);
    grid.SetColCount(32);
    grid.SetRowCount(2);
    QCOMPARE(grid.model()->columnCount(), 31); // the fixed column is the row header
    QCOMPARE(grid.model()->rowCount(), 1);
    QCOMPARE(grid.ColWidths(5), 90);
    QCOMPARE(grid.RowHeights(1), 38);
    grid.SetRowHeight(0, 30);
    QCOMPARE(grid.RowHeights(0), 30);
    grid.SetColCount(0); // never fewer than the fixed column
    QCOMPARE(grid.ColCount(), 1);
    QCOMPARE(grid.model()->columnCount(), 0);
  }

  void stringGridCells()
  {
    TStringGrid grid;
    const auto tester = checkedModel(grid);
    grid.SetColCount(3);
    grid.SetRowCount(3);
    grid.SetCells(1, 0, QStringLiteral("Seg 07/12/2026"));
    grid.SetCells(0, 1, QStringLiteral("8:00"));
    grid.SetCells(1, 1, QStringLiteral("OP1 //  - OP2"));
    grid.SetCells(3, 1, QStringLiteral("outside"));
    grid.SetCells(-1, 0, QStringLiteral("outside"));
    QCOMPARE(grid.Cells(1, 0), QStringLiteral("Seg 07/12/2026"));
    QCOMPARE(grid.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Seg 07/12/2026"));
    QCOMPARE(grid.model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("8:00"));
    QCOMPARE(cellText(grid, 0, 0), QStringLiteral("OP1 //  - OP2"));
    QCOMPARE(grid.Cells(3, 1), QString());
    QCOMPARE(grid.Cells(0, 0), QString());
    // Shrinking keeps what still fits; growing brings empty cells.
    grid.SetColCount(2);
    grid.SetColCount(4);
    QCOMPARE(grid.Cells(1, 1), QStringLiteral("OP1 //  - OP2"));
    QCOMPARE(grid.Cells(3, 1), QString());
    // Single changes outside a bulk update reach the view at once.
    QSignalSpy changed(grid.model(), &QAbstractItemModel::dataChanged);
    grid.SetCells(2, 2, QStringLiteral("OP3"));
    QCOMPARE(changed.count(), 1);
  }

  void stringGridCellBackgroundsAndHints()
  {
    TStringGrid grid;
    grid.SetColCount(3);
    grid.SetRowCount(3);
    const QBrush busy(QColor(0x5d, 0xad, 0xe2));
    grid.SetCellBrush(2, 2, busy);
    grid.SetCellBrush(0, 1, busy); // the fixed column keeps the headers' look
    grid.SetCellBrush(5, 5, busy);
    QCOMPARE(grid.model()->index(1, 1).data(Qt::BackgroundRole).value<QBrush>(), busy);
    QVERIFY(!grid.model()->index(0, 0).data(Qt::BackgroundRole).isValid());
    QCOMPARE(grid.CellBrush(0, 1), QBrush());
    // A brush goes with its cell when the counts change, like its text.
    grid.SetCells(2, 2, QStringLiteral("OP1"));
    grid.SetColCount(5);
    QCOMPARE(grid.Cells(2, 2), QStringLiteral("OP1"));
    QCOMPARE(grid.CellBrush(2, 2), busy);
    grid.SetColCount(2);
    grid.SetColCount(3);
    QCOMPARE(grid.CellBrush(2, 2), QBrush());
    grid.SetCellBrush(1, 1, busy);
    grid.ClearCellBrushes();
    QCOMPARE(grid.CellBrush(1, 1), QBrush());
    QCOMPARE(grid.Cells(2, 2), QString());

    // Hints are asked for when shown, for data cells only.
    QList<QPoint> asked;
    grid.SetCellHint([&](int c, int r) {
      asked.append({c, r});
      return c == 1 ? QStringLiteral("ocupado") : QString();
    });
    QCOMPARE(grid.model()->index(0, 0).data(Qt::ToolTipRole).toString(), QStringLiteral("ocupado"));
    QVERIFY(!grid.model()->index(0, 1).data(Qt::ToolTipRole).isValid());
    QCOMPARE(grid.CellHint(0, 1), QString());
    QCOMPARE(asked, QList<QPoint>({{1, 1}, {2, 1}}));
  }

  void stringGridBulkRebuildIsOneReset()
  {
    TStringGrid grid;
    const auto tester = checkedModel(grid);
    grid.resize(600, 400);
    grid.show();
    QSignalSpy resets(grid.model(), &QAbstractItemModel::modelReset);
    QSignalSpy changed(grid.model(), &QAbstractItemModel::dataChanged);
    grid.BeginUpdate();
    grid.SetColCount(370);
    grid.SetRowCount(25);
    for (int c = 1; c < 370; ++c) {
      grid.SetCells(c, 0, QStringLiteral("Dia %1").arg(c));
      for (int r = 1; r < 25; ++r)
        grid.SetCells(c, r, QStringLiteral("%1/%2").arg(c).arg(r));
    }
    grid.EndUpdate();
    QCOMPARE(resets.count(), 1);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(grid.model()->columnCount(), 369);
    QCOMPARE(grid.Cells(369, 24), QStringLiteral("369/24"));
    QCOMPARE(cellText(grid, 23, 368), QStringLiteral("369/24"));
  }

  void stringGridPaintsDuringBulkUpdate()
  {
    // A repaint in the middle of a rebuild (an event loop runs while the data are fetched)
    // must not read cells that are gone.
    TStringGrid grid;
    const auto tester = checkedModel(grid);
    grid.SetColCount(40);
    grid.SetRowCount(20);
    grid.SetCells(39, 19, QStringLiteral("last"));
    grid.resize(600, 400);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.scrollToBottom();
    grid.BeginUpdate();
    grid.SetColCount(2);
    grid.SetRowCount(2);
    QCOMPARE(grid.model()->columnCount(), 39); // the view still sees the old shape
    QCOMPARE(grid.model()->index(18, 38).data().toString(), QString());
    grid.grab();
    QCoreApplication::processEvents();
    grid.SetCells(1, 1, QStringLiteral("OP1"));
    grid.EndUpdate();
    QCOMPARE(grid.model()->columnCount(), 1);
    QCOMPARE(grid.model()->rowCount(), 1);
    QCOMPARE(cellText(grid, 0, 0), QStringLiteral("OP1"));
    grid.grab();
  }

  void stringGridNotEditableRangeSelect()
  {
    TStringGrid grid;
    const auto tester = checkedModel(grid);
    grid.SetColCount(5);
    grid.SetRowCount(5);
    grid.SetCells(1, 1, QStringLiteral("A"));
    grid.resize(500, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowActive(&grid));
    grid.setFocus();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cellCenter(grid, 0, 0));
    QTest::keyClicks(&grid, QStringLiteral("xyz"));
    QTest::keyClick(&grid, Qt::Key_F2);
    QCOMPARE(grid.Cells(1, 1), QStringLiteral("A"));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ShiftModifier, cellCenter(grid, 2, 1));
    QCOMPARE(grid.Selection(), QRect(QPoint(1, 1), QPoint(2, 3)));
  }
};

QTEST_MAIN(TstUiGrids)
#include "tst_ui_grids.moc"
