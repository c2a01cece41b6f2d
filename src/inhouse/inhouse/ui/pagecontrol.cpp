#include <inhouse/ui/pagecontrol.h>

#include <inhouse/services/errors.h>

#include <QKeyEvent>
#include <QTabBar>
#include <QWheelEvent>

namespace {
// Marks the length of one input event of the user on the control.
struct UserInput {
  explicit UserInput(int &counter) : depth(counter) { ++depth; }
  ~UserInput() { --depth; }
  int &depth;
};
} // namespace

// The tabs, telling the control when a page change comes from the user's own input.
class TPageTabBar : public QTabBar {
public:
  explicit TPageTabBar(TPageControl *owner) : QTabBar(owner), m_owner(owner) {}

protected:
  void mousePressEvent(QMouseEvent *event) override
  {
    UserInput input(m_owner->m_userInput);
    QTabBar::mousePressEvent(event);
  }
  void mouseReleaseEvent(QMouseEvent *event) override
  {
    UserInput input(m_owner->m_userInput);
    QTabBar::mouseReleaseEvent(event);
  }
  void keyPressEvent(QKeyEvent *event) override
  {
    UserInput input(m_owner->m_userInput);
    QTabBar::keyPressEvent(event);
  }
#if QT_CONFIG(wheelevent)
  void wheelEvent(QWheelEvent *event) override
  {
    UserInput input(m_owner->m_userInput);
    QTabBar::wheelEvent(event);
  }
#endif

private:
  TPageControl *m_owner;
};

TPageControl::TPageControl(QWidget *parent) : QTabWidget(parent)
{
  setTabBar(new TPageTabBar(this));
  setTabPosition(QTabWidget::South);
  SetTabStop(true);
  connect(this, &QTabWidget::currentChanged, this, [this](int index) {
    if (OnChange && m_userInput > 0 && index >= 0)
      Guarded([this] { OnChange(*this); });
  });
}

void TPageControl::keyPressEvent(QKeyEvent *event)
{
  UserInput input(m_userInput); // Ctrl+Tab, Ctrl+PageDown
  QTabWidget::keyPressEvent(event);
}

int TPageControl::AddPage(QWidget *page, const QString &caption) { return addTab(page, caption); }

void TPageControl::SetActivePage(QWidget *page)
{
  const int i = indexOf(page);
  if (i >= 0)
    setCurrentIndex(i);
}

QWidget *TPageControl::ActivePage() const { return currentWidget(); }

int TPageControl::ActivePageIndex() const { return currentIndex(); }

int TPageControl::PageCount() const { return count(); }

QWidget *TPageControl::Pages(int index) const { return widget(index); }

void TPageControl::SetTabVisible(QWidget *page, bool visible)
{
  const int i = indexOf(page);
  if (i >= 0)
    setTabVisible(i, visible);
}

void TPageControl::SetTabsVisible(bool visible) { tabBar()->setVisible(visible); }

void TPageControl::SetTabStop(bool on)
{
  setFocusPolicy(Qt::NoFocus);
  tabBar()->setFocusPolicy(on ? Qt::StrongFocus : Qt::NoFocus);
}

bool TPageControl::TabStop() const { return tabBar()->focusPolicy() != Qt::NoFocus; }
