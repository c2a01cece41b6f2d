#include "dayreservations/frmresedia.h"

#include "package/units.h"
#include "shared/printheader.h"
#include "shared/records.h"
#include "shared/servercall.h"

#include <inhouse/services/brivon.h>
#include <inhouse/services/errors.h>
#include <inhouse/text/regional.h>
#include <inhouse/ui/report.h>

#include <QHBoxLayout>
#include <QVBoxLayout>

#include <utility>

using namespace Cli_zrt02602;

TfrmReseDia::TfrmReseDia(QWidget *parent) : TfrmPadrao(parent, QStringLiteral("ZRT02602"))
{
  m_formClass = &staticMetaObject;
  setObjectName(QStringLiteral("frmReseDia"));
  setWindowTitle(QStringLiteral("Reservas do Dia"));
  // System menu and minimise only: the window keeps its designed size.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  resize(775, 332);
  BuildDataSet();
  CreateStandardBody();
  BuildTopPanel();
  dbgPadrao->SetColumns({{QStringLiteral("NRORDPROD"), -1, QStringLiteral("Ordem")},
                         {QStringLiteral("CDARVPROD"), 92, QStringLiteral("Código")},
                         {QStringLiteral("NMPRODUTO"), 270, QStringLiteral("Produto")},
                         {QStringLiteral("DTHRINIPROD"), -1, QStringLiteral("Data Inicial")},
                         {QStringLiteral("DTHRFINPROD"), -1, QStringLiteral("Data Final")},
                         {QStringLiteral("QTPRODRESPROC"), -1, QStringLiteral("Quantidade")}});

  cdsReservadosDia->BeforeOpen = [this](TDataSet &) { cdsReservadosDiaBeforeOpen(); };
  connect(ToolBar2, &TStatusToggles::clicked, this, Handler([this](QToolButton *) { tbtStatusClick(); }));
  sbtImprimir->setEnabled(true);
}

void TfrmReseDia::BuildDataSet()
{
  netReservaDia = NewServerConnection(this, QStringLiteral("netReservaDia"));
  netReservaDia->BeforeConnect = [this](TNetConnection &c) { netReservaDiaBeforeConnect(c); };

  cdsReservadosDia = new TClientDataSet(this);
  cdsReservadosDia->Name = QStringLiteral("cdsReservadosDia");
  cdsReservadosDia->ReadOnly = true;
  DeclareFields(*cdsReservadosDia, {
                                       {"NRORDPROD", ftString, 10, "Ordem"},
                                       {"CDARVPROD", ftString, 20, "Código"},
                                       {"CDPRODUTO", ftString, 10, "Cod. Produto"},
                                       {"NMPRODUTO", ftString, 50, "Produto"},
                                       {"DTHRINIPROD", ftDateTime, 0, "Data Inicial"},
                                       {"DTHRFINPROD", ftDateTime, 0, "Data Final"},
                                       {"QTPRODRESPROC", ftFloat, 0, "Quantidade"},
                                       {"IDSITORDPROD", ftString, 1, "IDSITORDPROD"},
                                   });
  cdsReservadosDia->FieldByName(QStringLiteral("IDSITORDPROD")).Visible = false;
  dtsPadrao->SetDataSet(cdsReservadosDia);

  // Kept with the window's definition; the code reads none of them.
  msgPadrao =
      new TMessages({QStringLiteral("Excl|Confirma exclusão?"), QStringLiteral("PEND|Pendente"),
                     QStringLiteral("AND|Em Andamento"), QStringLiteral("PARA|Paralisada"), QStringLiteral("CONC|Concluída")},
                    this);
  msgPadrao->setObjectName(QStringLiteral("msgPadrao"));
}

