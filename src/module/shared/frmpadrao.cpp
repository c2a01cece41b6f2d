#include "shared/frmpadrao.h"

#include "shared/glyphs.h"
#include "shared/mdichild.h"
#include "shared/placement.h"

#include <inhouse/data/datasetmodel.h>
#include <inhouse/net/netconnection.h>

#include <inhouse/services/application.h>
#include <inhouse/services/brivon.h>
#include <inhouse/services/errors.h>
#include <inhouse/services/keys.h>
#include <inhouse/services/navigation.h>
#include <inhouse/services/search.h>
#include <inhouse/services/texts.h>
#include <inhouse/ui/accessibility.h>
#include <inhouse/ui/report.h>

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace {
TButtonFlat *MakeButton(QWidget *parent, const char *name, int left, const QString &hint, TGlyph icon,
                        bool enabled)
{
  auto *b = new TButtonFlat(parent);
  b->setObjectName(QLatin1String(name));
  b->SetBounds(left, 4, 21, 21);
  b->SetHint(hint);
  b->setIcon(GlyphIcon(icon));
  b->setIconSize(QSize(16, 16));
  b->setEnabled(enabled);
  return b;
}

TMenuItem *MakeItem(QMenu *menu, const char *name, const QString &caption, const QKeySequence &shortCut = {})
{
  auto *item = new TMenuItem(caption, shortCut, menu);
  item->setObjectName(QLatin1String(name));
  item->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  menu->addAction(item);
  return item;
}

TMenuItem *MakeSeparator(QMenu *menu, const char *name)
{
  auto *item = new TMenuItem(menu);
  item->setObjectName(QLatin1String(name));
  item->setSeparator(true);
  menu->addAction(item);
  return item;
}
} // namespace

TfrmPadrao::TfrmPadrao(QWidget *parent, const QString &screenCode, TStyle style) : QWidget(parent), m_style(style)
{
  setObjectName(QStringLiteral("frmPadrao"));
  PresentAsWindow(this);
  m_root = new QVBoxLayout(this);
  m_root->setContentsMargins(0, 0, 0, 0);
  m_root->setSpacing(0);

  mnuMenu = new QMenuBar(this);
  mnuMenu->setObjectName(QStringLiteral("mnuMenu"));
  mnuMenu->setNativeMenuBar(false);
  m_root->addWidget(mnuMenu);

  panMenu = new QFrame(this);
  panMenu->setObjectName(QStringLiteral("panMenu"));
  panMenu->setFixedHeight(28);
  panMenu->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  m_root->addWidget(panMenu);
  BuildButtons();
  BuildMenus();
  // Only the sheet shows its drop-downs; the other windows offer their items by short-cut.
  SetMenusVisible(false);
  if (m_style == stDialog) {
    panMenu->hide();
    for (QAction *item : actions())
      item->setEnabled(false);
    for (QAction *item : actions())
      removeAction(item);
  }

  msgMensagensPadroes =
      new TMessages({QStringLiteral("Excl|Confirma exclusão?"), QStringLiteral("Canc|Cancelar operação?")}, this);
  msgMensagensPadroes->setObjectName(QStringLiteral("msgMensagensPadroes"));
  dtsPadrao = new TDataSource(this);
  dtsPadrao->setObjectName(QStringLiteral("dtsPadrao"));
  dtsPadrao->OnStateChange = [this](TDataSource &) { dtsPadraoStateChange(); };

  lblCodTela = new QLabel(screenCode, this);
  lblCodTela->setObjectName(QStringLiteral("lblCodTela"));
  lblCodTela->hide();

  BindStandardHandlers();
  InstallShortcutClaim(
      this, [this](const QKeyEvent *key) { return m_formKeysBound && FormKeyTakesShortcut(key->key(), key->modifiers()); });
}

