#pragma once
// Focus moves along the window's tab order.
#include <inhouse/inhouse_export.h>

class QWidget;

// Focuses the first control inside parent, in tab order, that takes focus by Tab; returns it.
INHOUSE_EXPORT QWidget *SelectFirstControl(QWidget *parent);
// Focuses the control after (or before) current in the window's tab order and returns it
// (nullptr when none). checkTabStop: only controls that take focus by Tab; checkParent: only
// controls with the same parent as current.
INHOUSE_EXPORT QWidget *SelectNextControl(QWidget *current, bool goForward, bool checkTabStop, bool checkParent);
