// The application server over real SQLite files (and PostgreSQL when ZRT_TEST_PG_URL is set),
// called over HTTP on an ephemeral loopback port.
#include "httpclient.h"

#include <zrt/appserver/schema.h>
#include <zrt/appserver/server.h>
#include <zrt/common/datapacket.h>
#include <zrt/common/datetime.h>
#include <zrt/common/jsonrpc.h>
#include <zrt/dburl/dburl.h>

#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <map>
#include <memory>
#include <thread>

using namespace zrt;
using namespace zrt::appserver;
using nlohmann::json;

namespace {

const std::string kPath = "/" + std::string(rpc::kServerName);

double dt(const char *text) { return *fromSqlText(QString::fromLatin1(text)); }

// The known plant. EQ1 and EQ10, G1 and G10 tell whole codes from contained ones.
void fillKnownRows(const QString &url)
{
  initSchema(url);
  QSqlDatabase db = openDatabase(url, QStringLiteral("known-rows"));
  {
    QSqlQuery q(db);
    auto exec = [&q](const QString &sql) {
      if (!q.exec(sql))
        qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    };
    for (const char *t : {"RESEQUIPPROD", "ORDPROD", "PRODUTO", "EQUIPAPROD", "GRUPOEQUIPA"})
      exec(QStringLiteral("DELETE FROM %1").arg(QLatin1String(t)));
    exec(QStringLiteral("INSERT INTO GRUPOEQUIPA VALUES ('G1', 'Injetoras'), ('G2', 'Prensas'), ('G10', 'Fornos')"));
    exec(QStringLiteral(
        "INSERT INTO EQUIPAPROD VALUES ('EQ1', 'INJ-1', 'Injetora 1', 'G1'), ('EQ10', 'INJ-10', 'Injetora 10', 'G1'),"
        " ('EQ2', 'PRE-2', 'Prensa 2', 'G2'), ('EQ3', 'PRE-3', 'Prensa 3', 'G2'), ('EQ20', 'FOR-20', 'Forno 20', 'G10')"));
    exec(QStringLiteral("INSERT INTO PRODUTO VALUES ('P1', 'Tampa rosca 28 mm'), ('P2', 'Balde 20 L')"));
    exec(QStringLiteral("INSERT INTO ORDPROD VALUES ('O1', '1.01.001', 'P1', '1'), ('O2', '1.01.002', 'P2', '2'),"
                        " ('O3', '1.01.003', 'P1', '3'), ('O4', '1.01.004', 'P2', '4'), ('O5', '1.01.005', 'P1', '2'),"
                        " ('O6', '1.01.006', 'P2', '1')"));
    exec(QStringLiteral("INSERT INTO RESEQUIPPROD VALUES"
                        " ('EQ1', 'O1', '2026-03-02 08:00:00', '2026-03-02 10:00:00', 100.5),"
                        " ('EQ1', 'O2', '2026-03-02 09:00:00', '2026-03-02 12:00:00', 200),"
                        " ('EQ1', 'O3', '2026-03-02 13:00:00', '2026-03-02 14:00:00', 300),"
                        " ('EQ1', 'O4', '2026-03-02 15:00:00', '2026-03-02 16:00:00', 400),"
                        " ('EQ1', 'O5', '2026-03-02 22:00:00', '2026-03-03 06:00:00', 500),"
                        " ('EQ1', 'O2', '2026-03-03 10:00:00', '2026-03-03 10:20:00', 20),"
                        " ('EQ1', 'O6', '2026-03-03 10:20:00', '2026-03-03 10:40:00', 20),"
                        " ('EQ1', 'O2', '2026-03-04 08:00:00', '2026-03-04 09:00:00', 1),"
                        " ('EQ1', 'O1', '2026-03-04 08:00:00', '2026-03-04 09:00:00', 1),"
                        " ('EQ10', 'O5', '2026-03-02 08:00:00', '2026-03-02 18:00:00', 1000),"
                        " ('EQ2', 'O2', '2026-03-02 07:00:00', '2026-03-02 08:00:00', 1),"
                        " ('EQ2', 'O2', '2026-03-02 18:00:00', '2026-03-02 19:00:00', 1),"
                        " ('EQ20', 'O2', '2026-03-02 00:00:00', '2026-03-03 00:00:00', 1),"
                        " ('EQ20', 'O5', '2026-01-05 06:00:00', '2026-03-02 00:00:00', 9999)"));
  }
  db.close();
  db = QSqlDatabase();
  QSqlDatabase::removeDatabase(QStringLiteral("known-rows"));
}

rpc::Response call(unsigned short port, const std::string &method, const json &params)
{
  testhttp::Client client(port);
  const auto reply = client.post(kPath, rpc::makeRequest(method, params).dump());
  if (reply.status != 200)
    qWarning("HTTP %d %s %s", reply.status, reply.error.c_str(), reply.body.c_str());
  return rpc::parseResponse(reply.body);
}

// A sample without labels from GET /metrics; -1 when missing.
double metric(unsigned short port, const std::string &name)
{
  const std::string text = testhttp::Client(port).send(boost::beast::http::verb::get, "/metrics", "").body;
  const auto at = text.find("\n" + name + " ");
  return at == std::string::npos ? -1 : std::stod(text.substr(at + name.size() + 2));
}

// One column of a result, cells as text ("" for null), for compact comparisons.
QString column(const rpc::Response &r, const char *field)
{
  if (!r.ok)
    return QStringLiteral("ERROR %1: %2").arg(r.code).arg(QString::fromStdString(r.message));
  const DataPacket p = DataPacket::fromJson(r.result);
  const int i = p.fieldIndex(field);
  if (i < 0)
    return QStringLiteral("NO FIELD %1").arg(QLatin1String(field));
  QStringList out;
  for (const auto &row : p.rows)
    out << (row[i].is_string() ? QString::fromStdString(row[i].get<std::string>()) : QString::fromStdString(row[i].dump()));
  return out.join(QLatin1Char(','));
}

QString freeRows(const rpc::Response &r)
{
  if (!r.ok)
    return QStringLiteral("ERROR %1: %2").arg(r.code).arg(QString::fromStdString(r.message));
  const DataPacket p = DataPacket::fromJson(r.result);
  QStringList out;
  for (const auto &row : p.rows)
    out << QStringLiteral("%1 %2 %3-%4")
               .arg(QString::fromStdString(row[0].get<std::string>()))
               .arg(dateOf(row[2].get<double>()).toString(QStringLiteral("dd")))
               .arg(QString::fromStdString(row[3].get<std::string>()), QString::fromStdString(row[4].get<std::string>()));
  return out.join(QLatin1Char(' '));
}

// One statement on its own connection, as another program writing to the plant.
void execOn(const QString &url, const char *sql)
{
  QSqlDatabase db = openDatabase(url, QStringLiteral("writer"));
  {
    QSqlQuery q(db);
    if (!q.exec(QLatin1String(sql)))
      QFAIL(qPrintable(q.lastError().text()));
  }
  db.close();
  db = QSqlDatabase();
  QSqlDatabase::removeDatabase(QStringLiteral("writer"));
}

QString fieldList(const rpc::Response &r)
{
  if (!r.ok)
    return QStringLiteral("ERROR %1: %2").arg(r.code).arg(QString::fromStdString(r.message));
  QStringList out;
  for (const auto &f : DataPacket::fromJson(r.result).fields)
    out << QStringLiteral("%1:%2%3")
               .arg(QString::fromStdString(f.name), QString::fromLatin1(fieldTypeName(f.type).data()))
               .arg(f.type == FieldType::String ? QString::number(f.size) : QString());
  return out.join(QLatin1Char(' '));
}

// An answer as "id:outcome" per call ("1:ok", "null:-32600"), sorted; a batch's in brackets,
// "204" for no body at all.
QString outcomes(const testhttp::Reply &reply)
{
  if (reply.status == 204)
    return reply.body.empty() ? QStringLiteral("204") : QStringLiteral("204 with a body");
  if (reply.status != 200)
    return QStringLiteral("HTTP %1 %2").arg(reply.status).arg(QString::fromStdString(reply.error));
  const json j = json::parse(reply.body, nullptr, false);
  auto one = [](const json &a) {
    const QString id = QString::fromStdString(a.value("id", json()).dump());
    return a.contains("result") ? id + QStringLiteral(":ok")
                                : id + QLatin1Char(':') + QString::number(a["error"]["code"].get<int>());
  };
  if (!j.is_array())
    return one(j);
  QStringList out;
  for (const json &a : j)
    out << one(a);
  out.sort();
  return QLatin1Char('[') + out.join(QLatin1Char(' ')) + QLatin1Char(']');
}

} // namespace

