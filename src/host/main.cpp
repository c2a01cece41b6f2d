// zrt-host: the MDI frame that loads the equipment utilisation module.
#include "zrt/host/errorreport.h"
#include "zrt/host/helpviewer.h"
#include "zrt/host/mainwindow.h"
#include "zrt/host/options.h"

#include <inhouse/net/packetreader.h>

#include <QElapsedTimer>
#include <QMdiArea>
#include <QScreen>

#if defined(Q_OS_UNIX)
#include <sys/resource.h>
#endif

#include <algorithm>
#include <cstdio>

namespace {
QString PeakMemoryText()
{
#if defined(Q_OS_UNIX)
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return QStringLiteral("%1 MB").arg(usage.ru_maxrss / 1024);
#else
  return QStringLiteral("(not measured here)");
#endif
}
} // namespace

int main(int argc, char *argv[])
{
  QElapsedTimer sinceStart;
  sinceStart.start();
  QCoreApplication::setOrganizationName(QStringLiteral("zrt02600"));
  QCoreApplication::setApplicationName(QStringLiteral("zrt-host"));
  QCoreApplication::setApplicationVersion(QStringLiteral("0.1"));

  // --help and --version are answered before the GUI starts, so they work without a display.
  // Other options wait for the application, which takes its own (-platform, ...) out first.
  QStringList args;
  for (int i = 0; i < argc; ++i)
    args.append(QString::fromLocal8Bit(argv[i]));
  static const QStringList early = {QStringLiteral("-h"), QStringLiteral("--help"), QStringLiteral("-?"), QStringLiteral("-v"),
                                    QStringLiteral("--version")};
  if (std::any_of(args.begin() + 1, args.end(), [](const QString &a) { return early.contains(a); })) {
    const zrt::host::ParseResult r = zrt::host::parseOptions(args);
    if (r.status == zrt::host::ParseResult::Status::Error) {
      std::fprintf(stderr, "zrt-host: %s\n", qPrintable(r.message));
      return 2;
    }
    std::fputs(qPrintable(r.message), stdout);
    std::fputs("\n", stdout);
    return 0;
  }

  KeepMemoryForAnswers();
  zrt::host::HostApplication app(argc, argv);
  // Again with the application in place: the module's default path is next to the executable.
  const zrt::host::ParseResult parsed = zrt::host::parseOptions(QCoreApplication::arguments());
  if (parsed.status == zrt::host::ParseResult::Status::Error) {
    std::fprintf(stderr, "zrt-host: %s\n", qPrintable(parsed.message));
    return 2;
  }
  if (parsed.status != zrt::host::ParseResult::Status::Ok) {
    std::fputs(qPrintable(parsed.message), stdout);
    std::fputs("\n", stdout);
    return 0;
  }

  zrt::host::installErrorReporter();
  zrt::host::applyOptions(parsed.options);
  zrt::host::MainWindow window(parsed.options);
  zrt::host::installHelpViewer(&window);
  // The frame's designed size, unless the screen is smaller: then it takes the whole screen.
  const QSize available = window.screen()->availableSize();
  if (available.width() < window.width() || available.height() < window.height())
    window.showMaximized();
  else
    window.show();
  window.start();
  if (qEnvironmentVariableIsSet("ZRT_HOST_BENCH")) {
    // Start-up figure for bench/host: once start() returns, the sheet is shown with its list filled.
    QCoreApplication::processEvents();
    std::printf("sheet shown %.1f ms after start; peak memory %s\n", double(sinceStart.nsecsElapsed()) / 1e6,
                qPrintable(PeakMemoryText()));
    return window.mdiArea()->subWindowList().isEmpty() ? 1 : 0;
  }
  return app.exec();
}
