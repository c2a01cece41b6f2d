#include "sheet/frmplanilha.h"

#include "package/units.h"
#include "shared/glyphs.h"
#include "shared/servercall.h"
#include "sheet/equipmentquery.h"
#include "sheet/occupancy.h"
#include "sheet/period.h"
#include "sheet/utilisation.h"
#include "sheet/weekgrid.h"

#include <inhouse/services/application.h>
#include <inhouse/services/brivon.h>
#include <inhouse/services/errors.h>
#include <inhouse/services/search.h>
#include <inhouse/services/texts.h>
#include <inhouse/text/regional.h>

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QVBoxLayout>

#include <utility>

using namespace Cli_zrt02600;

std::function<QSize()> TfrmPlanilha::ScreenSize = [] {
  const QScreen *screen = QGuiApplication::primaryScreen();
  return screen ? screen->size() : QSize();
};

namespace {
QLabel *BoldLabel(const QString &text, QWidget *parent, int left)
{
  auto *label = new QLabel(text, parent);
  QFont f = label->font();
  f.setBold(true);
  label->setFont(f);
  label->move(left, 8);
  label->adjustSize();
  return label;
}

} // namespace

TfrmPlanilha *TfrmPlanilha::Create(QWidget *mainForm)
{
  auto *sheet = new TfrmPlanilha(nullptr);
  try {
    sheet->AttachAsMdiChild(mainForm);
    sheet->FormCreate();
  } catch (...) {
    if (QMdiSubWindow *sub = sheet->MdiSubWindow())
      delete sub; // takes the sheet with it
    else
      delete sheet;
    throw;
  }
  return sheet;
}

TfrmPlanilha::TfrmPlanilha(QWidget *parent) : TfrmPadrao(parent, QStringLiteral("ZRT02600"))
{
  m_formClass = &staticMetaObject;
  setObjectName(QStringLiteral("frmPlanilha"));
  setWindowTitle(QStringLiteral("Planilha de Utilização dos Equipamentos na Produção"));
  resize(880, 585);
  BuildDataSets();
  BuildLayout();
  BindHandlers();
  sbtImprimir->setEnabled(true); // every page prints
}

TfrmPlanilha::~TfrmPlanilha()
{
  // Views first: they watch the data sets destroyed below.
  delete m_focus;
  m_focus = nullptr;
}

void TfrmPlanilha::BuildDataSets()
{
  netPlanilha = NewServerConnection(this, QStringLiteral("netPlanilha"));
  netPlanilha->BeforeConnect = [this](TNetConnection &c) { netPlanilhaBeforeConnect(c); };

  qryEquipamento = new TADOIBQuery(this);
  qryEquipamento->Name = QStringLiteral("qryEquipamento");
  DefineEquipmentQuery(*qryEquipamento);
  dtsEquipamentos = new TDataSource(this, qryEquipamento);
  dtsEquipamentos->setObjectName(QStringLiteral("dtsEquipamentos"));

  cdsReservados = new TClientDataSet(this);
  cdsReservados->Name = QStringLiteral("cdsReservados");
  DeclareFields(*cdsReservados, {
                                    {"NRORDPROD", ftString, 10, "Ordem"},
                                    {"CDARVPROD", ftString, 20, "Cód. Produto"},
                                    {"CDPRODUTO", ftString, 10, "Cod. Produto"},
                                    {"PRODUTO", ftString, 50, "Produto"},
                                    {"DTHRINIPROD", ftDateTime, 0, "Inicio"},
                                    {"DTHRFINPROD", ftDateTime, 0, "Fim"},
                                    {"IDSITORDPROD", ftString, 1, "Situação"},
                                    {"QTPRODRESPROC", ftFloat, 0, "Quantidade"},
                                });
  cdsReservados->FieldByName(QStringLiteral("CDPRODUTO")).Visible = false;
  cdsReservados->FieldByName(QStringLiteral("IDSITORDPROD")).Visible = false;
  dtsPadrao->SetDataSet(cdsReservados);

  cdsHoraServidor = new TClientDataSet(this);
  cdsHoraServidor->Name = QStringLiteral("cdsHoraServidor");
  cdsHoraServidor->AddField(QStringLiteral("DATA"), ftDateTime).OnSetText = [this](TField &field, const QString &text) {
    cdsHoraServidorDATASetText(field, text);
  };

  cdsReseGeral = new TClientDataSet(this);
  cdsReseGeral->Name = QStringLiteral("cdsReseGeral");
  dtsReseGeral = new TDataSource(this, cdsReseGeral);
  dtsReseGeral->setObjectName(QStringLiteral("dtsReseGeral"));

  cdsDiasReservados = new TClientDataSet(this);
  cdsDiasReservados->Name = QStringLiteral("cdsDiasReservados");

  msgPadrao = new TMessages({QStringLiteral("HoraFinal_Menor|Data/Hora inicial deve ser menor ou igual a data/hora final."),
                             QStringLiteral("DataFinal_Menor|Data inicial deve ser menor ou igual que a data final."),
                             QStringLiteral("de|de"), QStringLiteral("Informe_data_val|Informe uma data válida."),
                             QStringLiteral("Informe_Hora_Val|Informe uma hora válida.")},
                            this);
  msgPadrao->setObjectName(QStringLiteral("msgPadrao"));
}

