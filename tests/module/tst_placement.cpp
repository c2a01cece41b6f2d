// Where a window goes when shown over the host's main window: the arithmetic on its own, then
// real windows (an ordinary window over a main window, an MDI child in the host's area).
#include "shared/frmpadrao.h"
#include "shared/placement.h"

#include <inhouse/services/application.h>

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QtTest>

namespace {
using Bars = std::vector<TAlignedBar>;

class TPlacedWindow : public TfrmPadrao {
public:
  TPlacedWindow() : TfrmPadrao(nullptr, QStringLiteral("ZRT09998")) { resize(400, 300); }
  using TfrmPadrao::AttachAsMdiChild;
};

TAlignedBar Bar(TAlignedBar::Align align, int width, int height) { return {align, QSize(width, height)}; }
} // namespace

Q_DECLARE_METATYPE(Bars)

class TestPlacement : public QObject {
  Q_OBJECT
private slots:
  void mdiChildOffset_data();
  void mdiChildOffset();
  void centred_data();
  void centred();
  void clamped_data();
  void clamped();

  void ordinaryWindowCentredOverTheMainWindow_data();
  void ordinaryWindowCentredOverTheMainWindow();
  void repositionedAtEachShowOnly();
  void mdiChildOffsetByTheHostsBars_data();
  void mdiChildOffsetByTheHostsBars();

  void cleanup() { SetMainForm(nullptr); }
};

void TestPlacement::mdiChildOffset_data()
{
  QTest::addColumn<Bars>("bars");
  QTest::addColumn<QPoint>("expected"); // from (100, 100)
  QTest::newRow("no bars: half of 4") << Bars{} << QPoint(98, 98);
  QTest::newRow("menu, tool bar, status bar")
      << Bars{Bar(TAlignedBar::Top, 900, 20), Bar(TAlignedBar::Top, 900, 30), Bar(TAlignedBar::Bottom, 900, 22)}
      << QPoint(98, 62);
  QTest::newRow("left and right docks") << Bars{Bar(TAlignedBar::Left, 150, 500), Bar(TAlignedBar::Right, 50, 500)}
                                        << QPoint(-2, 98);
  QTest::newRow("odd sum rounds toward zero")
      << Bars{Bar(TAlignedBar::Top, 900, 21), Bar(TAlignedBar::Left, 31, 9)} << QPoint(83, 88);
  QTest::newRow("unaligned ignored") << Bars{Bar(TAlignedBar::None, 300, 300)} << QPoint(98, 98);
}

void TestPlacement::mdiChildOffset()
{
  QFETCH(Bars, bars);
  QFETCH(QPoint, expected);
  QCOMPARE(MdiChildPosition(QPoint(100, 100), bars), expected);
}

void TestPlacement::centred_data()
{
  QTest::addColumn<QSize>("own");
  QTest::addColumn<QPoint>("origin");
  QTest::addColumn<QSize>("client");
  QTest::addColumn<QPoint>("expected");
  QTest::newRow("even") << QSize(400, 300) << QPoint(50, 40) << QSize(1000, 700) << QPoint(350, 240);
  QTest::newRow("odd halves drop the fraction") << QSize(401, 301) << QPoint(0, 0) << QSize(1001, 701) << QPoint(300, 200);
  QTest::newRow("larger than the host") << QSize(900, 700) << QPoint(10, 10) << QSize(600, 400) << QPoint(-140, -140);
}

void TestPlacement::centred()
{
  QFETCH(QSize, own);
  QFETCH(QPoint, origin);
  QFETCH(QSize, client);
  QFETCH(QPoint, expected);
  QCOMPARE(CentredPosition(own, origin, client), expected);
}

void TestPlacement::clamped_data()
{
  QTest::addColumn<QPoint>("position");
  QTest::addColumn<QPoint>("expected");
  QTest::newRow("inside") << QPoint(5, 7) << QPoint(5, 7);
  QTest::newRow("zero") << QPoint(0, 0) << QPoint(0, 0);
  QTest::newRow("left negative") << QPoint(-3, 7) << QPoint(0, 7);
  QTest::newRow("top negative") << QPoint(5, -1) << QPoint(5, 0);
  QTest::newRow("both") << QPoint(-140, -140) << QPoint(0, 0);
}

void TestPlacement::clamped()
{
  QFETCH(QPoint, position);
  QFETCH(QPoint, expected);
  QCOMPARE(ClampToOrigin(position), expected);
}

