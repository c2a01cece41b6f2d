// The host with the real module over a real plant and server: the sheet opens from the menu,
// opens once, and comes back new after its package was unloaded.
#include "zrt/host/errorreport.h"
#include "zrt/host/mainwindow.h"
#include "zrt/host/options.h"
#include "zrt/host/packageloader.h"

#include <zrt/appserver/schema.h>
#include <zrt/appserver/server.h>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using zrt::host::PackageLoader;

namespace {
// A small demo plant with its server on an ephemeral port, and host options pointing at both.
struct Plant {
  QTemporaryDir dir;
  QString url = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("plant.db"));
  std::unique_ptr<zrt::appserver::Server> server;

  Plant()
  {
    zrt::appserver::DemoOptions demo;
    demo.equipment = 12;
    demo.months = 1;
    zrt::appserver::fillDemo(url, demo);
    zrt::appserver::ServerOptions so;
    so.dbUrl = url;
    so.accessLog = false;
    server = std::make_unique<zrt::appserver::Server>(so);
    server->start();
  }

  zrt::host::HostOptions Options() const
  {
    zrt::host::HostOptions options;
    options.dbUrl = url;
    options.configDir = dir.path();
    options.port = server->port();
    options.packagePath = QStringLiteral(ZRT_REAL_PACKAGE);
    return options;
  }
};
} // namespace

class TestHostModule : public QObject {
  Q_OBJECT

private slots:
  void initTestCase()
  {
    zrt::host::installErrorReporter();
    zrt::host::setErrorBoxesEnabled(false);
  }

  // As the command line does it: the sheet opens while the frame is still being shown, so its
  // activation arrives while its creation waits for the server.
  void openAtStartReportsNothing()
  {
    Plant plant;
    zrt::host::HostOptions options = plant.Options();
    options.openSheet = true;
    zrt::host::applyOptions(options);
    const int errorsBefore = int(zrt::host::reportedErrors().size());
    zrt::host::MainWindow window(options);
    window.show();
    window.start();
    QTRY_COMPARE(window.loader()->state(), PackageLoader::State::Initialised);
    QTest::qWait(100);
    QCOMPARE(window.mdiArea()->subWindowList().size(), 1);
    QCOMPARE(zrt::host::reportedErrors().mid(errorsBefore), QStringList());
    window.close();
  }

  void packageTableListsItsFourUnits()
  {
    PackageLoader loader(QStringLiteral(ZRT_REAL_PACKAGE));
    QVERIFY(loader.load());
    const TPackageInfoTable *info = loader.packageInfo();
    QVERIFY(info);
    QStringList names;
    for (int i = 0; i < info->unitCount; ++i)
      names << QString::fromLatin1(info->units[i].name);
    QCOMPARE(names, (QStringList{QStringLiteral("Cli_zrt02600"), QStringLiteral("Cli_zrt02601"), QStringLiteral("Cli_zrt02602"),
                                 QStringLiteral("Cli_zrt02603")}));
    QVERIFY(loader.unload());
  }

  // The sheet's creation fails (no server where the settings point): the module reports it
  // once, the host is told by the status, and nothing is left half-open.
  void failedCreationInIniProcIsReportedOnce()
  {
    Plant plant;
    zrt::host::HostOptions options = plant.Options();
    plant.server.reset();
    options.port = 1;
    zrt::host::applyOptions(options);
    zrt::host::MainWindow window(options);
    window.show();
    window.start();
    const qsizetype errorsBefore = zrt::host::reportedErrors().size();

    QVERIFY(!window.openSheet());
    QCOMPARE(zrt::host::reportedErrors().size(), errorsBefore + 1);
    QCOMPARE(window.loader()->state(), PackageLoader::State::Initialised);
    QVERIFY(!window.loader()->errorString().isEmpty());
    QTest::qWait(20);
    QCOMPARE(window.mdiArea()->subWindowList().size(), 0);
    QVERIFY(!QApplication::overrideCursor());
    window.close();
  }

  void sheetOpensOnceAndAgainAfterUnload()
  {
    Plant plant;

    const zrt::host::HostOptions options = plant.Options();
    zrt::host::applyOptions(options);
    zrt::host::MainWindow window(options);
    window.show();
    window.start();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    PackageLoader *loader = window.loader();

    window.sheetAction()->trigger();
    QTRY_COMPARE(loader->state(), PackageLoader::State::Initialised);
    QCOMPARE(window.mdiArea()->subWindowList().size(), 1);
    QMdiSubWindow *first = window.mdiArea()->subWindowList().constFirst();
    QCOMPARE(first->windowTitle(), QStringLiteral("Planilha de Utilização dos Equipamentos na Produção"));
    first->showMaximized();

    // A second open shows the same sheet, in normal state.
    window.sheetAction()->trigger();
    QCOMPARE(window.mdiArea()->subWindowList().size(), 1);
    QCOMPARE(window.mdiArea()->subWindowList().constFirst(), first);
    QVERIFY(!first->isMaximized());

    // Closing the last window lets the host unload the package; the menu brings a new sheet.
    first->close();
    QTRY_COMPARE(loader->state(), PackageLoader::State::Unloaded);
    window.sheetAction()->trigger();
    QTRY_COMPARE(loader->state(), PackageLoader::State::Initialised);
    QCOMPARE(window.mdiArea()->subWindowList().size(), 1);
    window.close();
  }
};

QTEST_MAIN(TestHostModule)
#include "tst_host_module.moc"
