// The standard maintenance window driven through real widgets: a small window on a writable
// client data set, keys and clicks as a user gives them, answers to confirmations scripted.
#include "shared/creation.h"
#include "shared/frmpadrao.h"

#include <inhouse/data/clientdataset.h>
#include <inhouse/services/application.h>
#include <inhouse/services/brivon.h>
#include <inhouse/services/prompts.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPageSetupDialog>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

namespace {

class TAnswers : public IPrompts {
public:
  struct Question {
    QString text;
    TMsgDlgButtons buttons;
    int helpContext;
  };
  QList<Question> asked;
  QList<int> answers; // mrNo when none is left

  int Ask(const QString &text, TMsgDlgType, TMsgDlgButtons buttons, int helpContext) override
  {
    asked.append({text, buttons, helpContext});
    return answers.isEmpty() ? int(mrNo) : answers.takeFirst();
  }
  void Show(const QString &, TMsgDlgType) override {}
  std::optional<QString> AskText(const QString &, const QString &, const QString &) override { return std::nullopt; }
  std::optional<SearchAnswer> AskSearch(const QString &, const QStringList &) override { return std::nullopt; }
  std::optional<QStringList> AskList(const QString &, TDataSet &, const QString &, const QStringList &, bool) override
  {
    return std::nullopt;
  }
  std::optional<QString> AskSaveFile(const QString &, const QString &, const QString &) override { return std::nullopt; }
};

zrt::DataPacket Packet()
{
  zrt::DataPacket p;
  p.fields = {{"CODIGO", zrt::FieldType::String, 10}, {"NOME", zrt::FieldType::String, 40}, {"VALOR", zrt::FieldType::Float, 0}};
  p.rows = {{"A1", "Alfa", 1.5}, {"B2", "Beta", 2.5}, {"C3", "Gama", 3.5}};
  return p;
}

// A window built on the standard one the way the package's windows are: its own region above
// the body, the main data source on its data set, the standard creation steps.
class TTestWindow : public TfrmPadrao {
public:
  explicit TTestWindow(bool keyed = true, TGridOptions gridOptions = {}, TStyle style = stMaintenance)
      : TfrmPadrao(nullptr, QStringLiteral("ZRT09999"), style)
  {
    setWindowTitle(QStringLiteral("Janela de teste"));
    resize(520, 380);
    cdsTeste = new TClientDataSet(this);
    cdsTeste->AddField(QStringLiteral("CODIGO"), ftString, 10).Tag = keyed ? 1 : 0;
    cdsTeste->AddField(QStringLiteral("NOME"), ftString, 40);
    cdsTeste->AddField(QStringLiteral("VALOR"), ftFloat);
    cdsTeste->BeforeOpen = [this](TDataSet &) { ++opens; };
    cdsTeste->AfterCancel = [this](TDataSet &set) { oldAfterCancelSaw = &set; };

    panFiltro = new QFrame(this);
    auto *layout = new QVBoxLayout(panFiltro);
    edtPrimeiro = new QLineEdit(panFiltro);
    edtSegundo = new QLineEdit(panFiltro);
    layout->addWidget(edtPrimeiro);
    layout->addWidget(edtSegundo);
    AddRegion(panFiltro);

    dtsPadrao->SetDataSet(cdsTeste);
    CreateStandardBody();
    if (gridOptions)
      dbgPadrao->SetOptions(gridOptions);
    StandardCreation();
    cdsTeste->SetData(Packet());
  }

  void FormClose() override
  {
    ++closes;
    if (FormCloseCount)
      ++*FormCloseCount;
  }
  void FormActivate() override { ++activations; }
  void dbgPadraoDblClick() override { ++dblClicks; }
  using TfrmPadrao::AttachAsMdiChild;

  TClientDataSet *cdsTeste;
  QFrame *panFiltro;
  QLineEdit *edtPrimeiro, *edtSegundo;
  int opens = 0;
  int closes = 0;
  int activations = 0;
  int dblClicks = 0;
  int *FormCloseCount = nullptr; // outlives the window
  TDataSet *oldAfterCancelSaw = nullptr;
};

// Paints of a widget, to see that a repaint was asked.
class TPaintCounter : public QObject {
public:
  explicit TPaintCounter(QWidget *w) { w->installEventFilter(this); }
  int paints = 0;

protected:
  bool eventFilter(QObject *, QEvent *e) override
  {
    if (e->type() == QEvent::Paint)
      ++paints;
    return false;
  }
};

enum StartState { Closed, Browse, Edit, Insert };

void Enter(TTestWindow &w, StartState state)
{
  switch (state) {
  case Closed: w.cdsTeste->Close(); break;
  case Browse: break;
  case Edit: w.cdsTeste->Edit(); break;
  case Insert: w.cdsTeste->Insert(); break;
  }
}

void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
  QWidget *target = QApplication::focusWidget();
  QVERIFY(target);
  QTest::keyClick(target, Qt::Key(key), modifiers);
}

bool ShowActive(QWidget &w)
{
  w.show();
  w.activateWindow();
  return QTest::qWaitForWindowActive(&w);
}

enum class CreationFault { None, InConstructor, InFormCreate };

