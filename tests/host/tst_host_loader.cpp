// The package loader against real modules: a sound one, one missing an entry point, one whose
// IniProc throws and one whose Initialize throws.
#include "zrt/host/errorreport.h"
#include "zrt/host/mainwindow.h"
#include "zrt/host/packageloader.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

using zrt::host::PackageLoader;
using State = PackageLoader::State;
Q_DECLARE_METATYPE(PackageLoader::State)

namespace {

QString trace() { return QString::fromUtf8(qgetenv("ZRT_TESTPKG_TRACE")); }

QList<State> states(const QSignalSpy &spy)
{
  QList<State> out;
  for (const auto &args : spy)
    out.append(args.at(0).value<State>());
  return out;
}

} // namespace

class TestHostLoader : public QObject {
  Q_OBJECT

private slots:
  void initTestCase()
  {
    qRegisterMetaType<State>();
    zrt::host::installErrorReporter();
    zrt::host::setErrorBoxesEnabled(false);
    QVERIFY(QFile::exists(QStringLiteral(TESTPKG_GOOD)));
  }

  void init()
  {
    qunsetenv("ZRT_TESTPKG_TRACE");
    qunsetenv("ZRT_TESTPKG_WINDOWS");
    qunsetenv("ZRT_TESTPKG_EARLY_REPORT");
  }

  // load, initialise, IniProc, last window gone -> Finalize + unmap; the menu loads it again.
  void lifecycleThroughTheMenu_data()
  {
    QTest::addColumn<bool>("earlyReport");
    QTest::newRow("reported from the destructor") << false;
    QTest::newRow("reported from the close handler") << true;
  }
  void lifecycleThroughTheMenu()
  {
    QFETCH(bool, earlyReport);
    if (earlyReport)
      qputenv("ZRT_TESTPKG_EARLY_REPORT", "1");
    QTemporaryDir dir;
    zrt::host::HostOptions options;
    options.dbUrl = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("host.db"));
    options.configDir = dir.path();
    options.packagePath = QStringLiteral(TESTPKG_GOOD);
    zrt::host::MainWindow window(options);
    window.show();
    window.start();
    PackageLoader *loader = window.loader();
    QSignalSpy spy(loader, &PackageLoader::stateChanged);
    QCOMPARE(loader->state(), State::Unloaded);

