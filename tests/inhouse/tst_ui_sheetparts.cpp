// Library pieces the reservation windows share: the week grid's string grid (sizes the user
// sets, bulk updates that fail) and the three status toggles, driven as a user drives them.
#include <inhouse/ui/statustoggles.h>
#include <inhouse/ui/stringgrid.h>

#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <stdexcept>

Q_DECLARE_METATYPE(TStatusTexts)

namespace {
// Drags from one point to another of a widget with the left button.
void Drag(QWidget *w, QPoint from, QPoint to)
{
  QTest::mousePress(w, Qt::LeftButton, {}, from);
  QTest::mouseMove(w, from + (to - from) / 2);
  QTest::mouseMove(w, to);
  QTest::mouseRelease(w, Qt::LeftButton, {}, to);
}

struct ShownGrid {
  TStringGrid grid;
  ShownGrid()
  {
    grid.SetDefaultColWidth(90);
    grid.SetDefaultRowHeight(38);
    grid.SetColCount(6);
    grid.SetRowCount(5);
    grid.resize(700, 400);
    grid.show();
  }
};
} // namespace

class TstUiSheetParts : public QObject {
  Q_OBJECT
private slots:
  // Every part of the grid is resized by dragging its border: the header row by its bottom
  // edge, the hour column by its right edge, columns and rows by their borders.
  void userResizesColumnsRowsAndFixedParts()
  {
    ShownGrid g;
    QVERIFY(QTest::qWaitForWindowExposed(&g.grid));
    QHeaderView *top = g.grid.horizontalHeader();
    QHeaderView *left = g.grid.verticalHeader();
    QCOMPARE(g.grid.RowHeights(0), 38);
    QCOMPARE(g.grid.ColWidths(0), 90);

    Drag(top->viewport(), QPoint(40, 37), QPoint(40, 57));
    QCOMPARE(g.grid.RowHeights(0), 58);
    Drag(left->viewport(), QPoint(89, 10), QPoint(59, 10));
    QCOMPARE(g.grid.ColWidths(0), 60);

    // Column 2's right border (between data columns 2 and 3), row 1's bottom border.
    const int colEdge = top->sectionViewportPosition(1) + top->sectionSize(1) - 1;
    Drag(top->viewport(), QPoint(colEdge, 10), QPoint(colEdge + 30, 10));
    QCOMPARE(g.grid.ColWidths(2), 120);
    const int rowEdge = left->sectionViewportPosition(0) + left->sectionSize(0) - 1;
    Drag(left->viewport(), QPoint(5, rowEdge), QPoint(5, rowEdge + 12));
    QCOMPARE(g.grid.RowHeights(1), 50);

    Drag(left->viewport(), QPoint(59, 10), QPoint(-200, 10)); // never below a few pixels
    QVERIFY(g.grid.ColWidths(0) >= 8 && g.grid.ColWidths(0) < 60);
  }

  // Sizes stay with their column and row numbers across a rebuild and a change of the counts;
  // ResetSizes gives every part its default back.
  void sizesSurviveRebuilds()
  {
    ShownGrid g;
    g.grid.SetColWidth(0, 50);
    g.grid.SetColWidth(2, 140);
    g.grid.SetRowHeight(0, 45);
    g.grid.SetRowHeight(3, 70);
    {
      TStringGridUpdate update(g.grid);
      g.grid.SetColCount(6);
      g.grid.SetRowCount(5);
      for (int c = 1; c < 6; ++c)
        g.grid.SetCells(c, 1, QStringLiteral("OP%1").arg(c));
    }
    QCOMPARE(g.grid.ColWidths(0), 50);
    QCOMPARE(g.grid.ColWidths(2), 140);
    QCOMPARE(g.grid.RowHeights(0), 45);
    QCOMPARE(g.grid.RowHeights(3), 70);

    g.grid.SetColCount(9); // a wider grid: new columns come with the default width
    QCOMPARE(g.grid.ColWidths(2), 140);
    QCOMPARE(g.grid.ColWidths(8), 90);

    g.grid.ResetSizes();
    QCOMPARE(g.grid.ColWidths(0), 90);
    QCOMPARE(g.grid.ColWidths(2), 90);
    QCOMPARE(g.grid.RowHeights(0), 38);
    QCOMPARE(g.grid.RowHeights(3), 38);
  }

