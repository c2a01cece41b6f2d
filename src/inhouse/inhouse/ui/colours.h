#pragma once
// The colours the library and the module set themselves, chosen for the palette of the widget
// that shows them: a palette is dark when its base is, and every text keeps a contrast of at
// least 4.5:1 with its background (the relative luminance of the web's accessibility
// guidelines). Paper is white: printing asks for the light colours.
#include <inhouse/inhouse_export.h>

#include <QColor>
#include <QPalette>

namespace Colours {
// Relative luminance, 0 for black to 1 for white.
INHOUSE_EXPORT double Luminance(const QColor &colour);
// (lighter + 0.05) / (darker + 0.05), from 1 to 21.
INHOUSE_EXPORT double Contrast(const QColor &a, const QColor &b);
INHOUSE_EXPORT bool IsDark(const QPalette &palette);

// The palette's text colour where it reads on `fill`, otherwise black or white, whichever reads better.
INHOUSE_EXPORT QColor InkOn(const QColor &fill, const QPalette &palette);
// `ink` where it reads on `fill`, otherwise the same hue made lighter or darker until it does.
INHOUSE_EXPORT QColor ReadableOn(const QColor &ink, const QColor &fill);
// A fill chosen for a light palette as a dark palette shows it: the same hue, dark enough for
// the palette's text. Unchanged under a light palette.
INHOUSE_EXPORT QColor FillFor(const QColor &lightFill, const QPalette &palette);

// The production orders' statuses: amber pending, blue in progress, pale green concluded, grey
// for a status nobody knows. Told apart by lightness as well as hue, in either palette.
enum class TStatus { Pending, InProgress, Concluded, Unknown };
INHOUSE_EXPORT QColor StatusFill(TStatus status, bool dark);
} // namespace Colours