    // As a user does it: Alt+P opens "Produção", Enter picks its only item.
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_P, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QWidget *popup = QApplication::activePopupWidget();
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Return);
    QTRY_COMPARE(loader->state(), State::Initialised);
    QCOMPARE(trace(), QStringLiteral("I init P"));
    QString status;
    for (const QLabel *label : window.statusBar()->findChildren<QLabel *>())
      status += label->text() + QLatin1Char('|');
    QVERIFY2(status.contains(QStringLiteral("Módulo: ativo")) && status.contains(QStringLiteral("Servidor: 127.0.0.1:8080")) &&
                 status.contains(QStringLiteral("Banco: sqlite:")),
             qPrintable(status));
    QCOMPARE(window.mdiArea()->subWindowList().size(), 1);
    QVERIFY(loader->hasLiveObjects());
    QVERIFY(loader->packageInfo());
    QCOMPARE(loader->packageInfo()->unitCount, 1);
    QCOMPARE(QString::fromLatin1(loader->packageInfo()->units[0].name), QStringLiteral("Cli_teste"));

    // The unload never happens inside the window's own destruction, only afterwards; the
    // sub-window, whose title came from the module, is deleted later still and must not crash.
    window.mdiArea()->subWindowList().constFirst()->close();
    QCOMPARE(trace(), QStringLiteral("I init P"));
    QTRY_COMPARE(loader->state(), State::Unloaded);
    QCOMPARE(trace(), QStringLiteral("I init P F fini"));
    QVERIFY(!loader->hasLiveObjects());

    window.sheetAction()->trigger();
    QCOMPARE(loader->state(), State::Initialised);
    QCOMPARE(trace(), QStringLiteral("I init P F fini I init P"));
    QCOMPARE(states(spy), (QList<State>{State::Loaded, State::Initialised, State::Unloaded, State::Loaded, State::Initialised}));
    // Closing the frame takes the module's windows with it, then finalises and unmaps.
    QVERIFY(window.close());
    QTRY_COMPARE(loader->state(), State::Unloaded);
    QCOMPARE(trace(), QStringLiteral("I init P F fini I init P F fini"));
  }

  void staysLoadedWhileAWindowIsLeft()
  {
    qputenv("ZRT_TESTPKG_WINDOWS", "2");
    PackageLoader loader(QStringLiteral(TESTPKG_GOOD));
    QVERIFY(loader.open());
    QWidgetList mine;
    for (QWidget *w : QApplication::topLevelWidgets())
      if (w->objectName() == QLatin1String("frmTeste") && w->isVisible())
        mine.append(w);
    QCOMPARE(mine.size(), 2);
    mine[0]->close();
    QTest::qWait(50);
    QCOMPARE(loader.state(), State::Initialised);
    QCOMPARE(trace(), QStringLiteral("I init P"));
    mine[1]->close();
    QTRY_COMPARE(loader.state(), State::Unloaded);
    QCOMPARE(trace(), QStringLiteral("I init P F fini"));
  }

  void brokenModules_data()
  {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("calls");
    QTest::newRow("missing file") << QStringLiteral("/nonexistent/libPkg_zrt02600.so")
                                  << QStringLiteral("Módulo não encontrado: /nonexistent/libPkg_zrt02600.so") << QString();
    QTest::newRow("missing entry point") << QStringLiteral(TESTPKG_NOENTRY) << QStringLiteral("não exporta a função IniProc.")
                                         << QString();
    QTest::newRow("not a library") << QStringLiteral("NOT_A_LIBRARY") << QStringLiteral("Não foi possível carregar o módulo")
                                   << QString();
    QTest::newRow("Initialize throws") << QStringLiteral(TESTPKG_INITFAILS)
                                       << QStringLiteral(
                                              "Falha ao inicializar o módulo libzrt_testpkg_initfails.so: unidade Cli_teste sem "
                                              "configuração")
                                       << QStringLiteral("I");
  }
  void brokenModules()
  {
    QFETCH(QString, path);
    QFETCH(QString, message);
    QFETCH(QString, calls);
    QTemporaryDir dir;
    if (path == QLatin1String("NOT_A_LIBRARY")) {
      path = dir.filePath(QStringLiteral("libPkg_zrt02600.so"));
      QFile f(path);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write("isto não é uma biblioteca\n");
    }
    const qsizetype reportsBefore = zrt::host::reportedErrors().size();
    PackageLoader loader(path);
    QVERIFY(!loader.open());
    QCOMPARE(loader.state(), State::Failed);
    QVERIFY2(loader.errorString().contains(message), qPrintable(loader.errorString()));
    QCOMPARE(trace(), calls);
    // Reported exactly once, with the same text.
    const QStringList reports = zrt::host::reportedErrors();
    QCOMPARE(reports.size(), reportsBefore + 1);
    QCOMPARE(reports.constLast(), loader.errorString());

    // A failed loader recovers as soon as it points at a sound module.
    qunsetenv("ZRT_TESTPKG_TRACE");
    qputenv("ZRT_TESTPKG_WINDOWS", "0");
    loader.setPath(QStringLiteral(TESTPKG_GOOD));
    QVERIFY(loader.open());
    QCOMPARE(loader.state(), State::Initialised);
    QVERIFY(loader.unload());
    QCOMPARE(trace(), QStringLiteral("I init P F fini"));
  }

  // A module reports its own failure and returns it; one that lets an exception out anyway is
  // reported by the host. Either way once, and the host goes on.
  void failingIniProcIsReportedOnceAndTheHostGoesOn_data()
  {
    QTest::addColumn<QString>("path");
    QTest::newRow("module reports, returns failure") << QStringLiteral(TESTPKG_FAILS);
    QTest::newRow("exception escapes the module") << QStringLiteral(TESTPKG_THROWS);
  }
  void failingIniProcIsReportedOnceAndTheHostGoesOn()
  {
    QFETCH(QString, path);
    QTemporaryDir dir;
    zrt::host::HostOptions options;
    options.dbUrl = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("host.db"));
    options.configDir = dir.path();
    options.packagePath = path;
    zrt::host::MainWindow window(options);
    window.show();
    window.start();
    const qsizetype reportsBefore = zrt::host::reportedErrors().size();
    QVERIFY(!window.openSheet());
    QCOMPARE(zrt::host::reportedErrors().size(), reportsBefore + 1);
    QCOMPARE(zrt::host::reportedErrors().constLast(),
             QStringLiteral("Não foi possível conectar ao servidor de aplicação em 127.0.0.1:1."));
    // The module stays loaded and initialised; the next try calls IniProc again.
    QCOMPARE(window.loader()->state(), State::Initialised);
    QVERIFY(!QApplication::overrideCursor());
    window.sheetAction()->trigger();
    QCOMPARE(trace(), QStringLiteral("I init P P"));
    QCOMPARE(zrt::host::reportedErrors().size(), reportsBefore + 2);
    QVERIFY(window.isVisible());
  }
};

int main(int argc, char *argv[])
{
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  zrt::host::HostApplication app(argc, argv);
  TestHostLoader test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_host_loader.moc"
