#include <zrt/common/datapacket.h>
#include <zrt/common/datetime.h>
#include <zrt/common/jsonrpc.h>

#include <QtTest>

#include <ctime>

using namespace zrt;

class tst_common : public QObject {
  Q_OBJECT
private slots:
  void dateTimeRoundTrip_data()
  {
    QTest::addColumn<QDateTime>("dt");
    QTest::addColumn<double>("value");
    QTest::newRow("epoch") << QDateTime(QDate(1899, 12, 30), QTime(0, 0)) << 0.0;
    QTest::newRow("noon after epoch") << QDateTime(QDate(1899, 12, 31), QTime(12, 0)) << 1.5;
    QTest::newRow("before epoch keeps positive time") << QDateTime(QDate(1899, 12, 29), QTime(6, 0)) << -1.25;
    QTest::newRow("year 2000") << QDateTime(QDate(2000, 1, 1), QTime(0, 0)) << 36526.0;
    QTest::newRow("leap day evening") << QDateTime(QDate(2024, 2, 29), QTime(18, 0)) << 45351.75;
  }
  void dateTimeRoundTrip()
  {
    QFETCH(QDateTime, dt);
    QFETCH(double, value);
    QCOMPARE(toDateTime(dt), value);
    QCOMPARE(fromDateTime(value), dt);
  }

  void secondsSurviveTheWire()
  {
    // 23:59:59 must not round up into the next day when read back.
    const QDateTime dt(QDate(2026, 12, 31), QTime(23, 59, 59));
    const double v = nlohmann::json(toDateTime(dt)).get<double>();
    QCOMPARE(fromDateTime(v), dt);
    QCOMPARE(dateOf(v), QDate(2026, 12, 31));
  }

  void outOfRangeAndNaNAreInvalid()
  {
    QVERIFY(!isValidDateTime(std::numeric_limits<double>::quiet_NaN()));
    QVERIFY(!isValidDateTime(std::numeric_limits<double>::infinity()));
    QVERIFY(!isValidDateTime(1e12));
    QVERIFY(!fromDateTime(1e12).isValid());
    QVERIFY(isValidDateTime(46000.5));
    // An invalid date converts to no value at all (and without overflowing on the way).
    QVERIFY(!isValidDateTime(toDateTime(QDate())));
    QVERIFY(!isValidDateTime(toDateTime(QDateTime())));
  }

  void sqlText()
  {
    const double v = toDateTime(QDateTime(QDate(2026, 3, 5), QTime(23, 30)));
    QCOMPARE(toSqlText(v), QStringLiteral("2026-03-05 23:30:00"));
    QCOMPARE(*fromSqlText(QStringLiteral("2026-03-05 23:30:00")), v);
    QCOMPARE(*fromSqlText(QStringLiteral("2026-03-05T23:30:00.000")), v);
    QVERIFY(!fromSqlText(QStringLiteral("05/03/2026")).has_value());
    QCOMPARE(*fromSqlText(QStringLiteral(" 2026-03-05 23:30 ")), v);
    QCOMPARE(*fromSqlText(QStringLiteral("2026-03-05")), toDateTime(QDate(2026, 3, 5)));
    QCOMPARE(*fromSqlText(QStringLiteral("2026-03-05 23:30:00.5")),
             toDateTime(QDateTime(QDate(2026, 3, 5), QTime(23, 30, 0, 500))));
    for (const char *bad : {"2026-02-30 10:00:00", "2026-03-05 24:00:00", "2026-03-05 23:30:00x", "2026-3-5", ""})
      QVERIFY2(!fromSqlText(QLatin1String(bad)).has_value(), bad);
    // Before the epoch, the last second of a day, an early year, no value.
    QCOMPARE(toSqlText(-1.25), QStringLiteral("1899-12-29 06:00:00"));
    QCOMPARE(toSqlText(toDateTime(QDateTime(QDate(2026, 3, 5), QTime(23, 59, 59, 999)))), QStringLiteral("2026-03-05 23:59:59"));
    QCOMPARE(toSqlText(toDateTime(QDate(150, 1, 2))), QStringLiteral("0150-01-02 00:00:00"));
    QCOMPARE(toSqlText(std::numeric_limits<double>::quiet_NaN()), QString());
  }

  // A wall-clock reading inside a daylight-saving gap of the machine's zone stays as it is.
  void sqlTextIgnoresTheLocalZone()
  {
    const QByteArray was = qgetenv("TZ");
    qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3"); // 29 March 2026 02:00 -> 03:00
    tzset();
    const double gap = toDateTime(QDate(2026, 3, 29)) + 2.5 / 24;
    const QString text = toSqlText(gap);
    const std::optional<double> back = fromSqlText(QStringLiteral("2026-03-29 02:30:00"));
    qputenv("TZ", was);
    tzset();
    QCOMPARE(text, QStringLiteral("2026-03-29 02:30:00"));
    QVERIFY(back.has_value());
    QCOMPARE(*back, gap);
  }

  void packetRoundTripAndChecks()
  {
    DataPacket p;
    p.fields = {
        {"NRORDPROD", FieldType::String, 10}, {"DTHRINIPROD", FieldType::DateTime, 0}, {"QTPRODRESPROC", FieldType::Float, 0}};
    p.rows = {{"OP1", 46000.25, 12.5}, {"OP2", nullptr, 3}};
    const DataPacket back = DataPacket::fromJson(nlohmann::json::parse(p.toJson().dump()));
    QCOMPARE(back.fields, p.fields);
    QCOMPARE(back.rows.size(), size_t(2));
    QCOMPARE(back.rows[0][1].get<double>(), 46000.25);
    QVERIFY(back.rows[1][1].is_null());
    QCOMPARE(back.fieldIndex("QTPRODRESPROC"), 2);
    QCOMPARE(back.fieldIndex("NADA"), -1);

    auto bad = p.toJson();
    bad["rows"][0].erase(0);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, DataPacket::fromJson(bad));
    bad = p.toJson();
    bad["rows"][0][1] = "ontem";
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, DataPacket::fromJson(bad));
    bad = p.toJson();
    bad["fields"][0]["type"] = "blob";
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, DataPacket::fromJson(bad));
  }

  void responses()
  {
    auto ok = rpc::parseResponse(rpc::makeResult(7, {{"x", 1}}).dump());
    QVERIFY(ok.ok);
    QCOMPARE(ok.result["x"].get<int>(), 1);
    auto err = rpc::parseResponse(rpc::makeError(7, rpc::kInvalidParams, "Parâmetros inválidos: x").dump());
    QVERIFY(!err.ok);
    QCOMPARE(err.code, rpc::kInvalidParams);
    QCOMPARE(QString::fromStdString(err.message), QStringLiteral("Parâmetros inválidos: x"));
    auto garbage = rpc::parseResponse("<html>502</html>");
    QVERIFY(!garbage.ok);
    QCOMPARE(garbage.code, rpc::kParseError);
    QVERIFY(!garbage.message.empty());
  }
};

QTEST_GUILESS_MAIN(tst_common)
#include "tst_common.moc"