TfrmPadrao::~TfrmPadrao()
{
  // The host may unload the package once its last window is gone; it defers the unload until
  // this destructor has returned.
  Guarded([this] { Brivon::SetUnloadBPL(m_formClass, this); });
  // The printer dialogs and an open preview hold the printer: they go before it does.
  delete m_psdConfigurar;
  delete m_prdImprimir;
  qDeleteAll(findChildren<QPrintPreviewDialog *>(Qt::FindDirectChildrenOnly));
}

void TfrmPadrao::BuildButtons()
{
  sbtIncluir = MakeButton(panMenu, "sbtIncluir", 4, QStringLiteral("Incluir"), TGlyph::Add, false);
  sbtAlterar = MakeButton(panMenu, "sbtAlterar", 25, QStringLiteral("Alterar"), TGlyph::Edit, false);
  sbtExcluir = MakeButton(panMenu, "sbtExcluir", 46, QStringLiteral("Excluir"), TGlyph::Delete, false);
  sbtProcurar = MakeButton(panMenu, "sbtProcurar", 67, QStringLiteral("Procurar"), TGlyph::Search, false);
  sbtVerificar = MakeButton(panMenu, "sbtVerificar", 88, QStringLiteral("Atualizar"), TGlyph::Refresh, false);
  sbtOrdenar = MakeButton(panMenu, "sbtOrdenar", 109, QStringLiteral("Ordenar"), TGlyph::Sort, false);
  sbtOrdenar->SetBounds(109, 4, 0, 0);
  sbtOrdenar->hide();
  sbtCancelar = MakeButton(panMenu, "sbtCancelar", 124, QStringLiteral("Cancelar"), TGlyph::Cancel, false);
  sbtConfirmar = MakeButton(panMenu, "sbtConfirmar", 145, QStringLiteral("Confirmar"), TGlyph::Confirm, false);
  sbtImprimir = MakeButton(panMenu, "sbtImprimir", 181, QStringLiteral("Imprimir"), TGlyph::Print, false);
  sbtAjuda = MakeButton(panMenu, "sbtAjuda", 217, QStringLiteral("Ajuda"), TGlyph::Help, true);
  sbtFechar = MakeButton(panMenu, "sbtFechar", 253, QStringLiteral("Fechar"), TGlyph::Close, true);
}

