#include "shared/creation.h"

#include <QApplication>

TBusyCursor::TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

TBusyCursor::~TBusyCursor() { QApplication::restoreOverrideCursor(); }

TfrmPadrao *CreateOnce(TfrmPadrao *existing, bool &created, const std::function<TfrmPadrao *()> &create)
{
  if (created && existing)
    return existing;
  // A flag left set by a window destroyed without closing names nothing: build anew.
  created = false;
  TBusyCursor busy;
  TfrmPadrao *form = create();
  form->SetCreationFlag(&created);
  form->EndCreation();
  created = true;
  return form;
}
