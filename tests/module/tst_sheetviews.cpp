// The sheet at work: period entry, the day view and the week grid, driven through real widgets
// against the real application server over a known plant.
#include "plantfixture.h"

#include "package/units.h"
#include "sheet/frmplanilha.h"
#include "sheet/occupancy.h"
#include "sheet/weekgrid.h"

#include <inhouse/data/datasetmodel.h>
#include <inhouse/services/waitanimation.h>

#include <QApplication>
#include <QMdiSubWindow>
#include <QToolTip>
#include <QtTest>

using namespace Cli_zrt02600;

namespace {
double At(const QDate &d, int h, int m = 0) { return zrt::toDateTime(d, QTime(h, m)); }

} // namespace

class tst_sheetviews : public QObject {
  Q_OBJECT

  std::unique_ptr<TPlant> plant;
  TfrmPlanilha *sheet = nullptr;
  QDate today;

  const TRecordedCall *LastCall(const QString &method) const
  {
    for (int i = plant->calls.size() - 1; i >= 0; --i)
      if (plant->calls[i].method == method)
        return &plant->calls[i];
    return nullptr;
  }

  int NonEmptyDataCells() const
  {
    int n = 0;
    for (int c = 1; c < sheet->stgSemana->ColCount(); ++c)
      for (int r = 1; r < sheet->stgSemana->RowCount(); ++r)
        n += !sheet->stgSemana->Cells(c, r).isEmpty();
    return n;
  }

private slots:
  void init()
  {
    today = QDate::currentDate();
    plant = std::make_unique<TPlant>(today);
    QVERIFY(BeginSheetTest(*plant));
    sheet = OpenSheet();
    QVERIFY(sheet);
    QCOMPARE(QApplication::focusWidget(), sheet->depInicio);
    plant->ClearCalls();
  }

  void cleanup() { EndSheetTest(plant); }

  // --- period entry --------------------------------------------------------------------

  void leavingThePanelChecksThePeriod_data()
  {
    QTest::addColumn<int>("fromDay");
    QTest::addColumn<QString>("fromHour");
    QTest::addColumn<int>("toDay");
    QTest::addColumn<QString>("toHour");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    // clang-format off
    QTest::newRow("dates reversed") << 10 << "08:00" << 9 << "18:00" << "Data inicial deve ser menor ou igual que a data final."
        << "depInicio";
    QTest::newRow("same day, hours reversed") << 3 << "18:00" << 3 << "08:00"
        << "Data/Hora inicial deve ser menor ou igual a data/hora final." << "medHoraIni";
    QTest::newRow("a single instant") << 3 << "10:00" << 3 << "10:00" << "" << "dbgEquipamentos";
    QTest::newRow("hours not compared across days") << 3 << "18:00" << 4 << "08:00" << "" << "dbgEquipamentos";
    // clang-format on
  }
  void leavingThePanelChecksThePeriod()
  {
    QFETCH(int, fromDay);
    QFETCH(QString, fromHour);
    QFETCH(int, toDay);
    QFETCH(QString, toHour);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    SetPeriod(sheet, today.addDays(fromDay), fromHour, today.addDays(toDay), toHour);
    LeavePanel(sheet);
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    const TRecordedCall *call = LastCall(QStringLiteral("GetReservados"));
    if (message.isEmpty()) {
      QVERIFY(plant->prompts.shown.isEmpty());
      QVERIFY(call);
      const double from = At(today.addDays(fromDay), fromHour.left(2).toInt(), fromHour.mid(3).toInt());
      const double to = At(today.addDays(toDay), toHour.left(2).toInt(), toHour.mid(3).toInt());
      QCOMPARE(call->params, nlohmann::json({"EQ1", "1", "2", "2", from, to}));
      QVERIFY(sheet->cdsReservados->Active());
      QCOMPARE(sheet->PeriodoInicial(), from);
    } else {
      QCOMPARE(plant->prompts.shown, QStringList({message}));
      QVERIFY(!call);
      QVERIFY(!sheet->cdsReservados->Active());
    }
    QVERIFY(plant->errors.isEmpty());
  }

