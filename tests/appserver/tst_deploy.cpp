// The server as a deployment runs it: the real zrt02600-server process refusing a database it
// cannot serve, draining on SIGTERM; a PostgreSQL restart under running workers; and the
// balanced set-up of scripts/cluster.sh under load while copies are killed.
#include "httpclient.h"

#include <zrt/appserver/schema.h>
#include <zrt/appserver/server.h>
#include <zrt/common/datetime.h>
#include <zrt/common/jsonrpc.h>
#include <zrt/dburl/dburl.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <csignal>
#include <thread>

using namespace zrt;
using namespace zrt::appserver;
using nlohmann::json;

namespace {

const std::string kPath = "/" + std::string(rpc::kServerName);

void sql(const QString &url, const QString &statement)
{
  QSqlDatabase db = openDatabase(url, QStringLiteral("tst-deploy"));
  {
    QSqlQuery q(db);
    if (!q.exec(statement))
      qFatal("%s failed", qPrintable(statement));
  }
  db.close();
  db = QSqlDatabase();
  QSqlDatabase::removeDatabase(QStringLiteral("tst-deploy"));
}

// Waits, without a deadline of its own, until `done` holds; `limitMs` only keeps a broken run
// from hanging the suite.
template <class Done>
bool waitFor(Done done, int limitMs = 120000)
{
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > limitMs)
      return false;
    QTest::qWait(20);
  }
  return true;
}

// A real zrt02600-server process.
class ServeProcess {
public:
  explicit ServeProcess(const QStringList &args)
  {
    proc.setProgram(QStringLiteral(ZRT_SERVER_PATH));
    proc.setArguments(QStringList{QStringLiteral("serve"), QStringLiteral("--port"), QStringLiteral("0")} + args);
    proc.start();
  }
  ~ServeProcess()
  {
    if (proc.state() != QProcess::NotRunning) {
      proc.kill();
      proc.waitForFinished(10000);
    }
  }
  // The port it printed, or 0 when it ended first.
  unsigned short waitForPort()
  {
    static const QRegularExpression address(QStringLiteral("http://127\\.0\\.0\\.1:(\\d+)/"));
    waitFor([&] {
      out += proc.readAllStandardOutput();
      return address.match(QString::fromUtf8(out)).hasMatch() || proc.state() == QProcess::NotRunning;
    });
    const auto m = address.match(QString::fromUtf8(out));
    return m.hasMatch() ? m.captured(1).toUShort() : 0;
  }
  QString errors()
  {
    err += proc.readAllStandardError();
    return QString::fromUtf8(err);
  }
  void signal(int sig) { ::kill(pid_t(proc.processId()), sig); }

  QProcess proc;
  QByteArray out, err;
};

QString runScript(const QStringList &args)
{
  QProcess p;
  p.start(QStringLiteral("bash"), QStringList{QStringLiteral(ZRT_SOURCE_DIR "/scripts/pg.sh")} + args);
  if (!p.waitForFinished(120000) || p.exitCode() != 0)
    qWarning("pg.sh %s: %s", qPrintable(args.join(QLatin1Char(' '))), p.readAllStandardError().constData());
  return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// One call on a fresh connection, as (code, message); code 0 is a success.
std::pair<int, std::string> callOnce(unsigned short port, const json &request)
{
  testhttp::Client c(port);
  const auto reply = c.post(kPath, request.dump());
  const json j = json::parse(reply.body, nullptr, false);
  if (!j.is_object())
    return {-1, "HTTP " + std::to_string(reply.status) + " " + reply.error};
  if (j.contains("result"))
    return {0, {}};
  return {j["error"]["code"].get<int>(), j["error"]["message"].get<std::string>()};
}

int healthOf(unsigned short port)
{
  testhttp::Client c(port);
  return c.send(boost::beast::http::verb::get, "/health", "").status;
}

json periodRequest(const char *equipment)
{
  const double today = toDateTime(QDate::currentDate());
  return rpc::makeRequest("GetReservados", {equipment, "1", "2", "2", today, today + 30}, 1);
}

} // namespace

class tst_deploy : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;

  QString sqliteUrl(const QString &name) const { return QStringLiteral("sqlite:") + dir_.filePath(name); }

