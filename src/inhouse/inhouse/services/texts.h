#pragma once
// Small text services: translation of a window, unit names, weekday names, fitting texts.
#include <inhouse/inhouse_export.h>

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>

class QObject;
class QWidget;

// The host's translation table (source text -> translated text); empty means identity.
INHOUSE_EXPORT void SetTranslationTable(const QHash<QString, QString> &table);
// Translates the window's title and its widgets' texts, tool tips and actions in place, then
// names its controls for assistive technology (the namer the widget layer installs).
INHOUSE_EXPORT void Trad(QWidget *form);

// The unit a window class belongs to: Q_CLASSINFO("Unit", ...) or the "unitName" property,
// else the class name.
INHOUSE_EXPORT QString NomeUnit(const QObject *form);

// "Domingo", "Segunda", "Terça", "Quarta", "Quinta", "Sexta", "Sábado"; empty for an invalid date.
INHOUSE_EXPORT QString NomeDia(const QDate &date);
// The same names, Sunday first, as the date edits take them.
INHOUSE_EXPORT QStringList NomesDias();

// The text fitted to n characters: cut, or padded with blanks on the right.
INHOUSE_EXPORT QString Ajusta(const QString &text, int n);
// True when the text is empty or holds only blanks.
INHOUSE_EXPORT bool EmptyString(const QString &text);

// Names a form's controls for assistive technology once its texts are final. The widget layer
// installs it when the library loads; Trad without one throws EInhouseError.
INHOUSE_EXPORT void SetControlNamer(std::function<void(QWidget *form)> namer);
