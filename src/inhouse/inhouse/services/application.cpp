#include <inhouse/services/application.h>
#include <inhouse/services/errors.h>
#include <inhouse/services/prompts.h>

#include <QLoggingCategory>
#include <QPointer>
#include <QWidget>

namespace {
Q_LOGGING_CATEGORY(lcError, "zrt.inhouse.error", QtInfoMsg)

QPointer<QWidget> g_mainForm;
std::function<void(int)> g_helpViewer;

// Without a reporter of the host's, errors still reach the user: the log and an error box.
void DefaultReport(const QString &text)
{
  qCWarning(lcError).noquote() << text;
  Prompts().Show(text, mtError);
}

[[maybe_unused]] const bool g_defaultReportInstalled = (SetDefaultErrorReporter(DefaultReport), true);
} // namespace

void SetMainForm(QWidget *form) { g_mainForm = form; }

QWidget *MainForm() { return g_mainForm.data(); }

void SetHelpViewer(std::function<void(int)> viewer) { g_helpViewer = std::move(viewer); }

void ShowHelpContext(int helpContext)
{
  if (g_helpViewer)
    g_helpViewer(helpContext);
}
