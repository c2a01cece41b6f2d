#pragma once
// "Copiar" and "Exportar..." for a grid: a context menu (mouse, Menu key, Shift+F10) and Ctrl+C.
// Both read what the view shows: the columns of its horizontal header in visual order, hidden
// ones left out, with their titles. Over a data set's model the numbers and dates come from the
// field (numbers with the regional decimal separator and no grouping, so a spreadsheet reads
// them as numbers); other cells go out as shown.
//
// "Copiar" puts the selected rows (or the current one) on the clipboard as a spreadsheet
// pastes them: tab-separated, titles first, tabs and line breaks inside a cell made blanks.
// "Exportar..." writes every row into a CSV file the user names: UTF-8 with a byte order mark,
// ";" between fields where the decimal separator is "," (else ","), fields quoted.
#include <inhouse/inhouse_export.h>

#include <QString>
#include <QStringList>
#include <functional>

class QAbstractItemView;

struct TGridExportOptions {
  // The vertical header is a column of titles (a string grid's fixed column): it goes out as
  // the first column, titled by cornerTitle.
  bool rowTitles = false;
  std::function<QString()> cornerTitle;
};

// Gives the view its menu and Ctrl+C; the helper lives as long as the view. The menu's actions
// are children of the view named "mnuCopiar" and "mnuExportar".
INHOUSE_EXPORT void AttachGridExport(QAbstractItemView *view, TGridExportOptions options = {});

// The clipboard text of the selected rows (the current row when nothing is selected).
INHOUSE_EXPORT QString GridCopyText(const QAbstractItemView &view);
// The whole grid as a CSV file's bytes, byte order mark included.
INHOUSE_EXPORT QByteArray GridCsv(const QAbstractItemView &view);

// What the menu and Ctrl+C do: copy to the clipboard; ask for a file and write it. A failed
// write leaves no file and is shown as an error; a cancelled dialog does nothing. ExportGrid
// tells whether a file was written.
INHOUSE_EXPORT void CopyGrid(const QAbstractItemView &view);
INHOUSE_EXPORT bool ExportGrid(const QAbstractItemView &view);
// Writes the grid's CSV to `path` with nothing left behind on failure; the error text is shown.
INHOUSE_EXPORT bool WriteGridCsv(const QAbstractItemView &view, const QString &path);
