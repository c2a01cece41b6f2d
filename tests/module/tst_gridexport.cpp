// Every grid of the module exported to a CSV file through its menu, over the real plant and
// server: the file starts with the titles the grid shows and holds a known row as shown (numbers
// without grouping). The order list is also copied with the real Ctrl+C inside the sheet.
#include "csvfile.h"
#include "plantfixture.h"

#include "dayreservations/frmresedia.h"
#include "freehours/frmhoralivre.h"
#include "package/units.h"
#include "sheet/frmplanilha.h"
#include "sheet/weekgrid.h"

#include <zrt/common/datetime.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QTableView>
#include <QtTest>

namespace {

// The titles as the grid's header shows them, behind the fixed column's corner when it has one.
QStringList ShownTitles(const QTableView &grid, bool rowTitles)
{
  QStringList titles;
  if (rowTitles)
    titles << QString();
  for (int c = 0; c < grid.model()->columnCount(); ++c)
    titles << grid.model()->headerData(c, Qt::Horizontal).toString();
  return titles;
}

QString Digits(const QDate &d) { return d.toString(QStringLiteral("ddMMyyyy")); }

} // namespace

class tst_gridexport : public QObject {
  Q_OBJECT

  std::unique_ptr<TPlant> plant;
  TfrmPlanilha *sheet = nullptr;
  QTemporaryDir dir;
  int files = 0;

  QString Day(int offset) const { return plant->today.addDays(offset).toString(QStringLiteral("dd/MM/yyyy")); }

  // The grid's "Exportar..." answered with a new file; the file as read back.
  CsvTable Export(QTableView *grid)
  {
    const QString path = dir.filePath(QStringLiteral("grade%1.csv").arg(++files));
    plant->prompts.saveFiles << path;
    auto *action = grid->findChild<QAction *>(QStringLiteral("mnuExportar"));
    if (!action)
      return {};
    action->trigger();
    return ReadCsv(path, ';');
  }

private slots:
  void init()
  {
    QVERIFY(dir.isValid());
    plant = std::make_unique<TPlant>();
    QVERIFY(BeginSheetTest(*plant));
    Cli_zrt02602::Initialization();
    Cli_zrt02603::Initialization();
    sheet = OpenSheet();
    QVERIFY(sheet);
    LeavePanel(sheet); // loads the orders of EQ1 for the default period
  }

  void cleanup()
  {
    QCOMPARE(plant->prompts.shown, QStringList());
    QCOMPARE(plant->errors, QStringList());
    EndSheetTest(plant);
    Cli_zrt02602::Finalization();
    Cli_zrt02603::Finalization();
  }

  void sheetGrids()
  {
    const CsvTable equipment = Export(sheet->dbgEquipamentos);
    QCOMPARE(equipment.size(), 4);
    QCOMPARE(equipment[0], ShownTitles(*sheet->dbgEquipamentos, false));
    QCOMPARE(equipment[0], (QStringList{QStringLiteral("Código"), QStringLiteral("Sigla"), QStringLiteral("Nome")}));
    QCOMPARE(equipment[1],
             (QStringList{QStringLiteral("EQ1"), QStringLiteral("INJ-1"), QStringLiteral("Injetora Horizontal 1")}));

    const CsvTable orders = Export(sheet->dbgOrdemProd);
    QCOMPARE(orders.size(), 7);
    QCOMPARE(orders[0], ShownTitles(*sheet->dbgOrdemProd, false));
    QCOMPARE(orders[1], (QStringList{QStringLiteral("OP1"), QStringLiteral("1.01.001"), QStringLiteral("Tampa 38mm"),
                                     Day(1) + QStringLiteral(" 08:00:00"), Day(1) + QStringLiteral(" 10:00:00"),
                                     QStringLiteral("1500,0000")}));

    ClickPage(sheet, sheet->tshSemana);
    TStringGrid *week = sheet->stgSemana;
    const CsvTable weekFile = Export(week);
    QCOMPARE(weekFile.size(), week->RowCount());
    QCOMPARE(weekFile[0], ShownTitles(*week, true));
    QCOMPARE(weekFile[0][1], DayHeader(plant->today));
    QStringList eight;
    for (int c = 0; c < week->ColCount(); ++c)
      eight << week->Cells(c, 1);
    QCOMPARE(weekFile[1], eight);
    QCOMPARE(weekFile[1][0], QStringLiteral("8:00"));
    QCOMPARE(weekFile[1][2], QStringLiteral("OP1 //  - OP2"));
  }

