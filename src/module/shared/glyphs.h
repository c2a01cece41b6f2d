#pragma once
// Small drawn glyphs for the buttons whose meaning the platform's standard icons do not carry
// (help, search, filter, free hours, print, step back and forward), so they read the same on every style.
#include <QIcon>

enum class TGlyph { Help, Search, Filter, FreeHours, Print, Previous, Next };

QIcon GlyphIcon(TGlyph glyph);
