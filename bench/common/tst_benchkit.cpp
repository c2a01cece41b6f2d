// The benchmarks' helper against real parts: the floor must run what the server runs (same
// rows, same first row as the server process answers over HTTP), placeholders must survive the
// trip to libpq's numbering, and the server process must be found and stopped.
#include "benchkit.h"

#include "httpclient.h"

#include <zrt/appserver/schema.h>
#include <zrt/appserver/sqltexts.h>
#include <zrt/common/datetime.h>
#include <zrt/common/jsonrpc.h>
#include <zrt/dburl/dburl.h>

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace zrt::bench;
using namespace zrt::appserver::sql;
using nlohmann::json;

class TestBenchKit : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  QString url_;
  std::unique_ptr<ServerProcess> server_;
  QStringList equipment_;
  const QDate today_ = QDate(2026, 6, 15);

private slots:
  void initTestCase()
  {
    url_ = QStringLiteral("sqlite:") + dir_.filePath(QStringLiteral("plant.db"));
    zrt::appserver::fillDemo(url_, {3, 6, 2, today_});
    server_ = std::make_unique<ServerProcess>(url_, 1);
    QVERIFY2(server_->started(), server_->banner().constData());
    QSqlDatabase c = zrt::openDatabase(url_, QStringLiteral("equipment"));
    QSqlQuery q(c);
    QVERIFY(q.exec(QStringLiteral("SELECT CDEQUIPPRO FROM EQUIPAPROD ORDER BY 1")));
    while (q.next())
      equipment_ << q.value(0).toString();
    QCOMPARE(equipment_.size(), 6);
  }

  void placeholders_data()
  {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("expected");
    // clang-format off
    QTest::newRow("none")          << "SELECT 1"                           << "SELECT 1";
    QTest::newRow("in order")      << "A = ? AND B IN (?, ?)"              << "A = $1 AND B IN ($2, $3)";
    QTest::newRow("quoted text")   << "X = '?' AND Y = ?"                  << "X = '?' AND Y = $1";
    QTest::newRow("doubled quote") << "X = 'it''s ?' AND Y = ?"            << "X = 'it''s ?' AND Y = $1";
    QTest::newRow("identifier")    << "SELECT \"a?\" FROM T WHERE Z = ?"   << "SELECT \"a?\" FROM T WHERE Z = $1";
    QTest::newRow("ten and more")  << "?,?,?,?,?,?,?,?,?,?,?"              << "$1,$2,$3,$4,$5,$6,$7,$8,$9,$10,$11";
    // clang-format on
  }
  void placeholders()
  {
    QFETCH(QString, sql);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(numberedPlaceholders(sql.toUtf8().constData())), expected);
  }

  void serverStatementsKeepTheirParameters()
  {
    // libpq counts parameters by number: each statement must keep all of its "?".
    for (const char *sql : {kSqlPeriod, kSqlDays, kSqlFreeEquipment, kSqlFreeBusy}) {
      const std::string numbered = numberedPlaceholders(sql);
      QCOMPARE(numbered.find('?'), std::string::npos);
      const auto count = std::count(sql, sql + std::strlen(sql), '?');
      QVERIFY2(numbered.find('$' + std::to_string(count)) != std::string::npos, sql);
    }
  }

  void percentiles_data()
  {
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<double>("p");
    QTest::addColumn<double>("expected");
    // clang-format off
    QTest::newRow("empty")     << QList<double>{}                  << 0.5  << 0.0;
    QTest::newRow("one")       << QList<double>{7}                 << 0.99 << 7.0;
    QTest::newRow("unsorted")  << QList<double>{5, 1, 4, 2, 3}     << 0.5  << 3.0;
    QTest::newRow("top")       << QList<double>{5, 1, 4, 2, 3}     << 1.0  << 5.0;
    QTest::newRow("bottom")    << QList<double>{5, 1, 4, 2, 3}     << 0.0  << 1.0;
    QTest::newRow("p99 of 100")<< [] { QList<double> v; for (int i = 100; i >= 1; --i) v << i; return v; }() << 0.99 << 100.0;
    // clang-format on
  }
  void percentiles()
  {
    QFETCH(QList<double>, values);
    QFETCH(double, p);
    QFETCH(double, expected);
    QCOMPARE(percentile(std::vector<double>(values.begin(), values.end()), p), expected);
  }

  // The GetReservados floor against the server's answer for the same arguments.
  void floorMatchesServer_data()
  {
    QTest::addColumn<int>("equipment");
    QTest::addColumn<QString>("pending");
    QTest::addColumn<QString>("started");
    QTest::addColumn<QString>("done");
    QTest::addColumn<int>("days");
    // clang-format off
    QTest::newRow("all statuses, a month") << 0 << "1" << "2" << "2" << 31;
    QTest::newRow("pending only")          << 1 << "1" << ""  << ""  << 31;
    QTest::newRow("concluded only")        << 2 << ""  << ""  << "2" << 60;
    QTest::newRow("none selected")         << 3 << ""  << ""  << ""  << 31;
    QTest::newRow("one day")               << 5 << "1" << "2" << "2" << 1;
    // clang-format on
  }
  void floorMatchesServer()
  {
    QFETCH(int, equipment);
    QFETCH(QString, pending);
    QFETCH(QString, started);
    QFETCH(QString, done);
    QFETCH(int, days);
    const std::string equip = equipment_.at(equipment).toStdString();
    const double from = zrt::toDateTime(today_.addDays(-days / 2), QTime(0, 0));
    const double to = zrt::toDateTime(today_.addDays(-days / 2 + days - 1), QTime(23, 59, 59));
    auto status = [](const QString &s, const char *code) { return s.isEmpty() ? Param{} : Param{std::string(code)}; };

    auto db = FloorDb::open(url_);
    const FloorResult floor =
        db->run(kSqlPeriod, {equip, status(pending, "1"), status(started, "2"), status(done, "3"),
                             zrt::toSqlText(to).toStdString(), zrt::toSqlText(from).toStdString(), earliestStart(*db, from)});

    testhttp::Client client(server_->port());
    const auto reply = client.post("/ZRT02600.rmdPlanUtilEquipProd",
                                   zrt::rpc::makeRequest("GetReservados", {equip, pending.toStdString(), started.toStdString(),
                                                                           done.toStdString(), from, to})
                                       .dump());
    QCOMPARE(reply.status, 200);
    const json rows = json::parse(reply.body)["result"]["rows"];
    QCOMPARE(floor.rows, long(rows.size()));
    if (rows.empty()) {
      QVERIFY(floor.firstRow.empty());
    } else {
      QCOMPARE(floor.firstRow.at(0), rows[0][0].get<std::string>()); // NRORDPROD of the first
      QVERIFY(floor.bytes > 0);
    }
    if (days == 31 && !pending.isEmpty())
      QVERIFY2(floor.rows > 0, "the demo plant books every equipment");
  }

  void equipmentSelectionBindsNumbers()
  {
    // "? = 0" compares a number: bound as text it would select nothing.
    auto db = FloorDb::open(url_);
    QCOMPARE(db->run(kSqlFreeEquipment, {0LL, ";;", 0LL, ";;"}).rows, long(equipment_.size()));
    const std::string two = ";" + equipment_[1].toStdString() + ";" + equipment_[4].toStdString() + ";";
    const FloorResult r = db->run(kSqlFreeEquipment, {0LL, ";;", 1LL, two});
    QCOMPARE(r.rows, 2L);
    QCOMPARE(QString::fromStdString(r.firstRow.at(0)), equipment_[1]);
  }

  void earliestStartLessTheLongest_data()
  {
    QTest::addColumn<int>("hours"); // the longest reservation; 0: none at all
    // clang-format off
    QTest::newRow("no reservations") << 0;
    QTest::newRow("one hour")        << 1;
    QTest::newRow("three days")      << 72;
    // clang-format on
  }
  void earliestStartLessTheLongest()
  {
    QFETCH(int, hours);
    const QString url = QStringLiteral("sqlite:") + dir_.filePath(QStringLiteral("longest-%1.db").arg(hours));
    zrt::appserver::initSchema(url);
    if (hours > 0) {
      QSqlDatabase c = zrt::openDatabase(url, QStringLiteral("longest"));
      QSqlQuery q(c);
      QVERIFY(q.exec(QStringLiteral("INSERT INTO RESEQUIPPROD VALUES ('E1', 'OP1', '2026-01-01 00:00:00', '%1', 1)")
                         .arg(QDateTime(QDate(2026, 1, 1), QTime(0, 0))
                                  .addSecs(hours * 3600)
                                  .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("longest"));
    auto db = FloorDb::open(url);
    const double after = zrt::toDateTime(QDate(2026, 3, 1), QTime(12, 0));
    // Two seconds of margin, as the server keeps against rounding.
    const QString expected = zrt::toSqlText(after - hours / 24.0 - 2.0 / 86400);
    QCOMPARE(QString::fromStdString(earliestStart(*db, after)), expected);
  }

  void unknownDatabaseKindIsRefused()
  {
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, FloorDb::open(QStringLiteral("firebird://x/y")));
  }

  void serverProcessIsItsOwnAndStops()
  {
    auto server = std::make_unique<ServerProcess>(url_, 1);
    QVERIFY(server->started());
    QVERIFY(server->port() != server_->port());
    const qint64 pid = server->pid();
    QVERIFY(procStatusKiB(pid, "VmHWM") > 0);
    QVERIFY(pid != QCoreApplication::applicationPid());
    server.reset();
    QCOMPARE(procStatusKiB(pid, "VmHWM"), -1L); // gone, and reaped
  }

  void machineLineNamesTheMachine()
  {
    const QString line = QString::fromStdString(machineLine());
    QVERIFY2(line.contains(QRegularExpression(
                 QStringLiteral("^machine: \\d+ CPUs, .+, load [0-9.]+, \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d UTC$"))),
             qPrintable(line));
  }

  void cleanupTestCase() { server_.reset(); }
};

QTEST_GUILESS_MAIN(TestBenchKit)
#include "tst_benchkit.moc"
