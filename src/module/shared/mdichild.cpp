#include "shared/mdichild.h"

#include <inhouse/services/application.h>
#include <inhouse/services/errors.h>

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>

#include <stdexcept>

namespace {
// The host's menus that stay last in its menu bar, by object name: a caption changes with the
// language and its accelerator, a name does not.
bool IsTrailingHostMenu(const QAction *action)
{
  const QString name = action->menu() ? action->menu()->objectName() : QString();
  return name == QLatin1String("mnuJanela") || name == QLatin1String("mnuAjuda");
}
} // namespace

TMdiChild::TMdiChild(QWidget *form, QList<QMenu *> menus, std::function<void()> onActivate)
    : QObject(form), m_form(form), m_menus(std::move(menus)), m_onActivate(std::move(onActivate))
{}

void TMdiChild::Attach(QWidget *mainForm)
{
  auto *area = mainForm ? mainForm->findChild<QMdiArea *>() : nullptr;
  if (!area)
    throw std::runtime_error("A janela principal não tem área para janelas filhas.");
  // The designed size is the window's outer size; the area would otherwise shrink the new
  // sub-window to its contents' hint.
  const bool designed = m_form->testAttribute(Qt::WA_Resized);
  const QSize outer = m_form->size();
  m_subWindow = area->addSubWindow(m_form);
  m_subWindow->setAttribute(Qt::WA_DeleteOnClose);
  m_subWindow->setWindowTitle(m_form->windowTitle());
  if (designed)
    m_subWindow->resize(outer);
  ReleaseCloseShortcut();
  connect(area, &QMdiArea::subWindowActivated, this, Handler([this](QMdiSubWindow *active) {
            const bool mine = active && active == m_subWindow;
            MergeMenus(mine);
            if (mine && m_onActivate)
              m_onActivate();
          }));
}

QMdiSubWindow *TMdiChild::SubWindow() const { return m_subWindow; }

void TMdiChild::ReleaseCloseShortcut()
{
  // The sub-window's own "Close" carries Ctrl+F4 too; two owners of one key make it an
  // ambiguous short-cut that closes nothing. "Fecha&r" keeps it.
  if (!m_subWindow || !m_subWindow->systemMenu())
    return;
  const QKeySequence closeKey(Qt::CTRL | Qt::Key_F4);
  for (QAction *action : m_subWindow->systemMenu()->actions()) {
    QList<QKeySequence> keys = action->shortcuts();
    if (keys.removeAll(closeKey) > 0)
      action->setShortcuts(keys);
  }
}

void TMdiChild::MergeMenus(bool active)
{
  auto *main = qobject_cast<QMainWindow *>(MainForm());
  if (!main || !main->menuBar() || active == m_menusMerged)
    return;
  QMenuBar *bar = main->menuBar();
  if (active) {
    QAction *before = nullptr;
    for (QAction *a : bar->actions())
      if (IsTrailingHostMenu(a)) {
        before = a;
        break;
      }
    for (QMenu *menu : m_menus)
      m_mergedActions.append(menu->menuAction());
    bar->insertActions(before, m_mergedActions);
  } else {
    for (QAction *a : m_mergedActions)
      bar->removeAction(a);
    m_mergedActions.clear();
  }
  m_menusMerged = active;
}
