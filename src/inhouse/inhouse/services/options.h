#pragma once
// Saved option sets: named sets of a window's control values, kept per operator in a local
// file shared by every screen that saves options (each row carries its screen's key).
#include <inhouse/inhouse_export.h>

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class QObject;
class QWidget;

// One saved value. A variable row (componente "TStringList") stores variavel = valor.
struct TOptionRow {
  QString tela;       // CDTELA, 100: the screen key (NomeUnit of the saving window)
  QString operador;   // CDOPERADOR, 12
  QString opcao;      // DSOPCSALVA, 100: the set's name
  QString variavel;   // STVARIAVEL, 50
  QString componente; // NMCOMPONENTE, 100
  QString valor;      // DSVALOR, 2000
};

// The operator's folder: the configuration folder followed directly by the operator code (no
// separator in between, as existing folders are named), and the file in it.
INHOUSE_EXPORT QString OptionsFolder(const QString &operador);
INHOUSE_EXPORT QString OptionsFile(const QString &operador);

// The names of the sets saved for the screen, each once, in ascending case-sensitive order;
// rows with an empty name give none. No folder or no file: empty, and nothing is created.
INHOUSE_EXPORT QStringList OptionSetNames(const QString &operador, const QString &screenKey);
// The rows of one set of the screen, in the order they were saved.
INHOUSE_EXPORT std::vector<TOptionRow> OptionSetRows(const QString &operador, const QString &screenKey, const QString &setName);
INHOUSE_EXPORT bool OptionSetExists(const QString &operador, const QString &screenKey, const QString &setName);
// Replaces the set's rows with `rows` in one transaction, creating the folder and the file when
// missing. A process killed meanwhile, or another saving at the same time, loses no other set.
INHOUSE_EXPORT void SaveOptionSet(const QString &operador, const QString &screenKey, const QString &setName,
                                  const std::vector<TOptionRow> &rows);

// The class a control stands for in saved sets ("TRadioButton", "TDateEditPlus", "TMaskEdit",
// "TCheckBox", "TComboBox", "TCheckListBox", "TRadioGroup", "TEdit", ...), by its exact class: a
// class derived from one of them stands for nothing ("" then).
INHOUSE_EXPORT QString OptionClassName(const QObject *component);
// The control's value in its class's encoding; nullopt when its class is not restorable.
INHOUSE_EXPORT std::optional<QString> EncodeOption(const QObject *component);
// Puts an encoded value back into the control; a control of another class is left alone.
// Throws EConvertError when the value does not parse for the class (a date, an index).
// Encodings: edits their text; a date edit the date in the short date format, empty for none
// (restoring an empty value leaves the date); a combo or radio group the item index (out of
// range: nothing chosen); check boxes and radio buttons "True"/"False" (checked exactly on
// "True"); a check list one character per item, '0' checked and '1' not (a short value leaves
// the remaining items unchecked).
// A radio button restored with "True" is clicked when enabled, so the handlers bound to its
// clicked signal run and its auto-exclusive siblings uncheck; a disabled one is only checked.
// It then takes the focus when it can. "False" calls setChecked(false), which Qt ignores for the
// checked radio of an auto-exclusive box: the sibling whose row says "True" moves the check.
INHOUSE_EXPORT void RestoreOption(QObject *component, const QString &value);

// How the library's own controls (those declaring a "ClassName") encode and restore their
// value. The widget layer registers one per class when the library loads; encoding or restoring
// a declared class without one throws EInhouseError.
struct TOptionCodec {
  std::function<QString(const QObject *component)> encode;
  std::function<void(QObject *component, const QString &value)> restore;
};
INHOUSE_EXPORT void RegisterOptionCodec(const QString &className, TOptionCodec codec);
// An item index as the encodings write it; throws EConvertError when it is none.
INHOUSE_EXPORT int ParseOptionIndex(const QString &value);

// Asks the set's name (prompt seam), then saves every restorable control the form owns under
// the form's screen key, replacing a set of the same name after a Yes/No question. Returns
// whether a set was saved.
INHOUSE_EXPORT bool SalvaOpcoes(QWidget *form, const QString &operador);
// Restores the named set into the form, rows in saved order: a variable row sets the entry of
// `variables` ("name=value" lines), a row naming a control the form lacks is skipped, a row whose
// value does not parse is skipped and the others restored, with one message naming what was
// skipped. Returns false when a row was skipped for its value.
INHOUSE_EXPORT bool RestoreOptionSet(QWidget *form, const QString &operador, const QString &setName, QStringList *variables);
