#include "shared/glyphs.h"

#include <inhouse/ui/icons.h>

QIcon GlyphIcon(TGlyph glyph)
{
  static const char *const names[] = {"add",    "edit",    "delete",     "search",   "refresh", "sort",
                                      "cancel", "confirm", "print",      "help",     "close",   "save",
                                      "open",   "filter",  "free-hours", "previous", "next"};
  return LibIcon(QLatin1String(names[int(glyph)]));
}