void TfrmPlanilha::BuildLayout()
{
  QFont font = this->font();
  font.setPointSize(9);
  setFont(font);

  // The sheet's own places for the standard buttons.
  sbtImprimir->SetBounds(190, 4, 21, 21);
  sbtAjuda->SetBounds(288, 4, 21, 21);
  sbtFechar->SetBounds(314, 4, 21, 21);
  sbtFiltro = new TButtonFlat(panMenu);
  sbtFiltro->setObjectName(QStringLiteral("sbtFiltro"));
  sbtFiltro->SetBounds(215, 4, 24, 21);
  sbtFiltro->SetHint(QStringLiteral("Filtrar"));
  sbtFiltro->setIcon(GlyphIcon(TGlyph::Filter));
  SpeedButton3 = new TButtonFlat(panMenu);
  SpeedButton3->setObjectName(QStringLiteral("SpeedButton3"));
  SpeedButton3->SetBounds(252, 4, 23, 22);
  SpeedButton3->setIcon(GlyphIcon(TGlyph::FreeHours));
  SpeedButton3->setAccessibleName(QStringLiteral("Horários Livres")); // it has no hint to name it

  panTopo = new QFrame(this);
  panTopo->setObjectName(QStringLiteral("panTopo"));
  panTopo->setFixedHeight(31);
  panTopo->setFrameStyle(QFrame::Panel | QFrame::Raised);
  // The sheet's toggles show the images pending, in progress, concluded as 0, 2, 1.
  ToolBar2 = new TStatusToggles(panTopo, {0, 2, 1});
  tbtPendente = ToolBar2->tbtPendente;
  tbtAndamento = ToolBar2->tbtAndamento;
  tbtConcluida = ToolBar2->tbtConcluida;
  ToolBar2->setGeometry(5, 2, 140, 27);

  lblde = BoldLabel(QStringLiteral("de"), panTopo, 153);
  lblde->setObjectName(QStringLiteral("lblde"));
  lblAte = BoldLabel(QStringLiteral("até"), panTopo, 343);
  lblAte->setObjectName(QStringLiteral("lblAte"));
  const QStringList weekdays = NomesDias();
  auto makeDate = [&](const char *name, int left) {
    auto *e = new TDateEditPlus(panTopo);
    e->setObjectName(QLatin1String(name));
    e->setGeometry(left, 5, 100, 21);
    e->SetTooltipBackground(true);
    e->SetWeekdayNames(weekdays);
    return e;
  };
  auto makeHour = [&](const char *name, int left) {
    auto *e = new TMaskEdit(panTopo);
    e->setObjectName(QLatin1String(name));
    e->SetEditMask(QStringLiteral("!90:00;1; "));
    e->SetMaxLength(5);
    e->setGeometry(left, 5, 44, 21);
    e->SetTooltipBackground(true);
    return e;
  };
  depInicio = makeDate("depInicio", 185);
  medHoraIni = makeHour("medHoraIni", 287);
  depFinal = makeDate("depFinal", 377);
  medHoraFin = makeHour("medHoraFin", 479);
  // The labels name the date fields for assistive technology.
  lblde->setBuddy(depInicio);
  lblAte->setBuddy(depFinal);
  // The hour fields are wider than the 33 pixels of the original design so "18:00" fits
  // with today's fonts; the date fields follow.
  medHoraIni->move(289, 5);
  lblAte->move(343, 8);
  depFinal->move(372, 5);
  medHoraFin->move(476, 5);
  AddRegion(panTopo);

  SptPlanilha = new QSplitter(Qt::Horizontal, this);
  SptPlanilha->setObjectName(QStringLiteral("SptPlanilha"));
  SptPlanilha->setHandleWidth(6);
  SptPlanilha->setChildrenCollapsible(false);

  panEquipamentos = new QFrame;
  panEquipamentos->setObjectName(QStringLiteral("panEquipamentos"));
  auto *eqLayout = new QVBoxLayout(panEquipamentos);
  eqLayout->setContentsMargins(0, 0, 0, 0);
  dbgEquipamentos = new TDBSortGrid(panEquipamentos);
  dbgEquipamentos->setObjectName(QStringLiteral("dbgEquipamentos"));
  dbgEquipamentos->SetTooltipBackground(true);
  dbgEquipamentos->SetOptions(dgTitles | dgColumnResize | dgColLines | dgRowLines | dgTabs | dgConfirmDelete | dgCancelOnExit |
                              dgRowSelect | dgAlwaysShowSelection);
  dbgEquipamentos->SetDataSource(dtsEquipamentos);
  // Wider than the original 71/48 pixels: today's fonts would cut the short names.
  dbgEquipamentos->SetColumns(
      {{QStringLiteral("CDEQUIPPRO"), 71, {}}, {QStringLiteral("SGEQUIPPRO"), 66, {}}, {QStringLiteral("NMEQUIPPRO"), 130, {}}});
  dbgEquipamentos->horizontalHeader()->setStretchLastSection(true);
  eqLayout->addWidget(dbgEquipamentos);
  SptPlanilha->addWidget(panEquipamentos);

  pgcOrdemProd = new TPageControl;
  pgcOrdemProd->setObjectName(QStringLiteral("pgcOrdemProd"));
  pgcOrdemProd->setTabPosition(QTabWidget::South);
  auto makePage = [this](const char *name, const QString &caption) {
    auto *page = new QWidget;
    page->setObjectName(QLatin1String(name));
    auto *l = new QVBoxLayout(page);
    l->setContentsMargins(0, 0, 0, 0);
    pgcOrdemProd->AddPage(page, caption);
    return page;
  };
  tshDia = makePage("tshDia", QStringLiteral("Dia"));
  tshSemana = makePage("tshSemana", QStringLiteral("Semana"));
  tshMes = makePage("tshMes", QStringLiteral("Mês"));
  tshAno = makePage("tshAno", QStringLiteral("Ano"));

  dbgOrdemProd = new TDBGrid(tshDia);
  dbgOrdemProd->setObjectName(QStringLiteral("dbgOrdemProd"));
  dbgOrdemProd->setFrameShape(QFrame::NoFrame);
  dbgOrdemProd->SetTooltipBackground(true);
  dbgOrdemProd->SetOptions(dgTitles | dgColumnResize | dgColLines | dgRowLines | dgTabs | dgAlwaysShowSelection |
                           dgConfirmDelete | dgCancelOnExit | dgRowSelect);
  dbgOrdemProd->SetDataSource(dtsPadrao);
  dbgOrdemProd->SetColumns({{QStringLiteral("NRORDPROD"), 96, {}},
                            {QStringLiteral("CDARVPROD"), 86, {}},
                            {QStringLiteral("PRODUTO"), 223, {}},
                            {QStringLiteral("DTHRINIPROD"), 140, {}},
                            {QStringLiteral("DTHRFINPROD"), 140, {}},
                            {QStringLiteral("QTPRODRESPROC"), 97, {}}});
  tshDia->layout()->addWidget(dbgOrdemProd);
  lblUtilizacao = new QLabel(tshDia);
  lblUtilizacao->setObjectName(QStringLiteral("lblUtilizacao"));
  lblUtilizacao->setContentsMargins(6, 3, 6, 3);
  lblUtilizacao->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  lblUtilizacao->setFocusPolicy(Qt::NoFocus);
  tshDia->layout()->addWidget(lblUtilizacao);

  stgSemana = new TStringGrid(tshSemana);
  stgSemana->setObjectName(QStringLiteral("stgSemana"));
  stgSemana->SetDefaultColWidth(90);
  stgSemana->SetDefaultRowHeight(38);
  stgSemana->SetTooltipBackground(true);
  ShowOccupancy(stgSemana);
  stgSemana->SetGridLines(true);
  stgSemana->SetColCount(8);
  stgSemana->SetRowCount(12);
  tshSemana->layout()->addWidget(stgSemana);
  panLegenda = OccupancyLegend(tshSemana);
  tshSemana->layout()->addWidget(panLegenda);
  stgSemana->SetCellHint(
      [this](int col, int row) { return OccupancyHint(m_weekRows, CoveringReservations(m_weekShape, m_weekRows, col, row)); });
  BuildMonthPage();
  BuildYearPage();

  // Controls with no hint, caption or label of their own, named for assistive technology.
  medHoraIni->setAccessibleName(QStringLiteral("Hora inicial"));
  medHoraFin->setAccessibleName(QStringLiteral("Hora final"));
  dbgEquipamentos->setAccessibleName(QStringLiteral("Equipamentos"));
  dbgOrdemProd->setAccessibleName(QStringLiteral("Ordens de produção"));
  stgSemana->setAccessibleName(QStringLiteral("Semana"));

  SptPlanilha->addWidget(pgcOrdemProd);
  SptPlanilha->setStretchFactor(1, 1);
  SptPlanilha->setSizes({300, 574});
  AddRegion(SptPlanilha, 1);

  // Tab order of the regions: the period panel, the equipment list, the buttons, the pages.
  setTabOrder(depInicio, medHoraIni);
  setTabOrder(medHoraIni, depFinal);
  setTabOrder(depFinal, medHoraFin);
  setTabOrder(medHoraFin, dbgEquipamentos);
  setTabOrder(dbgEquipamentos, dbgOrdemProd);
  setTabOrder(dbgOrdemProd, stgSemana);
  QWidget *previous = stgSemana;
  QList<QWidget *> pages = {sbtMesAnt, sbtMesPost, dbcMes, SpeedButton1, SpeedButton2};
  for (TDBCalendar *calendar : dbcAno)
    pages.append(calendar);
  for (QWidget *next : pages)
    setTabOrder(std::exchange(previous, next), next);
}