void TfrmReseDia::BuildTopPanel()
{
  panTopo = new QFrame(tshPadrao);
  panTopo->setObjectName(QStringLiteral("panTopo"));
  panTopo->setFixedHeight(27);
  auto *layout = new QHBoxLayout(panTopo);
  layout->setContentsMargins(2, 0, 2, 0);
  layout->setSpacing(8);

  ToolBar2 = new TStatusToggles(panTopo, {0, 2, 1});
  tbtPendente = ToolBar2->tbtPendente;
  tbtAndamento = ToolBar2->tbtAndamento;
  tbtConcluida = ToolBar2->tbtConcluida;
  layout->addWidget(ToolBar2);

  panData = new QFrame(panTopo);
  panData->setObjectName(QStringLiteral("panData"));
  panData->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  auto *dataLayout = new QHBoxLayout(panData);
  dataLayout->setContentsMargins(6, 0, 6, 0);
  lblTituloData = new QLabel(QStringLiteral("Data:"), panData);
  lblTituloData->setObjectName(QStringLiteral("lblTituloData"));
  QFont bold = lblTituloData->font();
  bold.setBold(true);
  lblTituloData->setFont(bold);
  lblData = new QLabel(panData);
  lblData->setObjectName(QStringLiteral("lblData"));
  dataLayout->addWidget(lblTituloData);
  dataLayout->addWidget(lblData);
  layout->addWidget(panData);
  layout->addStretch(1);

  // Above the grid, inside the grid's page.
  static_cast<QVBoxLayout *>(tshPadrao->layout())->insertWidget(0, panTopo);
}

void TfrmReseDia::ConnectServer() { netReservaDia->Open(); }

void TfrmReseDia::FormCreate()
{
  StandardCreation();
  ApplyStatusRule();
  LoadReservations(false);
}

void TfrmReseDia::FormActivate()
{
  boStCriado = true;
  // The day is shown even when the fetch below fails.
  lblData->setText(DateToStr(P_DIA));
  // The activation that the error report of a failed fetch hands back fetches nothing: a fetch
  // failing again would report again, one error box after another, and the window could never
  // be closed. The rows stay as they were; the next activation fetches again.
  if (std::exchange(m_fetchFailed, false))
    return;
  // The toggles are not read again here: the arguments stand as the last load left them.
  LoadReservations(true);
  repaint();
}

void TfrmReseDia::FormClose() { netReservaDia->Close(); }

void TfrmReseDia::netReservaDiaBeforeConnect(TNetConnection &connection) { PointAtWebServer(connection); }

void TfrmReseDia::cdsReservadosDiaBeforeOpen()
{
  if (TField *code = cdsReservadosDia->FindField(QStringLiteral("CDARVPROD")))
    code->EditMask = Brivon::DBPict(0);
  ApplyStatusRule();
}

void TfrmReseDia::tbtStatusClick()
{
  ApplyStatusRule();
  LoadReservations(true);
}

void TfrmReseDia::dbgPadraoDblClick()
{
  if (frmReseDia)
    frmReseDia->Close();
}

bool TfrmReseDia::BuildPrintReport(TReport &report)
{
  SetPrintHeader(report, windowTitle(), {}, P_EQUIP, DateToStr(P_DIA), *ToolBar2);
  report.AddView(*dbgPadrao);
  return true;
}

void TfrmReseDia::ApplyStatusRule()
{
  const TStatusTexts s = ToolBar2->Texts();
  P_PEND = s.pend;
  P_AND = s.andamento;
  P_CONC = s.conc;
}

void TfrmReseDia::LoadReservations(bool withAnimation)
{
  try {
    CallIntoDataSet(
        *netReservaDia, *cdsReservadosDia, QStringLiteral("GetReservaDia"),
        {P_EQUIP.toStdString(), P_PEND.toStdString(), P_AND.toStdString(), P_CONC.toStdString(), P_DIA, P_DATAINI, P_DATAFIN},
        withAnimation ? TCallWait::Dialog : TCallWait::None, TCallRows::KeepUntilChecked);
  } catch (...) {
    m_fetchFailed = true;
    throw;
  }
}
