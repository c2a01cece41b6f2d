#include "freehours/frmhoralivre.h"

#include "package/units.h"
#include "shared/pickerqueries.h"
#include "shared/records.h"
#include "shared/servercall.h"

#include <inhouse/services/errors.h>
#include <inhouse/services/focus.h>
#include <inhouse/services/search.h>
#include <inhouse/services/texts.h>
#include <inhouse/text/regional.h>

#include <QHBoxLayout>
#include <QScopeGuard>
#include <QVBoxLayout>

#include <algorithm>
#include <tuple>

using namespace Cli_zrt02603;

TfrmHoraLivre::TfrmHoraLivre(QWidget *parent) : TfrmPadrao(parent, QStringLiteral("ZRT02603"))
{
  m_formClass = &staticMetaObject;
  setObjectName(QStringLiteral("frmHoraLivre"));
  setWindowTitle(QStringLiteral("Horários Livres"));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
  BuildData();
  CreateStandardBody();
  BuildCriteria();
  BuildWaitPanel();
  dbgPadrao->SetOptions(dbgPadrao->Options() | dgEditing);
  // The day's column is as designed unless today's fonts need more for a whole date.
  const int dayWidth =
      std::max(76, dbgPadrao->fontMetrics().horizontalAdvance(DateToStr(zrt::toDateTime(QDate(2000, 12, 28)))) + 14);
  dbgPadrao->SetColumns({{QStringLiteral("CODIGO"), 87, QStringLiteral("Código")},
                         {QStringLiteral("NOME"), 163, QStringLiteral("Nome")},
                         {QStringLiteral("DATA"), dayWidth, QStringLiteral("Dia")},
                         {QStringLiteral("HORAINI"), -1, QStringLiteral("De")},
                         {QStringLiteral("HORAFIN"), -1, QStringLiteral("Até")}});
  // The window offers no record function: its menu items are off from the start, so their
  // short-cuts do nothing and the state change keeps the buttons off to match.
  for (TMenuItem *item : {mnuIncluir, mnuAlterar, mnuExcluir, mnuProcurar, mnuVerificar, mnuCancelar, mnuConfirmar, mnuListagem,
                          mnuConfigImpressora})
    item->setEnabled(false);
  resize(600, 420);
  BindHandlers();
  dtsPadraoStateChange();
}

void TfrmHoraLivre::BuildData()
{
  netHoraLivre = NewServerConnection(this, QStringLiteral("netHoraLivre"));
  netHoraLivre->BeforeConnect = [this](TNetConnection &c) { netHoraLivreBeforeConnect(c); };

  // The answer of a search, only to be browsed: a typed change would mean nothing.
  cdsDados = new TClientDataSet(this);
  cdsDados->Name = QStringLiteral("cdsDados");
  cdsDados->ReadOnly = true;
  DeclareFields(*cdsDados, {
                               {"CODIGO", ftString, 15, "Código"},
                               {"NOME", ftString, 50, "Nome"},
                               {"DATA", ftDate, 0, "Dia"},
                               {"HORAINI", ftString, 10, "De"},
                               {"HORAFIN", ftString, 10, "Até"},
                           });
  dtsPadrao->SetDataSet(cdsDados);

  // "Eq_inf" is stored so; the messages are found whatever the case of their keys.
  msgPadrao = new TMessages({QStringLiteral("Grupo|Grupo"), QStringLiteral("Equipamento|Equipamento"),
                             QStringLiteral("Gr_Inf|Grupo de equipamentos deve ser informado."),
                             QStringLiteral("Eq_inf|Equipamento deve ser informado."),
                             QStringLiteral("DataIni_deve|Data inicial deve ser informada."),
                             QStringLiteral("DataFin_deve|Data final deve ser informada."),
                             QStringLiteral("DataFinal_Menor|Data inicial deve ser menor ou igual a data final. "),
                             QStringLiteral("HoraFinal_Menor|Intervalo inicial deve ser menor ou igual ao intervalo final.")},
                            this);
  msgPadrao->setObjectName(QStringLiteral("msgPadrao"));

  std::tie(qryGrupo, dtsGr) = NewPickerQuery(this, DefineGroupQuery, QStringLiteral("qryGrupo"), QStringLiteral("dtsGr"));
  std::tie(qryEq, dtsEqui) = NewPickerQuery(this, DefineGroupEquipmentQuery, QStringLiteral("qryEq"), QStringLiteral("dtsEqui"));
}