  // Ctrl+C reaches the order list through the window's own key handling.
  void sheetOrderCopiedWithCtrlC()
  {
    ClickPage(sheet, sheet->tshDia);
    sheet->dbgOrdemProd->setFocus();
    QTest::keyClick(sheet->dbgOrdemProd, Qt::Key_Down); // the second order
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(sheet->dbgOrdemProd, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("Ordem\tCód. Produto\tProduto\tInicio\tFim\tQuantidade\nOP2\t1.01.002\tFrasco 500ml\t") + Day(1) +
                 QStringLiteral(" 08:30:00\t") + Day(1) + QStringLiteral(" 09:00:00\t250,5000\n"));
  }

  void dayReservations()
  {
    CsvTable file;
    QStringList titles;
    DriveModal([] { return Cli_zrt02602::frmReseDia.data(); },
               [](TfrmPadrao &w) {
                 auto &day = static_cast<TfrmReseDia &>(w);
                 return day.Created() && day.isActiveWindow() && !day.netReservaDia->InCall() && !day.lblData->text().isEmpty();
               },
               [&](TfrmPadrao &w) {
                 titles = ShownTitles(*w.dbgPadrao, false);
                 file = Export(w.dbgPadrao);
               },
               [&] {
                 Cli_zrt02602::CriaReseDia(QStringLiteral("EQ1"), zrt::toDateTime(plant->today.addDays(1)),
                                           zrt::toDateTime(plant->today, QTime(8, 0)),
                                           zrt::toDateTime(plant->today.addDays(30), QTime(18, 0)));
               });
    QCOMPARE(file.size(), 3);
    QCOMPARE(file[0], titles);
    QCOMPARE(file[0], (QStringList{QStringLiteral("Ordem"), QStringLiteral("Código"), QStringLiteral("Produto"),
                                   QStringLiteral("Data Inicial"), QStringLiteral("Data Final"), QStringLiteral("Quantidade")}));
    QCOMPARE(file[1], (QStringList{QStringLiteral("OP1"), QStringLiteral("1.01.001"), QStringLiteral("Tampa 38mm"),
                                   Day(1) + QStringLiteral(" 08:00:00"), Day(1) + QStringLiteral(" 10:00:00"),
                                   QStringLiteral("1500,0000")}));
  }

  void freeHours()
  {
    CsvTable file;
    QVERIFY(DriveModal([] { return Cli_zrt02603::frmHoraLivre.data(); }, [](TfrmPadrao &) { return true; },
                       [&](TfrmPadrao &w) {
                         auto &free = static_cast<TfrmHoraLivre &>(w);
                         for (QWidget *field : {static_cast<QWidget *>(free.depInicio), static_cast<QWidget *>(free.depFinal)}) {
                           field->setFocus(Qt::TabFocusReason);
                           QTest::keyClick(field, Qt::Key_Home);
                           QTest::keyClicks(field, Digits(plant->today.addDays(1)));
                         }
                         QTest::mouseClick(free.dbgPadrao->viewport(), Qt::LeftButton, {}, QPoint(20, 20)); // searches
                         QCOMPARE(ShownTitles(*free.dbgPadrao, false),
                                  (QStringList{QStringLiteral("Código"), QStringLiteral("Nome"), QStringLiteral("Dia"),
                                               QStringLiteral("De"), QStringLiteral("Até")}));
                         file = Export(free.dbgPadrao);
                       },
                       [this] { sheet->SpeedButton3->click(); }));
    QVERIFY(file.size() > 1);
    QCOMPARE(file[0], (QStringList{QStringLiteral("Código"), QStringLiteral("Nome"), QStringLiteral("Dia"), QStringLiteral("De"),
                                   QStringLiteral("Até")}));
    // EQ1 is busy from 08:00 to 10:00 that day.
    QVERIFY(file.contains(QStringList{QStringLiteral("EQ1"), QStringLiteral("Injetora Horizontal 1"), Day(1),
                                      QStringLiteral("10:00"), QStringLiteral("18:00")}));
  }
};

QTEST_MAIN(tst_gridexport)
#include "tst_gridexport.moc"
