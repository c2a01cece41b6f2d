// The data-aware month calendar on its own: which days it marks from a data set, the date
// elements, the layout of a month, keys and double clicks as a user gives them, and what a
// screen reader hears. Dates and names are the library's fixed pt-BR formats.
#include <inhouse/data/clientdataset.h>
#include <inhouse/data/datasource.h>
#include <inhouse/errors.h>
#include <inhouse/text/regional.h>
#include <inhouse/ui/calendar.h>

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QHeaderView>
#include <QTest>

#include <set>

namespace {
double At(int y, int m, int d, int h = 0, int min = 0, int s = 0) { return zrt::toDateTime(QDate(y, m, d), QTime(h, min, s)); }

zrt::DataPacket Starts(const std::vector<nlohmann::json> &values)
{
  zrt::DataPacket p;
  p.fields = {{"NRORDPROD", zrt::FieldType::String, 10}, {"DTHRINIPROD", zrt::FieldType::DateTime, 0}};
  int n = 0;
  for (const auto &v : values)
    p.rows.push_back({std::to_string(++n), v});
  return p;
}

std::set<int> MarkedDays(const TDBCalendar &c)
{
  std::set<int> days;
  const QDate first(c.GetDateElement(1), c.GetDateElement(2), 1);
  for (int d = 1; d <= first.daysInMonth(); ++d)
    if (c.IsMarked(first.addDays(d - 1)))
      days.insert(d);
  return days;
}

QString Spoken(TDBCalendar &c, const QDate &day)
{
  const QModelIndex index = c.indexAt(c.DayRect(day).center());
  QAccessibleInterface *table = QAccessible::queryAccessibleInterface(&c);
  QAccessibleInterface *cell = table->tableInterface()->cellAt(index.row(), index.column());
  return cell ? cell->text(QAccessible::Name) : QString();
}

struct Shown {
  TClientDataSet data;
  TDataSource source{nullptr, &data};
  TDBCalendar calendar;
  // Checks the model's signals and answers through every change a test makes.
  QAbstractItemModelTester tester{calendar.model(), QAbstractItemModelTester::FailureReportingMode::QtTest};
  Shown()
  {
    calendar.SetDataSource(&source);
    calendar.SetDataField(QStringLiteral("DTHRINIPROD"));
    calendar.SetDateElement(1, 2003);
    calendar.SetDateElement(2, 3);
    calendar.SetDateElement(3, 15);
    calendar.resize(280, 200);
    calendar.show();
  }
};
} // namespace

class TstUiCalendar : public QObject {
  Q_OBJECT
private slots:
  void initTestCase()
  {
    SetFormatSettings(TFormatSettings());
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
  }

  void marksTheDaysOnWhichTheFieldFalls()
  {
    Shown s;
    s.data.SetData(Starts({At(2003, 3, 1), At(2003, 3, 1, 10), At(2003, 3, 15, 23, 59, 59), At(2003, 3, 31, 23, 0),
                           At(2003, 2, 28, 23, 59, 59), At(2003, 4, 1), At(2004, 3, 10), nullptr}));
    QCOMPARE(MarkedDays(s.calendar), (std::set<int>{1, 15, 31}));
    QCOMPARE(s.calendar.MarkedDayCount(), 3);

    // Another month marks from the same rows, without any new data.
    s.calendar.SetDateElement(2, 4);
    QCOMPARE(MarkedDays(s.calendar), (std::set<int>{1}));
    s.calendar.SetDateElement(1, 2004);
    s.calendar.SetDateElement(2, 3);
    QCOMPARE(MarkedDays(s.calendar), (std::set<int>{10}));

    // The data set's life: a reload replaces the marks, a close clears them.
    s.data.SetData(Starts({At(2004, 3, 20, 8)}));
    QCOMPARE(MarkedDays(s.calendar), (std::set<int>{20}));
    s.data.Close();
    QCOMPARE(s.calendar.MarkedDayCount(), 0);
    s.data.Open();
    QCOMPARE(MarkedDays(s.calendar), (std::set<int>{20}));

    // The source pointed at another data set follows it.
    TClientDataSet other;
    other.SetData(Starts({At(2004, 3, 5)}));
    s.source.SetDataSet(&other);
    QCOMPARE(MarkedDays(s.calendar), (std::set<int>{5}));
  }

