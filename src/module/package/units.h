#pragma once
// Unit-level state of the package: each unit keeps its window and a creation flag for as long
// as the module is loaded. Everything starts zeroed at every load.
#include <QPointer>
#include <QString>
#include <QtGlobal>

class TfrmPlanilha;

namespace Cli_zrt02600 {
extern QPointer<TfrmPlanilha> frmPlanilha;
extern bool boStCriado;
// Status selection of the sheet, rebuilt from its toggles.
extern QString P_PEND, P_AND, P_CONC;
// The server's date, set at each activation of the sheet; month and year navigation step it.
extern quint16 woAnoAtual, woMesAtual, woDiaAtual;

void IniProc();
void Initialization();
void Finalization();
} // namespace Cli_zrt02600

// Initialisation and finalisation of every unit, in unit order, for the package table.
namespace zrt02600 {
void InitializeUnits();
void FinalizeUnits();
struct UnitEntry {
  const char *name;
  void (*initialization)();
  void (*finalization)();
};
const UnitEntry *Units(int *count);
} // namespace zrt02600