void TfrmPlanilha::BindHandlers()
{
  qryEquipamento->AfterScroll = [this](TDataSet &) { qryEquipamentoAfterScroll(); };
  dbgEquipamentos->OnCellClick = [this](TDBGrid &, TField *) { dbgEquipamentosCellClick(); };
  cdsReservados->BeforeOpen = [this](TDataSet &) { ClientDataSet1BeforeOpen(); };
  cdsReservados->AfterClose = [this](TDataSet &) { cdsReservadosAfterClose(); };
  connect(cdsReservados, &TDataSet::dataReset, this, Handler([this] { ShowUtilisation(); }));
  connect(ToolBar2, &TStatusToggles::clicked, this, Handler([this](QToolButton *) { tbtStatusClick(); }));
  connect(sbtFiltro, &QToolButton::clicked, this, Handler([this] { sbtFiltroClick(); }));
  connect(SpeedButton3, &QToolButton::clicked, this, Handler([this] { SpeedButton3Click(); }));
  mnuFiltrar = AddButtonItem(sbtFiltro, "mnuFiltrar", QStringLiteral("&Filtrar..."), QKeySequence(Qt::Key_F8));
  mnuHorariosLivres =
      AddButtonItem(SpeedButton3, "mnuHorariosLivres", QStringLiteral("&Horários Livres..."), QKeySequence(Qt::CTRL | Qt::Key_H));
  pgcOrdemProd->OnChange = [this](TPageControl &) { pgcOrdemProdChange(); };
  BindGridKeys(dbgOrdemProd);
  BindCalendarHandlers();

  m_focus = new TFocusRules(this);
  m_focus->OnFieldExit(depInicio, [this] { depInicioExit(); });
  m_focus->OnFieldExit(depFinal, [this] { depFinalExit(); });
  m_focus->OnFieldExit(medHoraIni, [this] { medHoraIniExit(); });
  m_focus->OnFieldExit(medHoraFin, [this] { medHoraFinExit(); });
  m_focus->OnPanelEnter(panTopo, [this] { panTopoEnter(); });
  m_focus->OnPanelExit(panTopo, [this] { panTopoExit(); });
}

