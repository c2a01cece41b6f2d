#include <inhouse/services/application.h>
#include <inhouse/services/errors.h>
#include <inhouse/services/prompts.h>

#include <QPointer>
#include <QWidget>
#include <cstdio>

namespace {
QPointer<QWidget> g_mainForm;
std::function<void(const QString &)> g_reporter;
std::function<void(int)> g_helpViewer;

void DefaultReport(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
    Prompts().Show(text, mtError);
}
} // namespace

void SetMainForm(QWidget *form)
{
    g_mainForm = form;
}

QWidget *MainForm()
{
    return g_mainForm.data();
}

void SetErrorReporter(std::function<void(const QString &)> reporter)
{
    g_reporter = std::move(reporter);
}

QString ExceptionMessage(std::exception_ptr error)
{
    if (!error)
        return {};
    try {
        std::rethrow_exception(error);
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Erro desconhecido.");
    }
}

void ReportException(std::exception_ptr error)
{
    if (!error)
        return;
    try {
        std::rethrow_exception(error);
    } catch (const EAbort &) {
        return; // silent by definition
    } catch (...) {
    }
    const QString text = ExceptionMessage(error);
    if (g_reporter)
        g_reporter(text);
    else
        DefaultReport(text);
}

void SetHelpViewer(std::function<void(int)> viewer)
{
    g_helpViewer = std::move(viewer);
}

void ShowHelpContext(int helpContext)
{
    if (g_helpViewer)
        g_helpViewer(helpContext);
}