void TfrmPadrao::BuildMenus()
{
  mnuOperacao = mnuMenu->addMenu(QStringLiteral("&Operação"));
  mnuOperacao->setObjectName(QStringLiteral("mnuOperacao"));
  mnuListagem = MakeItem(mnuOperacao, "mnuListagem", QStringLiteral("&Imprimir..."), QKeySequence(Qt::CTRL | Qt::Key_I));
  mnuConfigImpressora = MakeItem(mnuOperacao, "mnuConfigImpressora", QStringLiteral("&Configurar Impressora..."),
                                 QKeySequence(Qt::CTRL | Qt::Key_F));
  mnuLinha2 = MakeSeparator(mnuOperacao, "mnuLinha2");
  mnuSair = MakeItem(mnuOperacao, "mnuSair", QStringLiteral("Fecha&r"), QKeySequence(Qt::CTRL | Qt::Key_F4));

  mnuManutencao = mnuMenu->addMenu(QStringLiteral("&Manutenção"));
  mnuManutencao->setObjectName(QStringLiteral("mnuManutencao"));
  mnuManutencao->menuAction()->setProperty("helpContext", 820060);
  mnuIncluir = MakeItem(mnuManutencao, "mnuIncluir", QStringLiteral("&Incluir"), QKeySequence(Qt::Key_F2));
  mnuAlterar = MakeItem(mnuManutencao, "mnuAlterar", QStringLiteral("&Alterar"), QKeySequence(Qt::Key_F3));
  mnuExcluir = MakeItem(mnuManutencao, "mnuExcluir", QStringLiteral("&Excluir"), QKeySequence(Qt::Key_F4));
  mnuProcurar = MakeItem(mnuManutencao, "mnuProcurar", QStringLiteral("&Procurar"), QKeySequence(Qt::Key_F7));
  mnuVerificar = MakeItem(mnuManutencao, "mnuVerificar", QStringLiteral("A&tualizar"), QKeySequence(Qt::Key_F5));
  mnuOrdenar = MakeItem(mnuManutencao, "mnuOrdenar", QStringLiteral("&Ordenar"));
  mnuOrdenar->setEnabled(false);
  mnuOrdenar->setVisible(false);
  mnuLinha3 = MakeSeparator(mnuManutencao, "mnuLinha3");
  mnuCancelar = MakeItem(mnuManutencao, "mnuCancelar", QStringLiteral("&Cancelar"), QKeySequence(Qt::Key_Escape));
  mnuConfirmar = MakeItem(mnuManutencao, "mnuConfirmar", QStringLiteral("Co&nfirmar"));
  mnuConfirmar->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
  for (auto *item : {mnuIncluir, mnuAlterar, mnuExcluir, mnuProcurar, mnuVerificar, mnuOrdenar, mnuCancelar, mnuConfirmar})
    item->HelpContext = 0;

  // The navigation popup has no automatic popup: its items are reached by their short-cuts.
  pmnNavegar = new QMenu(this);
  pmnNavegar->setObjectName(QStringLiteral("pmnNavegar"));
  Primeiro1 = MakeItem(pmnNavegar, "Primeiro1", QStringLiteral("Primeiro"), QKeySequence(Qt::CTRL | Qt::Key_Home));
  Anterior1 = MakeItem(pmnNavegar, "Anterior1", QStringLiteral("Anterior"), QKeySequence(Qt::CTRL | Qt::Key_Up));
  Proximo1 = MakeItem(pmnNavegar, "Proximo1", QStringLiteral("Proximo"), QKeySequence(Qt::CTRL | Qt::Key_Down));
  Ultimo1 = MakeItem(pmnNavegar, "Ultimo1", QStringLiteral("Último"), QKeySequence(Qt::CTRL | Qt::Key_End));

  // Short-cuts act whenever their item is enabled, also while no drop-down is shown. The
  // navigation items join with the navigator (CreateStandardBody): a window without one has
  // no record navigation, and its edits keep Ctrl+Home and Ctrl+End.
  addActions(mnuOperacao->actions());
  addActions(mnuManutencao->actions());
}

void TfrmPadrao::BindStandardHandlers()
{
  auto bind = [this](TButtonFlat *button, TMenuItem *item, void (TfrmPadrao::*handler)()) {
    auto run = Handler([this, handler] { (this->*handler)(); });
    if (button)
      connect(button, &QToolButton::clicked, this, run);
    if (item)
      connect(item, &QAction::triggered, this, run);
  };
  bind(sbtIncluir, mnuIncluir, &TfrmPadrao::sbtIncluirClick);
  bind(sbtAlterar, mnuAlterar, &TfrmPadrao::sbtAlterarClick);
  bind(sbtExcluir, mnuExcluir, &TfrmPadrao::sbtExcluirClick);
  bind(sbtProcurar, mnuProcurar, &TfrmPadrao::sbtProcurarClick);
  bind(sbtVerificar, mnuVerificar, &TfrmPadrao::sbtVerificarClick);
  bind(sbtCancelar, mnuCancelar, &TfrmPadrao::sbtCancelarClick);
  bind(sbtConfirmar, mnuConfirmar, &TfrmPadrao::sbtConfirmarClick);
  bind(sbtAjuda, nullptr, &TfrmPadrao::sbtAjudaClick);
  bind(sbtFechar, mnuSair, &TfrmPadrao::mnuSairClick);
  bind(nullptr, mnuListagem, &TfrmPadrao::mnuListagemClick);
  bind(sbtImprimir, nullptr, &TfrmPadrao::sbtImprimirClick);
  bind(nullptr, mnuConfigImpressora, &TfrmPadrao::mnuConfigImpressoraClick);
  bind(nullptr, Primeiro1, &TfrmPadrao::Primeiro1Click);
  bind(nullptr, Anterior1, &TfrmPadrao::Anterior1Click);
  bind(nullptr, Proximo1, &TfrmPadrao::Proximo1Click);
  bind(nullptr, Ultimo1, &TfrmPadrao::Ultimo1Click);
}

