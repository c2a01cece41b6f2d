#pragma once
// The one seam for interactive answers. Every confirmation, message and small question of the
// library and the module goes through Prompts(); the default shows real Qt dialogs, a test
// installs a scripted implementation.
#include <inhouse/inhouse_export.h>

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;
class TDataSet;

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// Buttons of a question, combined with |.
enum TMsgDlgBtn : unsigned {
  mbYes = 0x001,
  mbNo = 0x002,
  mbOK = 0x004,
  mbCancel = 0x008,
  mbAbort = 0x010,
  mbRetry = 0x020,
  mbIgnore = 0x040,
  mbAll = 0x080,
  mbNoToAll = 0x100,
  mbYesToAll = 0x200,
  mbHelp = 0x400,
};
using TMsgDlgButtons = unsigned;
inline constexpr TMsgDlgButtons mbYesNo = mbYes | mbNo;
inline constexpr TMsgDlgButtons mbYesNoCancel = mbYes | mbNo | mbCancel;
inline constexpr TMsgDlgButtons mbOKCancel = mbOK | mbCancel;

// Modal results.
enum TModalResult : int {
  mrNone = 0,
  mrOk = 1,
  mrCancel = 2,
  mrAbort = 3,
  mrRetry = 4,
  mrIgnore = 5,
  mrYes = 6,
  mrNo = 7,
  mrAll = 8,
  mrNoToAll = 9,
  mrYesToAll = 10,
};

struct SearchAnswer {
  int column = 0; // index into the column titles offered
  QString text;
};

class INHOUSE_EXPORT IPrompts {
public:
  virtual ~IPrompts();
  // A question; returns the modal result of the button chosen (mrCancel when dismissed).
  virtual int Ask(const QString &text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext) = 0;
  // A message with only an OK button.
  virtual void Show(const QString &text, TMsgDlgType type) = 0;
  // A line of text; nullopt when cancelled.
  virtual std::optional<QString> AskText(const QString &title, const QString &label, const QString &value) = 0;
  // A column and a value to search for; nullopt when cancelled.
  virtual std::optional<SearchAnswer> AskSearch(const QString &title, const QStringList &columnTitles) = 0;
  // Rows of an open data set to check and uncheck, keyed by `keyField`; the keys in `checked`
  // start checked. Returns the checked keys in the set's row order, nullopt when cancelled. With
  // singleChoice at most one row is checked at a time.
  virtual std::optional<QStringList> AskList(const QString &title, TDataSet &dataSet, const QString &keyField,
                                             const QStringList &checked, bool singleChoice) = 0;
  // A file to write: `suggested` is the proposed path, `filter` the file types offered
  // ("Arquivos CSV (*.csv)"). Returns the chosen path, nullopt when cancelled.
  virtual std::optional<QString> AskSaveFile(const QString &title, const QString &suggested, const QString &filter) = 0;
};

// Real dialogs, parented to the active window or else the main form.
class INHOUSE_EXPORT TQtPrompts : public IPrompts {
public:
  int Ask(const QString &text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext) override;
  void Show(const QString &text, TMsgDlgType type) override;
  std::optional<QString> AskText(const QString &title, const QString &label, const QString &value) override;
  std::optional<SearchAnswer> AskSearch(const QString &title, const QStringList &columnTitles) override;
  std::optional<QStringList> AskList(const QString &title, TDataSet &dataSet, const QString &keyField, const QStringList &checked,
                                     bool singleChoice) override;
  std::optional<QString> AskSaveFile(const QString &title, const QString &suggested, const QString &filter) override;
};

// The picker dialog TQtPrompts::AskList shows. The widget layer above installs its own when the
// library loads; AskList without one throws EInhouseError.
using TPickListFunction =
    std::function<std::optional<QStringList>(QWidget *parent, const QString &title, TDataSet &dataSet, const QString &keyField,
                                             const QStringList &checked, bool singleChoice)>;
INHOUSE_EXPORT void SetPickListDialog(TPickListFunction dialog);

// Installs the prompts to use (not owned); nullptr restores the real dialogs.
INHOUSE_EXPORT void SetPrompts(IPrompts *prompts);
INHOUSE_EXPORT IPrompts &Prompts();
