#include <inhouse/services/application.h>
#include <inhouse/services/errors.h>
#include <inhouse/services/prompts.h>

#include <QPointer>
#include <QWidget>
#include <cstdio>

namespace {
QPointer<QWidget> g_mainForm;
std::function<void(int)> g_helpViewer;

// Without a reporter of the host's, errors still reach the user: stderr and an error box.
void DefaultReport(const QString &text)
{
  std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
  std::fflush(stderr);
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
