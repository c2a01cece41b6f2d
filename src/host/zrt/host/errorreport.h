#pragma once
// The host's general error reporting: one line on stderr and a message box over the main
// window. Installed into the in-house library, so every guarded handler of the module ends here.
#include <QApplication>
#include <QString>
#include <QStringList>

#include <exception>

class QWidget;

namespace zrt::host {

// A QApplication whose event dispatch is the last line of defence: an exception escaping an
// event handler or a slot is reported instead of terminating the process.
class HostApplication : public QApplication {
  Q_OBJECT
public:
  HostApplication(int &argc, char **argv);
  bool notify(QObject *receiver, QEvent *event) override;
};

// Installs the reporter with SetErrorReporter. Boxes are shown over the library's main form.
void installErrorReporter();
// Every text reported since start (newest last), for the "Sobre" box and for checks.
QStringList reportedErrors();
// Whether reports show a message box (on) or only write stderr (off, for batch runs).
void setErrorBoxesEnabled(bool enabled);

// Hand a failure to the general error reporting (through the in-house library).
void reportText(const QString &text);
void reportException(std::exception_ptr e);

} // namespace zrt::host
