#pragma once
// Application-wide services the host configures once: the main form, the general error report
// and the help viewer. Windows of the module reach them without knowing the host.
#include <inhouse/export.h>

#include <QString>
#include <exception>
#include <functional>

class QWidget;

INHOUSE_EXPORT void SetMainForm(QWidget *form);
INHOUSE_EXPORT QWidget *MainForm();

// The general error report. The default writes to stderr and shows a critical message box over
// the main form (through the prompt seam, so tests can answer it).
INHOUSE_EXPORT void SetErrorReporter(std::function<void(const QString &)> reporter);
// Reports an exception through the reporter; EAbort is silent, an empty pointer does nothing.
INHOUSE_EXPORT void ReportException(std::exception_ptr error);
// The user-facing text of an exception ("Erro desconhecido." for non-standard ones).
INHOUSE_EXPORT QString ExceptionMessage(std::exception_ptr error);

// Help: the host sets the viewer; ShowHelpContext(0) asks for the general help.
INHOUSE_EXPORT void SetHelpViewer(std::function<void(int)> viewer);
INHOUSE_EXPORT void ShowHelpContext(int helpContext);
