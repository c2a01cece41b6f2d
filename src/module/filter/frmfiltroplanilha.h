#pragma once
// The filter dialog: narrows the sheet's equipment list to all groups or a list of groups, and
// to all equipment or a list of equipment of those groups. Named sets of its choices can be
// saved and put back. The sheet opens it modally through CriaFiltroPlanilha.
#include "shared/frmpadrao.h"
#include "shared/listchoice.h"

#include <inhouse/data/datasource.h>
#include <inhouse/services/messages.h>
#include <inhouse/sql/adoibquery.h>
#include <inhouse/ui/buttons.h>

#include <QFrame>
#include <QGroupBox>
#include <QMenu>
#include <QRadioButton>
#include <QStringList>

class TfrmFiltroPlanilha : public TfrmPadrao {
  Q_OBJECT
  Q_CLASSINFO("Unit", "Cli_zrt02601")
public:
  explicit TfrmFiltroPlanilha(QWidget *parent = nullptr);

  QGroupBox *grbFiltroPadrao, *GroupBox1, *grbEq;
  QRadioButton *rbtTGr, *rbtLGr, *rbtTEq, *rbtLEq;
  TBtnPesquisa *btpGr, *btpEq;
  TButtonFlat *sbtConfirma, *sbtCancel, *btfSaveOpc, *btfLoadOpc, *sbtHelp;
  QFrame *panBotao;
  TMessages *msgPadrao;
  QMenu *ppmOpcoes;
  TADOIBQuery *qryGr, *qryEq;
  TDataSource *dtsGr, *dtsEq;
  // Name=value pairs that a restored set may carry; nothing reads them.
  QStringList Variaveis;

  // Handlers bound by name.
  void FormCreate();
  void FormActivate() override;
  void FormClose() override;
  void FormKeyDown(int &key, Qt::KeyboardModifiers shift) override;
  void FormKeyPress(int &key);
  void rbtTGrClick();
  void rbtLGrClick();
  void rbtTEqClick();
  void rbtLEqClick();
  void btpGrBeforePesq();
  void btpGrClick();
  void btpEqClick();
  void sbtConfirmaClick();
  void sbtCancelClick();
  void sbtHelpClick();
  void btfSaveOpcClick();
  // A load request: shows the menu of saved sets under `sender` (under the restore button when
  // the sender is the dialog itself) unless the previous request showed it.
  void btfLoadOpcClick(QWidget *sender);
  void CarregaOpcao(const QString &setName);

  // The checks of the two lists: an error message, the focus on the list's choice, and the
  // running operation ends.
  void Vd_Grupo();
  void Vd_Equipamento();

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void BuildQueries();
  void BuildLayout();
  void BindHandlers();
  // Reopens the sheet's equipment query with the dialog's choice.
  void Aplica_Filtro();
  TListChoice m_groups, m_equipment;
};