// --- creation and activation -------------------------------------------------------------

void TfrmPlanilha::ConnectServer() { netPlanilha->Open(); }

void TfrmPlanilha::FormCreate()
{
  boCentralizar = false;
  ConnectServer();
  // One read of personal setting 3 per control, as the rights system expects.
  for (TButtonFlat *b : {sbtIncluir, sbtAlterar, sbtExcluir, sbtConfirmar})
    b->Permission = Brivon::GetPersonal(3) == QLatin1String("S");
  for (TMenuItem *m : {mnuIncluir, mnuAlterar, mnuExcluir, mnuConfirmar})
    m->Permission = Brivon::GetPersonal(3) == QLatin1String("S");
  CreationStepInstallAfterCancel();
  CreationStepTranslate();

  const TPeriodDefaults period = DefaultPeriod(QDate::currentDate());
  depInicio->SetDate(period.startDate);
  medHoraIni->SetText(period.startHour);
  depFinal->SetDate(period.endDate);
  medHoraFin->SetText(period.endHour);

  qryEquipamento->Close();
  qryEquipamento->BindDataModule(QStringLiteral("dtmDBGeral"));
  qryEquipamento->ParamByName(QStringLiteral("P_GR")).SetAsString(QString());
  qryEquipamento->ParamByName(QStringLiteral("P_TGR")).SetAsString(QStringLiteral("T"));
  qryEquipamento->ParamByName(QStringLiteral("P_EQ")).SetAsString(QString());
  qryEquipamento->ParamByName(QStringLiteral("P_TEQ")).SetAsString(QStringLiteral("T"));
  qryEquipamento->Open();
  m_formCreated = true;
}