// A modal window as the package's creation functions build it: constructor, then FormCreate.
class TCreatedWindow : public TTestWindow {
public:
  explicit TCreatedWindow(CreationFault fault) : m_fault(fault)
  {
    setObjectName(QStringLiteral("frmCriado"));
    ++built;
    const QCursor *cursor = QApplication::overrideCursor();
    hourglassWhileBuilt = cursor && cursor->shape() == Qt::WaitCursor;
    if (fault == CreationFault::InConstructor)
      throw std::runtime_error("Falha ao conectar ao servidor.");
  }
  void FormCreate()
  {
    if (m_fault == CreationFault::InFormCreate)
      throw std::runtime_error("Falha ao abrir a consulta.");
  }
  static inline int built = 0;
  static inline bool hourglassWhileBuilt = false;

private:
  CreationFault m_fault;
};

bool AnyWindowNamed(const QString &name)
{
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  for (QWidget *w : QApplication::topLevelWidgets())
    if (w->objectName() == name)
      return true;
  return false;
}

} // namespace

Q_DECLARE_METATYPE(StartState)
Q_DECLARE_METATYPE(TDataSetState)
Q_DECLARE_METATYPE(CreationFault)
Q_DECLARE_METATYPE(TfrmPadrao::TStyle)

class TestFrmPadrao : public QObject {
  Q_OBJECT
private slots:
  void init()
  {
    m_answers = TAnswers();
    SetPrompts(&m_answers);
    Brivon::Configure({});
    m_helpAsked.clear();
    SetHelpViewer([this](int context) { m_helpAsked.append(context); });
  }
  void cleanup()
  {
    SetPrompts(nullptr);
    SetHelpViewer({});
  }

  void maintenanceKeysActOnlyInTheirState_data();
  void maintenanceKeysActOnlyInTheirState();
  void confirmationsYesAndNo_data();
  void confirmationsYesAndNo();
  void confirmAlwaysRefreshesTheGrids_data();
  void confirmAlwaysRefreshesTheGrids();
  void ctrlEnterConfirmsOnce_data();
  void ctrlEnterConfirmsOnce();
  void ctrlEnterKeepsTheTextOfAnOpenCellEditor_data();
  void ctrlEnterKeepsTheTextOfAnOpenCellEditor();
  void includeAndAlterMoveToTheKey_data();
  void includeAndAlterMoveToTheKey();
  void keyFieldTakesNoTypingOutsideInsert_data();
  void keyFieldTakesNoTypingOutsideInsert();
  void deleteAndBackspaceOnTheKeyCell_data();
  void deleteAndBackspaceOnTheKeyCell();
  void f12GoesToTheRegionAboveOnlyWithoutModifiers_data();
  void f12GoesToTheRegionAboveOnlyWithoutModifiers();
  void navigationOnlyWhileTheNavigatorIsEnabled_data();
  void navigationOnlyWhileTheNavigatorIsEnabled();
  void helpAsksTheFocusedControlsContext_data();
  void helpAsksTheFocusedControlsContext();
  void personalSettingRemovesInCellEditing_data();
  void personalSettingRemovesInCellEditing();
  void afterCancelReachesTheHandlerKeptAtCreation();
  void printItemsClickThePrintButtonAndOpenThePrinterSetup();
  void closeByButtonAndCtrlF4_data();
  void closeByButtonAndCtrlF4();
  void mdiChildKeepsItsSizeAndMergesItsMenus();
  void ordinaryWindowHearsEachActivation_data();
  void ordinaryWindowHearsEachActivation();
  void dialogStyleHasNoPanelAndNoMenuShortcuts_data();
  void dialogStyleHasNoPanelAndNoMenuShortcuts();
  void doubleClickOnTheGrid_data();
  void doubleClickOnTheGrid();
  void modalCreation_data();
  void modalCreation();
  void secondCreationWhileOpenShowsTheSameWindow();

private:
  TAnswers m_answers;
  QList<int> m_helpAsked;
};

// --- the state rules --------------------------------------------------------------------

void TestFrmPadrao::maintenanceKeysActOnlyInTheirState_data()
{
  QTest::addColumn<int>("key");
  QTest::addColumn<int>("modifiers");
  QTest::addColumn<StartState>("start");
  QTest::addColumn<TDataSetState>("expected");
  QTest::addColumn<int>("questions");
  QTest::addColumn<int>("reopens");

  const int none = Qt::NoModifier, ctrl = Qt::ControlModifier;
  QTest::newRow("Incluir browse") << int(Qt::Key_F2) << none << Browse << dsInsert << 0 << 0;
  QTest::newRow("Incluir edit") << int(Qt::Key_F2) << none << Edit << dsEdit << 0 << 0;
  QTest::newRow("Incluir closed") << int(Qt::Key_F2) << none << Closed << dsInactive << 0 << 0;
  QTest::newRow("Alterar browse") << int(Qt::Key_F3) << none << Browse << dsEdit << 0 << 0;
  QTest::newRow("Alterar insert") << int(Qt::Key_F3) << none << Insert << dsInsert << 0 << 0;
  QTest::newRow("Excluir browse asks") << int(Qt::Key_F4) << none << Browse << dsBrowse << 1 << 0;
  QTest::newRow("Excluir edit") << int(Qt::Key_F4) << none << Edit << dsEdit << 0 << 0;
  QTest::newRow("Excluir closed") << int(Qt::Key_F4) << none << Closed << dsInactive << 0 << 0;
  QTest::newRow("Atualizar browse reopens") << int(Qt::Key_F5) << none << Browse << dsBrowse << 0 << 1;
  QTest::newRow("Atualizar edit") << int(Qt::Key_F5) << none << Edit << dsEdit << 0 << 0;
  QTest::newRow("Atualizar closed") << int(Qt::Key_F5) << none << Closed << dsInactive << 0 << 0;
  QTest::newRow("Cancelar browse") << int(Qt::Key_Escape) << none << Browse << dsBrowse << 0 << 0;
  QTest::newRow("Cancelar edit asks") << int(Qt::Key_Escape) << none << Edit << dsEdit << 1 << 0;
  QTest::newRow("Cancelar insert asks") << int(Qt::Key_Escape) << none << Insert << dsInsert << 1 << 0;
  QTest::newRow("Confirmar browse") << int(Qt::Key_Return) << ctrl << Browse << dsBrowse << 0 << 0;
  QTest::newRow("Confirmar closed") << int(Qt::Key_Return) << ctrl << Closed << dsInactive << 0 << 0;
  QTest::newRow("Confirmar edit posts") << int(Qt::Key_Return) << ctrl << Edit << dsBrowse << 0 << 0;
  QTest::newRow("Enter alone") << int(Qt::Key_Return) << none << Edit << dsEdit << 0 << 0;
}