  // A rebuild that fails half way still ends its bulk update: what it wrote is shown and the
  // next single change reaches the view at once.
  void failedRebuildLeavesTheGridLive()
  {
    TStringGrid grid;
    grid.SetColCount(3);
    grid.SetRowCount(3);
    try {
      TStringGridUpdate update(grid);
      grid.SetColCount(4);
      grid.SetCells(1, 1, QStringLiteral("OP1"));
      throw std::runtime_error("the server went away");
    } catch (const std::runtime_error &) {
    }
    QCOMPARE(grid.model()->columnCount(), 3);
    QCOMPARE(grid.model()->index(0, 0).data().toString(), QStringLiteral("OP1"));
    QSignalSpy changed(grid.model(), &QAbstractItemModel::dataChanged);
    grid.SetCells(2, 2, QStringLiteral("OP2"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(grid.model()->index(1, 1).data().toString(), QStringLiteral("OP2"));
  }

  void statusToggles_data()
  {
    QTest::addColumn<bool>("pendente");
    QTest::addColumn<bool>("andamento");
    QTest::addColumn<bool>("concluida");
    QTest::addColumn<TStatusTexts>("texts");
    QTest::newRow("all down") << true << true << true
                              << TStatusTexts{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("2")};
    QTest::newRow("all up") << false << false << false << TStatusTexts{};
    QTest::newRow("only concluded: 2 as well")
        << false << false << true << TStatusTexts{QStringLiteral(""), QStringLiteral(""), QStringLiteral("2")};
    QTest::newRow("only pending") << true << false << false
                                  << TStatusTexts{QStringLiteral("1"), QStringLiteral(""), QStringLiteral("")};
    QTest::newRow("only in progress") << false << true << false
                                      << TStatusTexts{QStringLiteral(""), QStringLiteral("2"), QStringLiteral("")};
  }
  // Clicked by the user into each combination: the texts follow, each click is signalled
  // after the toggle changed, and the focus stays in the field that had it.
  void statusToggles()
  {
    QFETCH(bool, pendente);
    QFETCH(bool, andamento);
    QFETCH(bool, concluida);
    QFETCH(TStatusTexts, texts);
    QWidget form;
    auto *layout = new QVBoxLayout(&form);
    auto *field = new QLineEdit(&form);
    auto *toggles = new TStatusToggles(&form);
    layout->addWidget(field);
    layout->addWidget(toggles);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    field->setFocus();
    QCOMPARE(toggles->Texts(), (TStatusTexts{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("2")}));

    QList<bool> stateWhenSignalled;
    connect(toggles, &TStatusToggles::clicked, this, [&](QToolButton *b) { stateWhenSignalled << b->isChecked(); });
    int clicks = 0;
    const std::pair<QToolButton *, bool> wanted[] = {
        {toggles->tbtPendente, pendente}, {toggles->tbtAndamento, andamento}, {toggles->tbtConcluida, concluida}};
    for (auto [toggle, down] : wanted)
      if (toggle->isChecked() != down) {
        QTest::mouseClick(toggle, Qt::LeftButton);
        ++clicks;
      }
    QCOMPARE(toggles->Texts(), texts);
    QCOMPARE(stateWhenSignalled, QList<bool>(clicks, false)); // each went up before the signal
    QCOMPARE(QApplication::focusWidget(), field);
  }

  void statusToggleNamesAndImages()
  {
    TStatusToggles sheet(nullptr, {0, 2, 1});
    TStatusToggles day(nullptr, {0, 1, 2});
    QCOMPARE(sheet.findChild<QToolButton *>(QStringLiteral("tbtPendente")), sheet.tbtPendente);
    QCOMPARE(sheet.findChild<QToolButton *>(QStringLiteral("tbtAndamento")), sheet.tbtAndamento);
    QCOMPARE(sheet.findChild<QToolButton *>(QStringLiteral("tbtConcluida")), sheet.tbtConcluida);
    QCOMPARE(sheet.tbtConcluida->toolTip(), QStringLiteral("Concluída"));
    QCOMPARE(sheet.tbtAndamento->toolTip(), QStringLiteral("Em Andamento"));
    for (QToolButton *b : {sheet.tbtPendente, sheet.tbtAndamento, sheet.tbtConcluida}) {
      QVERIFY(b->isCheckable());
      QCOMPARE(b->focusPolicy(), Qt::NoFocus);
    }
    auto image = [](QToolButton *b) { return b->icon().pixmap(16, 16).toImage(); };
    auto library = [](int i) { return TStatusToggles::StatusImage(i).pixmap(16, 16).toImage(); };
    QCOMPARE(image(sheet.tbtAndamento), library(2));
    QCOMPARE(image(sheet.tbtConcluida), library(1));
    QCOMPARE(image(day.tbtAndamento), library(1));
    QCOMPARE(image(day.tbtConcluida), library(2));
    QVERIFY(library(1) != library(2));
  }
};

QTEST_MAIN(TstUiSheetParts)
#include "tst_ui_sheetparts.moc"