  void aMissingFieldIsReportedAndMarksNothing()
  {
    QStringList reports;
    SetErrorReporter([&](const QString &text) { reports << text; });
    Shown s;
    s.calendar.SetDataField(QStringLiteral("DTHRFIM"));
    s.data.SetData(Starts({At(2003, 3, 1)}));
    SetErrorReporter(nullptr);
    QCOMPARE(s.calendar.MarkedDayCount(), 0);
    QVERIFY(!reports.isEmpty());
    QVERIFY2(reports.first().contains(QStringLiteral("DTHRFIM")), qPrintable(reports.first()));
  }

  void dateElements()
  {
    TDBCalendar c;
    c.SetDateElement(1, 2003);
    c.SetDateElement(2, 1);
    c.SetDateElement(3, 31);
    QCOMPARE(c.CalendarDate(), QDate(2003, 1, 31));
    // A day the month does not have selects its last day and is kept for the next month.
    c.SetDateElement(2, 4);
    QCOMPARE(c.GetDateElement(3), 30);
    QCOMPARE(c.CalendarDate(), QDate(2003, 4, 30));
    c.SetDateElement(2, 2);
    QCOMPARE(c.CalendarDate(), QDate(2003, 2, 28));
    c.SetDateElement(1, 2004);
    QCOMPARE(c.CalendarDate(), QDate(2004, 2, 29));
    c.SetDateElement(2, 5);
    QCOMPARE(c.CalendarDate(), QDate(2004, 5, 31));

    for (auto [index, value] : {std::pair{2, 13}, {2, 0}, {3, 32}, {3, 0}, {1, 0}, {4, 1}}) {
      QVERIFY_THROWS_EXCEPTION(EConvertError, c.SetDateElement(index, value));
      QCOMPARE(c.CalendarDate(), QDate(2004, 5, 31));
    }
    QVERIFY_THROWS_EXCEPTION(EConvertError, c.GetDateElement(0));

    // UseCurrentDate moves to the system's date; without it the calendar keeps its own.
    c.SetUseCurrentDate(false);
    QCOMPARE(c.CalendarDate(), QDate(2004, 5, 31));
    c.SetUseCurrentDate(true);
    QCOMPARE(c.CalendarDate(), QDate::currentDate());
  }