void TestFrmPadrao::maintenanceKeysActOnlyInTheirState()
{
  QFETCH(int, key);
  QFETCH(int, modifiers);
  QFETCH(StartState, start);
  QFETCH(TDataSetState, expected);
  QFETCH(int, questions);
  QFETCH(int, reopens);

  TTestWindow w;
  QVERIFY(ShowActive(w));
  w.dbgPadrao->setFocus();
  Enter(w, start);
  const int opensBefore = w.opens;
  const int rowsBefore = w.cdsTeste->RecordCount();

  Press(key, Qt::KeyboardModifiers(modifiers)); // every question is answered No

  QCOMPARE(w.cdsTeste->State(), expected);
  QCOMPARE(m_answers.asked.size(), questions);
  QCOMPARE(w.opens - opensBefore, reopens);
  if (expected != dsInsert)
    QCOMPARE(w.cdsTeste->RecordCount(), rowsBefore);
}

void TestFrmPadrao::confirmationsYesAndNo_data()
{
  QTest::addColumn<int>("key");
  QTest::addColumn<int>("answer");
  QTest::addColumn<QString>("question");
  QTest::addColumn<int>("rows");
  QTest::addColumn<QString>("name"); // NOME of the current record afterwards
  QTest::addColumn<TDataSetState>("state");

  QTest::newRow("Excluir Yes") << int(Qt::Key_F4) << int(mrYes) << "Confirma exclusão?" << 2 << "Gama" << dsBrowse;
  QTest::newRow("Excluir No") << int(Qt::Key_F4) << int(mrNo) << "Confirma exclusão?" << 3 << "Beta" << dsBrowse;
  QTest::newRow("Excluir dismissed") << int(Qt::Key_F4) << int(mrCancel) << "Confirma exclusão?" << 3 << "Beta" << dsBrowse;
  QTest::newRow("Cancelar Yes") << int(Qt::Key_Escape) << int(mrYes) << "Cancelar operação?" << 3 << "Beta" << dsBrowse;
  QTest::newRow("Cancelar No") << int(Qt::Key_Escape) << int(mrNo) << "Cancelar operação?" << 3 << "Mudado" << dsEdit;
}

void TestFrmPadrao::confirmationsYesAndNo()
{
  QFETCH(int, key);
  QFETCH(int, answer);
  QFETCH(QString, question);
  QFETCH(int, rows);
  QFETCH(QString, name);
  QFETCH(TDataSetState, state);

  TTestWindow w;
  QVERIFY(ShowActive(w));
  w.dbgPadrao->setFocus();
  w.cdsTeste->SetRecNo(2);
  if (key == Qt::Key_Escape) {
    Press(Qt::Key_F3);
    w.cdsTeste->FieldByName(QStringLiteral("NOME")).SetAsString(QStringLiteral("Mudado"));
  }
  m_answers.answers = {answer};
  Press(key);

  QCOMPARE(m_answers.asked.size(), 1);
  QCOMPARE(m_answers.asked[0].text, question);
  QCOMPARE(m_answers.asked[0].buttons, mbYesNo);
  QCOMPARE(m_answers.asked[0].helpContext, 0);
  QCOMPARE(w.cdsTeste->RecordCount(), rows);
  QCOMPARE(w.cdsTeste->FieldByName(QStringLiteral("NOME")).AsString(), name);
  QCOMPARE(w.cdsTeste->State(), state);
  QCOMPARE(w.dbnPadrao->isEnabled(), state == dsBrowse);
}

void TestFrmPadrao::confirmAlwaysRefreshesTheGrids_data()
{
  QTest::addColumn<StartState>("start");
  QTest::addColumn<bool>("withDataSet");
  QTest::newRow("no data set") << Browse << false;
  QTest::newRow("closed") << Closed << true;
  QTest::newRow("browse") << Browse << true;
}

void TestFrmPadrao::confirmAlwaysRefreshesTheGrids()
{
  QFETCH(StartState, start);
  QFETCH(bool, withDataSet);

  TTestWindow w;
  Enter(w, start);
  if (!withDataSet)
    w.dtsPadrao->SetDataSet(nullptr);
  QVERIFY(ShowActive(w));
  w.edtPrimeiro->setFocus();
  QTest::qWait(50);
  TPaintCounter counter(w.dbgPadrao->viewport());
  QTest::qWait(50);
  QCOMPARE(counter.paints, 0); // nothing else repaints the grid meanwhile

  Press(Qt::Key_Return, Qt::ControlModifier);
  QTRY_VERIFY(counter.paints > 0);
  QCOMPARE(w.cdsTeste->State(), start == Closed ? dsInactive : dsBrowse);
}

