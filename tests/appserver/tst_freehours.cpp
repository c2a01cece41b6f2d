// The free-span arithmetic on its own, in hours for readability.
#include <freehours.h>

#include <QtTest>

using namespace zrt::appserver;

namespace {
constexpr std::int64_t H = 3600;

QString render(const std::vector<Interval> &spans)
{
  QStringList out;
  for (const auto &s : spans)
    out << QStringLiteral("%1-%2").arg(double(s.start) / H).arg(double(s.end) / H);
  return out.join(QLatin1Char(' '));
}
} // namespace

class tst_freehours : public QObject {
  Q_OBJECT
private slots:
  void spans_data()
  {
    QTest::addColumn<int>("w0");
    QTest::addColumn<int>("w1");
    QTest::addColumn<QList<int>>("busy"); // start, end pairs in hours, sorted by start
    QTest::addColumn<QString>("expected");
    QTest::newRow("nothing booked") << 8 << 18 << QList<int>{} << "8-18";
    QTest::newRow("fully booked") << 8 << 18 << QList<int>{6, 20} << "";
    QTest::newRow("touching both ends") << 8 << 18 << QList<int>{7, 8, 18, 19} << "8-18";
    QTest::newRow("one in the middle") << 8 << 18 << QList<int>{10, 12} << "8-10 12-18";
    QTest::newRow("overlapping pair") << 8 << 18 << QList<int>{9, 11, 10, 13} << "8-9 13-18";
    QTest::newRow("nested keeps the longer end") << 8 << 18 << QList<int>{9, 15, 10, 11} << "8-9 15-18";
    QTest::newRow("back to back") << 8 << 18 << QList<int>{9, 10, 10, 11} << "8-9 11-18";
    QTest::newRow("running in from the day before") << 8 << 18 << QList<int>{-2, 9} << "9-18";
    QTest::newRow("running into the next day") << 8 << 18 << QList<int>{17, 30} << "8-17";
    QTest::newRow("equal hours, free point") << 12 << 12 << QList<int>{8, 12, 13, 14} << "12-12";
    QTest::newRow("equal hours, covered") << 12 << 12 << QList<int>{11, 13} << "";
    QTest::newRow("equal hours at a start") << 12 << 12 << QList<int>{12, 13} << "";
  }
  void spans()
  {
    QFETCH(int, w0);
    QFETCH(int, w1);
    QFETCH(QList<int>, busy);
    QFETCH(QString, expected);
    std::vector<Interval> b;
    for (qsizetype i = 0; i + 1 < busy.size(); i += 2)
      b.push_back({busy[i] * H, busy[i + 1] * H});
    QCOMPARE(render(freeSpans(w0 * H, w1 * H, b.data(), b.data() + b.size())), expected);
  }

  void hourTexts_data()
  {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("seconds"); // -1: rejected
    QTest::newRow("long format") << "08:00:00" << 8 * 3600;
    QTest::newRow("short format") << "08:00" << 8 * 3600;
    QTest::newRow("one hour digit") << "8:30" << 8 * 3600 + 30 * 60;
    QTest::newRow("last second") << "23:59:59" << 86399;
    QTest::newRow("24 hours") << "24:00" << -1;
    QTest::newRow("minutes over 59") << "10:60" << -1;
    QTest::newRow("letters") << "8h" << -1;
    QTest::newRow("empty") << "" << -1;
  }
  void hourTexts()
  {
    QFETCH(QString, text);
    QFETCH(int, seconds);
    const auto parsed = parseHourText(text);
    QCOMPARE(parsed.value_or(-1), seconds);
  }
};

QTEST_GUILESS_MAIN(tst_freehours)
#include "tst_freehours.moc"