namespace {
QGroupBox *BoldBox(const QString &title, const char *name, QWidget *parent)
{
  auto *box = new QGroupBox(title, parent);
  box->setObjectName(QLatin1String(name));
  QFont bold = box->font();
  bold.setBold(true);
  box->setFont(bold);
  return box;
}

// "de" above "até", each label naming its field for assistive technology.
void FromToRows(QGroupBox *box, QLabel *&from, QLabel *&to, QWidget *first, QWidget *second, const QString &spokenFrom,
                const QString &spokenTo)
{
  from = new QLabel(QStringLiteral("de"), box);
  to = new QLabel(QStringLiteral("até"), box);
  for (QLabel *label : {from, to}) {
    QFont normal = label->font();
    normal.setBold(false);
    label->setFont(normal);
  }
  for (QWidget *field : {first, second}) {
    QFont normal = field->font();
    normal.setBold(false);
    field->setFont(normal);
  }
  from->setBuddy(first);
  to->setBuddy(second);
  first->setAccessibleName(spokenFrom);
  second->setAccessibleName(spokenTo);
  auto *grid = new QGridLayout(box);
  grid->setContentsMargins(8, 2, 8, 4);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(2);
  grid->addWidget(from, 0, 0);
  grid->addWidget(first, 0, 1);
  grid->addWidget(to, 1, 0);
  grid->addWidget(second, 1, 1);
}
} // namespace

void TfrmHoraLivre::BuildCriteria()
{
  panTopo = new QFrame(this);
  panTopo->setObjectName(QStringLiteral("panTopo"));
  panTopo->setFixedHeight(76);
  auto *row = new QHBoxLayout(panTopo);
  row->setContentsMargins(4, 0, 4, 2);
  row->setSpacing(4);

  m_groups = BuildListChoice(panTopo, QStringLiteral("Grupo"), {"grbSetor", "rbtTGr", "rbtLGr", "btpGrupo"}, dtsGr,
                             QStringLiteral("Pesquisar grupos"));
  grbSetor = m_groups.box;
  rbtTGr = m_groups.all;
  rbtLGr = m_groups.list;
  btpGrupo = m_groups.search;
  m_equipment = BuildListChoice(panTopo, QStringLiteral("Equipamento"), {"grbOper", "rbtTEq", "rbtLEq", "btpEQUIPAMENTO"},
                                dtsEqui, QStringLiteral("Pesquisar equipamentos"));
  grbOper = m_equipment.box;
  rbtTEq = m_equipment.all;
  rbtLEq = m_equipment.list;
  btpEQUIPAMENTO = m_equipment.search;

  const QStringList weekdays = NomesDias();
  grbPeriodo = BoldBox(QStringLiteral("Período"), "grbPeriodo", panTopo);
  auto makeDate = [&](const char *name) {
    auto *e = new TDateEditPlus(grbPeriodo);
    e->setObjectName(QLatin1String(name));
    e->setFixedWidth(130);
    e->SetTooltipBackground(true);
    e->SetWeekdayNames(weekdays);
    return e;
  };
  depInicio = makeDate("depInicio");
  depFinal = makeDate("depFinal");
  FromToRows(grbPeriodo, lblDe, lblAte, depInicio, depFinal, QStringLiteral("Período de"), QStringLiteral("Período até"));

  grbIntervalo = BoldBox(QStringLiteral("Intervalo"), "grbIntervalo", panTopo);
  auto makeTime = [&](const char *name, QTime start) {
    auto *e = new TTimePicker(grbIntervalo);
    e->setObjectName(QLatin1String(name));
    e->setFixedWidth(70);
    e->SetTime(start);
    return e;
  };
  dtpInicio = makeTime("dtpInicio", QTime(8, 0));
  dtpFinal = makeTime("dtpFinal", QTime(18, 0));
  FromToRows(grbIntervalo, lblIntervaloDe, lblIntervaloAte, dtpInicio, dtpFinal, QStringLiteral("Intervalo de"),
             QStringLiteral("Intervalo até"));

  for (QGroupBox *box : {grbSetor, grbOper, grbPeriodo, grbIntervalo})
    row->addWidget(box);
  row->addStretch(1);
  AddRegion(panTopo);

  setTabOrder(btpGrupo, rbtTEq);
  setTabOrder(btpEQUIPAMENTO, depInicio);
  setTabOrder(depInicio, depFinal);
  setTabOrder(depFinal, dtpInicio);
  setTabOrder(dtpInicio, dtpFinal);
  setTabOrder(dtpFinal, dbgPadrao);
}