// --- Ctrl+Enter ----------------------------------------------------------------------------

void TestFrmPadrao::ctrlEnterConfirmsOnce_data()
{
  QTest::addColumn<StartState>("start");
  QTest::addColumn<int>("key");
  QTest::addColumn<int>("rows");
  QTest::addColumn<TDataSetState>("expected");
  QTest::newRow("inserting, Return") << Insert << int(Qt::Key_Return) << 5 << dsInsert;
  QTest::newRow("inserting, keypad Enter") << Insert << int(Qt::Key_Enter) << 5 << dsInsert;
  QTest::newRow("editing") << Edit << int(Qt::Key_Return) << 3 << dsBrowse;
}

void TestFrmPadrao::ctrlEnterConfirmsOnce()
{
  QFETCH(StartState, start);
  QFETCH(int, key);
  QFETCH(int, rows);
  QFETCH(TDataSetState, expected);

  TTestWindow w;
  QVERIFY(ShowActive(w));
  w.edtPrimeiro->setFocus();
  Enter(w, start);
  w.cdsTeste->FieldByName(QStringLiteral("CODIGO")).SetAsString(QStringLiteral("N9"));
  w.cdsTeste->FieldByName(QStringLiteral("NOME")).SetAsString(QStringLiteral("Novo"));

  Press(key, Qt::ControlModifier);

  // Inserting: the record is posted and the next one started (its row counts too); a second
  // confirmation would have posted that empty record as well.
  QCOMPARE(w.cdsTeste->State(), expected);
  QCOMPARE(w.cdsTeste->RecordCount(), rows);
  const zrt::DataPacket data = w.cdsTeste->Data();
  int found = 0;
  for (const auto &row : data.rows)
    found += row[0] == "N9" && row[1] == "Novo";
  QCOMPARE(found, 1);
  if (expected == dsInsert)
    QVERIFY(w.cdsTeste->FieldByName(QStringLiteral("CODIGO")).IsNull());
}

void TestFrmPadrao::ctrlEnterKeepsTheTextOfAnOpenCellEditor_data()
{
  QTest::addColumn<bool>("alterFirst");
  QTest::newRow("after Alterar") << true;
  QTest::newRow("typed straight into the cell") << false;
}

void TestFrmPadrao::ctrlEnterKeepsTheTextOfAnOpenCellEditor()
{
  QFETCH(bool, alterFirst);
  TTestWindow w(true, dgTitles | dgEditing | dgTabs);
  QVERIFY(ShowActive(w));
  w.dbgPadrao->setFocus();
  if (alterFirst)
    Press(Qt::Key_F3); // Alterar: the cursor goes to NOME, after the key
  else
    w.dbgPadrao->SetSelectedIndex(1);
  QCOMPARE(w.dbgPadrao->SelectedField()->FieldName, QStringLiteral("NOME"));
  for (QChar c : QStringLiteral("Omega")) // the first opens the editor, the rest go into it
    QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
  QVERIFY(w.dbgPadrao->InplaceEditor());
  QCOMPARE(qobject_cast<QLineEdit *>(w.dbgPadrao->InplaceEditor())->text(), QStringLiteral("Omega"));

  Press(Qt::Key_Return, Qt::ControlModifier);

  QCOMPARE(w.cdsTeste->State(), dsBrowse);
  QCOMPARE(QString::fromStdString(w.cdsTeste->Data().rows[0][1].dump()), QStringLiteral("\"Omega\""));
}

// --- key fields ----------------------------------------------------------------------------

void TestFrmPadrao::includeAndAlterMoveToTheKey_data()
{
  QTest::addColumn<bool>("keyed");
  QTest::addColumn<int>("key");
  QTest::addColumn<QString>("column"); // selected afterwards; empty: focus not moved
  QTest::addColumn<TDataSetState>("expected");
  QTest::newRow("Incluir keyed") << true << int(Qt::Key_F2) << "CODIGO" << dsInsert;
  QTest::newRow("Alterar keyed") << true << int(Qt::Key_F3) << "NOME" << dsEdit;
  QTest::newRow("Incluir no key") << false << int(Qt::Key_F2) << "" << dsInsert;
  QTest::newRow("Alterar no key") << false << int(Qt::Key_F3) << "" << dsEdit;
}

void TestFrmPadrao::includeAndAlterMoveToTheKey()
{
  QFETCH(bool, keyed);
  QFETCH(int, key);
  QFETCH(QString, column);
  QFETCH(TDataSetState, expected);

  TTestWindow w(keyed);
  QVERIFY(ShowActive(w));
  w.dbgPadrao->setFocus();
  w.dbgPadrao->SetSelectedIndex(2);
  w.edtSegundo->setFocus();

  Press(key);

  QCOMPARE(w.cdsTeste->State(), expected);
  if (column.isEmpty()) {
    QCOMPARE(QApplication::focusWidget(), w.edtSegundo);
  } else {
    QCOMPARE(QApplication::focusWidget(), w.dbgPadrao);
    QCOMPARE(w.dbgPadrao->SelectedField()->FieldName, column);
  }
}

