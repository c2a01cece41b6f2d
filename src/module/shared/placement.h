#pragma once
// Where a window goes when it is shown over the host's main window. Plain arithmetic, so the
// rules are tested apart from any window.
#include <QPoint>
#include <QSize>

#include <vector>

class QWidget;

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

// The bars placed directly on the host's main window and aligned to one of its sides (menu bar,
// tool bars, docks, status bar), as the placement of an MDI child counts them.
std::vector<TAlignedBar> HostAlignedBars(QWidget *mainForm);

// Where a window's frame goes when it is shown: an MDI child's sub-window is centred in its
// area, then moved by the host's bars; an ordinary window is centred on the main window; the
// frame stays put when there is no main window to centre on.
QPoint ShowPosition(const QWidget *frame, bool mdiChild, QWidget *mainForm);