  void layoutOfAMonth_data()
  {
    QTest::addColumn<int>("startOfWeek");
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("firstHeader");
    QTest::addColumn<int>("firstDayColumn");
    // 1 March 2003 was a Saturday.
    // clang-format off
    QTest::newRow("Sunday first, three letters") << 0 << int(TDBCalendar::dfDDD) << 280 << "Dom" << 6;
    QTest::newRow("Monday first, one letter") << 1 << int(TDBCalendar::dfD) << 280 << "S" << 5;
    QTest::newRow("Saturday first, whole names") << 6 << int(TDBCalendar::dfDDDD) << 900 << "Sábado" << 0;
    QTest::newRow("names too wide for the columns") << 0 << int(TDBCalendar::dfDDD) << 60 << "D" << 6;
    // clang-format on
  }
  void layoutOfAMonth()
  {
    QFETCH(int, startOfWeek);
    QFETCH(int, format);
    QFETCH(int, width);
    QFETCH(QString, firstHeader);
    QFETCH(int, firstDayColumn);
    Shown s;
    s.calendar.SetStartOfWeek(startOfWeek);
    s.calendar.SetDisplayFormat(TDBCalendar::TDisplayFormat(format));
    s.calendar.resize(width, 200);
    QAbstractItemModel *m = s.calendar.model();
    QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), firstHeader);
    const QModelIndex first = s.calendar.indexAt(s.calendar.DayRect(QDate(2003, 3, 1)).center());
    QCOMPARE(first.row(), 0);
    QCOMPARE(first.column(), firstDayColumn);
    // Cells of the months around are blank and cannot be chosen.
    if (firstDayColumn > 0) {
      const QModelIndex before = m->index(0, firstDayColumn - 1);
      QVERIFY(!before.data().isValid());
      QCOMPARE(m->flags(before), Qt::NoItemFlags);
    }
    QVERIFY(s.calendar.DayRect(QDate(2003, 4, 1)).isEmpty());
    // The six weeks and the weekday row fill the control.
    QVERIFY(s.calendar.DayRect(QDate(2003, 3, 31)).bottom() <= s.calendar.viewport()->height());
    QVERIFY(s.calendar.DayRect(QDate(2003, 3, 1)).height() >= s.calendar.viewport()->height() / 7);
    QCOMPARE(s.calendar.StartOfWeek(), startOfWeek);
    QVERIFY_THROWS_EXCEPTION(EConvertError, s.calendar.SetStartOfWeek(7));
  }

  void keysMoveInsideTheMonth()
  {
    Shown s;
    TDBCalendar &c = s.calendar;
    QList<QDate> opened;
    c.OnDblClick = [&](TDBCalendar &cal) { opened << cal.CalendarDate(); };
    c.setFocus();
    QTest::keyClick(&c, Qt::Key_Right);
    QCOMPARE(c.CalendarDate(), QDate(2003, 3, 16));
    QTest::keyClick(&c, Qt::Key_Down);
    QCOMPARE(c.CalendarDate(), QDate(2003, 3, 23));
    QTest::keyClick(&c, Qt::Key_Down);
    QTest::keyClick(&c, Qt::Key_Down); // 6 April is in another month: no move
    QCOMPARE(c.CalendarDate(), QDate(2003, 3, 30));
    QTest::keyClick(&c, Qt::Key_End);
    QCOMPARE(c.CalendarDate(), QDate(2003, 3, 31));
    QTest::keyClick(&c, Qt::Key_Right);
    QCOMPARE(c.CalendarDate(), QDate(2003, 3, 31));
    QTest::keyClick(&c, Qt::Key_Home);
    QTest::keyClick(&c, Qt::Key_Left);
    QTest::keyClick(&c, Qt::Key_Up);
    QCOMPARE(c.CalendarDate(), QDate(2003, 3, 1));
    QCOMPARE(c.GetDateElement(3), 1);
    QTest::keyClick(&c, Qt::Key_Return);
    QCOMPARE(opened, QList<QDate>{QDate(2003, 3, 1)});
  }

  void doubleClickReportsTheDayUnderThePointer()
  {
    Shown s;
    TDBCalendar &c = s.calendar;
    QList<QDate> opened;
    c.OnDblClick = [&](TDBCalendar &cal) {
      opened << QDate(cal.GetDateElement(1), cal.GetDateElement(2), cal.GetDateElement(3));
    };
    const QPoint on22 = c.DayRect(QDate(2003, 3, 22)).center();
    QTest::mouseDClick(c.viewport(), Qt::LeftButton, {}, on22);
    QCOMPARE(opened, QList<QDate>{QDate(2003, 3, 22)});
    QCOMPARE(c.CalendarDate(), QDate(2003, 3, 22));

    // A blank cell names no day.
    const QModelIndex blank = c.model()->index(0, 0);
    QTest::mouseDClick(c.viewport(), Qt::LeftButton, {}, c.visualRect(blank).center());
    QCOMPARE(opened.size(), 1);
    QCOMPARE(c.CalendarDate(), QDate(2003, 3, 22));

    // A single click selects.
    QTest::mouseClick(c.viewport(), Qt::LeftButton, {}, c.DayRect(QDate(2003, 3, 4)).center());
    QCOMPARE(c.CalendarDate(), QDate(2003, 3, 4));
  }

  void screenReaderHearsDateAndMark()
  {
    Shown s;
    s.calendar.SetMarkedText(QStringLiteral("com reservas"));
    s.data.SetData(Starts({At(2003, 3, 15, 9)}));
    QCOMPARE(Spoken(s.calendar, QDate(2003, 3, 15)), QStringLiteral("Sábado, 15/03/2003, com reservas"));
    QCOMPARE(Spoken(s.calendar, QDate(2003, 3, 17)), QStringLiteral("Segunda, 17/03/2003"));
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(&s.calendar);
    QAccessibleInterface *cell = table->tableInterface()->cellAt(2, 0);
    const QList<QAccessibleInterface *> headers = cell->tableCellInterface()->columnHeaderCells();
    QCOMPARE(headers.value(0) ? headers.first()->text(QAccessible::Name) : QString(), QStringLiteral("Domingo"));
  }
};

QTEST_MAIN(TstUiCalendar)
#include "tst_ui_calendar.moc"