  void fieldChecksOnLeavingAField_data()
  {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    // clang-format off
    QTest::newRow("cleared start date") << "depInicio" << "" << "Informe uma data válida.";
    QTest::newRow("year below 1000") << "depFinal" << "01010999" << "Informe uma data válida.";
    QTest::newRow("minutes above 59") << "medHoraIni" << "10:75" << "Informe uma hora válida.";
    QTest::newRow("hour 24") << "medHoraFin" << "24:00" << "Informe uma hora válida.";
    QTest::newRow("empty hour") << "medHoraIni" << "  :  " << "Informe uma hora válida.";
    QTest::newRow("one-digit hour") << "medHoraFin" << " 9:30" << "";
    QTest::newRow("last minute of the day") << "medHoraFin" << "23:59" << "";
    // clang-format on
  }
  void fieldChecksOnLeavingAField()
  {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    QWidget *w = sheet->findChild<QWidget *>(field);
    QVERIFY(w);
    w->setFocus();
    if (auto *date = qobject_cast<TDateEditPlus *>(w))
      date->SetDigitsText(text.isEmpty() ? QStringLiteral("        ") : text);
    else
      static_cast<TMaskEdit *>(w)->SetText(text);
    // To a neighbour inside the panel: only the field check runs, never the period check.
    QTest::keyClick(w, w == sheet->medHoraFin ? Qt::Key_Backtab : Qt::Key_Tab);
    if (message.isEmpty()) {
      QVERIFY(plant->prompts.shown.isEmpty());
      QVERIFY(QApplication::focusWidget() != w);
    } else {
      QCOMPARE(plant->prompts.shown, QStringList({message}));
      QCOMPARE(QApplication::focusWidget(), w);
    }
    QVERIFY(plant->calls.isEmpty());
  }