void TfrmHoraLivre::BuildWaitPanel()
{
  panAguarde = new QFrame(tshPadrao);
  panAguarde->setObjectName(QStringLiteral("panAguarde"));
  panAguarde->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panAguarde->setLineWidth(2);
  panAguarde->setAutoFillBackground(true);
  panAguarde->setFixedSize(98, 45);
  auto *layout = new QHBoxLayout(panAguarde);
  layout->setContentsMargins(4, 2, 4, 2);
  aniAguarde = new TAnimate(panAguarde);
  aniAguarde->setObjectName(QStringLiteral("aniAguarde"));
  aniAguarde->StopFrame = 8;
  aniAguarde->SetActive(false);
  layout->addWidget(aniAguarde);
  panAguarde->hide();
}

void TfrmHoraLivre::BindHandlers()
{
  // A radio button's click is its becoming checked.
  auto onCheck = [this](QRadioButton *radio, void (TfrmHoraLivre::*handler)()) {
    connect(radio, &QRadioButton::toggled, this, Handler([this, handler](bool on) {
              if (on)
                (this->*handler)();
            }));
  };
  onCheck(rbtTGr, &TfrmHoraLivre::rbtTGrClick);
  onCheck(rbtLGr, &TfrmHoraLivre::rbtLGrClick);
  onCheck(rbtTEq, &TfrmHoraLivre::rbtTEqClick);
  onCheck(rbtLEq, &TfrmHoraLivre::rbtLEqClick);
  connect(btpGrupo, &TBtnPesquisa::pesquisar, this, Handler([this] { btpGrupoClick(); }));
  connect(btpEQUIPAMENTO, &TBtnPesquisa::pesquisar, this, Handler([this] { btpEQUIPAMENTOClick(); }));
  m_focus = new TFocusRules(this);
  m_focus->OnFieldExit(depInicio, [this] { depInicioExit(); });
  m_focus->OnFieldExit(depFinal, [this] { depFinalExit(); });
  m_focus->OnPanelEnter(panTopo, [this] { panTopoEnter(); });
  m_focus->OnPanelExit(panTopo, [this] { panTopoExit(); });
}

void TfrmHoraLivre::ConnectServer() { netHoraLivre->Open(); }

void TfrmHoraLivre::FormCreate() { StandardCreation(); }

void TfrmHoraLivre::FormActivate()
{
  // Only when the window opens: coming back from a message or a picker leaves the focus where
  // the check or the user put it.
  if (std::exchange(m_activated, true))
    return;
  depInicio->setFocus();
}

void TfrmHoraLivre::FormClose()
{
  ListaGrupos.clear();
  ListaEquipamentos.clear();
  netHoraLivre->Close();
}

void TfrmHoraLivre::netHoraLivreBeforeConnect(TNetConnection &connection) { PointAtWebServer(connection); }

void TfrmHoraLivre::rbtTGrClick()
{
  ListaGrupos.clear();
  btpGrupo->setEnabled(rbtLGr->isChecked());
}

void TfrmHoraLivre::rbtLGrClick() { btpGrupo->setEnabled(rbtLGr->isChecked()); }

void TfrmHoraLivre::rbtTEqClick()
{
  ListaEquipamentos.clear();
  btpEQUIPAMENTO->setEnabled(rbtLEq->isChecked());
}

void TfrmHoraLivre::rbtLEqClick() { btpEQUIPAMENTO->setEnabled(rbtLEq->isChecked()); }

void TfrmHoraLivre::btpGrupoClick()
{
  // The equipment already picked stays: it is checked against the groups by the server.
  PesquisaLista(dtsGr, QStringLiteral("CDGRUPOEQUIPA"), msgPadrao->Msg(QStringLiteral("Grupo")), false, ListaGrupos);
}

