// The sheet's month and year pages at work: the marked days of a known plant, the navigation
// and its bounds, and the day window opened by a double click, driven through real widgets
// against the real application server.
#include "plantfixture.h"

#include "dayreservations/frmresedia.h"
#include "package/units.h"
#include "sheet/frmplanilha.h"

#include <QApplication>
#include <QtTest>

#include <set>

using namespace Cli_zrt02600;

namespace {
// Days on which the known plant's reservations of EQ1 start, counted from today, for the three
// statuses the toggles select (OP4's status on day 3 has no toggle).
const int kEq1StartOffsets[] = {1, 2, 5, 7, 8};

std::set<QDate> Marked(const TDBCalendar *c)
{
  std::set<QDate> days;
  const QDate first(c->GetDateElement(1), c->GetDateElement(2), 1);
  for (QDate d = first; d.month() == first.month(); d = d.addDays(1))
    if (c->IsMarked(d))
      days.insert(d);
  return days;
}

struct TOpenedDay {
  QString equip;
  double day, from, to;
};
} // namespace

class tst_sheetcalendars : public QObject {
  Q_OBJECT

  std::unique_ptr<TPlant> plant;
  TfrmPlanilha *sheet = nullptr;
  QDate today;
  QList<TOpenedDay> opened;

  void EnterPeriod(const QDate &from, const QDate &to)
  {
    SetPeriod(sheet, from, QStringLiteral("08:00"), to, QStringLiteral("18:00"));
    LeavePanel(sheet);
  }

  void DoubleClickDay(TDBCalendar *c, const QDate &day)
  {
    const QRect cell = c->DayRect(day);
    QVERIFY(!cell.isEmpty());
    QTest::mouseDClick(c->viewport(), Qt::LeftButton, {}, cell.center());
  }

  // The days of EQ1's reservations that fall in the given month.
  std::set<QDate> ExpectedIn(int year, int month) const
  {
    std::set<QDate> days;
    for (int offset : kEq1StartOffsets) {
      const QDate d = today.addDays(offset);
      if (d.year() == year && d.month() == month)
        days.insert(d);
    }
    return days;
  }

  int Count(const QString &method) const { return int(plant->CallMethods().count(method)); }

private slots:
  void init()
  {
    today = QDate::currentDate();
    plant = std::make_unique<TPlant>(today);
    QVERIFY(BeginSheetTest(*plant));
    sheet = OpenSheet();
    QVERIFY(sheet);
    opened.clear();
    TfrmPlanilha::CriaReseDia = [this](const QString &equip, double day, double from, double to) {
      opened.append({equip, day, from, to});
    };
    plant->ClearCalls();
  }

  void cleanup()
  {
    TfrmPlanilha::CriaReseDia = Cli_zrt02602::CriaReseDia;
    EndSheetTest(plant);
  }

