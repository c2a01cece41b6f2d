#pragma once
// A small known plant for the module's tests: a temporary SQLite file with known rows, the real
// application server on an ephemeral loopback port, and a host-like MDI main window with the
// data module "dtmDBGeral". Interactive answers come from a scripted prompt.
#include <inhouse/services/prompts.h>
#include <zrt/appserver/server.h>

#include <nlohmann/json.hpp>

#include <QDateTime>
#include <QMainWindow>
#include <QMdiArea>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// What the picker was asked: its title, the keys of the rows it offered, the keys it came with.
struct TPickRequest {
  QString title;
  QStringList offered;
  QStringList checked;
};

class TScriptedPrompts : public IPrompts {
public:
  QStringList asked;  // questions, in order
  QStringList shown;  // messages shown (errors included)
  QList<int> answers; // answers to the next questions; mrNo when none is left
  QList<SearchAnswer> searches;
  QList<std::optional<QString>> texts;     // answers to the next text prompts; cancel when none is left
  QList<std::optional<QStringList>> picks; // answers to the next pickers; cancel when none is left
  QList<TPickRequest> pickRequests;
  QList<std::optional<QString>> saveFiles; // answers to the next save dialogs; cancel when none is left
  QStringList saveSuggestions;             // the paths the save dialogs proposed

  int Ask(const QString &text, TMsgDlgType, TMsgDlgButtons, int) override;
  void Show(const QString &text, TMsgDlgType) override;
  std::optional<QString> AskText(const QString &, const QString &, const QString &) override;
  std::optional<SearchAnswer> AskSearch(const QString &, const QStringList &) override;
  std::optional<QStringList> AskList(const QString &title, TDataSet &dataSet, const QString &keyField, const QStringList &checked,
                                     bool) override;
  std::optional<QString> AskSaveFile(const QString &, const QString &suggested, const QString &) override;
};

struct TRecordedCall {
  QString method;
  nlohmann::json params;
  int waitDepth = 0; // the wait animation's depth as the call went out
};

class TPlant {
public:
  // Known rows around `today` (see plantfixture.cpp); the server starts at once.
  explicit TPlant(const QDate &today = QDate::currentDate());
  ~TPlant();

  void StopServer();
  void StartServer();
  void Exec(const QString &sql); // extra rows for one test

  QString dbUrl;
  unsigned short port = 0;
  std::string token; // the server asks for it when set (takes effect at StartServer)
  QDate today;
  QMainWindow *mainWindow = nullptr;
  QMdiArea *mdiArea = nullptr;
  TScriptedPrompts prompts;
  QStringList errors;         // what reached the general error report
  QList<TRecordedCall> calls; // every server call the module made
  QStringList CallMethods() const;
  QList<int> WaitDepths() const; // of every call, in order
  void ClearCalls() { calls.clear(); }

  // Date-time text in the database's form for a day relative to today.
  QString At(int dayOffset, const char *hhmm) const;

private:
  QTemporaryDir m_dir;
  std::unique_ptr<zrt::appserver::Server> m_server;
  QObject *m_dataModule = nullptr;
  QString m_connectionName;
};

class TfrmPlanilha;
class TfrmPadrao;
class TDataSet;

// The field's values down the set's rows, as text; empty while the set is closed.
QStringList FieldValues(const TDataSet &set, const QString &field);

// Runs `open`, which shows a modal window and returns once it is closed. Inside the modal loop,
// once `window()` exists and `ready` says so, `whileOpen` runs, and the window is closed
// afterwards unless it closed itself. A window that is not ready within 10 s is closed as soon
// as it exists, so a test fails instead of waiting forever. Returns whether `whileOpen` ran.
bool DriveModal(const std::function<TfrmPadrao *()> &window, const std::function<bool(TfrmPadrao &)> &ready,
                const std::function<void(TfrmPadrao &)> &whileOpen, const std::function<void()> &open);

// The sheet's unit around one test: fresh unit state, a 1280x1024 screen and the host window
// active at the start; the plant gone, pending deletions run and the unit released at the end.
bool BeginSheetTest(TPlant &plant);
void EndSheetTest(std::unique_ptr<TPlant> &plant);
// Runs deletions posted by closed windows.
void FlushDeletes();
// IniProc as the host calls it, then a moment for the first requests to settle; the sheet or null.
TfrmPlanilha *OpenSheet();
// Selects a page of the sheet the way a user does: a click on its tab.
void ClickPage(TfrmPlanilha *sheet, QWidget *page);
// Types a period into the panel (the focus in it); LeavePanel leaves the panel the way a user
// does: Tab from the end hour.
void SetPeriod(TfrmPlanilha *sheet, const QDate &from, const QString &fromHour, const QDate &to, const QString &toHour);
void LeavePanel(TfrmPlanilha *sheet);