void TfrmPlanilha::FormActivate()
{
  m_activated = true;
  depInicio->setFocus();
  boStCriado = true;
  CallIntoDataSet(*netPlanilha, *cdsHoraServidor, QStringLiteral("GetHoraServidor"));
  const QDate today = zrt::dateOf(cdsHoraServidor->FieldByName(QStringLiteral("DATA")).AsDateTime());
  woAnoAtual = quint16(today.year());
  woMesAtual = quint16(today.month());
  woDiaAtual = quint16(today.day());
  m_anoServidor = today.year();
  if (ScreenSize() == QSize(800, 600) && MdiSubWindow())
    MdiSubWindow()->showMaximized();
}

void TfrmPlanilha::FormClose()
{
  // The connection goes with the window; the creation flag stays as it is.
}

void TfrmPlanilha::ShowAsActive()
{
  QMdiSubWindow *sub = MdiSubWindow();
  sub->show();
  sub->raise();
  if (QMdiArea *area = sub->mdiArea()) {
    // Already active: only the activation that creation left pending runs here; an active
    // sheet shown again is just brought forward.
    if (area->activeSubWindow() != sub)
      area->setActiveSubWindow(sub);
    else if (!m_activated)
      Guarded([this] { FormActivate(); });
  }
}

void TfrmPlanilha::ShowNormal()
{
  QMdiSubWindow *sub = MdiSubWindow();
  if (!sub || !(sub->isMaximized() || sub->isMinimized()))
    return;
  // The sub-window hands the focus to a child of its own choosing when it leaves the maximised
  // state; the control the user was in keeps it.
  QPointer<QWidget> focused = QApplication::focusWidget();
  sub->showNormal();
  if (focused && isAncestorOf(focused) && QApplication::focusWidget() != focused)
    focused->setFocus(Qt::OtherFocusReason);
}