void TfrmPadrao::CreateStandardBody()
{
  pgcPadrao = new TPageControl(this);
  pgcPadrao->setObjectName(QStringLiteral("pgcPadrao"));
  pgcPadrao->setFocusPolicy(Qt::NoFocus);
  tshPadrao = new QWidget;
  tshPadrao->setObjectName(QStringLiteral("tshPadrao"));
  pgcPadrao->AddPage(tshPadrao, QString());
  pgcPadrao->SetTabsVisible(false);
  auto *pageLayout = new QVBoxLayout(tshPadrao);
  pageLayout->setContentsMargins(0, 0, 0, 0);

  panDbgPadrao = new QFrame(tshPadrao);
  panDbgPadrao->setObjectName(QStringLiteral("panDbgPadrao"));
  panDbgPadrao->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  pageLayout->addWidget(panDbgPadrao);
  auto *panLayout = new QVBoxLayout(panDbgPadrao);
  panLayout->setContentsMargins(2, 2, 2, 2);
  scbFolhaDados = new QScrollArea(panDbgPadrao);
  scbFolhaDados->setObjectName(QStringLiteral("scbFolhaDados"));
  scbFolhaDados->setFrameShape(QFrame::NoFrame);
  scbFolhaDados->setWidgetResizable(true);
  scbFolhaDados->setFocusPolicy(Qt::NoFocus); // only frames the grid, which takes the focus
  panLayout->addWidget(scbFolhaDados);

  dbgPadrao = new TDBGrid;
  dbgPadrao->setObjectName(QStringLiteral("dbgPadrao"));
  dbgPadrao->setFrameShape(QFrame::NoFrame);
  dbgPadrao->SetTooltipBackground(true);
  dbgPadrao->SetOptions(dgTitles | dgColumnResize | dgColLines | dgRowLines | dgTabs | dgAlwaysShowSelection | dgConfirmDelete |
                        dgCancelOnExit);
  dbgPadrao->SetDataSource(dtsPadrao);
  BindGridKeys(dbgPadrao);
  dbgPadrao->OnDblClick = [this](TDBGrid &) { dbgPadraoDblClick(); };
  scbFolhaDados->setWidget(dbgPadrao);
  m_root->addWidget(pgcPadrao, 1);

  panNavigator = new QFrame(this);
  panNavigator->setObjectName(QStringLiteral("panNavigator"));
  panNavigator->setFixedHeight(18);
  auto *navLayout = new QHBoxLayout(panNavigator);
  navLayout->setContentsMargins(0, 0, 0, 0);
  navLayout->setSpacing(8);
  dbnPadrao = new TDBNavigator(panNavigator);
  dbnPadrao->setObjectName(QStringLiteral("dbnPadrao"));
  dbnPadrao->SetDataSource(dtsPadrao);
  dbnPadrao->setContextMenuPolicy(Qt::NoContextMenu);
  navLayout->addWidget(dbnPadrao);
  dbtNome = new QLabel(panNavigator);
  dbtNome->setObjectName(QStringLiteral("dbtNome"));
  QFont bold = dbtNome->font();
  bold.setBold(true);
  dbtNome->setFont(bold);
  navLayout->addWidget(dbtNome, 1);
  m_root->addWidget(panNavigator);
  addActions(pmnNavegar->actions());
  BindFormKeys();
  dtsPadraoStateChange();
}

void TfrmPadrao::BindGridKeys(TDBGrid *grid)
{
  if (!grid)
    return;
  grid->OnKeyDown = [this](TDBGrid &g, int &key, Qt::KeyboardModifiers shift) { dbgPadraoKeyDown(g, key, shift); };
  grid->OnKeyPress = [this](TDBGrid &g, QChar &key) { dbgPadraoKeyPress(g, key); };
}

