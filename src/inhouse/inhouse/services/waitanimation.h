#pragma once
// The "Aguarde..." overlay shown over the main window while a long call runs. It animates on
// a timer, so it moves while a server call waits in a local event loop. Calls nest: only the
// outermost DeactiveShowAvi hides it.
#include <inhouse/inhouse_export.h>

class QWidget;

// kind: 1 the sheet's requests, 6 the dialogs' requests. A null mainForm means MainForm().
INHOUSE_EXPORT void ActiveShowAvi(QWidget *mainForm, int kind);
INHOUSE_EXPORT void DeactiveShowAvi(); // extra calls are ignored
INHOUSE_EXPORT int ShowAviDepth();
INHOUSE_EXPORT QWidget *ShowAviWidget(); // the overlay while shown, else nullptr

// Shows the animation for its lifetime, so it is hidden on every path, failures included.
class INHOUSE_EXPORT WaitAnimation {
public:
  explicit WaitAnimation(QWidget *mainForm = nullptr, int kind = 1);
  ~WaitAnimation();
  WaitAnimation(const WaitAnimation &) = delete;
  WaitAnimation &operator=(const WaitAnimation &) = delete;
};
