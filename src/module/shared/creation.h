#pragma once
// How the package's modal windows are created and shown: the hourglass while a window is being
// built, one window per unit flag, shown modally, released when it closes (which clears the
// flag), the cursor restored on every path. A creation that fails deletes the half-built
// window, leaves the flag clear and passes the failure on.
#include "shared/frmpadrao.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <utility>

// The hourglass for the length of a scope: restored on every path, failures included.
struct TBusyCursor {
  TBusyCursor();
  ~TBusyCursor();
  TBusyCursor(const TBusyCursor &) = delete;
  TBusyCursor &operator=(const TBusyCursor &) = delete;
};

// The existing window while the flag says it exists, else the one `create` builds (it returns
// it whole or throws); the new window clears the flag when it closes.
TfrmPadrao *CreateOnce(TfrmPadrao *existing, bool &created, const std::function<TfrmPadrao *()> &create);

// Creates the window into `window` when `created` is false, then shows it modally. Returns
// once it is closed; `window` is null by then unless the window still waits for its deletion.
// The window's constructor does its creation work; a separate FormCreate() runs right after.
template <class Form, class... Args>
void CreateAndShowModal(QPointer<Form> &window, bool &created, Args &&...args)
{
  TfrmPadrao *form = CreateOnce(window.data(), created, [&]() -> TfrmPadrao * {
    std::unique_ptr<Form> built(new Form(std::forward<Args>(args)...));
    if constexpr (requires(Form & f) { f.FormCreate(); })
      built->FormCreate();
    return built.release();
  });
  window = static_cast<Form *>(form);
  form->ShowModal();
}