  void invalidDateIsRejectedByTheDateEdit()
  {
    sheet->depInicio->setFocus();
    sheet->depInicio->SetDigitsText(QStringLiteral("31022027"));
    QTest::keyClick(sheet->depInicio, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), sheet->depInicio);
    QCOMPARE(plant->errors.size(), 1);
    QVERIFY2(plant->errors.first().contains(QStringLiteral("31/02/2027")), qPrintable(plant->errors.first()));
  }

  void enteringThePanelClosesTheOrders()
  {
    LeavePanel(sheet);
    // EQ1 over today 08:00 to today + 30 18:00 (730 h): 2 h on day 1 (OP2 within OP1), 2 h on
    // day 2, 1,5 h across the night of day 5, 2 h on day 7, 1 h 1 min on day 8.
    QCOMPARE(sheet->lblUtilizacao->text(), QStringLiteral("6 reservas · 8,5 h reservadas de 730,0 h (1,2%)"));
    QVERIFY(sheet->cdsReservados->Active());
    QVERIFY(sheet->sbtProcurar->isEnabled());
    QVERIFY(sheet->mnuProcurar->isEnabled());
    sheet->pgcOrdemProd->SetActivePage(sheet->tshSemana);
    QTest::mouseClick(sheet->depFinal, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), sheet->depFinal);
    QVERIFY(!sheet->cdsReservados->Active());
    QVERIFY(!sheet->sbtProcurar->isEnabled());
    QCOMPARE(sheet->pgcOrdemProd->ActivePage(), sheet->tshDia);
    QCOMPARE(sheet->dbgOrdemProd->model()->rowCount(), 0);
    QCOMPARE(sheet->lblUtilizacao->text(), QString());
  }

  // A click on another equipment row while the period check fails: the check wins. The row
  // stays, nothing is asked, the lists stay closed and the stored bounds keep their values.
  void periodCheckWinsOverAClickOnTheEquipment()
  {
    LeavePanel(sheet);
    const double storedFrom = sheet->PeriodoInicial();
    const double storedTo = sheet->PeriodoFinal();
    SetPeriod(sheet, today.addDays(10), QStringLiteral("08:00"), today.addDays(9), QStringLiteral("18:00"));
    plant->ClearCalls();
    auto *view = sheet->dbgEquipamentos;
    const QRect cell = view->visualRect(view->model()->index(2, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(plant->prompts.shown, QStringList{QStringLiteral("Data inicial deve ser menor ou igual que a data final.")});
    QCOMPARE(QApplication::focusWidget(), sheet->depInicio);
    QCOMPARE(sheet->qryEquipamento->RecNo(), 1);
    QCOMPARE(sheet->CodEquip(), QStringLiteral("EQ1"));
    QVERIFY(plant->calls.isEmpty());
    QVERIFY(!sheet->cdsReservados->Active());
    QVERIFY(!sheet->cdsReseGeral->Active());
    QCOMPARE(sheet->PeriodoInicial(), storedFrom);
    QCOMPARE(sheet->PeriodoFinal(), storedTo);
    QVERIFY(plant->errors.isEmpty());
  }

  // Entering the period panel shows "Dia" without running the page change: the calendar data
  // a click on the equipment loaded stay.
  void enteringThePanelShowsDiaWithoutAPageChange()
  {
    LeavePanel(sheet);
    ClickPage(sheet, sheet->tshSemana);
    auto *view = sheet->dbgEquipamentos;
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(0, 0)).center());
    QVERIFY(sheet->cdsReseGeral->Active());
    plant->ClearCalls();
    QTest::mouseClick(sheet->depFinal, Qt::LeftButton);
    QCOMPARE(sheet->pgcOrdemProd->ActivePage(), sheet->tshDia);
    QVERIFY(sheet->cdsReseGeral->Active());
    QVERIFY(plant->calls.isEmpty());
  }

  // --- day view ----------------------------------------------------------------------

  void ordersOfTheEquipmentInTheDayGrid()
  {
    LeavePanel(sheet);
    TDataSet *orders = sheet->cdsReservados;
    // Ordered by start; the "Paralisada" order is never selected.
    QCOMPARE(FieldValues(*orders, QStringLiteral("NRORDPROD")),
             QStringList({QStringLiteral("OP1"), QStringLiteral("OP2"), QStringLiteral("OP3"), QStringLiteral("OP1"),
                          QStringLiteral("OP2"), QStringLiteral("OP3")}));
    auto *model = sheet->dbgOrdemProd->model();
    QStringList titles;
    for (int c = 0; c < model->columnCount(); ++c)
      titles << model->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(titles, QStringList({QStringLiteral("Ordem"), QStringLiteral("Cód. Produto"), QStringLiteral("Produto"),
                                  QStringLiteral("Inicio"), QStringLiteral("Fim"), QStringLiteral("Quantidade")}));
    QCOMPARE(model->index(0, 5).data().toString(), QStringLiteral("1.500,0000"));
    QCOMPARE(model->index(1, 5).data().toString(), QStringLiteral("250,5000"));
    QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("1.01.001"));
    QCOMPARE(model->index(0, 2).data().toString(), QStringLiteral("Tampa 38mm"));
    QCOMPARE(model->index(0, 3).data().toString(),
             today.addDays(1).toString(QStringLiteral("dd/MM/yyyy")) + QStringLiteral(" 08:00:00"));
  }

  void statusTogglesSelectByPosition_data()
  {
    QTest::addColumn<bool>("pendente");
    QTest::addColumn<bool>("andamento");
    QTest::addColumn<bool>("concluida");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QStringList>("orders");
    QTest::newRow("all up") << false << false << false
                            << QStringList({QStringLiteral(""), QStringLiteral(""), QStringLiteral("")}) << QStringList();
    QTest::newRow("only concluded") << false << false << true
                                    << QStringList({QStringLiteral(""), QStringLiteral(""), QStringLiteral("2")})
                                    << QStringList({QStringLiteral("OP3"), QStringLiteral("OP3")});
    QTest::newRow("only in progress") << false << true << false
                                      << QStringList({QStringLiteral(""), QStringLiteral("2"), QStringLiteral("")})
                                      << QStringList({QStringLiteral("OP2"), QStringLiteral("OP2")});
    QTest::newRow("only pending") << true << false << false
                                  << QStringList({QStringLiteral("1"), QStringLiteral(""), QStringLiteral("")})
                                  << QStringList({QStringLiteral("OP1"), QStringLiteral("OP1")});
  }
  void statusTogglesSelectByPosition()
  {
    QFETCH(bool, pendente);
    QFETCH(bool, andamento);
    QFETCH(bool, concluida);
    QFETCH(QStringList, sent);
    QFETCH(QStringList, orders);
    LeavePanel(sheet);
    const QWidget *focus = QApplication::focusWidget();
    const std::pair<QToolButton *, bool> toggles[] = {
        {sheet->tbtPendente, pendente}, {sheet->tbtAndamento, andamento}, {sheet->tbtConcluida, concluida}};
    for (auto [toggle, down] : toggles)
      if (toggle->isChecked() != down)
        QTest::mouseClick(toggle, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), focus); // a toggle takes no focus
    const TRecordedCall *call = LastCall(QStringLiteral("GetReservados"));
    QVERIFY(call);
    QCOMPARE(call->params[1].get<std::string>(), sent[0].toStdString());
    QCOMPARE(call->params[2].get<std::string>(), sent[1].toStdString());
    QCOMPARE(call->params[3].get<std::string>(), sent[2].toStdString());
    QCOMPARE(FieldValues(*sheet->cdsReservados, QStringLiteral("NRORDPROD")), orders);
    QVERIFY(!plant->CallMethods().contains(QStringLiteral("GetReseGeral")));
  }

  void keyboardMovesReloadOrdersAndClicksAlsoTheCalendarData()
  {
    LeavePanel(sheet);
    QCOMPARE(QApplication::focusWidget(), sheet->dbgEquipamentos);
    plant->ClearCalls();
    QTest::keyClick(sheet->dbgEquipamentos, Qt::Key_Down);
    QCOMPARE(sheet->CodEquip(), QStringLiteral("EQ10"));
    QCOMPARE(plant->CallMethods(), QStringList({QStringLiteral("GetReservados")}));
    QCOMPARE(plant->calls[0].params[0].get<std::string>(), "EQ10");
    QCOMPARE(FieldValues(*sheet->cdsReservados, QStringLiteral("NRORDPROD")), QStringList({QStringLiteral("OP2")}));

    plant->ClearCalls();
    auto *view = sheet->dbgEquipamentos;
    const QRect cell = view->visualRect(view->model()->index(2, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(sheet->CodEquip(), QStringLiteral("EQ2"));
    QCOMPARE(plant->CallMethods(), QStringList({QStringLiteral("GetReservados"), QStringLiteral("GetReseGeral")}));
    QCOMPARE(plant->calls[1].params[0].get<std::string>(), "EQ2");
    QVERIFY(sheet->cdsReseGeral->Active());
  }

  void searchFollowsTheFocus()
  {
    LeavePanel(sheet);
    // Orders grid: the search runs on the orders.
    sheet->dbgOrdemProd->setFocus();
    plant->prompts.searches = {{0, QStringLiteral("op3")}};
    QTest::keyClick(sheet->dbgOrdemProd, Qt::Key_F7);
    QVERIFY(plant->prompts.searches.isEmpty());
    QCOMPARE(sheet->cdsReservados->RecNo(), 3);

    // Equipment grid: on the equipment, and the new row loads its orders.
    sheet->dbgEquipamentos->setFocus();
    plant->prompts.searches = {{2, QStringLiteral("extrusora")}};
    QTest::mouseClick(sheet->sbtProcurar, Qt::LeftButton);
    QCOMPARE(sheet->qryEquipamento->RecNo(), 3);
    QCOMPARE(sheet->CodEquip(), QStringLiteral("EQ2"));

    // A period field has the focus: nothing is asked (the orders list closed on entering).
    plant->prompts.searches = {{0, QStringLiteral("x")}};
    sheet->medHoraIni->setFocus();
    QTest::keyClick(sheet->medHoraIni, Qt::Key_F7);
    QCOMPARE(plant->prompts.searches.size(), 1);
  }

  void searchWithTheOrdersClosedDoesNothing()
  {
    LeavePanel(sheet);
    sheet->cdsReservados->Close();
    sheet->dbgOrdemProd->setFocus();
    plant->prompts.searches = {{0, QStringLiteral("EQ")}};
    sheet->sbtProcurarClick();
    QCOMPARE(plant->prompts.searches.size(), 1);
  }

  void includeDoesNothing()
  {
    LeavePanel(sheet);
    QTest::keyClick(sheet->dbgOrdemProd, Qt::Key_F2);
    QCOMPARE(sheet->cdsReservados->State(), dsBrowse);
    QVERIFY(plant->errors.isEmpty());
  }

  // --- week grid ----------------------------------------------------------------------

  void weekGridOnTheDefaultPeriod()
  {
    LeavePanel(sheet);
    plant->ClearCalls();
    ClickPage(sheet, sheet->tshSemana);
    QCOMPARE(plant->CallMethods(), QStringList({QStringLiteral("GetDiasReservados")}));
    QCOMPARE(plant->calls[0].params,
             nlohmann::json({"EQ1", zrt::toDateTime(today), zrt::toDateTime(today.addDays(30)), "1", "2", "2"}));
    TStringGrid *g = sheet->stgSemana;
    QCOMPARE(g->ColCount(), 32);
    QCOMPARE(g->RowCount(), 12);
    QCOMPARE(g->Cells(0, 0), QString());
    QCOMPARE(g->Cells(1, 0), DayHeader(today));
    QCOMPARE(g->Cells(31, 0), DayHeader(today.addDays(30)));
    QCOMPARE(g->Cells(0, 1), QStringLiteral("8:00"));
    QCOMPARE(g->Cells(0, 11), QStringLiteral("18:00"));
    QCOMPARE(g->RowHeights(0), 30);
    // Two orders starting in the same hour share a cell, in result-set order.
    QCOMPARE(g->Cells(2, 1), QStringLiteral("OP1 //  - OP2"));
    QCOMPARE(g->Cells(3, 7), QStringLiteral("OP3"));
    // 23:30 is past the end hour, 07:59 before the start hour, 00:00 before it too.
    QCOMPARE(NonEmptyDataCells(), 2);
  }

  void weekGridShadesTheHoursReservationsCover()
  {
    LeavePanel(sheet);
    ClickPage(sheet, sheet->tshSemana);
    TStringGrid *g = sheet->stgSemana;
    using L = TWeekCellLoad;
    // Day 1: OP1 (pending) 08:00-10:00 and OP2 (in progress) 08:30-09:00 share 8:00.
    QCOMPARE(g->CellBrush(2, 1), OccupancyBrush({2, L::Pending | L::InProgress}));
    QCOMPARE(g->CellBrush(2, 1).style(), Qt::TexturePattern);
    QCOMPARE(g->CellBrush(2, 2), OccupancyBrush({1, L::Pending}));
    QCOMPARE(g->CellBrush(2, 3).style(), Qt::NoBrush);
    // Day 2: OP3 (concluded) 14:00-16:00.
    QCOMPARE(g->CellBrush(3, 7), OccupancyBrush({1, L::Concluded}));
    QCOMPARE(g->CellBrush(3, 8), OccupancyBrush({1, L::Concluded}));
    QCOMPARE(g->CellBrush(3, 9).style(), Qt::NoBrush);
    // Day 8: OP3 from 07:59 keeps 8:00 busy though its number stands before the first row.
    QCOMPARE(g->Cells(9, 1), QString());
    QCOMPARE(g->CellBrush(9, 1), OccupancyBrush({1, L::Concluded}));
    QCOMPARE(g->CellBrush(9, 2).style(), Qt::NoBrush);
    QVERIFY(OccupancyBrush({1, L::Pending}) != OccupancyBrush({1, L::InProgress}));
    QVERIFY(OccupancyBrush({1, L::Pending}) != OccupancyBrush({1, L::Concluded}));
    // The numbers stay where they stood.
    QCOMPARE(g->Cells(2, 1), QStringLiteral("OP1 //  - OP2"));
    QCOMPARE(NonEmptyDataCells(), 2);

    const QString day1 = today.addDays(1).toString(QStringLiteral("dd/MM/yyyy"));
    const QString hint = QStringLiteral("2 reservas nesta hora:\nOrdem OP1 · Tampa 38mm\n%1 08:00 até %1 10:00 · Pendente\n"
                                        "Ordem OP2 · Frasco 500ml\n%1 08:30 até %1 09:00 · Em Andamento")
                             .arg(day1);
    const QModelIndex cell = g->model()->index(0, 1); // column 2, row 1
    QCOMPARE(cell.data(Qt::ToolTipRole).toString(), hint);
    QCOMPARE(cell.data(Qt::AccessibleDescriptionRole).toString(), hint);
    QVERIFY(!g->model()->index(2, 1).data(Qt::ToolTipRole).isValid()); // 10:00 is free

    // The keyboard brings up what hovering shows.
    g->setFocus();
    g->setCurrentIndex(g->model()->index(1, 1));
    QTest::keyClick(g, Qt::Key_Up);
    QCOMPARE(g->currentIndex(), cell);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), hint);
    QTest::keyClick(g, Qt::Key_Down);
    QTest::keyClick(g, Qt::Key_Down);
    QTRY_VERIFY(!QToolTip::isVisible());
  }

  void weekGridOverWholeDays()
  {
    SetPeriod(sheet, today.addDays(5), QStringLiteral("00:00"), today.addDays(8), QStringLiteral("23:00"));
    LeavePanel(sheet);
    ClickPage(sheet, sheet->tshSemana);
    TStringGrid *g = sheet->stgSemana;
    QCOMPARE(g->ColCount(), 5);
    QCOMPARE(g->RowCount(), 25);
    QCOMPARE(g->Cells(0, 1), QStringLiteral("0:00"));
    QCOMPARE(g->Cells(0, 24), QStringLiteral("23:00"));
    QCOMPARE(g->Cells(1, 24), QStringLiteral("OP1")); // 23:30 to 01:00 of the next day: its first hour only
    QCOMPARE(g->Cells(3, 1), QStringLiteral("OP2"));  // exactly midnight: hour 0
    QCOMPARE(g->Cells(4, 8), QStringLiteral("OP3"));  // 07:59 in hour 7
    QCOMPARE(NonEmptyDataCells(), 3);
  }

  // An empty start date and a click on "Semana": one message, no request, no grid built;
  // whether the focus was in the field (its check refuses the click) or elsewhere.
  void weekWithAnEmptyStartDate_data()
  {
    QTest::addColumn<bool>("focusInTheField");
    QTest::newRow("focus in the start date") << true;
    QTest::newRow("focus in the equipment list") << false;
  }
  void weekWithAnEmptyStartDate()
  {
    QFETCH(bool, focusInTheField);
    LeavePanel(sheet);
    if (focusInTheField)
      sheet->depInicio->setFocus();
    sheet->depInicio->SetDigitsText(QStringLiteral("        "));
    plant->ClearCalls();
    const int cols = sheet->stgSemana->ColCount();
    ClickPage(sheet, sheet->tshSemana);
    QCOMPARE(plant->prompts.shown, QStringList{QStringLiteral("Informe uma data válida.")});
    QVERIFY(plant->calls.isEmpty());
    QVERIFY(plant->errors.isEmpty());
    QCOMPARE(sheet->stgSemana->ColCount(), cols);
    QCOMPARE(ShowAviDepth(), 0);
    if (focusInTheField) {
      QCOMPARE(QApplication::focusWidget(), sheet->depInicio);
      QCOMPARE(sheet->pgcOrdemProd->ActivePage(), sheet->tshDia);
    }
  }

  // The user's widths and heights stay while the grid is rebuilt for the same period; another
  // period starts from the defaults again.
  void weekGridKeepsUserSizesForTheSamePeriod()
  {
    LeavePanel(sheet);
    ClickPage(sheet, sheet->tshSemana);
    TStringGrid *g = sheet->stgSemana;
    g->SetColWidth(0, 70);
    g->SetColWidth(3, 150);
    g->SetRowHeight(0, 50);
    g->SetRowHeight(2, 60);
    auto sizes = [g] { return QList<int>{g->ColWidths(0), g->ColWidths(3), g->RowHeights(0), g->RowHeights(2)}; };
    const QList<int> userSizes{70, 150, 50, 60};
    QTest::mouseClick(sheet->tbtAndamento, Qt::LeftButton); // rebuilds the grid
    QCOMPARE(sizes(), userSizes);
    ClickPage(sheet, sheet->tshDia);
    ClickPage(sheet, sheet->tshSemana);
    QCOMPARE(sizes(), userSizes);

    SetPeriod(sheet, today.addDays(1), QStringLiteral("08:00"), today.addDays(5), QStringLiteral("18:00"));
    LeavePanel(sheet);
    ClickPage(sheet, sheet->tshSemana);
    QCOMPARE(sizes(), (QList<int>{90, 90, 30, 38}));
  }

  void weekGridWithHoursReversedAcrossDays()
  {
    SetPeriod(sheet, today.addDays(1), QStringLiteral("18:00"), today.addDays(2), QStringLiteral("08:00"));
    LeavePanel(sheet);
    ClickPage(sheet, sheet->tshSemana);
    QCOMPARE(sheet->stgSemana->ColCount(), 3);
    QCOMPARE(sheet->stgSemana->RowCount(), 1);
  }

  void toggleOnTheWeekPageRebuildsGridAndList()
  {
    LeavePanel(sheet);
    ClickPage(sheet, sheet->tshSemana);
    plant->ClearCalls();
    QTest::mouseClick(sheet->tbtAndamento, Qt::LeftButton);
    QCOMPARE(plant->CallMethods(), QStringList({QStringLiteral("GetDiasReservados"), QStringLiteral("GetReservados")}));
    QCOMPARE(sheet->stgSemana->Cells(2, 1), QStringLiteral("OP1"));
    QCOMPARE(sheet->stgSemana->Cells(3, 7), QStringLiteral("OP3"));
    QCOMPARE(sheet->pgcOrdemProd->ActivePage(), sheet->tshSemana);
  }

  void otherEquipmentLeavesTheGridUntilRebuilt()
  {
    LeavePanel(sheet);
    ClickPage(sheet, sheet->tshSemana);
    sheet->qryEquipamento->Next(); // EQ10
    QCOMPARE(sheet->stgSemana->Cells(2, 1), QStringLiteral("OP1 //  - OP2"));
    ClickPage(sheet, sheet->tshDia);
    ClickPage(sheet, sheet->tshSemana);
    QCOMPARE(sheet->stgSemana->Cells(2, 1), QString());
    QCOMPARE(sheet->stgSemana->Cells(2, 3), QStringLiteral("OP2"));
  }

  void serverFailureKeepsTheGridAndHidesTheAnimation()
  {
    LeavePanel(sheet);
    ClickPage(sheet, sheet->tshSemana);
    plant->StopServer();
    QTest::mouseClick(sheet->tbtPendente, Qt::LeftButton);
    QCOMPARE(plant->errors.size(), 1);
    QCOMPARE(ShowAviDepth(), 0);
    QCOMPARE(sheet->stgSemana->ColCount(), 32);
    QCOMPARE(sheet->stgSemana->Cells(2, 1), QStringLiteral("OP1 //  - OP2"));
  }
};

QTEST_MAIN(tst_sheetviews)
#include "tst_sheetviews.moc"
