#pragma once
// The free-hours window: for all or a list of groups, all or a list of equipment, a range of
// days and an interval of hours in each day, the spans in which each equipment is free, one
// row per equipment, day and span. Leaving the criteria panel searches; entering it empties the
// result. The sheet opens it modally through CriaHorarioLivre.
#include "shared/frmpadrao.h"
#include "shared/listchoice.h"

#include <inhouse/data/clientdataset.h>
#include <inhouse/net/netconnection.h>
#include <inhouse/services/messages.h>
#include <inhouse/sql/adoibquery.h>
#include <inhouse/ui/animate.h>
#include <inhouse/ui/dateedit.h>
#include <inhouse/ui/timepicker.h>

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

class TFocusRules;

class TfrmHoraLivre : public TfrmPadrao {
  Q_OBJECT
  Q_CLASSINFO("Unit", "Cli_zrt02603")
public:
  explicit TfrmHoraLivre(QWidget *parent = nullptr);

  // Components beyond the standard window.
  QFrame *panTopo;
  QGroupBox *grbSetor, *grbOper, *grbPeriodo, *grbIntervalo;
  QRadioButton *rbtTGr, *rbtLGr, *rbtTEq, *rbtLEq;
  TBtnPesquisa *btpGrupo, *btpEQUIPAMENTO;
  QLabel *lblDe, *lblAte, *lblIntervaloDe, *lblIntervaloAte;
  TDateEditPlus *depInicio, *depFinal;
  TTimePicker *dtpInicio, *dtpFinal;
  QFrame *panAguarde;
  TAnimate *aniAguarde;
  TClientDataSet *cdsDados;
  TNetConnection *netHoraLivre;
  TMessages *msgPadrao;
  TADOIBQuery *qryGrupo, *qryEq;
  TDataSource *dtsGr, *dtsEqui;

  // Handlers bound by name.
  void FormCreate();
  void FormActivate() override;
  void FormClose() override;
  void netHoraLivreBeforeConnect(TNetConnection &connection);
  void rbtTGrClick();
  void rbtLGrClick();
  void rbtTEqClick();
  void rbtLEqClick();
  void btpGrupoClick();
  void btpEQUIPAMENTOClick();
  void depInicioExit();
  void depFinalExit();
  void panTopoEnter();
  // The search: the checks, then HoraLivre into the result.
  void panTopoExit();
  // Every record function stays as the window was built: disabled.
  void dtsPadraoStateChange() override;

  // The checks of the search, in the order it runs them. Each shows its message as an error,
  // leaves the focus on the control to mend and ends the search.
  void Vd_Grupo();
  void Vd_Equipamento();
  void Vd_Data();
  void Vd_Intervalo();

protected:
  void ConnectServer() override;
  void resizeEvent(QResizeEvent *event) override;

private:
  void BuildData();
  void BuildCriteria();
  void BuildWaitPanel();
  void BindHandlers();
  void ShowWaitPanel(bool show);
  TListChoice m_groups, m_equipment;
  TFocusRules *m_focus = nullptr;
  bool m_activated = false;
};