void TestFrmPadrao::keyFieldTakesNoTypingOutsideInsert_data()
{
  QTest::addColumn<StartState>("start");
  QTest::addColumn<int>("column");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<bool>("accepted");
  QTest::newRow("key, browse, letter") << Browse << 0 << "Z" << false;
  QTest::newRow("key, edit, letter") << Edit << 0 << "Z" << false;
  QTest::newRow("key, edit, percent") << Edit << 0 << "%" << false;
  QTest::newRow("key, edit, parenthesis") << Edit << 0 << "(" << false;
  QTest::newRow("key, insert, letter") << Insert << 0 << "Z" << true;
  QTest::newRow("other field, edit") << Edit << 1 << "Z" << true;
}

void TestFrmPadrao::keyFieldTakesNoTypingOutsideInsert()
{
  QFETCH(StartState, start);
  QFETCH(int, column);
  QFETCH(QString, typed);
  QFETCH(bool, accepted);

  TTestWindow w(true, dgTitles | dgEditing | dgTabs);
  QVERIFY(ShowActive(w));
  w.dbgPadrao->setFocus();
  Enter(w, start);
  w.dbgPadrao->SetSelectedIndex(column);

  QTest::keyClicks(w.dbgPadrao, typed);

  QCOMPARE(w.dbgPadrao->InplaceEditor() != nullptr, accepted);
  if (accepted)
    QCOMPARE(qobject_cast<QLineEdit *>(w.dbgPadrao->InplaceEditor())->text(), typed);

  // Tab still leaves a protected key cell.
  if (!accepted) {
    QTest::keyClick(w.dbgPadrao, Qt::Key_Tab);
    QCOMPARE(w.dbgPadrao->SelectedIndex(), 1);
  }
}

void TestFrmPadrao::deleteAndBackspaceOnTheKeyCell_data()
{
  QTest::addColumn<int>("key");
  QTest::addColumn<StartState>("start");
  QTest::addColumn<QString>("text");
  QTest::newRow("Backspace, edit") << int(Qt::Key_Backspace) << Edit << "N9";
  QTest::newRow("Delete, edit") << int(Qt::Key_Delete) << Edit << "N9";
  QTest::newRow("Backspace, insert") << int(Qt::Key_Backspace) << Insert << "N";
  QTest::newRow("Delete, insert") << int(Qt::Key_Delete) << Insert << "9";
}

void TestFrmPadrao::deleteAndBackspaceOnTheKeyCell()
{
  QFETCH(int, key);
  QFETCH(StartState, start);
  QFETCH(QString, text);

  TTestWindow w(true, dgTitles | dgEditing | dgTabs);
  QVERIFY(ShowActive(w));
  w.dbgPadrao->setFocus();
  Enter(w, start);
  w.cdsTeste->FieldByName(QStringLiteral("CODIGO")).SetAsString(QStringLiteral("N9"));
  w.dbgPadrao->SetSelectedIndex(0);
  w.dbgPadrao->edit(w.dbgPadrao->currentIndex());
  auto *editor = qobject_cast<QLineEdit *>(w.dbgPadrao->InplaceEditor());
  QVERIFY(editor);
  QTRY_COMPARE(QApplication::focusWidget(), editor);
  editor->setCursorPosition(key == Qt::Key_Delete ? 0 : editor->text().size());

  Press(key);

  QCOMPARE(editor->text(), text);
  QVERIFY(m_answers.asked.isEmpty()); // silent
}

// --- F12 and navigation --------------------------------------------------------------------

void TestFrmPadrao::f12GoesToTheRegionAboveOnlyWithoutModifiers_data()
{
  QTest::addColumn<int>("modifiers");
  QTest::addColumn<bool>("moves");
  QTest::newRow("none") << int(Qt::NoModifier) << true;
  QTest::newRow("Shift") << int(Qt::ShiftModifier) << false;
  QTest::newRow("Ctrl") << int(Qt::ControlModifier) << false;
  QTest::newRow("Alt") << int(Qt::AltModifier) << false;
}

void TestFrmPadrao::f12GoesToTheRegionAboveOnlyWithoutModifiers()
{
  QFETCH(int, modifiers);
  QFETCH(bool, moves);

  TTestWindow w;
  QVERIFY(ShowActive(w));
  w.dbgPadrao->setFocus();
  Press(Qt::Key_F12, Qt::KeyboardModifiers(modifiers));
  QCOMPARE(QApplication::focusWidget(), moves ? static_cast<QWidget *>(w.edtPrimeiro) : w.dbgPadrao);
}

void TestFrmPadrao::navigationOnlyWhileTheNavigatorIsEnabled_data()
{
  QTest::addColumn<int>("key");
  QTest::addColumn<StartState>("start");
  QTest::addColumn<int>("recNo");
  QTest::newRow("first") << int(Qt::Key_Home) << Browse << 1;
  QTest::newRow("prior") << int(Qt::Key_Up) << Browse << 1;
  QTest::newRow("next") << int(Qt::Key_Down) << Browse << 3;
  QTest::newRow("last") << int(Qt::Key_End) << Browse << 3;
  QTest::newRow("first, editing") << int(Qt::Key_Home) << Edit << 2;
  QTest::newRow("next, editing") << int(Qt::Key_Down) << Edit << 2;
  QTest::newRow("last, editing") << int(Qt::Key_End) << Edit << 2;
}

void TestFrmPadrao::navigationOnlyWhileTheNavigatorIsEnabled()
{
  QFETCH(int, key);
  QFETCH(StartState, start);
  QFETCH(int, recNo);

  TTestWindow w;
  QVERIFY(ShowActive(w));
  w.edtPrimeiro->setFocus();
  w.cdsTeste->SetRecNo(2);
  Enter(w, start);
  QCOMPARE(w.dbnPadrao->isEnabled(), start == Browse);

  Press(key, Qt::ControlModifier);

  QCOMPARE(w.cdsTeste->RecNo(), recNo);
  QCOMPARE(w.cdsTeste->State(), start == Edit ? dsEdit : dsBrowse);
}