void TfrmPadrao::BindFormKeys()
{
  if (m_formKeysBound)
    return;
  m_formKeysBound = true;
  InstallKeyPreview(this, [this](QKeyEvent *event) {
    int key = event->key();
    FormKeyDown(key, event->modifiers());
    return key == 0;
  });
}

void TfrmPadrao::AddRegion(QWidget *region, int stretch)
{
  const int body = pgcPadrao ? m_root->indexOf(pgcPadrao) : -1;
  m_root->insertWidget(body, region, stretch); // -1 appends
}

void TfrmPadrao::CreationStepApplyPersonal()
{
  if (dbgPadrao && Brivon::GetPersonal(3) == QLatin1String("S"))
    dbgPadrao->SetOptions(dbgPadrao->Options() & ~TGridOptions(dgEditing));
}

void TfrmPadrao::CreationStepInstallAfterCancel()
{
  if (TDataSet *ds = dtsPadrao->DataSet()) {
    OldAfterCancel = ds->AfterCancel;
    ds->AfterCancel = [this](TDataSet &set) { DoAfterCancel(set); };
  }
}

void TfrmPadrao::CreationStepTranslate()
{
  // The standard grid holds what the window is about: a screen reader calls it by the title.
  if (dbgPadrao && dbgPadrao->accessibleName().isEmpty())
    dbgPadrao->setAccessibleName(windowTitle());
  Trad(this);
}

void TfrmPadrao::StandardCreation()
{
  ConnectServer();
  CreationStepApplyPersonal();
  boCentralizar = false;
  CreationStepInstallAfterCancel();
  CreationStepTranslate();
}

QMdiSubWindow *TfrmPadrao::MdiSubWindow() const { return m_mdi ? m_mdi->SubWindow() : nullptr; }

QWidget *TfrmPadrao::Frame() const
{
  if (QMdiSubWindow *sub = MdiSubWindow())
    return sub;
  return const_cast<TfrmPadrao *>(this);
}

void TfrmPadrao::Close() { Frame()->close(); }

void TfrmPadrao::AttachAsMdiChild(QWidget *mainForm)
{
  auto *mdi = new TMdiChild(this, {mnuOperacao, mnuManutencao}, [this] { ActivateForm(); });
  mnuMenu->hide(); // the sub-window's size is the window's without its own menu bar
  try {
    mdi->Attach(mainForm);
  } catch (...) {
    delete mdi;
    throw;
  }
  m_mdi = mdi;
  SetMenusVisible(true); // they show in the host's menu bar
}

void TfrmPadrao::SetMenusVisible(bool visible)
{
  visible = visible && m_style == stMaintenance;
  mnuOperacao->menuAction()->setVisible(visible);
  mnuManutencao->menuAction()->setVisible(visible);
  mnuMenu->setVisible(visible && !IsMdiChild());
}

TMenuItem *TfrmPadrao::AddButtonItem(TButtonFlat *button, const char *name, const QString &caption, const QKeySequence &shortCut)
{
  TMenuItem *item = MakeItem(mnuOperacao, name, caption, shortCut);
  // With the functions of the window, above its closing entry.
  mnuOperacao->removeAction(item);
  mnuOperacao->insertAction(mnuLinha2, item);
  addAction(item);
  connect(item, &QAction::triggered, button, &TButtonFlat::Click);
  return item;
}

void TfrmPadrao::ActivateForm()
{
  if (m_formCreated)
    Guarded([this] { FormActivate(); });
}

// --- standard handlers ---------------------------------------------------------------

