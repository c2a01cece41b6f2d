#include <inhouse/services/navigation.h>

#include <QWidget>

namespace {
bool Selectable(QWidget *w, bool checkTabStop)
{
  if (!w->isVisibleTo(w->window()) || !w->isEnabled())
    return false;
  const Qt::FocusPolicy policy = w->focusPolicy();
  if (checkTabStop)
    return (policy & Qt::TabFocus) != 0;
  return policy != Qt::NoFocus;
}
} // namespace

QWidget *SelectFirstControl(QWidget *parent)
{
  if (!parent)
    return nullptr;
  // The focus chain is the window's tab order; walk it once around.
  QWidget *start = parent->window();
  QWidget *w = start->nextInFocusChain();
  for (int guard = 0; w && guard < 100000; ++guard, w = w->nextInFocusChain()) {
    if (parent->isAncestorOf(w) && Selectable(w, true)) {
      w->setFocus(Qt::TabFocusReason);
      return w;
    }
    if (w == start)
      break;
  }
  return nullptr;
}

QWidget *SelectNextControl(QWidget *current, bool goForward, bool checkTabStop, bool checkParent)
{
  if (!current)
    return nullptr;
  QWidget *parent = current->parentWidget();
  QWidget *w = goForward ? current->nextInFocusChain() : current->previousInFocusChain();
  for (int guard = 0; w && w != current && guard < 100000; ++guard) {
    if (!w->isWindow() && Selectable(w, checkTabStop) && (!checkParent || w->parentWidget() == parent)) {
      w->setFocus(goForward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
      return w;
    }
    w = goForward ? w->nextInFocusChain() : w->previousInFocusChain();
  }
  return nullptr;
}
