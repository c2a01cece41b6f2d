// Host configuration: defaults, INI, command line (which wins), bad input; the data module
// dtmDBGeral over a real SQLite file.
#include "zrt/host/datamodule.h"
#include "zrt/host/options.h"

#include <inhouse/services/brivon.h>
#include <inhouse/sql/databaseconnection.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using zrt::host::ParseResult;

namespace {

// Writes the INI lines into dir/zrt-host.ini (nothing when empty).
void writeIni(const QTemporaryDir &dir, const QStringList &lines)
{
  if (lines.isEmpty())
    return;
  QFile f(dir.filePath(zrt::host::iniFileName()));
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(lines.join(QLatin1Char('\n')).toUtf8() + '\n');
}

QStringList argsFor(const QTemporaryDir &dir, const QStringList &extra)
{
  return QStringList{QStringLiteral("zrt-host"), QStringLiteral("--config-dir"), dir.path()} + extra;
}

} // namespace

class TestHostConfig : public QObject {
  Q_OBJECT

private slots:
  void precedence_data()
  {
    QTest::addColumn<QStringList>("ini");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("db");
    QTest::addColumn<QString>("server");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("operatorCode");
    QTest::addColumn<QString>("personal"); // "3=S;5=X"
    QTest::addColumn<bool>("openSheet");

    const QString demo = QStringLiteral("sqlite:") + zrt::host::defaultDataDir() + QStringLiteral("/demo.db");
    const QStringList plantIni = {QStringLiteral("[Banco]"),      QStringLiteral("URL=postgresql://zrt@db.fabrica:5433/producao"),
                                  QStringLiteral("[Servidor]"),   QStringLiteral("Endereco=10.0.0.5"),
                                  QStringLiteral("Porta=9000"),   QStringLiteral("[Usuario]"),
                                  QStringLiteral("Operador=ANA"), QStringLiteral("[Pessoal]"),
                                  QStringLiteral("3=S"),          QStringLiteral("5=X"),
                                  QStringLiteral("[Inicio]"),     QStringLiteral("AbrirPlanilha=true")};

    QTest::newRow("defaults") << QStringList() << QStringList{QStringLiteral("--operator"), QStringLiteral("JOSE")} << demo
                              << QStringLiteral("127.0.0.1") << 8080 << QStringLiteral("JOSE") << QString() << false;
    QTest::newRow("INI over defaults") << plantIni << QStringList() << QStringLiteral("postgresql://zrt@db.fabrica:5433/producao")
                                       << QStringLiteral("10.0.0.5") << 9000 << QStringLiteral("ANA") << QStringLiteral("3=S;5=X")
                                       << true;
    QTest::newRow("command line over INI") << plantIni
                                           << QStringList{QStringLiteral("--db"),       QStringLiteral("sqlite:/tmp/x.db"),
                                                          QStringLiteral("--server"),   QStringLiteral("app.fabrica"),
                                                          QStringLiteral("--port"),     QStringLiteral("8300"),
                                                          QStringLiteral("--operator"), QStringLiteral("BIA"),
                                                          QStringLiteral("--personal"), QStringLiteral("3=N"),
                                                          QStringLiteral("--personal"), QStringLiteral("7=")}
                                           << QStringLiteral("sqlite:/tmp/x.db") << QStringLiteral("app.fabrica") << 8300
                                           << QStringLiteral("BIA") << QStringLiteral("3=N;5=X;7=") << true;
    QTest::newRow("only what the command line names changes")
        << plantIni << QStringList{QStringLiteral("--port"), QStringLiteral("8400")}
        << QStringLiteral("postgresql://zrt@db.fabrica:5433/producao") << QStringLiteral("10.0.0.5") << 8400
        << QStringLiteral("ANA") << QStringLiteral("3=S;5=X") << true;
    QTest::newRow("--open-sheet") << QStringList()
                                  << QStringList{QStringLiteral("--open-sheet"), QStringLiteral("--operator"),
                                                 QStringLiteral("X")}
                                  << demo << QStringLiteral("127.0.0.1") << 8080 << QStringLiteral("X") << QString() << true;
  }
  void precedence()
  {
    QFETCH(QStringList, ini);
    QFETCH(QStringList, args);
    QTemporaryDir dir;
    writeIni(dir, ini);
    const ParseResult r = zrt::host::parseOptions(argsFor(dir, args));
    QCOMPARE(r.status, ParseResult::Status::Ok);
    QTEST(r.options.dbUrl, "db");
    QTEST(r.options.server, "server");
    QTEST(r.options.port, "port");
    QTEST(r.options.operatorCode, "operatorCode");
    QStringList personal;
    for (auto it = r.options.personal.cbegin(); it != r.options.personal.cend(); ++it)
      personal.append(QStringLiteral("%1=%2").arg(it.key()).arg(it.value()));
    QTEST(personal.join(QLatin1Char(';')), "personal");
    QTEST(r.options.openSheet, "openSheet");
    QCOMPARE(r.options.configDir, QDir(dir.path()).absolutePath());
  }

