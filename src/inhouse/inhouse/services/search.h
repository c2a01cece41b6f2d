#pragma once
// Interactive record search and grid repaint.
#include <inhouse/inhouse_export.h>

#include <QString>

class QWidget;
class TDataSet;
class TDataSource;

// Asks (through the prompt seam) a column among the set's visible fields and a value, then moves
// the set to the first row whose display text starts with the value, else to the first that
// contains it, ignoring case and accents. None: shows "Registro não encontrado." and leaves the
// set where it was. Returns whether it moved.
INHOUSE_EXPORT bool Procura(TDataSet *dataSet);
// The row (0-based) Procura would choose, or -1; no prompt, no move.
INHOUSE_EXPORT int FindRow(TDataSet *dataSet, int fieldIndex, const QString &value);
// Folds case and accents for comparisons ("Ção" -> "cao").
INHOUSE_EXPORT QString FoldText(const QString &text);

// The multi-selection picker over the source's set, which it opens when closed: the keys of
// `codeList` (";A;B;") come checked and, when the user confirms, `codeList` becomes the keys
// then checked, in the set's order. Returns whether the user confirmed; a cancel leaves the list.
INHOUSE_EXPORT bool PesquisaLista(TDataSource *source, const QString &keyField, const QString &title, bool singleChoice,
                                  QString &codeList);

// Repaints every grid of the window.
INHOUSE_EXPORT void RefreshGrid(QWidget *form);
