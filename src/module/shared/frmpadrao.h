#pragma once
// The standard maintenance window every window of the package is built on: the button panel,
// the "&Operação" and "&Manutenção" menus with their short-cuts, the navigation popup, the
// standard messages, one main data source shown in a grid with a navigator, and the standard
// handlers. Windows override only the handlers that differ.
#include <inhouse/data/datasource.h>
#include <inhouse/services/messages.h>
#include <inhouse/ui/buttons.h>
#include <inhouse/ui/grids.h>
#include <inhouse/ui/navigator.h>
#include <inhouse/ui/pagecontrol.h>

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QFrame;
class QEventLoop;
class QMdiSubWindow;
class TMdiChild;
class QVBoxLayout;
class QScrollArea;
class QKeyEvent;
class QPageSetupDialog;
class QPrintDialog;
class QPrinter;
class TReport;

class TfrmPadrao : public QWidget {
  Q_OBJECT
public:
  // The maintenance window has the button panel and the two drop-downs with their short-cuts;
  // a dialog has neither (its buttons are its own) and no menu short-cut acts in it.
  enum TStyle { stMaintenance, stDialog };
  // screenCode: the hidden screen code label ("ZRT02600").
  TfrmPadrao(QWidget *parent, const QString &screenCode, TStyle style = stMaintenance);
  ~TfrmPadrao() override;

  // Components of the standard window, by their names in the window definitions.
  QMenuBar *mnuMenu;
  QFrame *panMenu;
  TButtonFlat *sbtIncluir, *sbtAlterar, *sbtExcluir, *sbtProcurar, *sbtVerificar, *sbtOrdenar, *sbtCancelar, *sbtConfirmar,
      *sbtImprimir, *sbtAjuda, *sbtFechar;
  QMenu *mnuOperacao, *mnuManutencao, *pmnNavegar;
  TMenuItem *mnuListagem, *mnuConfigImpressora, *mnuLinha2, *mnuSair;
  TMenuItem *mnuIncluir, *mnuAlterar, *mnuExcluir, *mnuProcurar, *mnuVerificar, *mnuOrdenar, *mnuLinha3, *mnuCancelar,
      *mnuConfirmar;
  TMenuItem *Primeiro1, *Anterior1, *Proximo1, *Ultimo1;
  TMessages *msgMensagensPadroes;
  TDataSource *dtsPadrao;
  QLabel *lblCodTela;
  // The standard body; null in windows that lay out their own (the sheet).
  TPageControl *pgcPadrao = nullptr;
  QWidget *tshPadrao = nullptr;
  QFrame *panDbgPadrao = nullptr;
  QScrollArea *scbFolhaDados = nullptr;
  TDBGrid *dbgPadrao = nullptr;
  QFrame *panNavigator = nullptr;
  TDBNavigator *dbnPadrao = nullptr;
  QLabel *dbtNome = nullptr;

  // Position setting of the window definition: every window of the package is placed over
  // the host's main window when shown.
  enum TPosition { poDesigned, poScreenCenter };
  TPosition Position = poScreenCenter;
  int HelpContext = 0; // the window's own help context; 0 in every window of the package

  bool boCentralizar = false;
  TDataSet::Event OldAfterCancel;

  // The sub-window when the window is an MDI child of the host, else null.
  QMdiSubWindow *MdiSubWindow() const;
  bool IsMdiChild() const { return m_mdi != nullptr; }
  TStyle Style() const { return m_style; }
  // The window as its host shows it: the MDI sub-window or the window itself.
  QWidget *Frame() const;
  void Close();
  // A call of one of the window's server connections is waiting for its answer.
  bool InServerCall() const;

  // Creation is over: activations reach FormActivate from now on. An activation while the
  // window is still being built (an MDI child may be activated while creation waits for the
  // server) is left to the show that follows creation.
  void EndCreation() { m_formCreated = true; }
  bool Created() const { return m_formCreated; }
  // Shows the window application-modal and returns once it is closed (or destroyed). A call
  // while it is already shown that way only brings it to the front.
  void ShowModal();
  bool InModalLoop() const { return m_modalLoop != nullptr; }
  // A unit's creation flag that closing the window clears, after FormClose.
  void SetCreationFlag(bool *flag) { m_creationFlag = flag; }

