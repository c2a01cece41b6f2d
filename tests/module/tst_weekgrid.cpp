// The week grid's and the period's arithmetic, apart from any window.
#include "sheet/period.h"
#include "sheet/utilisation.h"
#include "sheet/weekgrid.h"

#include <inhouse/services/errors.h>
#include <inhouse/text/regional.h>

#include <QtTest>

namespace {
QMap<QPair<int, int>, QString> Fill(const TWeekGridShape &shape, const std::vector<TWeekReservation> &rs)
{
  QMap<QPair<int, int>, QString> cells;
  FillWeekGrid(shape, rs, [&](int c, int r, const QString &t) { cells[{c, r}] = t; });
  return cells;
}

double At(const QDate &d, int h, int m = 0) { return zrt::toDateTime(d, QTime(h, m)); }
} // namespace

class tst_weekgrid : public QObject {
  Q_OBJECT
private slots:
  void shape_data()
  {
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<int>("startHour");
    QTest::addColumn<int>("endHour");
    QTest::addColumn<int>("cols");
    QTest::addColumn<int>("rows");
    const QDate d(2026, 12, 6);
    QTest::newRow("default period") << d << d.addDays(30) << 8 << 18 << 32 << 12;
    QTest::newRow("one day") << d << d << 8 << 18 << 2 << 12;
    QTest::newRow("one hour") << d << d.addDays(6) << 9 << 9 << 8 << 2;
    QTest::newRow("hours reversed") << d << d.addDays(1) << 18 << 8 << 3 << 1;
    QTest::newRow("a leap year") << QDate(2028, 1, 1) << QDate(2028, 12, 31) << 0 << 23 << 367 << 25;
  }
  void shape()
  {
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(int, startHour);
    QFETCH(int, endHour);
    QFETCH(int, cols);
    QFETCH(int, rows);
    const TWeekGridShape s = WeekGridShape(from, to, startHour, endHour);
    QCOMPARE(s.colCount, cols);
    QCOMPARE(s.rowCount, rows);
  }

  void headersAndLabels()
  {
    QCOMPARE(DayHeader(QDate(2026, 12, 6)), QStringLiteral("Dom 06/12/2026"));
    QCOMPARE(DayHeader(QDate(2026, 12, 8)), QStringLiteral("Ter 08/12/2026"));
    QCOMPARE(DayHeader(QDate(2026, 12, 12)), QStringLiteral("Sáb 12/12/2026"));
    QCOMPARE(HourLabel(0), QStringLiteral("0:00"));
    QCOMPARE(HourLabel(8), QStringLiteral("8:00"));
    QCOMPARE(HourLabel(23), QStringLiteral("23:00"));
    QCOMPARE(HourLabel(24), QString());
  }

  // An invalid date has no next day and no day count: the shape is refused, never counted.
  void invalidDatesAreRefused_data()
  {
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    const QDate d(2026, 12, 6);
    QTest::newRow("no start") << QDate() << d;
    QTest::newRow("no end") << d << QDate();
    QTest::newRow("neither") << QDate() << QDate();
    QTest::newRow("31 February") << QDate(2027, 2, 31) << d;
  }
  void invalidDatesAreRefused()
  {
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QVERIFY_THROWS_EXCEPTION(EConvertError, WeekGridShape(from, to, 8, 18));
  }

  void headersFollowTheRegionalDateFormat()
  {
    const TFormatSettings saved = FormatSettings();
    TFormatSettings iso = saved;
    iso.shortDateFormat = QStringLiteral("yyyy-MM-dd");
    iso.dateSeparator = u'-';
    SetFormatSettings(iso);
    const QString header = DayHeader(QDate(2026, 12, 8));
    SetFormatSettings(saved);
    QCOMPARE(header, QStringLiteral("Ter 2026-12-08"));
  }

  void fillPutsEachReservationInItsStartingHour()
  {
    const QDate d(2026, 3, 1);
    const TWeekGridShape s = WeekGridShape(d, d.addDays(2), 8, 18);
    const auto cells = Fill(s, {
                                   {At(d, 14), QStringLiteral("A")},                // exactly on the hour
                                   {At(d, 7, 59), QStringLiteral("B")},             // before the start hour
                                   {At(d.addDays(1), 18, 59), QStringLiteral("C")}, // in the last row
                                   {At(d.addDays(1), 19), QStringLiteral("D")},     // after it
                                   {At(d.addDays(3), 9), QStringLiteral("E")},      // after the last day
                                   {At(d.addDays(-1), 9), QStringLiteral("F")},     // before the first
                                   {At(d, 14, 30), QStringLiteral("A")},            // a repeated order is repeated
                                   {At(d, 14, 45), QStringLiteral("G")},
                               });
    QCOMPARE(cells.size(), 2);
    QCOMPARE(cells.value({1, 7}), QStringLiteral("A //  - A //  - G"));
    QCOMPARE(cells.value({2, 11}), QStringLiteral("C"));
  }