// --- help, settings, after-cancel, print, close ---------------------------------------------

void TestFrmPadrao::helpAsksTheFocusedControlsContext_data()
{
  QTest::addColumn<int>("controlContext");
  QTest::addColumn<int>("windowContext");
  QTest::addColumn<int>("expected");
  QTest::newRow("control's") << 820061 << 0 << 820061;
  QTest::newRow("control without, window's 0") << 0 << 0 << 0;
  QTest::newRow("control without, window's set") << 0 << 500 << 500;
}

void TestFrmPadrao::helpAsksTheFocusedControlsContext()
{
  QFETCH(int, controlContext);
  QFETCH(int, windowContext);
  QFETCH(int, expected);

  TTestWindow w;
  w.HelpContext = windowContext;
  w.edtSegundo->setProperty("helpContext", controlContext);
  QVERIFY(ShowActive(w));
  w.edtSegundo->setFocus();
  QTest::mouseClick(w.sbtAjuda, Qt::LeftButton);
  QCOMPARE(m_helpAsked, QList<int>{expected});
}

void TestFrmPadrao::personalSettingRemovesInCellEditing_data()
{
  QTest::addColumn<QString>("setting");
  QTest::addColumn<bool>("editable");
  QTest::newRow("S") << "S" << false;
  QTest::newRow("N") << "N" << true;
  QTest::newRow("unset") << "" << true;
}

void TestFrmPadrao::personalSettingRemovesInCellEditing()
{
  QFETCH(QString, setting);
  QFETCH(bool, editable);
  Brivon::Settings s;
  if (!setting.isEmpty())
    s.personal[3] = setting;
  Brivon::Configure(s);
  TTestWindow w(true, dgTitles | dgEditing);
  QCOMPARE(!w.dbgPadrao->ReadOnly(), editable);
}

void TestFrmPadrao::afterCancelReachesTheHandlerKeptAtCreation()
{
  TTestWindow w;
  QVERIFY(ShowActive(w));
  w.dbgPadrao->setFocus();
  Press(Qt::Key_F2);
  m_answers.answers = {mrYes};
  Press(Qt::Key_Escape);
  QCOMPARE(w.cdsTeste->State(), dsBrowse);
  QCOMPARE(w.cdsTeste->RecordCount(), 3);
  QCOMPARE(w.oldAfterCancelSaw, static_cast<TDataSet *>(w.cdsTeste));
}

void TestFrmPadrao::printItemsClickThePrintButtonAndOpenThePrinterSetup()
{
  TTestWindow w;
  QVERIFY(ShowActive(w));
  w.edtPrimeiro->setFocus();

  // Nothing bound to the print button: "Imprimir..." does nothing and fails nothing.
  Press(Qt::Key_I, Qt::ControlModifier);
  int prints = 0;
  QObject::connect(w.sbtImprimir, &QToolButton::clicked, &w, [&prints] { ++prints; });
  Press(Qt::Key_I, Qt::ControlModifier);
  QCOMPARE(prints, 1);
  QVERIFY(!w.sbtImprimir->isEnabled());

  QPointer<QWidget> shown;
  QTimer::singleShot(0, &w, [&] {
    shown = QApplication::activeModalWidget();
    if (shown)
      shown->close();
  });
  Press(Qt::Key_F, Qt::ControlModifier);
  QVERIFY(shown);
  QCOMPARE(shown->objectName(), QStringLiteral("psdConfigurar"));
  QVERIFY(qobject_cast<QPageSetupDialog *>(shown.data()));
}

void TestFrmPadrao::closeByButtonAndCtrlF4_data()
{
  QTest::addColumn<bool>("mdiChild");
  QTest::addColumn<bool>("byKey");
  QTest::newRow("window, Ctrl+F4") << false << true;
  QTest::newRow("window, button") << false << false;
  QTest::newRow("MDI child, Ctrl+F4") << true << true;
  QTest::newRow("MDI child, button") << true << false;
}

void TestFrmPadrao::closeByButtonAndCtrlF4()
{
  QFETCH(bool, mdiChild);
  QFETCH(bool, byKey);

  QMainWindow main;
  auto *area = new QMdiArea(&main);
  main.setCentralWidget(area);
  SetMainForm(&main);
  QVERIFY(ShowActive(main));

  auto *w = new TTestWindow;
  QPointer<TTestWindow> alive = w;
  int closes = 0;
  w->FormCloseCount = &closes;
  if (mdiChild)
    w->AttachAsMdiChild(&main);
  QWidget *frame = w->Frame();
  frame->show();
  if (!mdiChild)
    QVERIFY(ShowActive(*w));
  else
    area->setActiveSubWindow(w->MdiSubWindow());
  w->edtPrimeiro->setFocus();
  QTRY_COMPARE(QApplication::focusWidget(), w->edtPrimeiro);

  if (byKey)
    Press(Qt::Key_F4, Qt::ControlModifier);
  else
    QTest::mouseClick(w->sbtFechar, Qt::LeftButton);

  QTRY_VERIFY(!alive);
  QCOMPARE(closes, 1);
  SetMainForm(nullptr);
}

