#pragma once
// What makes a window an MDI child of the host: its sub-window in the host's MDI area, its
// drop-downs merged into the host's menu bar while it is the active child, the sub-window's own
// Ctrl+F4 given up to the window's "Fecha&r", and each activation passed on to the window.
#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class QAction;
class QMdiSubWindow;
class QMenu;
class QWidget;

class TMdiChild : public QObject {
  Q_OBJECT
public:
  // `menus` merge into the host's menu bar; `onActivate` runs (guarded) each time the
  // sub-window becomes the area's active one.
  TMdiChild(QWidget *form, QList<QMenu *> menus, std::function<void()> onActivate);

  // Puts the form into the MDI area of `mainForm`, keeping the form's designed size. Throws
  // when the main form has none.
  void Attach(QWidget *mainForm);
  QMdiSubWindow *SubWindow() const;
  bool MenusMerged() const { return m_menusMerged; }

private:
  void MergeMenus(bool active);
  void ReleaseCloseShortcut();

  QWidget *m_form;
  QList<QMenu *> m_menus;
  std::function<void()> m_onActivate;
  QPointer<QMdiSubWindow> m_subWindow;
  QList<QAction *> m_mergedActions;
  bool m_menusMerged = false;
};
