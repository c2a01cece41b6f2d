#pragma once
// Interactive record search and grid repaint.
#include <inhouse/inhouse_export.h>

#include <QString>

class QWidget;
class TDataSet;

// Asks (through the prompt seam) a column among the set's visible fields and a value, then moves
// the set to the first row whose display text starts with the value, else to the first that
// contains it, ignoring case and accents. None: shows "Registro não encontrado." and leaves the
// set where it was. Returns whether it moved.
INHOUSE_EXPORT bool Procura(TDataSet *dataSet);
// The row (0-based) Procura would choose, or -1; no prompt, no move.
INHOUSE_EXPORT int FindRow(TDataSet *dataSet, int fieldIndex, const QString &value);
// Folds case and accents for comparisons ("Ção" -> "cao").
INHOUSE_EXPORT QString FoldText(const QString &text);

// Repaints every grid of the window.
INHOUSE_EXPORT void RefreshGrid(QWidget *form);
