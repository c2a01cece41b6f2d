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
#include <inhouse/ui/calendar.h>
#include <inhouse/ui/dateedit.h>
#include <inhouse/ui/maskedit.h>
#include <inhouse/ui/statustoggles.h>
#include <inhouse/ui/stringgrid.h>
#include <zrt/common/datetime.h>

#include <QLabel>
#include <QScrollArea>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>

#include <array>
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
  // Opens the day reservations window (equipment code, day, period start, period end); tests
  // record the calls instead.
  static std::function<void(const QString &, double, double, double)> CriaReseDia;

  // Components beyond the standard window.
  TButtonFlat *sbtFiltro, *SpeedButton3;
  TMenuItem *mnuFiltrar, *mnuHorariosLivres; // the two buttons' functions for the keyboard
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
  QLabel *lblUtilizacao; // under the orders list: count, hours reserved, share of the period
  QWidget *panLegenda;   // under the week grid: what its colours mean
  QFrame *panMes;
  TButtonFlat *sbtMesAnt, *sbtMesPost;
  QLabel *panExibeMes;
  TDBCalendar *dbcMes;
  QFrame *Panel2;
  TButtonFlat *SpeedButton1, *SpeedButton2;
  QLabel *panExibeAno;
  QScrollArea *scbAno;
  QWidget *panAno;
  std::array<TDBCalendar *, 12> dbcAno; // dbcJaneiro to dbcDezembro
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
  // Order numbers, shading and tooltips of the week grid from cdsDiasReservados as it stands.
  void FillWeekGridFromData();
  // The rows of cdsDiasReservados as the week grid reads them.
  std::vector<TWeekReservation> WeekRows() const;
  void sbtMesAntClick();
  void sbtMesPostClick();
  void MoveMes(int direcao); // 1 back, 2 forward
  void GerenciaMes(quint16 mes);
  void SpeedButton1Click();
  void SpeedButton2Click();
  void MoveAno(int direcao); // 1 back, 2 forward
  void dbcMesDblClick();
  void dbcAnoDblClick(TDBCalendar &calendar); // the twelve calendars of the year
  void cdsReseGeralBeforeOpen();
  // The last year the month and year views step forward to: ten years past the server's.
  int UltimoAnoNavegacao() const { return m_anoServidor + 10; }

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

  // Printing (sheetprint.cpp): the page shown, under a header with the equipment, the period
  // and the statuses chosen.
  bool BuildPrintReport(TReport &report) override;

protected:
  void ConnectServer() override;

private:
  explicit TfrmPlanilha(QWidget *parent);
  void BuildLayout();
  void BuildMonthPage();
  void BuildYearPage();
  void BindCalendarHandlers();
  void BuildDataSets();
  void BindHandlers();
  void RebuildStatusSelection();
  TServerParams RequestValues() const; // code, statuses, period start and end
  void ComputePeriodBounds();
  void CheckDateField(TDateEditPlus *field);
  void CheckHourField(TMaskEdit *field);
  void ShowUtilisation();
  void EnterMonthPage();
  void EnterYearPage();
  void RequestCalendarData(); // the start date-times of the period into cdsReseGeral
  void OpenDayOf(const TDBCalendar &calendar);
  void ShowMonthCaption(quint16 mes, quint16 ano);
  TWeekGridShape CurrentWeekShape() const;

  TFocusRules *m_focus = nullptr;
  TWeekGridShape m_builtShape; // the period the week grid was last built for
  // The rows the week grid shows and the shape they were laid out in, for its cells' tooltips.
  std::vector<TWeekReservation> m_weekRows;
  TWeekGridShape m_weekShape;
  bool m_activated = false; // the activation handler has run at least once
  QString m_codEquip;
  zrt::TDateTime m_dataHoraIni = 0;
  zrt::TDateTime m_dataHoraFin = 0;
  // The period the orders on show were asked for; the first request, at creation, carries none.
  zrt::TDateTime m_pedidoIni = 0, m_pedidoFin = 0;
  int m_anoIni = 0, m_mesIni = 0, m_diaIni = 0;
  int m_anoServidor = QDate::currentDate().year(); // as of the last activation
};