// --- real windows ---------------------------------------------------------------------------

void TestPlacement::ordinaryWindowCentredOverTheMainWindow_data()
{
  QTest::addColumn<QRect>("host"); // empty: no main window
  QTest::addColumn<QSize>("own");
  QTest::addColumn<QPoint>("expected");
  QTest::newRow("centred") << QRect(100, 80, 1000, 700) << QSize(400, 300) << QPoint(400, 280);
  QTest::newRow("larger than the host: at the edge") << QRect(20, 30, 300, 200) << QSize(500, 400) << QPoint(0, 0);
  QTest::newRow("no main window: left where it was") << QRect() << QSize(400, 300) << QPoint(33, 44);
}

void TestPlacement::ordinaryWindowCentredOverTheMainWindow()
{
  QFETCH(QRect, host);
  QFETCH(QSize, own);
  QFETCH(QPoint, expected);

  QMainWindow main;
  if (host.isValid()) {
    main.setGeometry(host);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    SetMainForm(&main);
  }
  TPlacedWindow w;
  w.resize(own);
  w.move(33, 44);
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  // The expected points are for a window without a frame; a frame widens the outer size.
  const QSize frame = w.frameGeometry().size() - w.size();
  QPoint adjusted = expected;
  if (host.isValid() && expected != QPoint(0, 0))
    adjusted -= QPoint(frame.width() / 2, frame.height() / 2);
  QCOMPARE(w.frameGeometry().topLeft(), adjusted);
}

void TestPlacement::repositionedAtEachShowOnly()
{
  QMainWindow main;
  main.setGeometry(100, 80, 1000, 700);
  main.show();
  QVERIFY(QTest::qWaitForWindowExposed(&main));
  SetMainForm(&main);

  TPlacedWindow w;
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  const QSize frame = w.frameGeometry().size() - w.size();
  const QPoint centre = QPoint(400, 280) - QPoint(frame.width() / 2, frame.height() / 2);
  QCOMPARE(w.frameGeometry().topLeft(), centre);

  // Moved by the user while visible: it stays there.
  w.move(10, 10);
  QTest::qWait(20);
  QCOMPARE(w.frameGeometry().topLeft(), QPoint(10, 10));

  // Shown again: back over the main window.
  w.hide();
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  QCOMPARE(w.frameGeometry().topLeft(), centre);

  // A window placed by its definition keeps its position.
  TPlacedWindow designed;
  designed.Position = TfrmPadrao::poDesigned;
  designed.move(12, 14);
  designed.show();
  QVERIFY(QTest::qWaitForWindowExposed(&designed));
  QCOMPARE(designed.frameGeometry().topLeft(), QPoint(12, 14));
  QVERIFY(!designed.boCentralizar && !w.boCentralizar);
}

void TestPlacement::mdiChildOffsetByTheHostsBars_data()
{
  QTest::addColumn<bool>("withBars");
  QTest::newRow("no aligned bars") << false;
  QTest::newRow("menu bar, tool bar and status bar") << true;
}

void TestPlacement::mdiChildOffsetByTheHostsBars()
{
  QFETCH(bool, withBars);

  QMainWindow main;
  main.resize(1000, 760);
  auto *area = new QMdiArea(&main);
  main.setCentralWidget(area);
  QToolBar *tools = nullptr;
  if (withBars) {
    main.menuBar()->addMenu(QStringLiteral("&Janela"));
    tools = main.addToolBar(QStringLiteral("Ferramentas"));
    tools->addAction(QStringLiteral("Abrir"));
    main.statusBar()->showMessage(QStringLiteral("Pronto"));
  }
  main.show();
  QVERIFY(QTest::qWaitForWindowExposed(&main));
  SetMainForm(&main);

  auto *w = new TPlacedWindow;
  w->AttachAsMdiChild(&main);
  QMdiSubWindow *sub = w->MdiSubWindow();
  sub->show();
  QCOMPARE(sub->size(), QSize(400, 300));

  const QSize client = area->viewport()->size();
  int heights = 4;
  if (withBars)
    heights += main.menuBar()->height() + tools->height() + main.statusBar()->height();
  const QPoint expected(client.width() / 2 - 200 - 2, client.height() / 2 - 150 - heights / 2);
  QVERIFY(expected.x() > 0 && expected.y() > 0);
  QTRY_COMPARE(sub->pos(), expected);
}

QTEST_MAIN(TestPlacement)
#include "tst_placement.moc"