  void badInput_data()
  {
    QTest::addColumn<QStringList>("ini");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("port out of range") << QStringList() << QStringList{QStringLiteral("--port"), QStringLiteral("70000")}
                                       << QStringLiteral("Porta inválida: \"70000\".");
    QTest::newRow("port not a number") << QStringList() << QStringList{QStringLiteral("--port"), QStringLiteral("80a")}
                                       << QStringLiteral("Porta inválida: \"80a\".");
    QTest::newRow("port in INI") << QStringList{QStringLiteral("[Servidor]"), QStringLiteral("Porta=0")} << QStringList()
                                 << QStringLiteral("Porta inválida em");
    QTest::newRow("personal without number") << QStringList() << QStringList{QStringLiteral("--personal"), QStringLiteral("S")}
                                             << QStringLiteral("Configuração pessoal inválida: \"S\".");
    QTest::newRow("personal key in INI") << QStringList{QStringLiteral("[Pessoal]"), QStringLiteral("tres=S")} << QStringList()
                                         << QStringLiteral("Configuração pessoal inválida em");
    QTest::newRow("missing token file") << QStringList()
                                        << QStringList{QStringLiteral("--token-file"), QStringLiteral("/nonexistent/token")}
                                        << QStringLiteral("Não foi possível ler o arquivo de token /nonexistent/token");
    QTest::newRow("empty server") << QStringList() << QStringList{QStringLiteral("--server"), QStringLiteral(" ")}
                                  << QStringLiteral("Endereço do servidor de aplicação vazio.");
    QTest::newRow("unknown option") << QStringList() << QStringList{QStringLiteral("--porta"), QStringLiteral("1")}
                                    << QStringLiteral("porta");
  }
  void badInput()
  {
    QFETCH(QStringList, ini);
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    QTemporaryDir dir;
    writeIni(dir, ini);
    const ParseResult r = zrt::host::parseOptions(argsFor(dir, args));
    QCOMPARE(r.status, ParseResult::Status::Error);
    QVERIFY2(r.message.contains(message), qPrintable(r.message));
  }

