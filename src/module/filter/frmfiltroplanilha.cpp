#include "filter/frmfiltroplanilha.h"

#include "package/units.h"
#include "shared/glyphs.h"
#include "shared/listchoice.h"
#include "shared/pickerqueries.h"
#include "sheet/frmplanilha.h"

#include <inhouse/services/application.h>
#include <inhouse/services/brivon.h>
#include <inhouse/services/errors.h>
#include <inhouse/services/keys.h>
#include <inhouse/services/options.h>
#include <inhouse/services/search.h>
#include <inhouse/services/texts.h>

#include <QEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QStyle>
#include <QVBoxLayout>

#include <tuple>
#include <utility>

using namespace Cli_zrt02601;

namespace {
TButtonFlat *PanelButton(TButtonFlat *b, const char *name, const QString &hint, const QIcon &icon)
{
  b->setObjectName(QLatin1String(name));
  b->SetHint(hint);
  b->setIcon(icon);
  b->setIconSize(QSize(16, 16));
  b->setFixedSize(25, 25);
  return b;
}
} // namespace

TfrmFiltroPlanilha::TfrmFiltroPlanilha(QWidget *parent) : TfrmPadrao(parent, QStringLiteral("ZRT02601"), stDialog)
{
  m_formClass = &staticMetaObject;
  setObjectName(QStringLiteral("frmFiltroPlanilha"));
  setWindowTitle(QStringLiteral("Filtro de Equipamentos"));
  // A dialog border with the system menu and the minimise box: the size is the designed one.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  BuildQueries();
  BuildLayout();
  BindHandlers();
}

void TfrmFiltroPlanilha::BuildQueries()
{
  msgPadrao =
      new TMessages({QStringLiteral("Gr_Inf|Grupo deve ser informado."), QStringLiteral("Eq_Inf|Equipamento deve ser informado."),
                     QStringLiteral("Equipamento|Equipamento"), QStringLiteral("Grupo|Grupo")},
                    this);
  msgPadrao->setObjectName(QStringLiteral("msgPadrao"));

  std::tie(qryGr, dtsGr) = NewPickerQuery(this, DefineGroupQuery, QStringLiteral("qryGr"), QStringLiteral("dtsGr"));
  std::tie(qryEq, dtsEq) = NewPickerQuery(this, DefineGroupEquipmentQuery, QStringLiteral("qryEq"), QStringLiteral("dtsEq"));

  ppmOpcoes = new QMenu(this);
  ppmOpcoes->setObjectName(QStringLiteral("ppmOpcoes"));
}