void TfrmPlanilha::netPlanilhaBeforeConnect(TNetConnection &connection) { PointAtWebServer(connection); }

void TfrmPlanilha::cdsHoraServidorDATASetText(TField &field, const QString &text)
{
  TimeSetText(field, text);
  DateSetText(field, text);
}

// --- period entry ------------------------------------------------------------------------

void TfrmPlanilha::CheckDateField(TDateEditPlus *field)
{
  // The year digits follow the day and month digits; a blank or short year sorts below "1000".
  if (field->DigitsText().mid(4, 4) < QLatin1String("1000")) {
    field->setFocus();
    MensErro(msgPadrao->Msg(QStringLiteral("Informe_data_val")), true);
  }
  field->CheckValidDate();
}

void TfrmPlanilha::CheckHourField(TMaskEdit *field)
{
  if (!HoraValida(field->Text())) {
    field->setFocus();
    MensErro(msgPadrao->Msg(QStringLiteral("Informe_Hora_Val")), true);
  }
}

void TfrmPlanilha::depInicioExit() { CheckDateField(depInicio); }
void TfrmPlanilha::depFinalExit() { CheckDateField(depFinal); }
void TfrmPlanilha::medHoraIniExit() { CheckHourField(medHoraIni); }
void TfrmPlanilha::medHoraFinExit() { CheckHourField(medHoraFin); }

void TfrmPlanilha::panTopoEnter()
{
  if (TDataSet *ds = dtsPadrao->DataSet())
    ds->Close();
  pgcOrdemProd->SetActivePage(tshDia);
}

void TfrmPlanilha::panTopoExit()
{
  depInicio->CheckValidDate();
  depFinal->CheckValidDate();
  VerificaPeriodo();
  VerificaHoras();
  ComputePeriodBounds();
  RequestOrders();
}

void TfrmPlanilha::VerificaPeriodo()
{
  try {
    if (depInicio->GetDate() > depFinal->GetDate())
      MensErro(msgPadrao->Msg(QStringLiteral("DataFinal_Menor")), true);
  } catch (...) {
    depInicio->setFocus();
    throw;
  }
}

void TfrmPlanilha::VerificaHoras()
{
  if (depInicio->GetDate() != depFinal->GetDate())
    return;
  try {
    const zrt::TDateTime ini = StrToTime(medHoraIni->Text());
    const zrt::TDateTime fin = StrToTime(medHoraFin->Text());
    if (ini > fin)
      MensErro(msgPadrao->Msg(QStringLiteral("HoraFinal_Menor")), true);
  } catch (...) {
    medHoraIni->setFocus();
    throw;
  }
}

void TfrmPlanilha::ComputePeriodBounds()
{
  m_dataHoraIni = JuntaDataHora(depInicio->GetDate(), medHoraIni->Text());
  m_dataHoraFin = JuntaDataHora(depFinal->GetDate(), medHoraFin->Text());
}

void TfrmPlanilha::RebuildStatusSelection()
{
  const TStatusTexts s = ToolBar2->Texts();
  P_PEND = s.pend;
  P_AND = s.andamento;
  P_CONC = s.conc;
}

// --- day view ----------------------------------------------------------------------------

TServerParams TfrmPlanilha::RequestValues() const
{
  return {m_codEquip.toStdString(), P_PEND.toStdString(), P_AND.toStdString(),
          P_CONC.toStdString(),     m_dataHoraIni,        m_dataHoraFin};
}

void TfrmPlanilha::RequestOrders()
{
  m_pedidoIni = m_dataHoraIni;
  m_pedidoFin = m_dataHoraFin;
  CallIntoDataSet(*netPlanilha, *cdsReservados, QStringLiteral("GetReservados"), RequestValues(), TCallWait::Sheet);
}

