#pragma once
// Where a window goes when it is shown over the host's main window. Plain arithmetic, so the
// rules are tested apart from any window.
#include <QPoint>
#include <QSize>

#include <vector>

struct TAlignedBar {
  enum Align { Top, Bottom, Left, Right, None } align = None;
  QSize size;
};

// An MDI child moves up by half of 4 plus the heights of the host's top and bottom bars, and
// left by half of 4 plus the widths of its left and right bars (halves rounded toward zero).
QPoint MdiChildPosition(QPoint current, const std::vector<TAlignedBar> &hostBars);

// An ordinary window is centred on the host's client area (given in screen coordinates).
QPoint CentredPosition(QSize ownSize, QPoint hostClientOrigin, QSize hostClientSize);

// Never above or left of the screen's origin.
QPoint ClampToOrigin(QPoint position);