void TestFrmPadrao::mdiChildKeepsItsSizeAndMergesItsMenus()
{
  QMainWindow main;
  main.resize(1000, 760);
  // The host's trailing menus are known by name; a caption that merely looks alike is not one.
  const struct {
    const char *name, *caption;
  } hostMenus[] = {{"mnuAjustes", "&Ajustes"}, {"mnuJanela", "&Janela"}, {"mnuAjuda", "Aj&uda"}};
  for (const auto &m : hostMenus)
    main.menuBar()->addMenu(QString::fromUtf8(m.caption))->setObjectName(QLatin1String(m.name));
  auto *area = new QMdiArea(&main);
  main.setCentralWidget(area);
  SetMainForm(&main);
  QVERIFY(ShowActive(main));

  auto *w = new TTestWindow;
  w->AttachAsMdiChild(&main);
  w->EndCreation();
  w->MdiSubWindow()->show();
  QCOMPARE(w->MdiSubWindow()->size(), QSize(520, 380));

  area->setActiveSubWindow(w->MdiSubWindow());
  auto titles = [&main] {
    QStringList t;
    for (QAction *a : main.menuBar()->actions())
      t << a->text();
    return t;
  };
  const QStringList hostOnly{QStringLiteral("&Ajustes"), QStringLiteral("&Janela"), QStringLiteral("Aj&uda")};
  QTRY_COMPARE(titles(), (QStringList{QStringLiteral("&Ajustes"), QStringLiteral("&Operação"), QStringLiteral("&Manutenção"),
                                      QStringLiteral("&Janela"), QStringLiteral("Aj&uda")}));
  QCOMPARE(w->activations, 1);

  // Its short-cuts act while it is the active child.
  w->dbgPadrao->setFocus();
  Press(Qt::Key_F2);
  QCOMPARE(w->cdsTeste->State(), dsInsert);
  w->cdsTeste->Cancel();

  auto *other = area->addSubWindow(new QLineEdit);
  other->show();
  area->setActiveSubWindow(other);
  QTRY_COMPARE(titles(), hostOnly);
  area->setActiveSubWindow(w->MdiSubWindow());
  QTRY_COMPARE(titles().size(), 5);
  QCOMPARE(w->activations, 2);

  // The frame's own activation is not the sub-window's: an MDI child hears only its area.
  QWidget elsewhere;
  QVERIFY(ShowActive(elsewhere));
  QVERIFY(ShowActive(main));
  QCOMPARE(w->activations, 2);
  SetMainForm(nullptr);
}

// --- what the coming windows build on ---------------------------------------------------

void TestFrmPadrao::ordinaryWindowHearsEachActivation_data()
{
  QTest::addColumn<bool>("modal");
  QTest::addColumn<bool>("created");
  QTest::addColumn<int>("afterShow");
  QTest::addColumn<int>("afterComingBack");
  QTest::newRow("ordinary") << false << true << 1 << 2;
  QTest::newRow("modal") << true << true << 1 << 2;
  QTest::newRow("still being created") << false << false << 0 << 0;
}

void TestFrmPadrao::ordinaryWindowHearsEachActivation()
{
  QFETCH(bool, modal);
  QFETCH(bool, created);
  QFETCH(int, afterShow);
  QFETCH(int, afterComingBack);

  TTestWindow w;
  if (modal)
    w.setWindowModality(Qt::ApplicationModal);
  if (created)
    w.EndCreation();
  QVERIFY(ShowActive(w));
  QCOMPARE(w.activations, afterShow);
  QWidget other;
  other.resize(200, 100);
  QVERIFY(ShowActive(other));
  QCOMPARE(w.activations, afterShow);
  QVERIFY(ShowActive(w));
  QCOMPARE(w.activations, afterComingBack);
}

void TestFrmPadrao::dialogStyleHasNoPanelAndNoMenuShortcuts_data()
{
  QTest::addColumn<TfrmPadrao::TStyle>("style");
  QTest::addColumn<int>("key");
  QTest::addColumn<int>("modifiers");
  QTest::addColumn<bool>("acts");
  const auto dialog = TfrmPadrao::stDialog;
  // The maintenance window's F2 shows the test would see a short-cut acting.
  QTest::newRow("maintenance, F2") << TfrmPadrao::stMaintenance << int(Qt::Key_F2) << 0 << true;
  QTest::newRow("dialog, F2") << dialog << int(Qt::Key_F2) << 0 << false;
  QTest::newRow("dialog, F3") << dialog << int(Qt::Key_F3) << 0 << false;
  QTest::newRow("dialog, F4") << dialog << int(Qt::Key_F4) << 0 << false;
  QTest::newRow("dialog, F5") << dialog << int(Qt::Key_F5) << 0 << false;
  QTest::newRow("dialog, F7") << dialog << int(Qt::Key_F7) << 0 << false;
  QTest::newRow("dialog, Ctrl+I") << dialog << int(Qt::Key_I) << int(Qt::ControlModifier) << false;
  QTest::newRow("dialog, Ctrl+F") << dialog << int(Qt::Key_F) << int(Qt::ControlModifier) << false;
  QTest::newRow("dialog, Ctrl+F4") << dialog << int(Qt::Key_F4) << int(Qt::ControlModifier) << false;
}