namespace {
bool Editing(const TDataSet *ds) { return ds && (ds->State() == dsEdit || ds->State() == dsInsert); }

// Writes what an open in-cell editor holds into its field (which puts its data set into edit),
// so a confirmation never loses the text typed last.
void CommitGridEditors(QWidget *form)
{
  for (TDBGrid *grid : form->findChildren<TDBGrid *>()) {
    QWidget *editor = grid->InplaceEditor();
    if (!editor)
      continue;
    emit grid->itemDelegate()->commitData(editor);
    emit grid->itemDelegate()->closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
}
} // namespace

bool TfrmPadrao::FocusFieldControl(TField *field)
{
  if (!dbgPadrao || !dbgPadrao->Model() || !field)
    return false;
  const int count = dbgPadrao->Model()->columnCount();
  for (int c = 0; c < count; ++c)
    if (dbgPadrao->Model()->ColumnField(c) == field) {
      dbgPadrao->setFocus(Qt::OtherFocusReason);
      dbgPadrao->SetSelectedIndex(c);
      return true;
    }
  return false;
}

void TfrmPadrao::sbtIncluirClick()
{
  TDataSet *ds = dtsPadrao->DataSet();
  if (!ds || ds->State() != dsBrowse)
    return;
  for (TField *field : ds->Fields())
    if (field->IsKeyField()) {
      FocusFieldControl(field);
      break;
    }
  ds->Insert();
}

void TfrmPadrao::sbtAlterarClick()
{
  TDataSet *ds = dtsPadrao->DataSet();
  if (!ds || ds->State() != dsBrowse)
    return;
  // Editing skips the key: the cursor goes to the field after it.
  const auto &fields = ds->Fields();
  for (size_t i = 0; i + 1 < fields.size(); ++i)
    if (fields[i]->IsKeyField()) {
      FocusFieldControl(fields[i + 1]);
      break;
    }
  ds->Edit();
}

void TfrmPadrao::sbtExcluirClick()
{
  TDataSet *ds = dtsPadrao->DataSet();
  if (!ds || ds->State() != dsBrowse)
    return;
  if (msgMensagensPadroes->ShowMsg(QStringLiteral("Excl"), mtConfirmation, mbYesNo, 0) != mrYes)
    return;
  ds->Delete();
  // Deleting in browse state signals no state change; the controls follow all the same.
  dtsPadraoStateChange();
}

void TfrmPadrao::sbtProcurarClick()
{
  TDataSet *ds = dtsPadrao->DataSet();
  if (ds && ds->Active())
    Procura(ds);
}

void TfrmPadrao::sbtVerificarClick()
{
  TDataSet *ds = dtsPadrao->DataSet();
  if (!ds || ds->State() != dsBrowse)
    return;
  ds->Close();
  ds->Open();
}

void TfrmPadrao::sbtCancelarClick()
{
  TDataSet *ds = dtsPadrao->DataSet();
  if (!Editing(ds))
    return;
  if (msgMensagensPadroes->ShowMsg(QStringLiteral("Canc"), mtConfirmation, mbYesNo, 0) != mrYes)
    return;
  // The typed text of an open cell editor belongs to the pending changes being dropped.
  for (TDBGrid *grid : findChildren<TDBGrid *>())
    if (QWidget *editor = grid->InplaceEditor())
      emit grid->itemDelegate()->closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
  ds->Cancel();
}

void TfrmPadrao::sbtConfirmarClick()
{
  RefreshGrid(this);
  CommitGridEditors(this);
  TDataSet *ds = dtsPadrao->DataSet();
  if (Editing(ds))
    ds->Post();
}

void TfrmPadrao::sbtAjudaClick()
{
  // The window's focused control, also while another window is active.
  int context = 0;
  if (QWidget *focused = focusWidget())
    context = focused->property("helpContext").toInt();
  if (context == 0)
    context = HelpContext;
  ShowHelpContext(context);
}

void TfrmPadrao::mnuSairClick() { Close(); }

void TfrmPadrao::mnuListagemClick()
{
  // A click as the program performs it: whatever the window bound to the button runs, even
  // though the button itself is disabled.
  emit sbtImprimir->clicked(false);
}

bool TfrmPadrao::BuildPrintReport(TReport &) { return false; }

void TfrmPadrao::sbtImprimirClick()
{
  auto report = std::make_shared<TReport>();
  if (!BuildPrintReport(*report))
    return;
  auto *preview = new QPrintPreviewDialog(Printer(), this);
  preview->setObjectName(QStringLiteral("ppdImprimir"));
  preview->setAttribute(Qt::WA_DeleteOnClose);
  preview->setWindowTitle(QStringLiteral("Visualizar Impressão"));
  // The preview repaints whenever its page set-up changes; the report keeps its own copy of
  // the contents, so the window may change meanwhile.
  connect(preview, &QPrintPreviewDialog::paintRequested, preview, [report](QPrinter *printer) { report->Print(*printer); });
  preview->open();
}

QPrinter *TfrmPadrao::Printer()
{
  if (!m_printer)
    m_printer = std::make_unique<QPrinter>(QPrinter::ScreenResolution);
  return m_printer.get();
}

QPageSetupDialog *TfrmPadrao::psdConfigurar()
{
  if (!m_psdConfigurar) {
    m_psdConfigurar = new QPageSetupDialog(Printer(), this);
    m_psdConfigurar->setObjectName(QStringLiteral("psdConfigurar"));
  }
  return m_psdConfigurar;
}

QPrintDialog *TfrmPadrao::prdImprimir()
{
  if (!m_prdImprimir) {
    m_prdImprimir = new QPrintDialog(Printer(), this);
    m_prdImprimir->setObjectName(QStringLiteral("prdImprimir"));
  }
  return m_prdImprimir;
}

void TfrmPadrao::mnuConfigImpressoraClick() { psdConfigurar()->exec(); }

// Record navigation acts only while the navigator is enabled (the set is being browsed).
void TfrmPadrao::Navigate(void (TDataSet::*step)())
{
  if (dbnPadrao && dbnPadrao->isEnabled() && dtsPadrao->DataSet())
    (dtsPadrao->DataSet()->*step)();
}

void TfrmPadrao::Primeiro1Click() { Navigate(&TDataSet::First); }
void TfrmPadrao::Anterior1Click() { Navigate(&TDataSet::Prior); }
void TfrmPadrao::Proximo1Click() { Navigate(&TDataSet::Next); }
void TfrmPadrao::Ultimo1Click() { Navigate(&TDataSet::Last); }

void TfrmPadrao::dtsPadraoStateChange()
{
  if (dbnPadrao)
    dbnPadrao->setEnabled(dtsPadrao->State() == dsBrowse);
}

void TfrmPadrao::DoAfterCancel(TDataSet &dataSet)
{
  if (OldAfterCancel)
    OldAfterCancel(dataSet);
}

// --- keys ------------------------------------------------------------------------------

namespace {
bool IsEnterKey(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }
} // namespace

bool TfrmPadrao::FormKeyTakesShortcut(int key, Qt::KeyboardModifiers shift) const
{
  if (!IsEnterKey(key) || !(shift & Qt::ControlModifier))
    return false;
  // Text typed into a cell of the grid is an edit under way, although the data set enters
  // edit state only when the cell is written.
  return Editing(dtsPadrao->DataSet()) || (dbgPadrao && dbgPadrao->InplaceEditor());
}

bool TfrmPadrao::KeyFieldProtected() const
{
  if (!dbgPadrao)
    return false;
  QWidget *editor = dbgPadrao->InplaceEditor();
  QWidget *focused = QApplication::focusWidget();
  if (!editor || !focused || (focused != editor && !editor->isAncestorOf(focused)))
    return false;
  TField *field = dbgPadrao->SelectedField();
  return field && field->IsKeyField() && dtsPadrao->State() != dsInsert;
}

void TfrmPadrao::FormKeyDown(int &key, Qt::KeyboardModifiers shift)
{
  if (IsEnterKey(key)) {
    if (!FormKeyTakesShortcut(key, shift))
      return;
    CommitGridEditors(this);
    TDataSet *ds = dtsPadrao->DataSet();
    if (!Editing(ds))
      return;
    key = 0;
    const bool inserting = ds->State() == dsInsert;
    // Clicks as the program performs them: the handlers run although both buttons are
    // disabled. A failed post stops here, so no new record is started over it.
    sbtConfirmarClick();
    if (inserting)
      sbtIncluirClick();
    return;
  }
  if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
    if (KeyFieldProtected()) {
      key = 0;
      Abort();
    }
    return;
  }
  if (key == Qt::Key_F12 && (shift & ~Qt::KeypadModifier) == Qt::NoModifier) {
    key = 0;
    if (!pgcPadrao)
      return;
    // To the first control of the region just before the body.
    if (QWidget *previous = SelectNextControl(pgcPadrao, false, true, false))
      SelectFirstControl(previous->parentWidget());
  }
}