  void midnightIsHourZero()
  {
    const QDate d(2026, 12, 31);
    const TWeekGridShape s = WeekGridShape(d, d.addDays(1), 0, 23);
    const auto cells = Fill(s, {{At(d.addDays(1), 0), QStringLiteral("NY")}, {At(d, 23, 30), QStringLiteral("LATE")}});
    QCOMPARE(cells.value({2, 1}), QStringLiteral("NY"));
    QCOMPARE(cells.value({1, 24}), QStringLiteral("LATE"));
  }

  void occupancyCoversEveryHourAReservationTouches()
  {
    const QDate d(2026, 3, 1);
    const TWeekGridShape s = WeekGridShape(d, d.addDays(2), 8, 18);
    using L = TWeekCellLoad;
    const std::vector<TWeekReservation> rs = {
        {At(d, 8, 30), QStringLiteral("A"), At(d, 9, 15), u'1'},                         // two partial hours
        {At(d, 9), QStringLiteral("B"), At(d, 10), u'2'},                                // an end on the hour leaves 10:00 free
        {At(d, 23), QStringLiteral("C"), At(d.addDays(1), 9, 30), u'3'},                 // across midnight, into the rows
        {At(d.addDays(2), 17, 59), QStringLiteral("D"), At(d.addDays(2), 17, 59), u'1'}, // no length: its start hour
        {At(d.addDays(-1), 20), QStringLiteral("E"), At(d, 8), u'2'},                    // ends where the rows begin
        {At(d.addDays(2), 18), QStringLiteral("F"), At(d.addDays(3), 2), u'1'},          // past the last row and day
        {At(d.addDays(1), 12), QStringLiteral("G"), At(d.addDays(1), 11), u'9'},         // end before start, unknown status
        {zrt::kMaxDateTime + 10, QStringLiteral("H"), zrt::kMaxDateTime + 11, u'1'},     // no date at all
    };
    // clang-format off
    const QMap<QPair<int, int>, QPair<int, int>> expected = {
        {{1, 1}, {1, L::Pending}},
        {{1, 2}, {2, L::Pending | L::InProgress}},
        {{2, 1}, {1, L::Concluded}},
        {{2, 2}, {1, L::Concluded}},
        {{2, 5}, {1, 0}},
        {{3, 10}, {1, L::Pending}},
        {{3, 11}, {1, L::Pending}},
    };
    // clang-format on
    const std::vector<TWeekCellLoad> load = WeekOccupancy(s, rs);
    QCOMPARE(load.size(), size_t(s.colCount * s.rowCount));
    for (int r = 0; r < s.rowCount; ++r)
      for (int c = 0; c < s.colCount; ++c) {
        const TWeekCellLoad &cell = load[size_t(c + r * s.colCount)];
        const auto want = expected.value({c, r}, {0, 0});
        QVERIFY2(cell.count == want.first && cell.statuses == want.second,
                 qPrintable(QStringLiteral("cell %1,%2").arg(c).arg(r)));
        // The tooltip lists exactly the reservations the shading counted.
        if (c > 0 && r > 0)
          QCOMPARE(int(CoveringReservations(s, rs, c, r).size()), cell.count);
      }
    QCOMPARE(CoveringReservations(s, rs, 1, 2), std::vector<int>({0, 1}));
    QCOMPARE(CoveringReservations(s, rs, 2, 1), std::vector<int>({2}));
  }

  void occupancyAcrossTheYearEnd()
  {
    const QDate d(2026, 12, 31);
    const TWeekGridShape s = WeekGridShape(d, d.addDays(1), 0, 23);
    const auto load = WeekOccupancy(s, {{At(d, 23, 30), QStringLiteral("NY"), At(d.addDays(1), 1), u'2'}});
    int covered = 0;
    for (const auto &cell : load)
      covered += cell.count;
    QCOMPARE(covered, 2);
    QCOMPARE(load[size_t(1 + 24 * s.colCount)].count, 1); // 31/12 23:00
    QCOMPARE(load[size_t(2 + 1 * s.colCount)].count, 1);  // 01/01 0:00
  }

