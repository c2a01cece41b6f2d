#pragma once
// The day reservations window: the production orders reserved on one equipment on one day,
// narrowed by the three status toggles. The sheet opens it modally through CriaReseDia.
#include "shared/frmpadrao.h"

#include <inhouse/data/clientdataset.h>
#include <inhouse/net/netconnection.h>
#include <inhouse/services/messages.h>
#include <inhouse/ui/statustoggles.h>

#include <QFrame>
#include <QLabel>
#include <QToolButton>

#include <nlohmann/json.hpp>

class TfrmReseDia : public TfrmPadrao {
  Q_OBJECT
  Q_CLASSINFO("Unit", "Cli_zrt02602")
public:
  // Builds the window; FormCreate does the creation work that talks to the server.
  explicit TfrmReseDia(QWidget *parent = nullptr);

  // Components beyond the standard window.
  QFrame *panTopo;
  TStatusToggles *ToolBar2;
  QToolButton *tbtPendente, *tbtAndamento, *tbtConcluida;
  QFrame *panData;
  QLabel *lblTituloData, *lblData;
  TClientDataSet *cdsReservadosDia;
  TNetConnection *netReservaDia;
  TMessages *msgPadrao;

  // Handlers bound by name.
  void FormCreate();
  void FormActivate() override;
  void FormClose() override;
  void netReservaDiaBeforeConnect(TNetConnection &connection);
  void cdsReservadosDiaBeforeOpen();
  // The three toggles share it: each click re-reads all three.
  void tbtStatusClick();
  void dbgPadraoDblClick() override;
  // The day's list as shown, under the equipment, the day and the statuses chosen.
  bool BuildPrintReport(TReport &report) override;

protected:
  void ConnectServer() override;

private:
  void BuildDataSet();
  void BuildTopPanel();
  void ApplyStatusRule();
  // GetReservaDia with the unit's arguments as they stand; the rows shown stay until the
  // answer has been checked.
  void LoadReservations(bool withAnimation);
  // The last fetch failed and no activation has come since.
  bool m_fetchFailed = false;
};
