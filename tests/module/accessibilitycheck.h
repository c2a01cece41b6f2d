#pragma once
// What a screen reader finds in a window: every control the user can focus or click must have a
// name, and a grid cell says the text it shows.
#include <QString>
#include <QStringList>

class QWidget;

// "objectName (class)" of each focusable or clickable control of the window that is not hidden
// on purpose, tabs included, whose accessible name is empty. Empty when a screen reader can name everything.
QStringList UnnamedControls(QWidget *window);

// What a screen reader announces for a window or menu: its kind and its name, as
// "dialog: Filtro de Equipamentos", "window: ...", "menu: ..." ("role N: ..." for any other kind).
QString Announced(QWidget *window);

// The name a screen reader says for the control (its accessible interface's name).
QString SpokenName(QWidget *control);

// The text a screen reader says for the cell (row, column) of a table view, or for the header
// of a column; a null string when the view has no such cell.
QString SpokenCell(QWidget *table, int row, int column);
QString SpokenColumnHeader(QWidget *table, int column);
