#include "zrt/host/errorreport.h"

#include <inhouse/errors.h>
#include <inhouse/services/application.h>

#include <QLoggingCategory>
#include <QMessageBox>
#include <QPointer>

#include <stdexcept>

namespace zrt::host {
namespace {

Q_LOGGING_CATEGORY(lcError, "zrt.host.error", QtInfoMsg)

QStringList g_reported;
bool g_boxes = true;
int g_boxDepth = 0;

void showReport(const QString &text)
{
  g_reported.append(text);
  qCWarning(lcError).noquote() << QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '));
  // A report raised while a report box is up goes to the log only: a cascade of boxes (one per
  // repaint of a broken window, say) would bury the first, which is the one that matters.
  if (!g_boxes || g_boxDepth > 0 || !qobject_cast<QApplication *>(QCoreApplication::instance()))
    return;
  ++g_boxDepth;
  QMessageBox::critical(MainForm(), QStringLiteral("ZRT - Produção"), text);
  --g_boxDepth;
}

} // namespace

HostApplication::HostApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool HostApplication::notify(QObject *receiver, QEvent *event)
{
  try {
    return QApplication::notify(receiver, event);
  } catch (const EAbort &) {
    return false;
  } catch (...) {
    reportException(std::current_exception());
    return false;
  }
}

void installErrorReporter() { SetErrorReporter(showReport); }

QStringList reportedErrors() { return g_reported; }

void setErrorBoxesEnabled(bool enabled) { g_boxes = enabled; }

void reportText(const QString &text) { ReportException(std::make_exception_ptr(std::runtime_error(text.toStdString()))); }

void reportException(std::exception_ptr e) { ReportException(e); }

} // namespace zrt::host
