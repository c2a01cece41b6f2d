#pragma once
// The module's button images by meaning; the drawings are the in-house library's (LibIcon).
#include <QIcon>

enum class TGlyph {
  Add,
  Edit,
  Delete,
  Search,
  Refresh,
  Sort,
  Cancel,
  Confirm,
  Print,
  Help,
  Close,
  Save,
  Open,
  Filter,
  FreeHours,
  Previous,
  Next
};

QIcon GlyphIcon(TGlyph glyph);