  void monthPageMarksTheDaysReservationsStartOn()
  {
    ClickPage(sheet, sheet->tshMes);
    QCOMPARE(Count(QStringLiteral("GetReseGeral")), 1);
    TDBCalendar *c = sheet->dbcMes;
    QCOMPARE(c->CalendarDate(), today);
    QCOMPARE(Marked(c), ExpectedIn(today.year(), today.month()));
    QCOMPARE(c->HollidayColor(), QColor(47, 224, 37));
    QVERIFY(c->ShowCurrentDay());
    // Hovering a marked day tells how many reservations start on it: OP1 and OP2 on day 1.
    const QDate day1 = today.addDays(1), day2 = today.addDays(2);
    if (day1.month() == today.month()) {
      const QModelIndex cell = c->indexAt(c->DayRect(day1).center());
      QCOMPARE(cell.data(Qt::ToolTipRole).toString(), QStringLiteral("2 reservas iniciam neste dia"));
      QVERIFY(
          cell.data(Qt::AccessibleTextRole).toString().endsWith(QStringLiteral(", com reservas, 2 reservas iniciam neste dia")));
    }
    if (day2.month() == today.month())
      QCOMPARE(c->indexAt(c->DayRect(day2).center()).data(Qt::ToolTipRole).toString(),
               QStringLiteral("1 reserva inicia neste dia"));
    if (today.month() == today.addDays(6).month())
      QVERIFY(!c->indexAt(c->DayRect(today.addDays(6)).center()).data(Qt::ToolTipRole).isValid());

    // The next month shows the rest of the period's marks, without a new request.
    plant->ClearCalls();
    sheet->sbtMesPost->click();
    const QDate next = today.addMonths(1);
    QCOMPARE(c->GetDateElement(2), next.month());
    QCOMPARE(Marked(c), ExpectedIn(next.year(), next.month()));
    QVERIFY(plant->calls.isEmpty());

    // Only the chosen equipment: EQ10 has one reservation, tomorrow.
    QTest::mouseClick(sheet->dbgEquipamentos->viewport(), Qt::LeftButton, {},
                      sheet->dbgEquipamentos->visualRect(sheet->dbgEquipamentos->model()->index(1, 0)).center());
    QCOMPARE(sheet->qryEquipamento->FieldByName(QStringLiteral("CDEQUIPPRO")).AsString(), QStringLiteral("EQ10"));
    QCOMPARE(Count(QStringLiteral("GetReseGeral")), 1);
    const QDate tomorrow = today.addDays(1);
    c->SetDateElement(1, tomorrow.year());
    c->SetDateElement(2, tomorrow.month());
    QCOMPARE(Marked(c), std::set<QDate>{tomorrow});
  }

  void marksFollowTheStatusesOfTheLastRequest()
  {
    // OP1 (pending) starts on days 1 and 5; with Pendente up those days keep a mark only if
    // another order starts there (OP2 also starts on day 1).
    ClickPage(sheet, sheet->tshMes);
    plant->ClearCalls();
    sheet->tbtPendente->click();
    QCOMPARE(Count(QStringLiteral("GetReseGeral")), 0); // the toggles do not refill the marks
    ClickPage(sheet, sheet->tshAno);
    ClickPage(sheet, sheet->tshMes);
    QCOMPARE(Count(QStringLiteral("GetReseGeral")), 2); // each page change asks again
    const QDate day5 = today.addDays(5), day1 = today.addDays(1);
    sheet->dbcMes->SetDateElement(1, day5.year());
    sheet->dbcMes->SetDateElement(2, day5.month());
    QVERIFY(!sheet->dbcMes->IsMarked(day5));
    sheet->dbcMes->SetDateElement(1, day1.year());
    sheet->dbcMes->SetDateElement(2, day1.month());
    QVERIFY(sheet->dbcMes->IsMarked(day1));
  }

  void monthNavigation_data()
  {
    QTest::addColumn<QDate>("start");
    QTest::addColumn<int>("direction"); // 1 back, 2 forward
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QDate>("shown");
    const int last = QDate::currentDate().year() + 10;
    // clang-format off
    QTest::newRow("back from January 2000 stays") << QDate(2000, 1, 15) << 1 << "Janeiro de 2000" << QDate(2000, 1, 15);
    QTest::newRow("forward from December 2014") << QDate(2014, 12, 15) << 2 << "Janeiro de 2015" << QDate(2015, 1, 15);
    QTest::newRow("back from January 2010") << QDate(2010, 1, 15) << 1 << "Dezembro de 2009" << QDate(2009, 12, 15);
    QTest::newRow("forward past the old December 2015") << QDate(2015, 12, 15) << 2 << "Janeiro de 2016" << QDate(2016, 1, 15);
    QTest::newRow("forward from the last December stays")
        << QDate(last, 12, 15) << 2 << QStringLiteral("Dezembro de %1").arg(last) << QDate(last, 12, 15);
    QTest::newRow("a 31st into February") << QDate(2003, 1, 31) << 2 << "Fevereiro de 2003" << QDate(2003, 2, 28);
    QTest::newRow("a 31st back into November") << QDate(2024, 12, 31) << 1 << "Novembro de 2024" << QDate(2024, 11, 30);
    // clang-format on
  }
  void monthNavigation()
  {
    QFETCH(QDate, start);
    QFETCH(int, direction);
    QFETCH(QString, caption);
    QFETCH(QDate, shown);
    EnterPeriod(start, start.addDays(3));
    ClickPage(sheet, sheet->tshMes);
    QCOMPARE(sheet->dbcMes->CalendarDate(), start);
    plant->ClearCalls();
    (direction == 1 ? sheet->sbtMesAnt : sheet->sbtMesPost)->click();
    QCOMPARE(sheet->panExibeMes->text(), caption);
    QCOMPARE(sheet->dbcMes->CalendarDate(), shown);
    QCOMPARE(int(woAnoAtual), shown.year());
    QCOMPARE(int(woMesAtual), shown.month());
    QVERIFY(plant->calls.isEmpty());
    QVERIFY(plant->errors.isEmpty());
  }

