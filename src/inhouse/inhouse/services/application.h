#pragma once
// Application-wide services the host configures once: the main form and the help viewer.
// Windows of the module reach them without knowing the host. (The general error report is
// set with SetErrorReporter, inhouse/errors.h.)
#include <inhouse/inhouse_export.h>

#include <functional>

class QWidget;

INHOUSE_EXPORT void SetMainForm(QWidget *form);
INHOUSE_EXPORT QWidget *MainForm();

// Help: the host sets the viewer; ShowHelpContext(0) asks for the general help.
INHOUSE_EXPORT void SetHelpViewer(std::function<void(int)> viewer);
INHOUSE_EXPORT void ShowHelpContext(int helpContext);