void TfrmFiltroPlanilha::BuildLayout()
{
  auto *body = new QWidget(this);
  body->setObjectName(QStringLiteral("panCorpo"));
  auto *bodyLayout = new QHBoxLayout(body);
  bodyLayout->setContentsMargins(4, 2, 0, 4);
  bodyLayout->setSpacing(4);

  grbFiltroPadrao = new QGroupBox(body);
  grbFiltroPadrao->setObjectName(QStringLiteral("grbFiltroPadrao"));
  grbFiltroPadrao->setProperty("hint", QStringLiteral("4"));
  grbFiltroPadrao->installEventFilter(this);
  auto *left = new QVBoxLayout(grbFiltroPadrao);
  left->setContentsMargins(6, 4, 6, 6);
  left->setSpacing(6);

  m_groups = BuildListChoice(grbFiltroPadrao, QStringLiteral("Grupo de Equipamentos"), {"GroupBox1", "rbtTGr", "rbtLGr", "btpGr"},
                             dtsGr, QStringLiteral("Pesquisar grupos"));
  GroupBox1 = m_groups.box;
  rbtTGr = m_groups.all;
  rbtLGr = m_groups.list;
  btpGr = m_groups.search;
  m_equipment = BuildListChoice(grbFiltroPadrao, QStringLiteral("Equipamento"), {"grbEq", "rbtTEq", "rbtLEq", "btpEq"}, dtsEq,
                                QStringLiteral("Pesquisar equipamentos"));
  grbEq = m_equipment.box;
  rbtTEq = m_equipment.all;
  rbtLEq = m_equipment.list;
  btpEq = m_equipment.search;
  left->addWidget(GroupBox1);
  left->addWidget(grbEq);
  left->addStretch(1);
  bodyLayout->addWidget(grbFiltroPadrao, 1);

  // The standard button panel becomes the dialog's own column of buttons on the right.
  RootLayout()->removeWidget(panMenu);
  panMenu->setParent(body);
  for (QWidget *standard : panMenu->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
    standard->hide();
  panMenu->setMinimumHeight(0);
  panMenu->setMaximumHeight(QWIDGETSIZE_MAX);
  panMenu->setFixedWidth(55);
  panMenu->setFrameStyle(QFrame::NoFrame);
  panMenu->show();
  auto *column = new QVBoxLayout(panMenu);
  column->setContentsMargins(0, 6, 0, 6);
  column->setSpacing(4);
  QStyle *st = style();
  sbtConfirma = PanelButton(new TButtonFlat(panMenu), "sbtConfirma", QStringLiteral("Confirmar"),
                            st->standardIcon(QStyle::SP_DialogApplyButton));
  sbtCancel = PanelButton(new TButtonFlat(panMenu), "sbtCancel", QStringLiteral("Fechar"),
                          st->standardIcon(QStyle::SP_DialogCloseButton));
  btfSaveOpc = PanelButton(new TButtonFlat(panMenu), "btfSaveOpc", QStringLiteral("Opções de filtro da tela"),
                           st->standardIcon(QStyle::SP_DialogSaveButton));
  panBotao = new QFrame(panMenu);
  panBotao->setObjectName(QStringLiteral("panBotao"));
  panBotao->setFixedSize(25, 25);
  btfLoadOpc = PanelButton(new TButtonFlat(panBotao), "btfLoadOpc", QStringLiteral("Restaurar opções de filtro na tela"),
                           st->standardIcon(QStyle::SP_DialogOpenButton));
  btfLoadOpc->move(0, 0); // at the panel's origin: the menu opens just below it
  sbtHelp = PanelButton(new TButtonFlat(panMenu), "sbtHelp", QStringLiteral("Ajuda"), GlyphIcon(TGlyph::Help));
  for (QWidget *w : std::initializer_list<QWidget *>{sbtConfirma, sbtCancel, btfSaveOpc, panBotao, sbtHelp})
    column->addWidget(w, 0, Qt::AlignHCenter);
  column->addStretch(1);
  bodyLayout->addWidget(panMenu);

  AddRegion(body, 1);
  setTabOrder(btpGr, rbtTEq);
  setFixedSize(sizeHint().expandedTo(QSize(229, 165)));
}

void TfrmFiltroPlanilha::BindHandlers()
{
  connect(rbtTGr, &QRadioButton::toggled, this, Handler([this] { rbtTGrClick(); }));
  connect(rbtLGr, &QRadioButton::toggled, this, Handler([this] { rbtLGrClick(); }));
  connect(rbtTEq, &QRadioButton::toggled, this, Handler([this] { rbtTEqClick(); }));
  connect(rbtLEq, &QRadioButton::toggled, this, Handler([this] { rbtLEqClick(); }));
  btpGr->BeforePesq = [this](TBtnPesquisa &) { btpGrBeforePesq(); };
  connect(btpGr, &TBtnPesquisa::pesquisar, this, Handler([this] { btpGrClick(); }));
  connect(btpEq, &TBtnPesquisa::pesquisar, this, Handler([this] { btpEqClick(); }));
  connect(sbtConfirma, &QToolButton::clicked, this, Handler([this] { sbtConfirmaClick(); }));
  connect(sbtCancel, &QToolButton::clicked, this, Handler([this] { sbtCancelClick(); }));
  connect(sbtHelp, &QToolButton::clicked, this, Handler([this] { sbtHelpClick(); }));
  connect(btfSaveOpc, &QToolButton::clicked, this, Handler([this] { btfSaveOpcClick(); }));
  connect(btfLoadOpc, &QToolButton::clicked, this, Handler([this] { btfLoadOpcClick(btfLoadOpc); }));
  BindFormKeys();
}

void TfrmFiltroPlanilha::FormCreate()
{
  boCentralizar = false;
  CreationStepTranslate();
  BoExecut = false;
  Variaveis.clear();
}

void TfrmFiltroPlanilha::FormActivate() { btfLoadOpcClick(this); }

void TfrmFiltroPlanilha::FormClose() { Variaveis.clear(); }

bool TfrmFiltroPlanilha::eventFilter(QObject *watched, QEvent *event)
{
  if (watched == grbFiltroPadrao && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
    Guarded([this] { btfLoadOpcClick(grbFiltroPadrao); });
  return TfrmPadrao::eventFilter(watched, event);
}

void TfrmFiltroPlanilha::FormKeyDown(int &key, Qt::KeyboardModifiers shift)
{
  const Qt::KeyboardModifiers mods = shift & ~Qt::KeypadModifier;
  if ((key == Qt::Key_Return || key == Qt::Key_Enter) && mods == Qt::NoModifier) {
    key = 0;
    sbtConfirmaClick();
  } else if (key == Qt::Key_O && mods == Qt::ControlModifier) {
    key = 0;
    btfSaveOpcClick();
  } else if (key == Qt::Key_R && mods == Qt::ControlModifier) {
    key = 0;
    btfLoadOpcClick(btfLoadOpc);
  } else if (key == Qt::Key_F1 && mods == Qt::NoModifier) {
    key = 0;
    sbtHelpClick();
  } else {
    FormKeyPress(key);
  }
}

void TfrmFiltroPlanilha::FormKeyPress(int &key)
{
  if (key == Qt::Key_Escape) {
    key = 0;
    sbtCancelClick();
  }
}

void TfrmFiltroPlanilha::rbtTGrClick() { btpGr->setEnabled(rbtLGr->isChecked()); }
void TfrmFiltroPlanilha::rbtLGrClick() { btpGr->setEnabled(rbtLGr->isChecked()); }
void TfrmFiltroPlanilha::rbtTEqClick() { btpEq->setEnabled(rbtLEq->isChecked()); }
void TfrmFiltroPlanilha::rbtLEqClick() { btpEq->setEnabled(rbtLEq->isChecked()); }

void TfrmFiltroPlanilha::btpGrBeforePesq() { ListaEquipamentos.clear(); }

void TfrmFiltroPlanilha::btpGrClick()
{
  PesquisaLista(dtsGr, QStringLiteral("CDGRUPOEQUIPA"), msgPadrao->Msg(QStringLiteral("Grupo")), false, ListaGrupos);
}

void TfrmFiltroPlanilha::btpEqClick()
{
  Vd_Grupo();
  OpenGroupEquipment(*qryEq, rbtTGr->isChecked(), ListaGrupos);
  PesquisaLista(dtsEq, QStringLiteral("CDEQUIPPRO"), msgPadrao->Msg(QStringLiteral("Equipamento")), false, ListaEquipamentos);
}

void TfrmFiltroPlanilha::Vd_Grupo() { CheckListChoice(m_groups, ListaGrupos, msgPadrao->Msg(QStringLiteral("Gr_Inf"))); }

void TfrmFiltroPlanilha::Vd_Equipamento()
{
  CheckListChoice(m_equipment, ListaEquipamentos, msgPadrao->Msg(QStringLiteral("Eq_Inf")));
}

void TfrmFiltroPlanilha::sbtConfirmaClick()
{
  Vd_Grupo();
  Vd_Equipamento();
  // A query that fails to reopen ends here: the choice is not recorded and the dialog stays.
  Aplica_Filtro();
  Filtro.Grupos.boTodos = rbtTGr->isChecked();
  Filtro.Grupos.Codigos = ListaGrupos;
  Filtro.Equipamentos.boTodos = rbtTEq->isChecked();
  Filtro.Equipamentos.Codigos = ListaEquipamentos;
  if (TfrmPlanilha *sheet = Cli_zrt02600::frmPlanilha)
    sheet->depInicio->setFocus();
  Close();
}

void TfrmFiltroPlanilha::Aplica_Filtro()
{
  TfrmPlanilha *sheet = Cli_zrt02600::frmPlanilha;
  if (!sheet)
    throw EInhouseError(QStringLiteral("A planilha de utilização não está aberta."));
  TADOIBQuery &query = *sheet->qryEquipamento;
  query.Close();
  const bool groupList = rbtLGr->isChecked();
  query.ParamByName(QStringLiteral("P_GR")).SetAsString(groupList ? ListaGrupos : QString());
  query.ParamByName(QStringLiteral("P_TGR")).SetAsString(groupList ? QString() : QStringLiteral("T"));
  const bool equipList = rbtLEq->isChecked();
  query.ParamByName(QStringLiteral("P_EQ")).SetAsString(equipList ? ListaEquipamentos : QString());
  query.ParamByName(QStringLiteral("P_TEQ")).SetAsString(equipList ? QString() : QStringLiteral("T"));
  query.Open();
}

void TfrmFiltroPlanilha::sbtCancelClick() { Close(); }

void TfrmFiltroPlanilha::sbtHelpClick() { sbtAjudaClick(); }

void TfrmFiltroPlanilha::btfSaveOpcClick()
{
  const auto clear = qScopeGuard([] { BoExecut = false; });
  SalvaOpcoes(this, Brivon::Operador());
}

void TfrmFiltroPlanilha::btfLoadOpcClick(QWidget *sender)
{
  if (std::exchange(BoExecut, false))
    return;
  // Set on every path: a file that cannot be read is reported once, and the activation that
  // follows the report is the request it consumes, not a second report.
  const auto shown = qScopeGuard([] { BoExecut = true; });
  ppmOpcoes->clear();
  for (const QString &name : OptionSetNames(Brivon::Operador(), NomeUnit(this))) {
    // The caption is the set's name as typed: an '&' in it is a character, not an accelerator.
    QAction *item = ppmOpcoes->addAction(QString(name).replace(QLatin1Char('&'), QStringLiteral("&&")));
    item->setData(name);
    connect(item, &QAction::triggered, this, Handler([this, name] { CarregaOpcao(name); }));
  }
  if (ppmOpcoes->isEmpty())
    return;
  const QRect at = sender->isWindow() ? sender->frameGeometry() : sender->geometry();
  ppmOpcoes->popup(panBotao->mapToGlobal(QPoint(at.left(), at.top() + at.height())));
}

void TfrmFiltroPlanilha::CarregaOpcao(const QString &setName)
{
  const auto clear = qScopeGuard([] { BoExecut = false; });
  RestoreOptionSet(this, Brivon::Operador(), setName, &Variaveis);
}