void TfrmPlanilha::ClientDataSet1BeforeOpen()
{
  sbtProcurar->setEnabled(true);
  if (TField *code = cdsReservados->FindField(QStringLiteral("CDARVPROD")))
    code->EditMask = Brivon::DBPict(0);
  RebuildStatusSelection();
  ComputePeriodBounds();
}

void TfrmPlanilha::cdsReservadosAfterClose() { sbtProcurar->setEnabled(false); }

void TfrmPlanilha::ShowUtilisation()
{
  // Only a list loaded for the period on screen is described: the rows of the creation's
  // request (no period yet) are no sign of an idle machine, and neither is a closed list.
  if (!cdsReservados->Active() || m_pedidoIni != m_dataHoraIni || m_pedidoFin != m_dataHoraFin) {
    lblUtilizacao->clear();
    return;
  }
  const int start = cdsReservados->FieldByName(QStringLiteral("DTHRINIPROD")).Index();
  const int end = cdsReservados->FieldByName(QStringLiteral("DTHRFINPROD")).Index();
  std::vector<TReservedSpan> spans;
  spans.reserve(size_t(cdsReservados->RecordCount()));
  for (int row = 0; row < cdsReservados->RecordCount(); ++row)
    spans.push_back({cdsReservados->CellValue(row, start).toDouble(), cdsReservados->CellValue(row, end).toDouble()});
  lblUtilizacao->setText(UtilisationText(Utilisation(std::move(spans), m_dataHoraIni, m_dataHoraFin)));
}

void TfrmPlanilha::dtsPadraoStateChange() { mnuProcurar->setEnabled(sbtProcurar->isEnabled()); }

void TfrmPlanilha::qryEquipamentoAfterScroll()
{
  m_codEquip = qryEquipamento->FieldByName(QStringLiteral("CDEQUIPPRO")).AsString();
  RequestOrders();
}

void TfrmPlanilha::dbgEquipamentosCellClick() { RequestCalendarData(); }

void TfrmPlanilha::tbtStatusClick()
{
  if (pgcOrdemProd->ActivePage() == tshSemana)
    ControlaSemana();
  RebuildStatusSelection();
  RequestOrders();
}

void TfrmPlanilha::sbtProcurarClick()
{
  QWidget *focused = QApplication::focusWidget();
  auto within = [focused](QWidget *grid) { return focused && (focused == grid || grid->isAncestorOf(focused)); };
  TDataSet *ds = nullptr;
  if (within(dbgOrdemProd))
    ds = dtsPadrao->DataSet();
  else if (within(dbgEquipamentos))
    ds = dtsEquipamentos->DataSet();
  else
    return;
  if (ds && ds->Active())
    Procura(ds);
}

void TfrmPlanilha::sbtFiltroClick() { Cli_zrt02601::CriaFiltroPlanilha(); }

void TfrmPlanilha::SpeedButton3Click() { Cli_zrt02603::CriaHorarioLivre(); }

// --- pages and week grid -------------------------------------------------------------------

void TfrmPlanilha::pgcOrdemProdChange()
{
  RebuildStatusSelection();
  const QDate start = depInicio->GetDate();
  m_anoIni = start.year();
  m_mesIni = start.month();
  m_diaIni = start.day();
  cdsReseGeral->Close();
  QWidget *page = pgcOrdemProd->ActivePage();
  if (page == tshSemana)
    ControlaSemana();
  if (page != tshMes && page != tshAno)
    return;
  // The calendars are set from this date: an empty or impossible one is refused first.
  if (!start.isValid())
    MensErro(msgPadrao->Msg(QStringLiteral("Informe_data_val")), true);
  if (page == tshMes)
    EnterMonthPage();
  else
    EnterYearPage();
}