class tst_appserver : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString sqliteUrl_;
  std::map<QString, std::unique_ptr<Server>> servers_; // by backend: "sqlite", "postgresql"

  // Adds the backend column; PostgreSQL rows are skipped in the test body without a server.
  static void backendColumn() { QTest::addColumn<QString>("backend"); }
  template <typename F>
  static void forBackends(F rowsFor)
  {
    for (const char *b : {"sqlite", "postgresql"})
      rowsFor(QString::fromLatin1(b));
  }
  unsigned short portFor(const QString &backend)
  {
    auto it = servers_.find(backend);
    if (it == servers_.end())
      return 0;
    return it->second->port();
  }

  // A server of the known rows that asks for the token "segredo-123".
  std::unique_ptr<Server> tokenServer()
  {
    ServerOptions o;
    o.dbUrl = sqliteUrl_;
    o.accessLog = false;
    o.token = "segredo-123";
    auto server = std::make_unique<Server>(o);
    server->start();
    return server;
  }

private slots:
  void initTestCase()
  {
    QVERIFY(dir_.isValid());
    sqliteUrl_ = QStringLiteral("sqlite:") + dir_.filePath(QStringLiteral("known.db"));
    fillKnownRows(sqliteUrl_);
    ServerOptions o;
    o.dbUrl = sqliteUrl_;
    o.accessLog = false;
    servers_[QStringLiteral("sqlite")] = std::make_unique<Server>(o);
    servers_[QStringLiteral("sqlite")]->start();
    QVERIFY(servers_[QStringLiteral("sqlite")]->port() != 0);
    const QString pg = qEnvironmentVariable("ZRT_TEST_PG_URL");
    if (!pg.isEmpty()) {
      fillKnownRows(pg);
      o.dbUrl = pg;
      servers_[QStringLiteral("postgresql")] = std::make_unique<Server>(o);
      servers_[QStringLiteral("postgresql")]->start();
    }
  }

  void cleanupTestCase() { servers_.clear(); }

  void init()
  {
    if (QTest::currentDataTag() && QByteArray(QTest::currentDataTag()).startsWith("postgresql") &&
        !servers_.count(QStringLiteral("postgresql")))
      QSKIP("ZRT_TEST_PG_URL not set: no PostgreSQL for this row");
  }

  // ---- the rows each method returns ---------------------------------------------------------

  void statusIsReadByPosition_data()
  {
    backendColumn();
    QTest::addColumn<QString>("pend");
    QTest::addColumn<QString>("and_");
    QTest::addColumn<QString>("conc");
    QTest::addColumn<QString>("orders");
    forBackends([](const QString &b) {
      auto row = [&b](const char *name) { return &QTest::newRow(qPrintable(b + QStringLiteral(": ") + QLatin1String(name))); };
      // clang-format off
      *row("all three, as the client sends them") << b << "1" << "2" << "2" << "O1,O2,O3,O5,O2,O6";
      *row("only concluded, sent as 2") << b << "" << "" << "2" << "O3";
      *row("only in progress") << b << "" << "2" << "" << "O2,O5,O2";
      *row("only pending") << b << "1" << "" << "" << "O1,O6";
      *row("any text in a position selects it") << b << "x" << "" << "y" << "O1,O3,O6";
      *row("none selects nothing; stopped orders never") << b << "" << "" << "" << "";
      // clang-format on
    });
  }
  void statusIsReadByPosition()
  {
    QFETCH(QString, backend);
    QFETCH(QString, pend);
    QFETCH(QString, and_);
    QFETCH(QString, conc);
    QFETCH(QString, orders);
    const auto r =
        call(portFor(backend), "GetReservados",
             {"EQ1", pend.toStdString(), and_.toStdString(), conc.toStdString(), dt("2026-03-02 00:00"), dt("2026-03-03 23:59")});
    QCOMPARE(column(r, "NRORDPROD"), orders);
  }

  void periodOverlap_data()
  {
    backendColumn();
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("orders");
    forBackends([](const QString &b) {
      auto row = [&b](const char *name) { return &QTest::newRow(qPrintable(b + QStringLiteral(": ") + QLatin1String(name))); };
      // clang-format off
      *row("ending at the period start is out") << b << "GetReservados" << "2026-03-02 10:00" << "2026-03-02 12:00" << "O2";
      *row("starting at the period end is in") << b << "GetReservados" << "2026-03-02 12:00" << "2026-03-02 13:00" << "O3";
      *row("begun before, running in") << b << "GetReservados" << "2026-03-03 00:00" << "2026-03-03 12:00" << "O5,O2,O6";
      *row("period inside a reservation") << b << "GetReservados" << "2026-03-02 10:30" << "2026-03-02 10:31" << "O2";
      *row("same start ordered by order number") << b << "GetReservados" << "2026-03-04 00:00" << "2026-03-04 23:00" << "O1,O2";
      *row("empty period") << b << "GetReservados" << "2026-03-05 00:00" << "2026-03-06 00:00" << "";
      *row("calendar marks: one start per reservation") << b << "GetReseGeral" << "2026-03-03 00:00" << "2026-03-04 23:00"
          << QString::number(dt("2026-03-02 22:00"), 'g', 17) + QStringLiteral(",") + QString::number(dt("2026-03-03 10:00"), 'g', 17) + QStringLiteral(",") +
                 QString::number(dt("2026-03-03 10:20"), 'g', 17) + QStringLiteral(",") + QString::number(dt("2026-03-04 08:00"), 'g', 17) + QStringLiteral(",") +
                 QString::number(dt("2026-03-04 08:00"), 'g', 17);
      // clang-format on
    });
  }
  void periodOverlap()
  {
    QFETCH(QString, backend);
    QFETCH(QString, method);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, orders);
    const auto r = call(portFor(backend), method.toStdString(), {"EQ1", "1", "2", "2", dt(from.toLatin1()), dt(to.toLatin1())});
    if (method == QLatin1String("GetReseGeral")) {
      QStringList starts;
      for (const auto &row : DataPacket::fromJson(r.result).rows)
        starts << QString::number(row[0].get<double>(), 'g', 17);
      QCOMPARE(starts.join(QLatin1Char(',')), orders);
    } else {
      QCOMPARE(column(r, "NRORDPROD"), orders);
    }
  }

  void wholeDaysAndOneDay_data()
  {
    backendColumn();
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("orders");
    forBackends([](const QString &b) {
      // clang-format off
      QTest::newRow(qPrintable(b + QStringLiteral(": GetDiasReservados takes whole days, times ignored"))) << b << "GetDiasReservados"
          << "O5,O2,O6";
      QTest::newRow(qPrintable(b + QStringLiteral(": GetReservaDia cuts the day by the period"))) << b << "GetReservaDia" << "O5,O2";
      // clang-format on
    });
  }
  void wholeDaysAndOneDay()
  {
    QFETCH(QString, backend);
    QFETCH(QString, method);
    QFETCH(QString, orders);
    json params;
    if (method == QLatin1String("GetDiasReservados")) // dates with a time part still mean whole days
      params = {"EQ1", dt("2026-03-03 18:00"), dt("2026-03-03 07:00"), "1", "2", "2"};
    else // day 3 March, period up to 10:10 of that day: the 10:20 reservation is out
      params = {"EQ1", "1", "2", "2", dt("2026-03-03 00:00"), dt("2026-03-01 00:00"), dt("2026-03-03 10:10")};
    QCOMPARE(column(call(portFor(backend), method.toStdString(), params), "NRORDPROD"), orders);
  }

  void longReservationRunsIn_data()
  {
    backendColumn();
    forBackends([](const QString &b) { QTest::newRow(qPrintable(b)) << b; });
  }
  void longReservationRunsIn()
  {
    // Begun eight weeks before the period, ending inside it.
    QFETCH(QString, backend);
    const auto r = call(portFor(backend), "GetReservados", {"EQ20", "", "2", "", dt("2026-03-01 12:00"), dt("2026-03-01 13:00")});
    QCOMPARE(column(r, "NRORDPROD"), QStringLiteral("O5"));
    const auto free = call(portFor(backend), "HoraLivre",
                           {false, true, "08:00", "18:00", "", dt("2026-02-27 00:00"), dt("2026-03-02 00:00"), "EQ20"});
    QCOMPARE(freeRows(free), QString());
  }

  void resultFields_data()
  {
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("fields");
    const QString reservados =
        QStringLiteral("NRORDPROD:string10 CDARVPROD:string20 CDPRODUTO:string10 PRODUTO:string50 "
                       "DTHRINIPROD:datetime DTHRFINPROD:datetime IDSITORDPROD:string1 QTPRODRESPROC:float");
    // clang-format off
    QTest::newRow("GetHoraServidor") << "GetHoraServidor" << "DATA:datetime";
    QTest::newRow("GetReservados") << "GetReservados" << reservados;
    QTest::newRow("GetReseGeral") << "GetReseGeral" << "DTHRINIPROD:datetime";
    QTest::newRow("GetDiasReservados") << "GetDiasReservados"
        << "CDARVPROD:string20 NRORDPROD:string10 CDPRODUTO:string10 PRODUTO:string50 "
           "DTHRINIPROD:datetime QTPRODRESPROC:float DTHRFINPROD:datetime IDSITORDPROD:string1";
    QTest::newRow("GetReservaDia") << "GetReservaDia"
        << "NRORDPROD:string10 CDARVPROD:string20 CDPRODUTO:string10 NMPRODUTO:string50 "
           "DTHRINIPROD:datetime DTHRFINPROD:datetime QTPRODRESPROC:float IDSITORDPROD:string1";
    QTest::newRow("HoraLivre") << "HoraLivre" << "CODIGO:string15 NOME:string50 DATA:date HORAINI:string10 HORAFIN:string10";
    // clang-format on
  }
  void resultFields()
  {
    QFETCH(QString, method);
    QFETCH(QString, fields);
    const double d = dt("2026-03-02 00:00");
    const std::map<std::string, json> params = {{"GetHoraServidor", json::array()},
                                                {"GetReservados", {"EQ1", "1", "2", "2", d, d + 1}},
                                                {"GetReseGeral", {"EQ1", "1", "2", "2", d, d + 1}},
                                                {"GetDiasReservados", {"EQ1", d, d, "1", "2", "2"}},
                                                {"GetReservaDia", {"EQ1", "1", "2", "2", d, d, d + 1}},
                                                {"HoraLivre", {false, false, "08:00:00", "18:00:00", "", d, d, ""}}};
    QCOMPARE(fieldList(call(portFor(QStringLiteral("sqlite")), method.toStdString(), params.at(method.toStdString()))), fields);
  }

  void reservationCellsAreTyped()
  {
    const auto r = call(portFor(QStringLiteral("sqlite")), "GetReservados",
                        {"EQ1", "1", "", "", dt("2026-03-02 08:00"), dt("2026-03-02 08:00")});
    QVERIFY2(r.ok, r.message.c_str());
    const auto p = DataPacket::fromJson(r.result);
    QCOMPARE(p.rows.size(), size_t(1));
    const auto &row = p.rows[0];
    QCOMPARE(row[0], json("O1"));
    QCOMPARE(row[1], json("1.01.001"));
    QCOMPARE(row[2], json("P1"));
    QCOMPARE(row[3], json("Tampa rosca 28 mm"));
    QCOMPARE(row[4].get<double>(), dt("2026-03-02 08:00"));
    QCOMPARE(row[5].get<double>(), dt("2026-03-02 10:00"));
    QCOMPARE(row[6], json("1"));
    QCOMPARE(row[7].get<double>(), 100.5);
  }

  void serverDateIsNow()
  {
    const double before = toDateTime(QDateTime::currentDateTime());
    const auto r = call(portFor(QStringLiteral("sqlite")), "GetHoraServidor", json::array());
    const double after = toDateTime(QDateTime::currentDateTime());
    QVERIFY2(r.ok, r.message.c_str());
    const double v = DataPacket::fromJson(r.result).rows.at(0).at(0).get<double>();
    QVERIFY(v >= before - 1e-6 && v <= after + 1e-6);
  }

  // ---- free hours -----------------------------------------------------------------------------

  void freeHours_data()
  {
    backendColumn();
    QTest::addColumn<bool>("listGroups");
    QTest::addColumn<bool>("listEquip");
    QTest::addColumn<QString>("groups");
    QTest::addColumn<QString>("equipment");
    QTest::addColumn<QString>("hours"); // "from to"
    QTest::addColumn<QString>("days");  // "first last" day of March 2026
    QTest::addColumn<QString>("expected");
    forBackends([](const QString &b) {
      auto row = [&b](const char *name) { return &QTest::newRow(qPrintable(b + QStringLiteral(": ") + QLatin1String(name))); };
      // clang-format off
      *row("overlaps merge, concluded frees, stopped occupies") << b << false << true << "" << ";EQ1;" << "08:00:00 18:00:00"
          << "2 2" << "EQ1 02 12:00-15:00 EQ1 02 16:00-18:00";
      *row("reservation up to midnight and from midnight") << b << false << true << "" << ";EQ1;" << "00:00 12:00" << "3 3"
          << "EQ1 03 06:00-10:00 EQ1 03 10:40-12:00";
      *row("evening up to a reservation over midnight") << b << false << true << "" << ";EQ1;" << "16:00 23:59:59" << "2 2"
          << "EQ1 02 16:00-22:00";
      *row("fully booked day gives no span, free day one") << b << false << true << "" << ";EQ10;" << "08:00 18:00" << "2 3"
          << "EQ10 03 08:00-18:00";
      *row("reservations touching the window") << b << false << true << "" << ";EQ2;" << "08:00 18:00" << "2 2"
          << "EQ2 02 08:00-18:00";
      *row("equal hours, free instant") << b << false << true << "" << ";EQ1;EQ2;" << "12:30 12:30" << "2 2"
          << "EQ1 02 12:30-12:30 EQ2 02 12:30-12:30";
      *row("equal hours, covered instant") << b << false << true << "" << ";EQ1;" << "10:00 10:00" << "2 2" << "";
      *row("whole code: EQ10 picked, EQ1 not") << b << false << true << "" << ";EQ10;" << "08:00 09:00" << "4 4"
          << "EQ10 04 08:00-09:00";
      *row("whole code: group G1 picked, G10 not") << b << true << false << ";G1;" << "" << "19:00 20:00" << "2 2"
          << "EQ1 02 19:00-20:00 EQ10 02 19:00-20:00";
      *row("list without outer separators") << b << true << false << "G10" << "" << "19:00 20:00" << "3 3"
          << "EQ20 03 19:00-20:00";
      *row("all equipment, ordered by code then day") << b << false << false << "" << "" << "19:00 20:00" << "3 4"
          << "EQ1 03 19:00-20:00 EQ1 04 19:00-20:00 EQ10 03 19:00-20:00 EQ10 04 19:00-20:00 EQ2 03 19:00-20:00 "
             "EQ2 04 19:00-20:00 EQ20 03 19:00-20:00 EQ20 04 19:00-20:00 EQ3 03 19:00-20:00 EQ3 04 19:00-20:00";
      *row("both lists narrow together") << b << true << true << ";G2;" << ";EQ1;EQ3;" << "08:00 09:00" << "2 2"
          << "EQ3 02 08:00-09:00";
      *row("listed flag with an empty list selects none") << b << true << false << "" << "" << "08:00 09:00" << "2 2" << "";
      // clang-format on
    });
  }
  void freeHours()
  {
    QFETCH(QString, backend);
    QFETCH(bool, listGroups);
    QFETCH(bool, listEquip);
    QFETCH(QString, groups);
    QFETCH(QString, equipment);
    QFETCH(QString, hours);
    QFETCH(QString, days);
    QFETCH(QString, expected);
    const QStringList h = hours.split(QLatin1Char(' ')), d = days.split(QLatin1Char(' '));
    const auto r =
        call(portFor(backend), "HoraLivre",
             {listGroups, listEquip, h[0].toStdString(), h[1].toStdString(), groups.toStdString(),
              toDateTime(QDate(2026, 3, d[0].toInt())), toDateTime(QDate(2026, 3, d[1].toInt())), equipment.toStdString()});
    QCOMPARE(freeRows(r), expected);
  }

  void freeHoursRejects_data()
  {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("lastDay"); // days after 2 March 2026
    QTest::addColumn<QString>("message");
    // clang-format off
    QTest::newRow("start hour after end hour") << "18:00:00" << "08:00:00" << 0 << "intervalo inicial";
    QTest::newRow("end date before start date") << "08:00" << "18:00" << -1 << "data inicial";
    QTest::newRow("more than 366 days") << "08:00" << "18:00" << 366 << "366 dias";
    QTest::newRow("hour that is no time") << "8h" << "18:00" << 0 << "hora inicial";
    QTest::newRow("hour past the day") << "08:00" << "24:00" << 0 << "hora final";
    // clang-format on
  }
  void freeHoursRejects()
  {
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(int, lastDay);
    QFETCH(QString, message);
    const double d = dt("2026-03-02 00:00");
    const auto r = call(portFor(QStringLiteral("sqlite")), "HoraLivre",
                        {false, false, from.toStdString(), to.toStdString(), "", d, d + lastDay, ""});
    QVERIFY(!r.ok);
    QCOMPARE(r.code, rpc::kInvalidParams);
    const QString text = QString::fromStdString(r.message);
    QVERIFY2(text.startsWith(QStringLiteral("Parâmetros inválidos: ")) && text.contains(message), qPrintable(text));
  }

  void freeHoursAcceptsAFullYear()
  {
    const double d = dt("2026-03-02 00:00");
    const auto r = call(portFor(QStringLiteral("sqlite")), "HoraLivre", {false, true, "08:00", "09:00", "", d, d + 365, ";EQ3;"});
    QVERIFY2(r.ok, r.message.c_str());
    QCOMPARE(DataPacket::fromJson(r.result).rows.size(), size_t(366));
  }

  // An answer goes out at once when the socket takes it whole; a client that reads slowly gets
  // the rest as it reads, the same bytes, and its connection goes on serving the next call.
  void largeAnswerToASlowReader()
  {
    const unsigned short port = portFor(QStringLiteral("sqlite"));
    // 40,000 one-minute reservations: an answer of megabytes, more than loopback buffers hold.
    execOn(sqliteUrl_, "INSERT INTO RESEQUIPPROD SELECT 'EQ3', 'O1', datetime('2026-03-02', '+' || n || ' minutes'),"
                       " datetime('2026-03-02', '+' || (n + 1) || ' minutes'), 1"
                       " FROM (WITH RECURSIVE c(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM c WHERE n < 39999) SELECT n FROM c)");
    struct Cleanup {
      QString url;
      ~Cleanup() { execOn(url, "DELETE FROM RESEQUIPPROD WHERE CDEQUIPPRO = 'EQ3'"); }
    } cleanup{sqliteUrl_};
    const std::string request =
        rpc::makeRequest("GetReservados", {"EQ3", "1", "", "", dt("2026-03-02 00:00"), dt("2026-04-02 00:00")}).dump();
    const std::string expected = testhttp::Client(port).post(kPath, request).body;
    QVERIFY(expected.size() > 3'000'000);

    namespace net = boost::asio;
    namespace http = boost::beast::http;
    net::io_context ioc;
    net::ip::tcp::socket socket(ioc);
    socket.open(net::ip::tcp::v4());
    socket.set_option(net::socket_base::receive_buffer_size(4096)); // a small window keeps the server waiting
    socket.connect({net::ip::make_address("127.0.0.1"), port});
    boost::beast::flat_buffer buffer;
    for (int call = 0; call < 2; ++call) {
      http::request<http::string_body> req{http::verb::post, kPath, 11};
      req.set(http::field::host, "127.0.0.1");
      req.body() = request;
      req.prepare_payload();
      http::write(socket, req);
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      http::response<http::string_body> res;
      http::read(socket, buffer, res);
      QCOMPARE(res.result_int(), 200u);
      QVERIFY(res.keep_alive());
      QVERIFY(res.body() == expected);
    }
  }

  // ---- bad input, HTTP and limits -------------------------------------------------------------

  void badRequests_data()
  {
    QTest::addColumn<QString>("body");
    QTest::addColumn<int>("code");
    const QString ok = QStringLiteral(R"({"jsonrpc":"2.0","id":7,"method":"GetReservados","params":%1})");
    QTest::newRow("malformed JSON") << "{\"jsonrpc\":" << rpc::kParseError;
    QTest::newRow("NaN is no JSON") << ok.arg(QStringLiteral("[\"EQ1\",\"1\",\"2\",\"2\",NaN,46000]")) << rpc::kParseError;
    QTest::newRow("not an object") << "42" << rpc::kInvalidRequest;
    QTest::newRow("no version") << R"({"id":1,"method":"GetHoraServidor","params":[]})" << rpc::kInvalidRequest;
    QTest::newRow("unknown method") << R"({"jsonrpc":"2.0","id":1,"method":"DropTables","params":[]})" << rpc::kMethodNotFound;
    QTest::newRow("named params") << ok.arg(QStringLiteral("{\"equip\":\"EQ1\"}")) << rpc::kInvalidParams;
    QTest::newRow("too few arguments") << ok.arg(QStringLiteral("[\"EQ1\",\"1\",\"2\",\"2\",46000]")) << rpc::kInvalidParams;
    QTest::newRow("too many arguments") << ok.arg(QStringLiteral("[\"EQ1\",\"1\",\"2\",\"2\",46000,46001,1]"))
                                        << rpc::kInvalidParams;
    QTest::newRow("number for a code") << ok.arg(QStringLiteral("[1,\"1\",\"2\",\"2\",46000,46001]")) << rpc::kInvalidParams;
    QTest::newRow("text for a date") << ok.arg(QStringLiteral("[\"EQ1\",\"1\",\"2\",\"2\",\"2026-03-02\",46001]"))
                                     << rpc::kInvalidParams;
    QTest::newRow("date out of range") << ok.arg(QStringLiteral("[\"EQ1\",\"1\",\"2\",\"2\",1e300,46001]"))
                                       << rpc::kInvalidParams;
    QTest::newRow("null status") << ok.arg(QStringLiteral("[\"EQ1\",null,\"2\",\"2\",46000,46001]")) << rpc::kInvalidParams;
    QTest::newRow("quote in a code is data, not SQL")
        << ok.arg(QStringLiteral("[\"EQ1' OR '1'='1\",\"1\",\"2\",\"2\",0,99999]")) << 0;
  }
  void badRequests()
  {
    QFETCH(QString, body);
    QFETCH(int, code);
    testhttp::Client client(portFor(QStringLiteral("sqlite")));
    const auto reply = client.post(kPath, body.toStdString());
    QCOMPARE(reply.status, 200);
    const auto r = rpc::parseResponse(reply.body);
    if (code == 0) {
      QVERIFY2(r.ok, r.message.c_str());
      QCOMPARE(DataPacket::fromJson(r.result).rows.size(), size_t(0));
    } else {
      QCOMPARE(r.code, code);
      QVERIFY(!r.message.empty());
      if (code == rpc::kInvalidParams)
        QVERIFY2(QString::fromStdString(r.message).startsWith(QStringLiteral("Parâmetros inválidos: ")), r.message.c_str());
    }
    // The same connection keeps serving after a bad request.
    const auto after = client.post(kPath, rpc::makeRequest("GetHoraServidor", json::array()).dump());
    QCOMPARE(after.status, 200);
    QVERIFY(rpc::parseResponse(after.body).ok);
  }

  // Several calls in one body, and calls that want no answer.
  void batchesAndNotifications_data()
  {
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("expected");
    const QString hora = QStringLiteral(R"({"jsonrpc":"2.0","method":"GetHoraServidor","params":[]%1})");
    const QString res =
        QStringLiteral(R"({"jsonrpc":"2.0","method":"GetReservados","params":["EQ1","1","2","2",46083,46084]%1})");
    const QString id = QStringLiteral(",\"id\":%1");
    QStringList hundred, hundredAndOne;
    for (int i = 0; i < 101; ++i)
      (i < 100 ? hundred : hundredAndOne) << hora.arg(id.arg(i));
    hundredAndOne = hundred + hundredAndOne;
    QStringList hundredOks;
    for (int i = 0; i < 100; ++i)
      hundredOks << QStringLiteral("%1:ok").arg(i);
    hundredOks.sort();
    // clang-format off
    QTest::newRow("two calls") << QStringLiteral("[") + hora.arg(id.arg(1)) + QStringLiteral(",") + res.arg(id.arg(QStringLiteral("\"b\""))) + QStringLiteral("]") << "[\"b\":ok 1:ok]";
    QTest::newRow("members that are no requests") << "[1,2]" << "[null:-32600 null:-32600]";
    QTest::newRow("each member its own outcome")
        << QStringLiteral("[") + hora.arg(id.arg(1)) + QStringLiteral(R"(,{"jsonrpc":"2.0","id":2,"method":"Nada"},{"id":3},)") + res.arg(QString()) + QStringLiteral("]")
        << "[1:ok 2:-32601 3:-32600]";
    QTest::newRow("bad arguments in a batch") << R"([{"jsonrpc":"2.0","id":5,"method":"GetReservados","params":[1]}])"
                                              << "[5:-32602]";
    QTest::newRow("empty batch: one error, no array") << "[]" << "null:-32600";
    QTest::newRow("only notifications") << QStringLiteral("[") + hora.arg(QString()) + QStringLiteral(",") + res.arg(QString()) + QStringLiteral("]") << "204";
    QTest::newRow("a notification") << res.arg(QString()) << "204";
    QTest::newRow("a failing notification is silent too") << R"({"jsonrpc":"2.0","method":"Nada"})" << "204";
    QTest::newRow("no method: no notification, an error") << R"({"jsonrpc":"2.0"})" << "null:-32600";
    QTest::newRow("id null is no notification") << hora.arg(QStringLiteral(",\"id\":null")) << "null:ok";
    QTest::newRow("a hundred calls") << QStringLiteral("[") + hundred.join(QLatin1Char(',')) + QStringLiteral("]") << QStringLiteral("[") + hundredOks.join(QLatin1Char(' ')) + QStringLiteral("]");
    QTest::newRow("over the limit: one error") << QStringLiteral("[") + hundredAndOne.join(QLatin1Char(',')) + QStringLiteral("]") << "null:-32600";
    QTest::newRow("malformed batch") << QStringLiteral("[") + hora.arg(id.arg(1)) + QStringLiteral(",") << "null:-32700";
    // clang-format on
  }
  void batchesAndNotifications()
  {
    QFETCH(QString, body);
    QFETCH(QString, expected);
    testhttp::Client client(portFor(QStringLiteral("sqlite")));
    const auto reply = client.post(kPath, body.toStdString());
    QCOMPARE(outcomes(reply), expected);
    QVERIFY(reply.keepAlive);
    if (expected.startsWith(QLatin1String("null:-32600")) && body.startsWith(QLatin1Char('[')))
      QVERIFY2(reply.body.find("lote") != std::string::npos, reply.body.c_str()); // says what was wrong with the batch
    // The connection serves on, after an answer without a body too.
    QCOMPARE(outcomes(client.post(kPath, rpc::makeRequest("GetHoraServidor", json::array(), 9).dump())), QStringLiteral("9:ok"));
  }

  // A call inside a batch is answered with the very bytes it gets alone.
  void batchMemberAnswersAsAlone()
  {
    testhttp::Client client(portFor(QStringLiteral("sqlite")));
    const std::string one = rpc::makeRequest("GetReservados", {"EQ1", "1", "2", "2", 46083.0, 46084.0}, 4).dump();
    const auto alone = client.post(kPath, one);
    QCOMPARE(alone.status, 200);
    QVERIFY(alone.body.find("\"rows\":[[") != std::string::npos);
    QCOMPARE(client.post(kPath, "[" + one + "]").body, "[" + alone.body + "]");
  }

  // /health asks the database every time: 503 with the reason while it is unusable.
  void healthTellsTheTruth()
  {
    const QString path = dir_.filePath(QStringLiteral("health.db"));
    QVERIFY(QFile::copy(dir_.filePath(QStringLiteral("known.db")), path));
    ServerOptions o;
    o.dbUrl = QStringLiteral("sqlite:") + path;
    o.accessLog = false;
    Server server(o);
    server.start();
    testhttp::Client client(server.port());
    auto health = [&client] {
      const auto r = client.send(boost::beast::http::verb::get, "/health", "");
      const json j = json::parse(r.body, nullptr, false);
      return QStringLiteral("%1 %2").arg(r.status).arg(QString::fromStdString(j.is_object() ? j.value("status", "") : r.body));
    };
    auto reason = [&client] {
      return json::parse(client.send(boost::beast::http::verb::get, "/health", "").body).value("reason", std::string());
    };
    QCOMPARE(health(), QStringLiteral("200 ok"));
    QVERIFY(QFile::rename(path, path + QStringLiteral(".fora")));
    for (int i = 0; i < 3; ++i) // whichever worker answers
      QCOMPARE(health(), QStringLiteral("503 unavailable"));
    QVERIFY2(QString::fromStdString(reason()).contains(QStringLiteral("Banco de dados não encontrado")), reason().c_str());
    // A file without the schema is no better.
    {
      QFile empty(path);
      QVERIFY(empty.open(QIODevice::WriteOnly));
    }
    QCOMPARE(health(), QStringLiteral("503 unavailable"));
    QVERIFY2(QString::fromStdString(reason()).contains(QStringLiteral("ZRT_SCHEMA_VERSION")), reason().c_str());
    QVERIFY(QFile::remove(path));
    QVERIFY(QFile::rename(path + QStringLiteral(".fora"), path));
    for (int i = 0; i < 3; ++i)
      QCOMPARE(health(), QStringLiteral("200 ok"));
    // Replaced in one step (a restore gone wrong) while every worker holds the old file open.
    QVERIFY(QFile::rename(path, path + QStringLiteral(".fora")));
    {
      QFile empty(path + QStringLiteral(".novo"));
      QVERIFY(empty.open(QIODevice::WriteOnly));
    }
    QVERIFY(QFile::copy(path + QStringLiteral(".fora"), path));
    for (int i = 0; i < 3; ++i)
      QCOMPARE(health(), QStringLiteral("200 ok"));
    QVERIFY(::rename(qPrintable(path + QStringLiteral(".novo")), qPrintable(path)) == 0);
    for (int i = 0; i < 4; ++i)
      QCOMPARE(health(), QStringLiteral("503 unavailable"));
    QVERIFY(::rename(qPrintable(path + QStringLiteral(".fora")), qPrintable(path)) == 0);
    for (int i = 0; i < 3; ++i)
      QCOMPARE(health(), QStringLiteral("200 ok"));
    QCOMPARE(client.send(boost::beast::http::verb::post, "/health", "").status, 405);
  }

  void httpLevel()
  {
    testhttp::Client client(portFor(QStringLiteral("sqlite")));
    QCOMPARE(client.send(boost::beast::http::verb::get, "/health", "").status, 200);
    // HEAD sends no body, or the next answer on the connection would begin with it.
    QCOMPARE(client.send(boost::beast::http::verb::head, "/health", "").status, 200);
    QCOMPARE(client.send(boost::beast::http::verb::get, "/health", "").body, std::string(R"({"status":"ok"})"));
    QCOMPARE(client.send(boost::beast::http::verb::get, kPath, "").status, 405);
    QCOMPARE(client.post("/outro", "{}").status, 404);
    // Many calls over one keep-alive connection.
    for (int i = 0; i < 20; ++i) {
      const auto reply = client.post(kPath, rpc::makeRequest("GetHoraServidor", json::array(), i).dump());
      QCOMPARE(reply.status, 200);
      QVERIFY(reply.keepAlive);
      QCOMPARE(json::parse(reply.body)["id"].get<int>(), i);
    }
  }

  void limits()
  {
    ServerOptions o;
    o.dbUrl = sqliteUrl_;
    o.accessLog = false;
    o.threads = 1;
    o.maxBodyBytes = 4096;
    o.maxHeaderBytes = 2048;
    o.idleTimeout = std::chrono::milliseconds(300);
    Server server(o);
    server.start();
    {
      testhttp::Client c(server.port());
      const auto r = c.post(kPath, std::string(5000, ' ') + "{}");
      QCOMPARE(r.status, 413);
    }
    {
      testhttp::Client c(server.port());
      const auto r = c.post(kPath, "{}", {{"X-Grande", std::string(4000, 'a')}});
      QCOMPARE(r.status, 431);
    }
    // Idle connections cost no thread: with one worker, fifty silent clients do not stop a call.
    std::vector<std::unique_ptr<testhttp::Client>> idle;
    for (int i = 0; i < 50; ++i)
      idle.push_back(std::make_unique<testhttp::Client>(server.port()));
    QElapsedTimer t;
    t.start();
    const auto r = call(server.port(), "GetHoraServidor", json::array());
    QVERIFY(r.ok);
    QVERIFY2(t.elapsed() < 250, qPrintable(QString::number(t.elapsed())));
    // And an idle connection is closed after the idle time.
    QTest::qWait(600);
    const auto late = idle.front()->post(kPath, rpc::makeRequest("GetHoraServidor", json::array()).dump());
    QCOMPARE(late.status, 0);
  }

  void token_data()
  {
    QTest::addColumn<QString>("header");
    QTest::addColumn<int>("status");
    QTest::newRow("no header") << "" << 401;
    QTest::newRow("wrong token") << "Bearer errado" << 401;
    QTest::newRow("token as prefix") << "Bearer segredo-123x" << 401;
    QTest::newRow("other scheme") << "Basic segredo-123" << 401;
    QTest::newRow("right token") << "Bearer segredo-123" << 200;
  }
  void token()
  {
    QFETCH(QString, header);
    QFETCH(int, status);
    const auto server = tokenServer();
    testhttp::Client c(server->port());
    std::vector<std::pair<std::string, std::string>> headers;
    if (!header.isEmpty())
      headers.push_back({"Authorization", header.toStdString()});
    const auto r = c.post(kPath, rpc::makeRequest("GetHoraServidor", json::array()).dump(), headers);
    QCOMPARE(r.status, status);
    QCOMPARE(rpc::parseResponse(r.body).ok, status == 200);
    QCOMPARE(c.send(boost::beast::http::verb::get, "/metrics", "", headers).status, status);
    QCOMPARE(c.send(boost::beast::http::verb::get, "/health", "").status, 200); // for load balancers
  }

  // GET /metrics after known calls, read by Prometheus' own parser: counts by method and
  // outcome, the histogram's counts, rows; method names the server does not know share "other".
  void metricsCountWhatWasCalled()
  {
    const QString python = QStringLiteral("/usr/bin/python3");
    if (QProcess::execute(python, {QStringLiteral("-c"), QStringLiteral("import prometheus_client.parser")}) != 0)
      QSKIP("no /usr/bin/python3 with prometheus_client (python3-prometheus-client)");
    const auto server = tokenServer();
    testhttp::Client c(server->port());
    const std::vector<std::pair<std::string, std::string>> auth = {{"Authorization", "Bearer segredo-123"}};
    auto rpcCall = [&](const char *method, const json &params) {
      return rpc::parseResponse(c.post(kPath, rpc::makeRequest(method, params).dump(), auth).body);
    };
    for (int i = 0; i < 3; ++i)
      QVERIFY(rpcCall("GetHoraServidor", json::array()).ok);
    for (int i = 0; i < 2; ++i)
      QCOMPARE(
          column(rpcCall("GetReservados", {"EQ1", "1", "2", "2", dt("2026-03-02 00:00"), dt("2026-03-03 23:59")}), "NRORDPROD"),
          QStringLiteral("O1,O2,O3,O5,O2,O6"));
    QCOMPARE(rpcCall("HoraLivre", json::array()).code, rpc::kInvalidParams);
    QCOMPARE(rpcCall("ApagaTudo", json::array()).code, rpc::kMethodNotFound);
    QCOMPARE(rpcCall("Apaga\"Tudo\"\n", json::array()).code, rpc::kMethodNotFound);
    QCOMPARE(c.post(kPath, rpc::makeRequest("GetHoraServidor", json::array()).dump()).status, 401);

    const auto scrape = c.send(boost::beast::http::verb::get, "/metrics", "", auth);
    QCOMPARE(scrape.status, 200);
    QCOMPARE(scrape.contentType, std::string("text/plain; version=0.0.4; charset=utf-8"));
    QVERIFY2(scrape.body.find("Apaga") == std::string::npos, scrape.body.c_str());

    QProcess parser;
    parser.start(python,
                 {QStringLiteral("-c"), QStringLiteral("import json, sys\n"
                                                       "from prometheus_client.parser import text_string_to_metric_families\n"
                                                       "out = {'types': {}, 'samples': []}\n"
                                                       "for f in text_string_to_metric_families(sys.stdin.read()):\n"
                                                       "    out['types'][f.name] = f.type\n"
                                                       "    out['samples'] += [[s.name, s.labels, s.value] for s in f.samples]\n"
                                                       "print(json.dumps(out))\n")});
    parser.write(scrape.body.data(), qint64(scrape.body.size()));
    parser.closeWriteChannel();
    QVERIFY(parser.waitForFinished(30000));
    QVERIFY2(parser.exitCode() == 0, parser.readAllStandardError().constData());
    const json parsed = json::parse(parser.readAllStandardOutput().toStdString());
    QCOMPARE(parsed["types"].value("zrt_rpc_duration_seconds", ""), std::string("histogram"));
    // Each sample asked for, as "name{labels} value" ("missing" when the scrape lacks it).
    auto samples = [&parsed](const std::vector<std::pair<std::string, json>> &wanted) {
      QStringList out;
      for (const auto &[name, labels] : wanted) {
        QString v = QStringLiteral("missing");
        for (const json &s : parsed["samples"])
          if (s[0] == name && s[1] == labels)
            v = QString::number(s[2].get<double>());
        out << QString::fromStdString(name + labels.dump() + " ") + v;
      }
      return out.join(QLatin1Char('\n'));
    };
    auto calls = [](const char *method, const char *outcome) {
      return std::pair<std::string, json>{"zrt_rpc_calls_total", {{"method", method}, {"outcome", outcome}}};
    };
    auto count = [](const char *method) {
      return std::pair<std::string, json>{"zrt_rpc_duration_seconds_count", {{"method", method}}};
    };
    QCOMPARE(samples({calls("GetHoraServidor", "ok"),
                      calls("GetReservados", "ok"),
                      calls("HoraLivre", "-32602"),
                      calls("other", "-32601"),
                      calls("none", "401"),
                      count("GetHoraServidor"),
                      count("GetReservados"),
                      count("HoraLivre"),
                      count("other"),
                      count("none"),
                      {"zrt_rpc_rows_total", {{"method", "GetReservados"}}},
                      {"zrt_rpc_rows_total", {{"method", "GetHoraServidor"}}},
                      {"zrt_http_connections_open", json::object()},
                      {"zrt_draining", json::object()},
                      {"zrt_build_info", {{"version", ZRT_VERSION}}}}),
             QStringLiteral("zrt_rpc_calls_total{\"method\":\"GetHoraServidor\",\"outcome\":\"ok\"} 3\n"
                            "zrt_rpc_calls_total{\"method\":\"GetReservados\",\"outcome\":\"ok\"} 2\n"
                            "zrt_rpc_calls_total{\"method\":\"HoraLivre\",\"outcome\":\"-32602\"} 1\n"
                            "zrt_rpc_calls_total{\"method\":\"other\",\"outcome\":\"-32601\"} 2\n"
                            "zrt_rpc_calls_total{\"method\":\"none\",\"outcome\":\"401\"} 1\n"
                            "zrt_rpc_duration_seconds_count{\"method\":\"GetHoraServidor\"} 3\n"
                            "zrt_rpc_duration_seconds_count{\"method\":\"GetReservados\"} 2\n"
                            "zrt_rpc_duration_seconds_count{\"method\":\"HoraLivre\"} 1\n"
                            "zrt_rpc_duration_seconds_count{\"method\":\"other\"} 2\n"
                            "zrt_rpc_duration_seconds_count{\"method\":\"none\"} 1\n"
                            "zrt_rpc_rows_total{\"method\":\"GetReservados\"} 12\n"
                            "zrt_rpc_rows_total{\"method\":\"GetHoraServidor\"} 3\n"
                            "zrt_http_connections_open{} 1\n"
                            "zrt_draining{} 0\n"
                            "zrt_build_info{\"version\":\"" ZRT_VERSION "\"} 1"));
    // Buckets count every call at or below their bound, so they never decrease and end at the count.
    std::map<std::string, double> last;
    for (const json &s : parsed["samples"])
      if (s[0] == "zrt_rpc_duration_seconds_bucket") {
        const std::string method = s[1]["method"];
        QVERIFY2(s[2].get<double>() >= last[method], s.dump().c_str());
        last[method] = s[2].get<double>();
      }
    QCOMPARE(last["GetReservados"], 2.0);
  }

  void databaseGoneAndBack()
  {
    const QString path = dir_.filePath(QStringLiteral("later.db"));
    ServerOptions o;
    o.dbUrl = QStringLiteral("sqlite:") + path;
    o.accessLog = false;
    Server server(o);
    server.start();
    const json params = {"EQ1", "1", "2", "2", dt("2026-03-02 00:00"), dt("2026-03-03 00:00")};
    auto r = call(server.port(), "GetReservados", params);
    QVERIFY(!r.ok);
    QCOMPARE(r.code, rpc::kServerError);
    QVERIFY(!QFile::exists(path)); // asking did not leave an empty database behind

    QVERIFY(QFile::copy(dir_.filePath(QStringLiteral("known.db")), path));
    r = call(server.port(), "GetReservados", params);
    QVERIFY2(r.ok, r.message.c_str());
    QCOMPARE(column(r, "NRORDPROD"), QStringLiteral("O1,O2,O3,O5"));

    // A table that goes away fails each call; the server recovers once it is back.
    auto rename = [&path](const char *from, const char *to) {
      QSqlDatabase db = openDatabase(QStringLiteral("sqlite:") + path, QStringLiteral("rename"));
      QSqlQuery q(db);
      QVERIFY2(q.exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(QLatin1String(from), QLatin1String(to))),
               qPrintable(q.lastError().text()));
      q = QSqlQuery();
      db.close();
      db = QSqlDatabase();
      QSqlDatabase::removeDatabase(QStringLiteral("rename"));
    };
    rename("RESEQUIPPROD", "RESEQUIPPROD_X");
    for (int i = 0; i < 3; ++i) { // every worker thread meets the fault
      r = call(server.port(), "GetReservados", params);
      QCOMPARE(r.code, rpc::kServerError);
      QVERIFY(QString::fromStdString(r.message).startsWith(QStringLiteral("Falha no banco de dados")));
    }
    rename("RESEQUIPPROD_X", "RESEQUIPPROD");
    for (int i = 0; i < 3; ++i) {
      r = call(server.port(), "GetReservados", params);
      QVERIFY2(r.ok, r.message.c_str());
    }
    // Counted at /metrics: the missing file and the three failures. Of three failures on two
    // workers, one worker met two, opening its connection again in between.
    QCOMPARE(metric(server.port(), "zrt_db_errors_total"), 4.0);
    QVERIFY(metric(server.port(), "zrt_db_reconnects_total") >= 1);
  }

  // Date-times are read by hand on the server, keeping the previous row's day: starts and ends
  // alternate between days, times sit at both ends of a day, and days before 30 December 1899
  // keep their time as a positive fraction. Every value must equal the general reader's.
  void dateTimesAcrossDays()
  {
    const char *rows[][2] = {{"1899-12-29 06:00:00", "1899-12-30 00:00:00"}, {"1899-12-30 00:00:00", "1899-12-30 00:00:01"},
                             {"2026-03-05 00:00:01", "2026-03-06 00:30:00"}, {"2026-03-05 23:59:59", "2026-03-07 08:00:00"},
                             {"2026-03-06 12:00:00", "2026-03-06 12:00:01"}, {"2028-02-29 10:00:00", "2028-03-01 02:00:00"}};
    QStringList starts, ends;
    for (const auto &r : rows) {
      execOn(sqliteUrl_, qPrintable(QStringLiteral("INSERT INTO RESEQUIPPROD VALUES ('EQ3', 'O1', '%1', '%2', 1)")
                                        .arg(QLatin1String(r[0]), QLatin1String(r[1]))));
      starts << QString::fromStdString(json(dt(r[0])).dump());
      ends << QString::fromStdString(json(dt(r[1])).dump());
    }
    const auto r = call(portFor(QStringLiteral("sqlite")), "GetReservados",
                        {"EQ3", "1", "", "", dt("1899-12-29 00:00"), dt("2028-12-31 00:00")});
    execOn(sqliteUrl_, "DELETE FROM RESEQUIPPROD WHERE CDEQUIPPRO = 'EQ3'");
    QCOMPARE(column(r, "DTHRINIPROD"), starts.join(QLatin1Char(',')));
    QCOMPARE(column(r, "DTHRFINPROD"), ends.join(QLatin1Char(',')));
    QVERIFY(starts.first().startsWith(QLatin1String("-1.25")));
  }

  // A finished call leaves no read transaction open on its worker's connection: a reservation
  // written meanwhile is in the next answer of every worker, and goes with the next one again.
  void writesSeenByTheNextCall()
  {
    const unsigned short port = portFor(QStringLiteral("sqlite"));
    const double from = dt("2026-03-02 00:00"), to = dt("2026-03-03 00:00");
    auto callAll = [&] {
      for (int worker = 0; worker < 2; ++worker) {
        QVERIFY(call(port, "GetReseGeral", {"EQ3", "1", "2", "2", from, to}).ok);
        QVERIFY(call(port, "GetDiasReservados", {"EQ3", from, to, "1", "2", "2"}).ok);
        QVERIFY(call(port, "HoraLivre", {false, false, "08:00:00", "18:00:00", "", from, from, ""}).ok);
      }
    };
    auto write = [this](const char *sql) { execOn(sqliteUrl_, sql); };
    callAll();
    write("INSERT INTO RESEQUIPPROD VALUES ('EQ3', 'O1', '2026-03-02 11:00:00', '2026-03-02 12:00:00', 7)");
    for (int i = 0; i < 4; ++i)
      QCOMPARE(column(call(port, "GetReservados", {"EQ3", "1", "2", "2", from, to}), "NRORDPROD"), QStringLiteral("O1"));
    callAll();
    write("DELETE FROM RESEQUIPPROD WHERE CDEQUIPPRO = 'EQ3'");
    for (int i = 0; i < 4; ++i)
      QCOMPARE(column(call(port, "GetReservados", {"EQ3", "1", "2", "2", from, to}), "NRORDPROD"), QString());
  }

  void concurrentClients()
  {
    // Several clients at once on both workers get their own answers.
    std::vector<std::thread> threads;
    std::atomic<int> good{0};
    const unsigned short port = portFor(QStringLiteral("sqlite"));
    for (int t = 0; t < 8; ++t)
      threads.emplace_back([&good, port, t] {
        testhttp::Client c(port);
        for (int i = 0; i < 25; ++i) {
          const json req = rpc::makeRequest(
              "GetReservados", {t % 2 ? "EQ1" : "EQ10", "1", "2", "2", dt("2026-03-02 00:00"), dt("2026-03-02 23:00")},
              t * 100 + i);
          const auto reply = c.post(kPath, req.dump());
          const auto j = json::parse(reply.body, nullptr, false);
          if (j.is_object() && j["id"] == t * 100 + i && j["result"]["rows"].size() == (t % 2 ? 4u : 1u))
            ++good;
        }
      });
    for (auto &t : threads)
      t.join();
    QCOMPARE(good.load(), 8 * 25);
  }

  void schemaIsIdempotentAndVersioned()
  {
    initSchema(sqliteUrl_);
    initSchema(sqliteUrl_);
    QSqlDatabase db = openDatabase(sqliteUrl_, QStringLiteral("version"));
    {
      QSqlQuery q(db);
      QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*), MAX(VERSAO) FROM ZRT_SCHEMA_VERSION")));
      QVERIFY(q.next());
      QCOMPARE(q.value(0).toInt(), kSchemaVersion); // one row per step, none twice
      QCOMPARE(q.value(1).toInt(), kSchemaVersion);
      // The module's own equipment query runs unchanged on the host database.
      QVERIFY(q.prepare(QStringLiteral("SELECT CDEQUIPPRO FROM EQUIPAPROD WHERE ((INSTR(:P_GR, ';' || CDGRUPOEQUIPA || ';') > 0) "
                                       "or (:P_TGR = 'T')) AND ((INSTR(:P_EQ, ';' || CDEQUIPPRO || ';') > 0) OR (:P_TEQ = 'T')) "
                                       "ORDER BY CDEQUIPPRO")));
      q.bindValue(QStringLiteral(":P_GR"), QStringLiteral(";G1;"));
      q.bindValue(QStringLiteral(":P_EQ"), QString());
      q.bindValue(QStringLiteral(":P_TGR"), QString());
      q.bindValue(QStringLiteral(":P_TEQ"), QStringLiteral("T"));
      QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
      QStringList codes;
      while (q.next())
        codes << q.value(0).toString();
      QCOMPARE(codes, QStringList({QStringLiteral("EQ1"), QStringLiteral("EQ10")}));
    }
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("version"));
  }

  void postgresHasInstr()
  {
    const QString pg = qEnvironmentVariable("ZRT_TEST_PG_URL");
    if (pg.isEmpty())
      QSKIP("ZRT_TEST_PG_URL not set");
    initSchema(pg); // a second time: nothing changes, nothing fails
    QSqlDatabase db = openDatabase(pg, QStringLiteral("pg-instr"));
    {
      QSqlQuery q(db);
      QVERIFY(q.prepare(QStringLiteral("SELECT CDEQUIPPRO FROM EQUIPAPROD WHERE ((INSTR(:P_GR, ';' || CDGRUPOEQUIPA || ';') > 0) "
                                       "or (:P_TGR = 'T')) ORDER BY CDEQUIPPRO")));
      q.bindValue(QStringLiteral(":P_GR"), QStringLiteral(";G10;"));
      q.bindValue(QStringLiteral(":P_TGR"), QString());
      QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
      QVERIFY(q.next());
      QCOMPARE(q.value(0).toString(), QStringLiteral("EQ20"));
      QVERIFY(!q.next());
    }
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("pg-instr"));
  }

  void demoPlantIsDeterministic()
  {
    const QDate today(2026, 6, 15);
    auto digest = [&](const QString &name, unsigned seed) {
      const QString url = QStringLiteral("sqlite:") + dir_.filePath(name);
      fillDemo(url, {seed, 12, 3, today});
      QSqlDatabase db = openDatabase(url, QStringLiteral("digest"));
      QStringList out;
      {
        QSqlQuery q(db);
        q.exec(QStringLiteral("SELECT COUNT(*), MIN(DTHRINIPROD), MAX(DTHRFINPROD), SUM(QTPRODRESPROC) FROM RESEQUIPPROD"));
        q.next();
        for (int i = 0; i < 4; ++i)
          out << q.value(i).toString();
        q.exec(QStringLiteral("SELECT IDSITORDPROD, COUNT(*) FROM ORDPROD GROUP BY IDSITORDPROD ORDER BY 1"));
        while (q.next())
          out << q.value(0).toString() + QLatin1Char('=') + q.value(1).toString();
        q.exec(QStringLiteral("SELECT COUNT(*) FROM GRUPOEQUIPA"));
        q.next();
        out << q.value(0).toString();
        // Some reservations run over midnight.
        q.exec(
            QStringLiteral("SELECT COUNT(*) FROM RESEQUIPPROD WHERE SUBSTR(DTHRINIPROD, 1, 10) <> SUBSTR(DTHRFINPROD, 1, 10)"));
        q.next();
        out << (q.value(0).toInt() > 0 ? QStringLiteral("midnight") : QStringLiteral("no-midnight"));
      }
      db.close();
      db = QSqlDatabase();
      QSqlDatabase::removeDatabase(QStringLiteral("digest"));
      return out;
    };
    const QStringList a = digest(QStringLiteral("demo-a.db"), 7), b = digest(QStringLiteral("demo-b.db"), 7);
    QCOMPARE(a, b);
    QVERIFY(a != digest(QStringLiteral("demo-c.db"), 8));
    // All four statuses, six groups, and a reservation over midnight.
    QVERIFY2(a.filter(QRegularExpression(QStringLiteral("^[1-4]="))).size() == 4, qPrintable(a.join(QLatin1Char(' '))));
    QVERIFY(a.contains(QStringLiteral("6")));
    QVERIFY(a.contains(QStringLiteral("midnight")));
    // Filling again replaces the plant instead of failing on duplicate keys.
    QCOMPARE(digest(QStringLiteral("demo-a.db"), 7), a);
  }
};

QTEST_GUILESS_MAIN(tst_appserver)
#include "tst_appserver.moc"