void TfrmPadrao::dbgPadraoKeyDown(TDBGrid &, int &key, Qt::KeyboardModifiers shift)
{
  if (key == Qt::Key_Delete && (shift & Qt::ControlModifier))
    key = 0;
}

void TfrmPadrao::dbgPadraoKeyPress(TDBGrid &grid, QChar &key)
{
  TField *field = grid.SelectedField();
  TDataSet *ds = grid.DataSet();
  if (!field || !field->IsKeyField() || !ds || ds->State() == dsInsert)
    return;
  // Tab and Enter still move on; the arrows never arrive here as typed characters.
  if (key == QChar(9) || key == QChar(13))
    return;
  key = QChar();
}

// --- showing and closing ---------------------------------------------------------------

bool TfrmPadrao::event(QEvent *event)
{
  // An MDI child hears of its activation from its area; this is the window's own.
  if (event->type() == QEvent::WindowActivate && isWindow())
    ActivateForm();
  return QWidget::event(event);
}

void TfrmPadrao::showEvent(QShowEvent *event)
{
  QWidget::showEvent(event);
  Guarded([this] { CMShowingChanged(); });
}

void TfrmPadrao::hideEvent(QHideEvent *event)
{
  QWidget::hideEvent(event);
  Guarded([this] { CMShowingChanged(); });
}

