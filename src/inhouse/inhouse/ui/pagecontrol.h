#pragma once
// Page control: tab pages with the tabs at the bottom and one change event, run after the USER
// changed the active page (a click on a tab, the keyboard, the wheel over the tabs). A page set
// from code (SetActivePage, setCurrentIndex) runs no change event.
#include <inhouse/inhouse_export.h>

#include <QTabWidget>
#include <functional>

class INHOUSE_EXPORT TPageControl : public QTabWidget {
  Q_OBJECT
public:
  explicit TPageControl(QWidget *parent = nullptr);

  int AddPage(QWidget *page, const QString &caption);
  void SetActivePage(QWidget *page);
  QWidget *ActivePage() const;
  int ActivePageIndex() const;
  int PageCount() const;
  QWidget *Pages(int index) const;

  // A page whose tab is not shown (a single hidden page is a plain frame).
  void SetTabVisible(QWidget *page, bool visible);
  // Hides the tab row altogether.
  void SetTabsVisible(bool visible);

  // With a tab stop (the default) a click on a tab takes the focus before the page changes,
  // so the exit rules of the control left run first; Tab reaches the tabs too.
  void SetTabStop(bool on);
  bool TabStop() const;

  // Runs guarded: an abort or error in it never leaves the event loop.
  std::function<void(TPageControl &)> OnChange;

protected:
  void keyPressEvent(QKeyEvent *event) override; // Ctrl+Tab and the like

private:
  friend class TPageTabBar;
  // Input events of the user under way on the control or its tabs.
  int m_userInput = 0;
};