  void tokenFileIsReadAndTrimmed()
  {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("token"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("  s3gr3d0\n");
    f.close();
    ParseResult r = zrt::host::parseOptions(argsFor(dir, {QStringLiteral("--token-file"), path}));
    QCOMPARE(r.status, ParseResult::Status::Ok);
    QCOMPARE(r.options.token, QStringLiteral("s3gr3d0"));

    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("\n");
    f.close();
    r = zrt::host::parseOptions(argsFor(dir, {QStringLiteral("--token-file"), path}));
    QCOMPARE(r.status, ParseResult::Status::Error);
  }

  void helpDoesNotExit()
  {
    const ParseResult r = zrt::host::parseOptions({QStringLiteral("zrt-host"), QStringLiteral("--help")});
    QCOMPARE(r.status, ParseResult::Status::Help);
    QVERIFY(r.message.contains(QStringLiteral("--open-sheet")));
    QVERIFY(r.message.contains(QStringLiteral("--personal")));
  }

  void settingsReachTheLibrary()
  {
    QTemporaryDir dir;
    const QString configDir = dir.filePath(QStringLiteral("usuario/config"));
    const ParseResult r = zrt::host::parseOptions({QStringLiteral("zrt-host"), QStringLiteral("--config-dir"), configDir,
                                                   QStringLiteral("--server"), QStringLiteral("10.1.2.3"),
                                                   QStringLiteral("--port"), QStringLiteral("8555"), QStringLiteral("--operator"),
                                                   QStringLiteral("OPER1"), QStringLiteral("--personal"), QStringLiteral("3=S")});
    QCOMPARE(r.status, ParseResult::Status::Ok);
    zrt::host::applyOptions(r.options);
    QVERIFY(QDir(configDir).exists());
    QCOMPARE(Brivon::WebURL(), QStringLiteral("10.1.2.3"));
    QCOMPARE(Brivon::WebPort(), 8555);
    QCOMPARE(Brivon::Operador(), QStringLiteral("OPER1"));
    QCOMPARE(Brivon::ConfigUsrDir(), QDir(configDir).absolutePath() + QLatin1Char('/'));
    QCOMPARE(Brivon::GetPersonal(3), QStringLiteral("S"));
    QCOMPARE(Brivon::GetPersonal(4), QString());
  }

  void displayUrlHidesThePassword()
  {
    QCOMPARE(zrt::host::displayDbUrl(QStringLiteral("postgresql://zrt:segredo@db:5432/producao")),
             QStringLiteral("postgresql://zrt@db:5432/producao"));
    QCOMPARE(zrt::host::displayDbUrl(QStringLiteral("sqlite:/var/zrt/demo.db")), QStringLiteral("sqlite:/var/zrt/demo.db"));
  }

  void dataModuleOverOneConnection()
  {
    QTemporaryDir dir;
    const QString url = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("plant.db"));
    {
      zrt::host::DataModule dtm(url);
      QCOMPARE(FindDataModule(QStringLiteral("dtmDBGeral")), &dtm);
      for (const char *name : {"adcGeral", "dtbGeral", "ibtGeral"}) {
        TDatabaseConnection *c = FindConnection(QStringLiteral("dtmDBGeral"), QString::fromLatin1(name));
        QVERIFY2(c, name);
        QCOMPARE(c->ConnectionName(), dtm.connectionName());
        QVERIFY(c->Database().isOpen());
        QCOMPARE(c->Kind(), TDatabaseKind::Generic);
      }
      // One connection: what one component writes, the others read.
      QSqlQuery q(FindConnection(QStringLiteral("dtmDBGeral"), QStringLiteral("adcGeral"))->Database());
      QVERIFY(q.exec(QStringLiteral("CREATE TABLE GRUPOEQUIPA (CDGRUPOEQUIPA varchar(10) primary key)")));
      QVERIFY(q.exec(QStringLiteral("INSERT INTO GRUPOEQUIPA VALUES ('PRENSAS')")));
      QSqlQuery r(FindConnection(QStringLiteral("dtmDBGeral"), QStringLiteral("ibtGeral"))->Database());
      QVERIFY(r.exec(QStringLiteral("SELECT CDGRUPOEQUIPA FROM GRUPOEQUIPA")) && r.next());
      QCOMPARE(r.value(0).toString(), QStringLiteral("PRENSAS"));
    }
    QCOMPARE(FindDataModule(QStringLiteral("dtmDBGeral")), nullptr);
    QVERIFY(!QSqlDatabase::contains(QStringLiteral("dtmDBGeral")));
    // A second data module after the first one is gone reuses the name without complaint.
    zrt::host::DataModule again(url);
    QCOMPARE(FindDataModule(QStringLiteral("dtmDBGeral")), &again);
  }

  void dataModuleRefusesABadUrl_data()
  {
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown kind") << QStringLiteral("mysql://x/y") << QStringLiteral("Endereço de banco de dados inválido");
    QTest::newRow("unreachable folder") << QStringLiteral("sqlite:/nonexistent/dir/plant.db")
                                        << QStringLiteral("Não foi possível abrir o banco de dados");
  }
  void dataModuleRefusesABadUrl()
  {
    QFETCH(QString, url);
    QFETCH(QString, message);
    try {
      zrt::host::DataModule dtm(url);
      QFAIL("opened a database that cannot be");
    } catch (const std::runtime_error &e) {
      QVERIFY2(QString::fromUtf8(e.what()).contains(message), e.what());
    }
    QCOMPARE(FindDataModule(QStringLiteral("dtmDBGeral")), nullptr);
  }
};

QTEST_GUILESS_MAIN(TestHostConfig)
#include "tst_host_config.moc"