void TfrmHoraLivre::btpEQUIPAMENTOClick()
{
  Vd_Grupo();
  OpenGroupEquipment(*qryEq, rbtTGr->isChecked(), ListaGrupos);
  PesquisaLista(dtsEqui, QStringLiteral("CDEQUIPPRO"), msgPadrao->Msg(QStringLiteral("Equipamento")), false, ListaEquipamentos);
}

// An empty date is no error here: the search asks for it with its own message.
void TfrmHoraLivre::depInicioExit()
{
  if (!EmptyString(depInicio->DigitsText()))
    depInicio->CheckValidDate();
}

void TfrmHoraLivre::depFinalExit()
{
  if (!EmptyString(depFinal->DigitsText()))
    depFinal->CheckValidDate();
}

void TfrmHoraLivre::panTopoEnter() { cdsDados->Close(); }

void TfrmHoraLivre::panTopoExit()
{
  ShowWaitPanel(true);
  const auto hide = qScopeGuard([this] { ShowWaitPanel(false); });
  Vd_Grupo();
  Vd_Equipamento();
  Vd_Data();
  Vd_Intervalo();
  // The lists go as they stand, empty under "Todos".
  CallIntoDataSet(*netHoraLivre, *cdsDados, QStringLiteral("HoraLivre"),
                  {rbtLGr->isChecked(), rbtLEq->isChecked(), dtpInicio->TimeText().toStdString(),
                   dtpFinal->TimeText().toStdString(), ListaGrupos.toStdString(), zrt::toDateTime(depInicio->GetDate()),
                   zrt::toDateTime(depFinal->GetDate()), ListaEquipamentos.toStdString()},
                  TCallWait::Dialog);
}

void TfrmHoraLivre::dtsPadraoStateChange()
{
  const std::pair<TMenuItem *, TButtonFlat *> pairs[] = {
      {mnuCancelar, sbtCancelar}, {mnuConfirmar, sbtConfirmar}, {mnuIncluir, sbtIncluir},     {mnuAlterar, sbtAlterar},
      {mnuExcluir, sbtExcluir},   {mnuProcurar, sbtProcurar},   {mnuVerificar, sbtVerificar},
  };
  for (const auto &[item, button] : pairs)
    button->setEnabled(item->isEnabled());
  TfrmPadrao::dtsPadraoStateChange();
}

void TfrmHoraLivre::Vd_Grupo() { CheckListChoice(m_groups, ListaGrupos, msgPadrao->Msg(QStringLiteral("Gr_Inf"))); }

void TfrmHoraLivre::Vd_Equipamento()
{
  CheckListChoice(m_equipment, ListaEquipamentos, msgPadrao->Msg(QStringLiteral("Eq_Inf")));
}

namespace {
// The check's message as an error, then the focus on `field` once the message is gone.
[[noreturn]] void FailOn(QWidget *field, const QString &message)
{
  try {
    MensErro(message);
  } catch (...) {
    field->setFocus();
    throw;
  }
}
} // namespace

void TfrmHoraLivre::Vd_Data()
{
  if (EmptyString(depInicio->DigitsText()))
    FailOn(depInicio, msgPadrao->Msg(QStringLiteral("DataIni_deve")));
  if (EmptyString(depFinal->DigitsText()))
    FailOn(depFinal, msgPadrao->Msg(QStringLiteral("DataFin_deve")));
  // A date half typed is reported by its field as it is left; these catch any other way in.
  depInicio->CheckValidDate();
  depFinal->CheckValidDate();
  if (depInicio->GetDate() > depFinal->GetDate())
    FailOn(depInicio, msgPadrao->Msg(QStringLiteral("DataFinal_Menor")));
}

void TfrmHoraLivre::Vd_Intervalo()
{
  if (dtpInicio->time() > dtpFinal->time())
    FailOn(dtpInicio, msgPadrao->Msg(QStringLiteral("HoraFinal_Menor")));
}

void TfrmHoraLivre::ShowWaitPanel(bool show)
{
  if (show) {
    panAguarde->move((tshPadrao->width() - panAguarde->width()) / 2, (tshPadrao->height() - panAguarde->height()) / 2);
    panAguarde->raise();
    panAguarde->show();
  } else {
    panAguarde->hide();
  }
  aniAguarde->SetActive(show);
}

void TfrmHoraLivre::resizeEvent(QResizeEvent *event)
{
  TfrmPadrao::resizeEvent(event);
  if (panAguarde->isVisible())
    ShowWaitPanel(true);
}
