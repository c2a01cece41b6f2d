#pragma once
// The utilisation sheet: equipment on the left, the orders reserved on the chosen equipment
// on four pages on the right ("Dia", "Semana", "Mês", "Ano"), the period and statuses above.
#include "shared/frmpadrao.h"
#include "shared/records.h"
#include "sheet/weekgrid.h"

#include <inhouse/data/clientdataset.h>
#include <inhouse/net/netconnection.h>
#include <inhouse/services/focus.h>
#include <inhouse/sql/adoibquery.h>
#include <inhouse/ui/dateedit.h>
#include <inhouse/ui/maskedit.h>
#include <inhouse/ui/statustoggles.h>
#include <inhouse/ui/stringgrid.h>
#include <zrt/common/datetime.h>

#include <QLabel>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>

#include <functional>

class TfrmPlanilha : public TfrmPadrao {
  Q_OBJECT
  Q_CLASSINFO("Unit", "Cli_zrt02600")
public:
  // Builds the sheet as an MDI child of the host's main window and runs its creation; a
  // failure destroys the half-built window and reaches the caller.
  static TfrmPlanilha *Create(QWidget *mainForm);
  ~TfrmPlanilha() override;

  void ShowAsActive();
  void ShowNormal();

  // The screen size the maximise rule looks at; tests replace it.
  static std::function<QSize()> ScreenSize;

  // Components beyond the standard window.
  TButtonFlat *sbtFiltro, *SpeedButton3;
  QFrame *panTopo;
  TStatusToggles *ToolBar2;
  QToolButton *tbtPendente, *tbtAndamento, *tbtConcluida;
  QLabel *lblde, *lblAte;
  TDateEditPlus *depInicio, *depFinal;
  TMaskEdit *medHoraIni, *medHoraFin;
  QSplitter *SptPlanilha;
  QFrame *panEquipamentos;
  TDBSortGrid *dbgEquipamentos;
  TPageControl *pgcOrdemProd;
  QWidget *tshDia, *tshSemana, *tshMes, *tshAno;
  TDBGrid *dbgOrdemProd;
  TStringGrid *stgSemana;
  TMessages *msgPadrao;
  TNetConnection *netPlanilha;
  TADOIBQuery *qryEquipamento;
  TDataSource *dtsEquipamentos;
  TClientDataSet *cdsReservados, *cdsHoraServidor, *cdsReseGeral, *cdsDiasReservados;
  TDataSource *dtsReseGeral;

  // Request values sent with every reservation request.
  QString CodEquip() const { return m_codEquip; }
  zrt::TDateTime PeriodoInicial() const { return m_dataHoraIni; }
  zrt::TDateTime PeriodoFinal() const { return m_dataHoraFin; }
  // The period start date split by the last page change (year, month, day).
  int AnoInicio() const { return m_anoIni; }

  // Handlers bound by name.
  void FormCreate();
  void FormActivate() override;
  void FormClose() override;
  void netPlanilhaBeforeConnect(TNetConnection &connection);
  void cdsHoraServidorDATASetText(TField &field, const QString &text);
  void depInicioExit();
  void depFinalExit();
  void medHoraIniExit();
  void medHoraFinExit();
  void panTopoEnter();
  void panTopoExit();
  void VerificaPeriodo();
  void VerificaHoras();
  void qryEquipamentoAfterScroll();
  void dbgEquipamentosCellClick();
  void tbtStatusClick();
  void ClientDataSet1BeforeOpen();
  void cdsReservadosAfterClose();
  void sbtFiltroClick();
  void SpeedButton3Click();
  void pgcOrdemProdChange();
  void ControlaSemana();
  void GeraGrade(zrt::TDateTime periodStart);
  void LimpaGrid();

  // Standard handlers as the sheet has them.
  void sbtIncluirClick() override {}
  void sbtAlterarClick() override {}
  void sbtExcluirClick() override {}
  void sbtVerificarClick() override {}
  void sbtCancelarClick() override {}
  void sbtConfirmarClick() override {}
  void sbtProcurarClick() override;
  void dtsPadraoStateChange() override;

  // The orders request for the current equipment with the stored statuses and period.
  void RequestOrders();

protected:
  void ConnectServer() override;

private:
  explicit TfrmPlanilha(QWidget *parent);
  void BuildLayout();
  void BuildDataSets();
  void BindHandlers();
  void RebuildStatusSelection();
  nlohmann::json RequestValues() const; // code, statuses, period start and end
  void ComputePeriodBounds();
  void CheckDateField(TDateEditPlus *field);
  void CheckHourField(TMaskEdit *field);
  void FillWeekGridFromData();
  TWeekGridShape CurrentWeekShape() const;

  TFocusRules *m_focus = nullptr;
  TWeekGridShape m_builtShape; // the period the week grid was last built for
  bool m_activated = false;    // the activation handler has run at least once
  QString m_codEquip;
  zrt::TDateTime m_dataHoraIni = 0;
  zrt::TDateTime m_dataHoraFin = 0;
  int m_anoIni = 0, m_mesIni = 0, m_diaIni = 0;
};