  void yearNavigation_data()
  {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("direction");
    QTest::addColumn<int>("shown");
    const int year = QDate::currentDate().year();
    QTest::newRow("back from 2000 stays") << 2000 << 1 << 2000;
    QTest::newRow("back from 2001") << 2001 << 1 << 2000;
    QTest::newRow("forward past the old 2015") << 2015 << 2 << 2016;
    QTest::newRow("forward from the server's year") << year << 2 << year + 1;
    QTest::newRow("forward from ten years on stays") << year + 10 << 2 << year + 10;
  }
  void yearNavigation()
  {
    QFETCH(int, start);
    QFETCH(int, direction);
    QFETCH(int, shown);
    EnterPeriod(QDate(start, 6, 10), QDate(start, 6, 12));
    ClickPage(sheet, sheet->tshAno);
    QCOMPARE(sheet->panExibeAno->text(), QString::number(start));
    plant->ClearCalls();
    (direction == 1 ? sheet->SpeedButton1 : sheet->SpeedButton2)->click();
    QCOMPARE(sheet->panExibeAno->text(), QString::number(shown));
    for (int m = 0; m < 12; ++m) {
      QCOMPARE(sheet->dbcAno[size_t(m)]->GetDateElement(1), shown);
      QCOMPARE(sheet->dbcAno[size_t(m)]->GetDateElement(2), m + 1);
      QVERIFY(!sheet->dbcAno[size_t(m)]->ShowCurrentDay());
    }
    QVERIFY(plant->calls.isEmpty());
  }

  void yearPageMarksEveryMonthOfThePeriod()
  {
    ClickPage(sheet, sheet->tshAno);
    QCOMPARE(Count(QStringLiteral("GetReseGeral")), 1);
    QCOMPARE(sheet->panExibeAno->text(), QString::number(today.year()));
    for (int m = 1; m <= 12; ++m) {
      const TDBCalendar *c = sheet->dbcAno[size_t(m - 1)];
      QCOMPARE(c->objectName().isEmpty(), false);
      QCOMPARE(c->HollidayColor(), QColor(0, 255, 0));
      QCOMPARE(Marked(c), ExpectedIn(today.year(), m));
    }
    // A period running into the next year marks it there.
    sheet->SpeedButton2->click();
    QCOMPARE(Marked(sheet->dbcAno[0]), ExpectedIn(today.year() + 1, 1));
    QCOMPARE(sheet->dbcAno[2]->objectName(), QStringLiteral("dbcMarco"));
  }

  void doubleClickOpensTheDayWindow()
  {
    ClickPage(sheet, sheet->tshMes);
    const QDate day = today.addDays(2).month() == today.month() ? today.addDays(2) : today;
    DoubleClickDay(sheet->dbcMes, day);
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened[0].equip, QStringLiteral("EQ1"));
    QCOMPARE(opened[0].day, zrt::toDateTime(day));
    QCOMPARE(opened[0].from, sheet->PeriodoInicial());
    QCOMPARE(opened[0].to, sheet->PeriodoFinal());
    QCOMPARE(opened[0].from, zrt::toDateTime(today, QTime(8, 0)));
    QCOMPARE(opened[0].to, zrt::toDateTime(today.addDays(30), QTime(18, 0)));

