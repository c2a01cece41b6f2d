#include "shared/placement.h"

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

QPoint ClampToOrigin(QPoint position)
{
  return {position.x() < 0 ? 0 : position.x(), position.y() < 0 ? 0 : position.y()};
}