private slots:
  void initTestCase() { QVERIFY(dir_.isValid()); }

  void serveRefusesWhatItCannotServe_data()
  {
    QTest::addColumn<QString>("db");
    QTest::addColumn<QString>("prepare");
    QTest::addColumn<QString>("message");
    // clang-format off
    QTest::newRow("missing file") << "nada/plant.db" << "" << "Banco de dados não encontrado";
    QTest::newRow("no schema") << "empty.db" << "empty" << "não tem o esquema";
    QTest::newRow("older schema") << "old.db" << "DELETE FROM ZRT_SCHEMA_VERSION WHERE VERSAO > 2"
                                  << "versão 2 do esquema, mais antiga que a deste programa (3). Execute \"zrt02600-server init";
    QTest::newRow("newer schema") << "new.db" << "INSERT INTO ZRT_SCHEMA_VERSION (VERSAO) VALUES (99)" << "mais nova";
    QTest::newRow("PostgreSQL that is not there") << "postgresql://zrt@127.0.0.1:1/plant" << ""
                                                  << "Não foi possível abrir o banco de dados";
    // clang-format on
  }
  void serveRefusesWhatItCannotServe()
  {
    QFETCH(QString, db);
    QFETCH(QString, prepare);
    QFETCH(QString, message);
    const QString url = db.startsWith(QLatin1String("postgresql:")) ? db : sqliteUrl(db);
    if (prepare == QLatin1String("empty")) {
      QFile f(dir_.filePath(db));
      QVERIFY(f.open(QIODevice::WriteOnly));
    } else if (!prepare.isEmpty()) {
      initSchema(url);
      sql(url, prepare);
    }
    ServeProcess server({QStringLiteral("--db"), url});
    QCOMPARE(server.waitForPort(), 0);
    QVERIFY(server.proc.state() == QProcess::NotRunning || server.proc.waitForFinished(30000));
    QCOMPARE(server.proc.exitCode(), 1);
    const QString errors = server.errors();
    QVERIFY2(errors.startsWith(QStringLiteral("O servidor de aplicação não foi iniciado: ")), qPrintable(errors));
    QVERIFY2(errors.contains(message), qPrintable(errors));
  }

  // SIGTERM mid-call: an idle keep-alive connection is closed at once, the call in flight is
  // answered (and closes its connection), then the process ends with 0. The call is a batch
  // whose second member waits for a lock the test holds; the access log line of its first
  // member shows it is under way.
  void sigtermAnswersTheCallInFlight()
  {
    const QString url = sqliteUrl(QStringLiteral("drain.db"));
    DemoOptions demo;
    demo.equipment = 6;
    demo.months = 2;
    fillDemo(url, demo);
    sql(url, QStringLiteral("PRAGMA journal_mode=DELETE")); // a writer's lock then stops readers
    ServeProcess server({QStringLiteral("--db"), url, QStringLiteral("--drain-seconds"), QStringLiteral("600")});
    const unsigned short port = server.waitForPort();
    QVERIFY2(port != 0, qPrintable(server.errors()));

    testhttp::Client idle(port);
    QCOMPARE(idle.post(kPath, periodRequest("INJ01").dump()).status, 200);

    QSqlDatabase locker = openDatabase(url, QStringLiteral("locker"));
    QSqlQuery lock(locker);
    QVERIFY(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));
    json batch = {rpc::makeRequest("GetHoraServidor", json::array(), 1), periodRequest("INJ01")};
    testhttp::Reply held;
    std::thread caller([&] {
      testhttp::Client c(port);
      held = c.post(kPath, batch.dump());
    });
    const bool underWay = waitFor([&] { return server.errors().contains(QLatin1String("rpc method=GetHoraServidor")); });
    server.signal(SIGTERM);
    // The idle connection ends while the call is still held.
    boost::beast::flat_buffer buffer;
    boost::beast::error_code ec;
    idle.stream().expires_after(std::chrono::seconds(30));
    idle.stream().read_some(buffer.prepare(1), ec);
    const bool idleClosed = ec == boost::asio::error::eof || ec == boost::asio::error::connection_reset;
    const bool stillRunning = server.proc.state() == QProcess::Running;
    QVERIFY(lock.exec(QStringLiteral("COMMIT")));
    lock = QSqlQuery();
    locker.close();
    locker = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("locker"));
    caller.join();
    QVERIFY(underWay);
    QVERIFY2(idleClosed, ec.message().c_str());
    QVERIFY(stillRunning);

    QCOMPARE(held.status, 200);
    QVERIFY(!held.keepAlive); // the connection's last answer
    const json answers = json::parse(held.body);
    QCOMPARE(answers.size(), size_t(2));
    for (const json &a : answers)
      QVERIFY2(a.contains("result"), a.dump().c_str());
    QVERIFY(server.proc.waitForFinished(60000));
    QCOMPARE(server.proc.exitStatus(), QProcess::NormalExit);
    QCOMPARE(server.proc.exitCode(), 0);
    QVERIFY2(server.errors().contains(QLatin1String("Servidor encerrado.")), qPrintable(server.errors()));
  }

  // The database restarts under running workers: calls fail clearly while it is down and work
  // again once it is back, with no restart of the server, and right after a quick restart
  // the workers' broken connections are replaced within the call.
  void postgresRestart()
  {
    if (qEnvironmentVariableIsEmpty("ZRT_TEST_PG_URL"))
      QSKIP("ZRT_TEST_PG_URL not set: no PostgreSQL here");
    const QString started = runScript({});
    const QString pgDir = started.section(QLatin1Char(' '), 0, 0), url = started.section(QLatin1Char(' '), 1);
    QVERIFY2(url.startsWith(QLatin1String("postgresql://")), qPrintable(started));
    struct Cleanup {
      QString dir;
      ~Cleanup() { runScript({QStringLiteral("stop"), dir}); }
    } cleanup{pgDir};
    DemoOptions demo;
    demo.equipment = 6;
    demo.months = 2;
    fillDemo(url, demo);
    ServerOptions o;
    o.dbUrl = url;
    o.accessLog = false;
    Server server(o);
    server.start();
    const json request = periodRequest("INJ01");
    auto callsOk = [&] {
      for (int i = 0; i < 4; ++i) { // every worker
        const auto [code, message] = callOnce(server.port(), request);
        if (code != 0) {
          qWarning("%d %s", code, message.c_str());
          return false;
        }
      }
      return true;
    };
    QVERIFY(callsOk());
    QCOMPARE(healthOf(server.port()), 200);

    runScript({QStringLiteral("halt"), pgDir});
    for (int i = 0; i < 4; ++i) {
      const auto [code, message] = callOnce(server.port(), request);
      QCOMPARE(code, rpc::kServerError);
      QVERIFY2(QString::fromStdString(message).contains(QStringLiteral("banco de dados")), message.c_str());
    }
    QCOMPARE(healthOf(server.port()), 503);
    runScript({QStringLiteral("start"), pgDir});
    QVERIFY(callsOk());
    QCOMPARE(healthOf(server.port()), 200);

    QElapsedTimer t;
    t.start();
    runScript({QStringLiteral("restart"), pgDir});
    const qint64 restartMs = t.elapsed();
    const auto [code, message] = callOnce(server.port(), request);
    const qint64 firstCallMs = t.elapsed() - restartMs;
    QVERIFY2(code == 0, message.c_str());
    QVERIFY(callsOk()); // and on every worker
    qInfo("PostgreSQL restart took %lld ms; the first call after it succeeded in %lld ms", restartMs, firstCallMs);
  }

  // 16 keep-alive clients through the balancer while one copy is stopped with SIGTERM and
  // another killed: no answer is wrong, none is lost to the SIGTERM, and the kill costs at
  // most the calls that were on that copy, each with a clear failure.
  void balancedCopiesUnderLoad()
  {
    if (qEnvironmentVariableIsEmpty("ZRT_TEST_PG_URL"))
      QSKIP("ZRT_TEST_PG_URL not set: no PostgreSQL here");
    if (!QFile::exists(QStringLiteral("/usr/sbin/nginx")))
      QSKIP("nginx not installed");
    QProcess cluster;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ZRT_BIN"), QFileInfo(QStringLiteral(ZRT_SERVER_PATH)).absolutePath());
    cluster.setProcessEnvironment(env);
    cluster.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    cluster.start(QStringLiteral("bash"),
                  {QStringLiteral(ZRT_SOURCE_DIR "/scripts/cluster.sh"), QStringLiteral("--servers"), QStringLiteral("3")});
    QString out;
    static const QRegularExpression balancer(QStringLiteral("Balanceador em http://127\\.0\\.0\\.1:(\\d+)/"));
    QVERIFY(waitFor([&] {
      out += QString::fromUtf8(cluster.readAllStandardOutput());
      return balancer.match(out).hasMatch() || cluster.state() == QProcess::NotRunning;
    }));
    struct Stop {
      QProcess &p;
      ~Stop()
      {
        p.terminate();
        if (!p.waitForFinished(60000))
          p.kill();
      }
    } stop{cluster};
    QVERIFY2(balancer.match(out).hasMatch(), qPrintable(out));
    const unsigned short port = balancer.match(out).captured(1).toUShort();
    struct Copy {
      pid_t pid;
      unsigned short port;
      QString log;
    };
    std::vector<Copy> copies;
    static const QRegularExpression copyLine(
        QStringLiteral("Servidor \\d+: pid (\\d+), http://127\\.0\\.0\\.1:(\\d+) \\(log: (.*)\\)"));
    for (auto it = copyLine.globalMatch(out); it.hasNext();) {
      const auto m = it.next();
      copies.push_back({pid_t(m.captured(1).toInt()), m.captured(2).toUShort(), m.captured(3)});
    }
    QCOMPARE(copies.size(), size_t(3));

    const std::string request = periodRequest("INJ01").dump();
    std::string expected;
    {
      testhttp::Client direct(copies[0].port);
      expected = direct.post(kPath, request).body;
    }
    QVERIFY2(expected.find("\"rows\":[[") != std::string::npos, expected.c_str());

    std::atomic<bool> running{true};
    std::atomic<int> calls{0}, wrong{0}, failed{0};
    std::mutex failuresMutex;
    QStringList failures;
    std::vector<std::thread> clients;
    for (int i = 0; i < 16; ++i)
      clients.emplace_back([&] {
        std::unique_ptr<testhttp::Client> c;
        while (running) {
          testhttp::Reply reply;
          // A connection that broke before any answer is sent again once, as the desktop does.
          for (int attempt = 0; attempt < 2 && reply.status == 0; ++attempt) {
            try {
              if (!c)
                c = std::make_unique<testhttp::Client>(port);
              reply = c->post(kPath, request);
            } catch (const std::exception &e) {
              reply.error = e.what();
            }
            if (reply.status == 0 || !reply.keepAlive)
              c.reset();
          }
          ++calls;
          if (reply.status == 200 && reply.body == expected)
            continue;
          if (reply.status == 200) {
            ++wrong;
          } else {
            ++failed;
          }
          std::lock_guard lock(failuresMutex);
          failures << QStringLiteral("HTTP %1 %2 %3")
                          .arg(reply.status)
                          .arg(QString::fromStdString(reply.error), QString::fromStdString(reply.body.substr(0, 200)));
        }
      });
    auto runFor = [&](int n) {
      const int until = calls + n;
      return waitFor([&] { return calls >= until; });
    };
    auto gone = [](pid_t pid) {
      QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
      return !stat.open(QIODevice::ReadOnly) || stat.readAll().contains(") Z ");
    };

    bool progressed = runFor(500);
    ::kill(copies[0].pid, SIGTERM);
    const bool stopped = waitFor([&] { return gone(copies[0].pid); });
    progressed = progressed && runFor(500);
    const int failedBeforeKill = failed;
    ::kill(copies[1].pid, SIGKILL);
    progressed = progressed && runFor(1000);
    running = false;
    for (auto &t : clients)
      t.join();

    QVERIFY(progressed);
    QVERIFY(stopped);
    QFile log(copies[0].log);
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY2(log.readAll().contains("Servidor encerrado."), qPrintable(copies[0].log));
    QVERIFY2(wrong == 0, qPrintable(failures.join(QLatin1Char('\n'))));
    QVERIFY2(failedBeforeKill == 0, qPrintable(failures.join(QLatin1Char('\n'))));
    QVERIFY2(failed <= 16, qPrintable(failures.join(QLatin1Char('\n'))));
    for (const QString &f : failures) // the balancer's clear answer when no copy could take the call
      QVERIFY2(f.startsWith(QLatin1String("HTTP 502")) || f.startsWith(QLatin1String("HTTP 504")), qPrintable(f));
    qInfo("%d calls through the balancer, %d failed", calls.load(), failed.load());
  }
};

QTEST_GUILESS_MAIN(tst_deploy)
#include "tst_deploy.moc"