void TestFrmPadrao::dialogStyleHasNoPanelAndNoMenuShortcuts()
{
  QFETCH(TfrmPadrao::TStyle, style);
  QFETCH(int, key);
  QFETCH(int, modifiers);
  QFETCH(bool, acts);

  auto *w = new TTestWindow(true, {}, style);
  QPointer<TTestWindow> alive = w;
  int prints = 0;
  QObject::connect(w->sbtImprimir, &QToolButton::clicked, w, [&prints] { ++prints; });
  QVERIFY(ShowActive(*w));
  if (style == TfrmPadrao::stDialog) {
    QVERIFY(!w->panMenu->isVisible());
    QVERIFY(!w->mnuMenu->isVisible());
    QCOMPARE(w->panFiltro->y(), 0); // the window's own region starts at the top
  }
  w->edtPrimeiro->setFocus();
  QTRY_COMPARE(QApplication::focusWidget(), w->edtPrimeiro);
  const int opensBefore = w->opens;

  QPointer<QWidget> modalShown;
  QTimer::singleShot(0, w, [&modalShown] {
    modalShown = QApplication::activeModalWidget();
    if (modalShown)
      modalShown->close();
  });
  Press(key, Qt::KeyboardModifiers(modifiers));
  QTest::qWait(20);

  const bool somethingActed = !alive || alive->cdsTeste->State() != dsBrowse || alive->opens != opensBefore ||
                              !m_answers.asked.isEmpty() || prints != 0 || modalShown;
  QCOMPARE(somethingActed, acts);
  delete alive.data();
}

void TestFrmPadrao::doubleClickOnTheGrid_data()
{
  QTest::addColumn<bool>("editing");
  QTest::newRow("read-only grid") << false;
  QTest::newRow("editing grid") << true;
}

void TestFrmPadrao::doubleClickOnTheGrid()
{
  QFETCH(bool, editing);
  TTestWindow w;
  if (editing)
    w.dbgPadrao->SetOptions(w.dbgPadrao->Options() | dgEditing);
  QVERIFY(ShowActive(w));
  QCOMPARE(w.cdsTeste->FieldByName(QStringLiteral("CODIGO")).AsString(), QStringLiteral("A1"));

  const QRect cell = w.dbgPadrao->visualRect(w.dbgPadrao->model()->index(2, 1));
  QVERIFY(cell.isValid());
  QTest::mouseDClick(w.dbgPadrao->viewport(), Qt::LeftButton, {}, cell.center());
  QCOMPARE(w.dblClicks, 1);
  // The handler sees the row the first click chose.
  QCOMPARE(w.cdsTeste->FieldByName(QStringLiteral("CODIGO")).AsString(), QStringLiteral("C3"));
}

void TestFrmPadrao::modalCreation_data()
{
  QTest::addColumn<CreationFault>("fault");
  QTest::newRow("created, shown, closed") << CreationFault::None;
  QTest::newRow("constructor throws") << CreationFault::InConstructor;
  QTest::newRow("creation handler throws") << CreationFault::InFormCreate;
}

void TestFrmPadrao::modalCreation()
{
  QFETCH(CreationFault, fault);
  QMainWindow main;
  main.resize(900, 700);
  SetMainForm(&main);
  QVERIFY(ShowActive(main));

  QPointer<TCreatedWindow> window;
  bool created = false;
  TCreatedWindow::hourglassWhileBuilt = false;
  struct {
    bool open = false, flag = false, modal = false, hourglass = true;
    QPoint offCentre;
  } seen;
  QTimer::singleShot(0, &main, [&] {
    if (!window)
      return;
    seen.open = window->isVisible();
    seen.flag = created;
    seen.modal = window->isModal();
    seen.hourglass = QApplication::overrideCursor() != nullptr;
    seen.offCentre = window->frameGeometry().center() - main.mapToGlobal(main.rect().center());
    window->Close();
  });

  QString failure;
  try {
    CreateAndShowModal(window, created, fault);
  } catch (const std::exception &e) {
    failure = QString::fromUtf8(e.what());
  }

  QVERIFY(TCreatedWindow::hourglassWhileBuilt);
  QVERIFY(!QApplication::overrideCursor());
  QVERIFY(!created);
  if (fault == CreationFault::None) {
    QCOMPARE(failure, QString());
    QVERIFY(seen.open && seen.flag && seen.modal);
    QVERIFY(!seen.hourglass); // the modal loop runs under the normal cursor
    QVERIFY2(seen.offCentre.manhattanLength() <= 2, "centred over the host");
  } else {
    QVERIFY(!failure.isEmpty());
  }
  // Released on close, or deleted half-built.
  QVERIFY(!AnyWindowNamed(QStringLiteral("frmCriado")));
  QVERIFY(!window);
  SetMainForm(nullptr);
}

void TestFrmPadrao::secondCreationWhileOpenShowsTheSameWindow()
{
  QPointer<TCreatedWindow> window;
  bool created = false;
  TCreatedWindow::built = 0;
  QPointer<TCreatedWindow> first, again;
  bool secondReturnedAtOnce = false;
  QTimer::singleShot(0, [&] {
    first = window;
    CreateAndShowModal(window, created, CreationFault::None);
    secondReturnedAtOnce = first && first->isVisible();
    again = window;
    first->Close();
  });
  CreateAndShowModal(window, created, CreationFault::None);
  QVERIFY(secondReturnedAtOnce);
  QCOMPARE(again, first);
  QCOMPARE(TCreatedWindow::built, 1);

  // Each call after a close builds a new window.
  QTimer::singleShot(0, [&] { window->Close(); });
  CreateAndShowModal(window, created, CreationFault::None);
  QCOMPARE(TCreatedWindow::built, 2);
  QVERIFY(!AnyWindowNamed(QStringLiteral("frmCriado")));
}

QTEST_MAIN(TestFrmPadrao)
#include "tst_frmpadrao.moc"