    // 15 March of the year shown, in the year view; any day opens, marked or not.
    ClickPage(sheet, sheet->tshAno);
    sheet->SpeedButton1->click();
    DoubleClickDay(sheet->dbcAno[2], QDate(today.year() - 1, 3, 15));
    QCOMPARE(opened.size(), 2);
    QCOMPARE(opened[1].equip, QStringLiteral("EQ1"));
    QCOMPARE(opened[1].day, zrt::toDateTime(QDate(today.year() - 1, 3, 15)));
    QCOMPARE(opened[1].from, sheet->PeriodoInicial());
  }

  void keyboardReachesAndOpensADay()
  {
    ClickPage(sheet, sheet->tshMes);
    // From the step buttons, Tab reaches the month; Home and Enter open its first day.
    sheet->sbtMesPost->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), sheet->dbcMes);
    QTest::keyClick(sheet->dbcMes, Qt::Key_Home);
    QTest::keyClick(sheet->dbcMes, Qt::Key_Return);
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened[0].day, zrt::toDateTime(QDate(today.year(), today.month(), 1)));
  }

  void dayWindowOpensOverTheMonthAndLeavesItAsItWas()
  {
    TfrmPlanilha::CriaReseDia = Cli_zrt02602::CriaReseDia;
    ClickPage(sheet, sheet->tshMes);
    sheet->sbtMesPost->click();
    const QDate next = today.addMonths(1);
    const QDate day(next.year(), next.month(), 10);
    plant->ClearCalls();
    QString label;
    int rows = -1;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, [&] {
      TfrmReseDia *w = Cli_zrt02602::frmReseDia;
      if (!w || !w->isActiveWindow() || w->lblData->text().isEmpty())
        return;
      poll.stop();
      label = w->lblData->text();
      rows = w->cdsReservadosDia->RecordCount();
      w->Close();
    });
    poll.start();
    DoubleClickDay(sheet->dbcMes, day);
    poll.stop();
    FlushDeletes();
    QCOMPARE(label, day.toString(QStringLiteral("dd/MM/yyyy")));
    QCOMPARE(rows, 0);
    QCOMPARE(plant->CallMethods(), QStringList({QStringLiteral("GetReservaDia"), QStringLiteral("GetReservaDia")}));
    QCOMPARE(plant->calls[0].params[0].get<std::string>(), std::string("EQ1"));
    QCOMPARE(plant->calls[0].params[4].get<double>(), zrt::toDateTime(day));
    QVERIFY(!Cli_zrt02602::boStCriado);
    // Back on the sheet: the month shown and the navigation state are where the user left them.
    QCOMPARE(sheet->dbcMes->CalendarDate(), day);
    QCOMPARE(int(woMesAtual), next.month());
    QCOMPARE(sheet->panExibeMes->text().section(QLatin1Char(' '), -1), QString::number(next.year()));
    QVERIFY(plant->errors.isEmpty());
  }

  void failedRequestShowsTheMonthUnmarked()
  {
    sheet->dbgOrdemProd->setFocus(); // out of the period panel while the server is up
    QCoreApplication::processEvents();
    plant->StopServer();
    const QDate start(2024, 2, 10);
    sheet->depInicio->SetDate(start);
    ClickPage(sheet, sheet->tshMes);
    QCOMPARE(plant->errors.size(), 1);
    QCOMPARE(sheet->panExibeMes->text(), QStringLiteral("Fevereiro de 2024"));
    QCOMPARE(sheet->dbcMes->CalendarDate(), start);
    QVERIFY(!sheet->cdsReseGeral->Active());
    QCOMPARE(sheet->dbcMes->MarkedDayCount(), 0);
    // Navigation still works without the server.
    sheet->sbtMesPost->click();
    QCOMPARE(sheet->panExibeMes->text(), QStringLiteral("Março de 2024"));
    QCOMPARE(plant->errors.size(), 1);
  }

  void emptyStartDateIsRefusedBeforeAsking()
  {
    sheet->depInicio->SetDate(QDate());
    plant->ClearCalls();
    ClickPage(sheet, sheet->tshAno);
    QCOMPARE(plant->prompts.shown, QStringList{QStringLiteral("Informe uma data válida.")});
    QVERIFY(plant->calls.isEmpty());
    QVERIFY(plant->errors.isEmpty());
  }
};

QTEST_MAIN(tst_sheetcalendars)
#include "tst_sheetcalendars.moc"
