#pragma once
// Unit-level state of the package: each unit keeps its window and a creation flag for as long
// as the module is loaded. Everything starts zeroed at every load.
#include <QPointer>
#include <QString>
#include <QtGlobal>

class TfrmPlanilha;
class TfrmFiltroPlanilha;
class TfrmReseDia;
class TfrmHoraLivre;

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

// The filter dialog's unit. Its code lists outlive the dialog: only unloading empties them.
namespace Cli_zrt02601 {
// The choice for groups or for equipment: "Todos", and the code list at confirmation (kept
// even under "Todos").
struct TGRUPO {
  bool boTodos = false;
  QString Codigos;
};
struct TEQUIPAMENTO {
  bool boTodos = false;
  QString Codigos;
};
struct TFILTRO {
  TGRUPO Grupos;
  TEQUIPAMENTO Equipamentos;
};

extern QPointer<TfrmFiltroPlanilha> frmFiltroPlanilha;
extern bool boStCriado;
extern bool BoExecut;  // the saved-options menu flag
extern TFILTRO Filtro; // the last confirmed choice
extern QString ListaGrupos, ListaEquipamentos;

// Opens the filter dialog modally; returns once it is closed.
void CriaFiltroPlanilha();
void Finalization();
} // namespace Cli_zrt02601

// The day reservations window's unit: its creation function stores the window's arguments here.
namespace Cli_zrt02602 {
extern QPointer<TfrmReseDia> frmReseDia;
extern bool boStCriado;
extern QString P_EQUIP;
extern QString P_PEND, P_AND, P_CONC;
extern double P_DIA, P_DATAINI, P_DATAFIN; // day-based date-times

// Opens the day reservations window for one equipment and day within the sheet's period, and
// returns once the window is closed.
void CriaReseDia(const QString &equip, double dia, double dataIni, double dataFin);
void Initialization();
void Finalization();
} // namespace Cli_zrt02602

// The free-hours window's unit. Its code lists live as long as the window: closing empties them.
namespace Cli_zrt02603 {
extern QPointer<TfrmHoraLivre> frmHoraLivre;
extern bool boIdCriado;
extern QString ListaGrupos, ListaEquipamentos;

// Opens the free-hours window modally; returns once it is closed.
void CriaHorarioLivre();
void Initialization();
void Finalization();
} // namespace Cli_zrt02603

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