void TfrmPlanilha::ControlaSemana()
{
  RebuildStatusSelection();
  const QDate inicio = depInicio->GetDate();
  const QDate fim = depFinal->GetDate();
  // The grid is built day by day from these dates: an empty or impossible one (the field was
  // changed while the focus was elsewhere) is refused before anything is asked.
  if (!inicio.isValid() || !fim.isValid())
    MensErro(msgPadrao->Msg(QStringLiteral("Informe_data_val")), true);
  CallIntoDataSet(*netPlanilha, *cdsDiasReservados, QStringLiteral("GetDiasReservados"),
                  {m_codEquip.toStdString(), zrt::toDateTime(inicio), zrt::toDateTime(fim), P_PEND.toStdString(),
                   P_AND.toStdString(), P_CONC.toStdString()},
                  TCallWait::Sheet);
  TStringGridUpdate update(*stgSemana);
  GeraGrade(zrt::toDateTime(inicio));
  LimpaGrid();
  FillWeekGridFromData();
}

void TfrmPlanilha::GeraGrade(zrt::TDateTime)
{
  const TWeekGridShape shape = CurrentWeekShape();
  stgSemana->SetColCount(shape.colCount);
  stgSemana->SetRowCount(shape.rowCount);
  int col = 1;
  for (QDate day = shape.firstDay; day <= shape.lastDay; day = day.addDays(1), ++col)
    stgSemana->SetCells(col, 0, DayHeader(day));
  // The widths and heights the user gave the grid stay while it shows the same period.
  if (shape != m_builtShape) {
    stgSemana->ResetSizes();
    stgSemana->SetRowHeight(0, 30);
    m_builtShape = shape;
  }
  for (int r = 1; r < shape.rowCount; ++r)
    stgSemana->SetCells(0, r, HourLabel(shape.startHour + r - 1));
}

void TfrmPlanilha::LimpaGrid()
{
  stgSemana->ClearCellBrushes();
  for (int c = 1; c < stgSemana->ColCount(); ++c)
    for (int r = 1; r < stgSemana->RowCount(); ++r)
      stgSemana->SetCells(c, r, QString());
}

TWeekGridShape TfrmPlanilha::CurrentWeekShape() const
{
  // The grid reads the period fields themselves, not the stored request bounds.
  return WeekGridShape(depInicio->GetDate(), depFinal->GetDate(), HoraInteira(medHoraIni->Text()),
                       HoraInteira(medHoraFin->Text()));
}

std::vector<TWeekReservation> TfrmPlanilha::WeekRows() const
{
  auto column = [this](const char *name) { return cdsDiasReservados->FieldByName(QLatin1String(name)).Index(); };
  const int start = column("DTHRINIPROD"), end = column("DTHRFINPROD"), order = column("NRORDPROD"),
            status = column("IDSITORDPROD"), product = column("PRODUTO");
  std::vector<TWeekReservation> reservations;
  reservations.reserve(size_t(cdsDiasReservados->RecordCount()));
  for (int row = 0; row < cdsDiasReservados->RecordCount(); ++row) {
    const QVariant &when = cdsDiasReservados->CellValue(row, start);
    if (when.isNull())
      continue;
    const QString statusCode = cdsDiasReservados->CellValue(row, status).toString();
    reservations.push_back({when.toDouble(), cdsDiasReservados->CellValue(row, order).toString(),
                            cdsDiasReservados->CellValue(row, end).toDouble(), statusCode.isEmpty() ? QChar() : statusCode.at(0),
                            cdsDiasReservados->CellValue(row, product).toString()});
  }
  return reservations;
}

void TfrmPlanilha::FillWeekGridFromData()
{
  std::vector<TWeekReservation> reservations = WeekRows();
  const TWeekGridShape shape = CurrentWeekShape();
  FillWeekGrid(shape, reservations, [this](int c, int r, const QString &text) { stgSemana->SetCells(c, r, text); });
  const std::vector<TWeekCellLoad> load = WeekOccupancy(shape, reservations);
  // LimpaGrid took the brushes off: only the covered cells get one.
  for (int r = 1; r < shape.rowCount; ++r)
    for (int c = 1; c < shape.colCount; ++c)
      if (const TWeekCellLoad &cell = load[size_t(c) + size_t(r) * size_t(shape.colCount)]; cell.count > 0)
        stgSemana->SetCellBrush(c, r, OccupancyBrush(cell));
  m_weekRows = std::move(reservations);
  m_weekShape = shape;
}