void TfrmPadrao::CMShowingChanged()
{
  if (Position != poScreenCenter)
    return;
  boCentralizar = true;
  WMShowWindow();
  boCentralizar = false;
}

void TfrmPadrao::WMShowWindow()
{
  if (!boCentralizar)
    return;
  boCentralizar = false;
  QWidget *frame = Frame();
  frame->move(ShowPosition(frame, IsMdiChild(), MainForm()));
}

bool TfrmPadrao::InServerCall() const
{
  const QList<TNetConnection *> connections = findChildren<TNetConnection *>();
  return std::any_of(connections.begin(), connections.end(), [](const TNetConnection *c) { return c->InCall(); });
}

void TfrmPadrao::closeEvent(QCloseEvent *event)
{
  // The handler waiting for a server's answer still uses the window and its data sets: a close
  // asked meanwhile (the window system's close button stays live while windows repaint) is
  // carried out once the answer is in.
  if (InServerCall()) {
    event->ignore();
    QTimer::singleShot(kCloseRetryMs, this, [this] { Close(); });
    return;
  }
  Guarded([this] { FormClose(); });
  if (m_creationFlag)
    *m_creationFlag = false;
  event->accept();
  if (m_modalLoop)
    m_modalLoop->quit();
  if (!IsMdiChild())
    deleteLater();
}

void TfrmPadrao::ShowModal()
{
  if (m_modalLoop) {
    raise();
    activateWindow();
    return;
  }
  QPointer<TfrmPadrao> self(this);
  QEventLoop loop;
  connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
  m_modalLoop = &loop;
  setWindowModality(Qt::ApplicationModal);
  show();
  loop.exec(QEventLoop::DialogExec);
  if (self)
    self->m_modalLoop = nullptr;
}