  // Standard handlers.
  virtual void sbtIncluirClick();
  virtual void sbtAlterarClick();
  virtual void sbtExcluirClick();
  virtual void sbtProcurarClick();
  virtual void sbtVerificarClick();
  virtual void sbtCancelarClick();
  virtual void sbtConfirmarClick();
  virtual void sbtAjudaClick();
  virtual void mnuSairClick();
  virtual void mnuListagemClick();
  // The print button: a print preview of what BuildPrintReport describes, on Printer() (so the
  // page set-up chosen in "Configurar Impressora..." applies); nothing when it describes
  // nothing. The preview opens without blocking and closes itself.
  virtual void sbtImprimirClick();
  // Describes the window's current view for printing; false (the standard) when the window
  // prints nothing.
  virtual bool BuildPrintReport(TReport &report);
  virtual void mnuConfigImpressoraClick();
  virtual void Primeiro1Click();
  virtual void Anterior1Click();
  virtual void Proximo1Click();
  virtual void Ultimo1Click();
  virtual void dtsPadraoStateChange();
  virtual void DoAfterCancel(TDataSet &dataSet);
  // Window keys, seen before the focused control (key preview). Set key to 0 to discard it;
  // Abort() discards it too.
  virtual void FormKeyDown(int &key, Qt::KeyboardModifiers shift);
  // Whether FormKeyDown acts on this key now instead of a menu item's short-cut (Ctrl+Enter
  // while editing confirms and, when inserting, starts the next record: one action, not two).
  virtual bool FormKeyTakesShortcut(int key, Qt::KeyboardModifiers shift) const;
  // Keys of a data grid on the main data source: the grid never deletes a record by itself,
  // and a key field takes no typing outside insert mode.
  virtual void dbgPadraoKeyDown(TDBGrid &grid, int &key, Qt::KeyboardModifiers shift);
  virtual void dbgPadraoKeyPress(TDBGrid &grid, QChar &key);
  virtual void FormClose() {}
  // Each activation once created: of the MDI sub-window for an MDI child, of the window for an
  // ordinary one (its first show included).
  virtual void FormActivate() {}
  // A double click on the standard grid.
  virtual void dbgPadraoDblClick() {}

  // The printer set-up dialog of "Configurar Impressora..." (created on first use) and the
  // printer it configures.
  QPageSetupDialog *psdConfigurar();
  QPrintDialog *prdImprimir(); // kept with the window; printing goes through the preview
  QPrinter *Printer();

protected:
  // Builds the standard body under the button panel: page control, grid, navigator; binds the
  // grid keys and the window keys.
  void CreateStandardBody();
  // Places a window-specific region between the button panel and the standard body (below
  // the button panel when the window has no standard body).
  void AddRegion(QWidget *region, int stretch = 0);
  QVBoxLayout *RootLayout() const { return m_root; }

  // Binds dbgPadraoKeyDown/dbgPadraoKeyPress to a grid (the standard grid, or a window's own
  // grid on the main data source).
  void BindGridKeys(TDBGrid *grid);
  // Key preview with FormKeyDown. Windows that bind no window key handler do not call it.
  void BindFormKeys();
  // Moves the focus to the control that shows the field (the grid's column); false when none.
  virtual bool FocusFieldControl(TField *field);

  // The standard creation steps, for FormCreate of each window.
  void CreationStepApplyPersonal(); // personal setting 3 "S": grid read-only
  void CreationStepInstallAfterCancel();
  void CreationStepTranslate();
  // Step 1: windows with a server connection connect it.
  virtual void ConnectServer() {}
  void StandardCreation(); // steps 1 to 5 in order

  // Becomes an MDI child of the host's MDI area, keeping the designed size: menus merge into
  // the host's menu bar while this window is the active child.
  void AttachAsMdiChild(QWidget *mainForm);
  // An item of "&Operação", above "Fecha&r", for a function the window offers on a flat button of
  // its own: flat buttons take no focus, so the keyboard (and a screen reader) reach the
  // function here. The item clicks the button, which does nothing while disabled.
  TMenuItem *AddButtonItem(TButtonFlat *button, const char *name, const QString &caption, const QKeySequence &shortCut);
  // Shows or hides the two drop-downs; their short-cuts act either way.
  void SetMenusVisible(bool visible);

  // Activation of an ordinary window.
  bool event(QEvent *event) override;
  // The placement over the host's main window when shown.
  void showEvent(QShowEvent *event) override;
  void hideEvent(QHideEvent *event) override;
  void closeEvent(QCloseEvent *event) override;
  virtual void CMShowingChanged();
  virtual void WMShowWindow();

  const QMetaObject *m_formClass = &staticMetaObject; // set by each window, for SetUnloadBPL
  bool m_formCreated = false;

private:
  void BuildButtons();
  void BuildMenus();
  void BindStandardHandlers();
  void Navigate(void (TDataSet::*step)());
  bool KeyFieldProtected() const;
  void ActivateForm();
  QVBoxLayout *m_root = nullptr;
  TStyle m_style;
  TMdiChild *m_mdi = nullptr;
  bool m_formKeysBound = false;
  bool *m_creationFlag = nullptr;
  QEventLoop *m_modalLoop = nullptr;
  static constexpr int kCloseRetryMs = 50;
  QPageSetupDialog *m_psdConfigurar = nullptr;
  QPrintDialog *m_prdImprimir = nullptr;
  std::unique_ptr<QPrinter> m_printer; // the dialogs above and any open preview print on it
};
