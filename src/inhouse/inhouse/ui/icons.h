#pragma once
// The images of buttons, toggles and grids: drawn as SVG in the library's resource (one style,
// a 16-pixel grid), rendered at the size and pixel ratio asked, so they stay sharp at any screen
// scaling. The strokes drawn in "currentColor" take the palette's button text colour, so they
// read on light and dark palettes alike.
#include <inhouse/inhouse_export.h>

#include <QIcon>
#include <QStringList>

// The icon of that name (a file name of ui/icons without ".svg"); a null icon for an unknown name.
INHOUSE_EXPORT QIcon LibIcon(const QString &name);

// Every icon's name, for whoever shows or checks them all.
INHOUSE_EXPORT QStringList LibIconNames();
