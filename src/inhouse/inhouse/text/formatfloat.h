#pragma once
// Numbers as text with the host's decimal and thousand separators.
#include <inhouse/inhouse_core_export.h>

#include <QString>

// Formats like "#,##0.0000", "0.00", "#,##0.00;(#,##0.00);Zero": '0' a digit always shown,
// '#' a digit shown when significant, '.' the decimal point, ',' anywhere in the integer part
// groups thousands, up to three ';' sections (positive; negative; zero), quoted literals.
// Halves round away from zero on the value's shortest decimal form (1.005 -> "1,01").
INHOUSE_CORE_EXPORT QString FormatFloat(const QString &format, double value);
