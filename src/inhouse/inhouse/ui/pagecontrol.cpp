#include <inhouse/ui/pagecontrol.h>

#include <inhouse/services/errors.h>

#include <QTabBar>

TPageControl::TPageControl(QWidget *parent) : QTabWidget(parent)
{
    setTabPosition(QTabWidget::South);
    SetTabStop(true);
    connect(this, &QTabWidget::currentChanged, this, [this](int index) {
        // The first page added becomes active by itself: that is building, not a change.
        const bool wasEmpty = m_lastIndex < 0;
        m_lastIndex = index;
        if (OnChange && !wasEmpty && index >= 0)
            Guarded([this] { OnChange(*this); });
    });
}

int TPageControl::AddPage(QWidget *page, const QString &caption)
{
    return addTab(page, caption);
}

void TPageControl::SetActivePage(QWidget *page)
{
    const int i = indexOf(page);
    if (i >= 0)
        setCurrentIndex(i);
}

QWidget *TPageControl::ActivePage() const
{
    return currentWidget();
}

int TPageControl::ActivePageIndex() const
{
    return currentIndex();
}

int TPageControl::PageCount() const
{
    return count();
}

QWidget *TPageControl::Pages(int index) const
{
    return widget(index);
}

void TPageControl::SetTabVisible(QWidget *page, bool visible)
{
    const int i = indexOf(page);
    if (i >= 0)
        setTabVisible(i, visible);
}

void TPageControl::SetTabsVisible(bool visible)
{
    tabBar()->setVisible(visible);
}

void TPageControl::SetTabStop(bool on)
{
    setFocusPolicy(Qt::NoFocus);
    tabBar()->setFocusPolicy(on ? Qt::StrongFocus : Qt::NoFocus);
}

bool TPageControl::TabStop() const
{
    return tabBar()->focusPolicy() != Qt::NoFocus;
}