  void utilisationCountsOverlapsOnceWithinThePeriod()
  {
    const QDate d(2026, 3, 1);
    const double from = At(d, 8), to = At(d.addDays(2), 18); // 58 hours
    const TUtilisation u = Utilisation(
        {
            {At(d, 8, 30), At(d, 10)},                    // overlaps the next
            {At(d, 6), At(d, 9)},                         // begins before the period
            {At(d, 10), At(d, 11)},                       // touches the first
            {At(d.addDays(1), 12), At(d.addDays(1), 12)}, // no length
            {At(d.addDays(2), 17), At(d.addDays(3), 1)},  // ends after the period
            {At(d.addDays(5), 0), At(d.addDays(6), 0)},   // outside it
        },
        from, to);
    QCOMPARE(u.reservations, 6);
    QCOMPARE(u.reservedHours, 4.0);
    QCOMPARE(u.periodHours, 58.0);
    QCOMPARE(UtilisationText(u), QStringLiteral("6 reservas · 4,0 h reservadas de 58,0 h (6,9%)"));
  }

  void utilisationTexts_data()
  {
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("reserved");
    QTest::addColumn<double>("period");
    QTest::addColumn<bool>("pointDecimals");
    QTest::addColumn<QString>("text");
    // clang-format off
    QTest::newRow("one") << 1 << 1.5 << 10.0 << false << "1 reserva · 1,5 h reservadas de 10,0 h (15,0%)";
    QTest::newRow("none") << 0 << 0.0 << 730.0 << false << "0 reservas · 0,0 h reservadas de 730,0 h (0,0%)";
    QTest::newRow("empty period") << 0 << 0.0 << 0.0 << false << "0 reservas · 0,0 h reservadas de 0,0 h";
    QTest::newRow("thousands") << 20000 << 8000.25 << 8784.0 << false << "20000 reservas · 8.000,3 h reservadas de 8.784,0 h (91,1%)";
    QTest::newRow("point decimals") << 3 << 8000.25 << 8784.0 << true << "3 reservas · 8,000.3 h reservadas de 8,784.0 h (91.1%)";
    // clang-format on
  }
  void utilisationTexts()
  {
    QFETCH(int, count);
    QFETCH(double, reserved);
    QFETCH(double, period);
    QFETCH(bool, pointDecimals);
    QFETCH(QString, text);
    const TFormatSettings saved = FormatSettings();
    if (pointDecimals) {
      TFormatSettings us = saved;
      us.decimalSeparator = u'.';
      us.thousandSeparator = u',';
      SetFormatSettings(us);
    }
    const QString got = UtilisationText({count, reserved, period});
    SetFormatSettings(saved);
    QCOMPARE(got, text);
  }

  void hourTexts_data()
  {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("08:00") << "08:00" << true;
    QTest::newRow("blank first digit") << " 8:00" << true;
    QTest::newRow("23:59") << "23:59" << true;
    QTest::newRow("00:00") << "00:00" << true;
    QTest::newRow("24:00") << "24:00" << false;
    QTest::newRow("minutes 60") << "10:60" << false;
    QTest::newRow("minutes 75") << "22:75" << false;
    QTest::newRow("00:99") << "00:99" << false;
    QTest::newRow("empty mask") << "  :  " << false;
    QTest::newRow("half typed") << "1 :3 " << false;
  }
  void hourTexts()
  {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(HoraValida(text), valid);
  }

  void joiningDateAndHour()
  {
    QCOMPARE(JuntaDataHora(QDate(2027, 1, 5), QStringLiteral("18:00")), At(QDate(2027, 1, 5), 18));
    QCOMPARE(JuntaDataHora(QDate(2027, 1, 5), QStringLiteral(" 7:30")), At(QDate(2027, 1, 5), 7, 30));
    QVERIFY_THROWS_EXCEPTION(EConvertError, JuntaDataHora(QDate(2027, 1, 5), QStringLiteral("  :  ")));
    QVERIFY_THROWS_EXCEPTION(EConvertError, JuntaDataHora(QDate(), QStringLiteral("08:00")));
  }

  void defaultPeriod_data()
  {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDate>("end");
    QTest::newRow("across the year end") << QDate(2026, 12, 6) << QDate(2027, 1, 5);
    QTest::newRow("across February in a leap year") << QDate(2028, 2, 10) << QDate(2028, 3, 11);
    QTest::newRow("across a month end") << QDate(2026, 1, 31) << QDate(2026, 3, 2);
  }
  void defaultPeriod()
  {
    QFETCH(QDate, today);
    QFETCH(QDate, end);
    const TPeriodDefaults p = DefaultPeriod(today);
    QCOMPARE(p.startDate, today);
    QCOMPARE(p.endDate, end);
    QCOMPARE(p.startHour, QStringLiteral("08:00"));
    QCOMPARE(p.endHour, QStringLiteral("18:00"));
  }
};

QTEST_GUILESS_MAIN(tst_weekgrid)
#include "tst_weekgrid.moc"
