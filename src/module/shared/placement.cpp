#include "shared/placement.h"

#include <QDockWidget>
#include <QMainWindow>
#include <QMdiArea>
#include <QStatusBar>
#include <QToolBar>

QPoint MdiChildPosition(QPoint current, const std::vector<TAlignedBar> &hostBars)
{
  int heights = 4;
  int widths = 4;
  for (const auto &bar : hostBars) {
    if (bar.align == TAlignedBar::Top || bar.align == TAlignedBar::Bottom)
      heights += bar.size.height();
    else if (bar.align == TAlignedBar::Left || bar.align == TAlignedBar::Right)
      widths += bar.size.width();
  }
  return {current.x() - widths / 2, current.y() - heights / 2};
}

QPoint CentredPosition(QSize ownSize, QPoint hostClientOrigin, QSize hostClientSize)
{
  return hostClientOrigin +
         QPoint(hostClientSize.width() / 2 - ownSize.width() / 2, hostClientSize.height() / 2 - ownSize.height() / 2);
}

QPoint ClampToOrigin(QPoint position) { return {position.x() < 0 ? 0 : position.x(), position.y() < 0 ? 0 : position.y()}; }

std::vector<TAlignedBar> HostAlignedBars(QWidget *mainForm)
{
  std::vector<TAlignedBar> bars;
  auto *main = qobject_cast<QMainWindow *>(mainForm);
  if (!main)
    return bars;
  auto visible = [main](QWidget *w) { return w && w->isVisibleTo(main) && !w->isWindow(); };
  if (QWidget *menu = main->menuWidget(); visible(menu))
    bars.push_back({TAlignedBar::Top, menu->size()});
  // Tool bar and dock areas number the sides alike.
  static_assert(
      int(Qt::TopToolBarArea) == int(Qt::TopDockWidgetArea) && int(Qt::BottomToolBarArea) == int(Qt::BottomDockWidgetArea) &&
      int(Qt::LeftToolBarArea) == int(Qt::LeftDockWidgetArea) && int(Qt::RightToolBarArea) == int(Qt::RightDockWidgetArea));
  auto add = [&bars](int area, QSize size) {
    switch (area) {
    case Qt::TopToolBarArea: bars.push_back({TAlignedBar::Top, size}); break;
    case Qt::BottomToolBarArea: bars.push_back({TAlignedBar::Bottom, size}); break;
    case Qt::LeftToolBarArea: bars.push_back({TAlignedBar::Left, size}); break;
    case Qt::RightToolBarArea: bars.push_back({TAlignedBar::Right, size}); break;
    default: break;
    }
  };
  for (QToolBar *tb : main->findChildren<QToolBar *>(Qt::FindDirectChildrenOnly))
    if (visible(tb))
      add(main->toolBarArea(tb), tb->size());
  for (QDockWidget *dock : main->findChildren<QDockWidget *>(Qt::FindDirectChildrenOnly))
    if (visible(dock) && !dock->isFloating())
      add(main->dockWidgetArea(dock), dock->size());
  if (QStatusBar *status = main->findChild<QStatusBar *>(QString(), Qt::FindDirectChildrenOnly); visible(status))
    bars.push_back({TAlignedBar::Bottom, status->size()});
  return bars;
}

QPoint ShowPosition(const QWidget *frame, bool mdiChild, QWidget *mainForm)
{
  QPoint position = frame->pos();
  if (mdiChild) {
    // Centred in the host's MDI area, then offset by the host's aligned bars.
    const QWidget *viewport = frame->parentWidget();
    if (auto *area = qobject_cast<const QMdiArea *>(viewport ? viewport->parentWidget() : nullptr))
      position = CentredPosition(frame->size(), QPoint(0, 0), area->viewport()->size());
    position = MdiChildPosition(position, HostAlignedBars(mainForm));
  } else if (mainForm && mainForm != frame) {
    position = CentredPosition(frame->frameGeometry().size(), mainForm->mapToGlobal(QPoint(0, 0)), mainForm->size());
  }
  return ClampToOrigin(position);
}
