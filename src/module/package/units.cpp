#include "package/units.h"

#include "dayreservations/frmresedia.h"
#include "filter/frmfiltroplanilha.h"
#include "freehours/frmhoralivre.h"
#include "shared/creation.h"
#include "sheet/frmplanilha.h"

#include <inhouse/errors.h>
#include <inhouse/services/application.h>

namespace Cli_zrt02600 {
QPointer<TfrmPlanilha> frmPlanilha;
bool boStCriado = false;
QString P_PEND, P_AND, P_CONC;
quint16 woAnoAtual = 0, woMesAtual = 0, woDiaAtual = 0;

void Initialization()
{
  frmPlanilha = nullptr;
  boStCriado = false;
  P_PEND.clear();
  P_AND.clear();
  P_CONC.clear();
  woAnoAtual = woMesAtual = woDiaAtual = 0;
}

void Finalization()
{
  // The texts are released here so nothing of this unit outlives the module.
  P_PEND = QString();
  P_AND = QString();
  P_CONC = QString();
  frmPlanilha = nullptr;
  boStCriado = false;
}

void IniProc()
{
  TBusyCursor busy;
  // The flag stays set after the sheet closes; a destroyed sheet is never touched again, a
  // new one is made instead.
  if (!boStCriado || frmPlanilha.isNull()) {
    boStCriado = false;
    frmPlanilha = TfrmPlanilha::Create(MainForm());
    boStCriado = true;
  }
  frmPlanilha->ShowAsActive();
  frmPlanilha->ShowNormal();
}
} // namespace Cli_zrt02600

namespace Cli_zrt02601 {
QPointer<TfrmFiltroPlanilha> frmFiltroPlanilha;
bool boStCriado = false;
bool BoExecut = false;
TFILTRO Filtro;
QString ListaGrupos, ListaEquipamentos;

// No initialisation: everything is zeroed here when the module is unloaded, so the next load
// starts afresh.
void Finalization()
{
  ListaGrupos = QString();
  ListaEquipamentos = QString();
  Filtro = TFILTRO();
  frmFiltroPlanilha.clear();
  boStCriado = false;
  BoExecut = false;
}

void CriaFiltroPlanilha()
{
  // Closing releases the dialog, so every call shows a fresh one on "Todos"/"Todos".
  TryGuarded([] { CreateAndShowModal(frmFiltroPlanilha, boStCriado); });
}
} // namespace Cli_zrt02601

namespace Cli_zrt02602 {
QPointer<TfrmReseDia> frmReseDia;
bool boStCriado = false;
QString P_EQUIP;
QString P_PEND, P_AND, P_CONC;
double P_DIA = 0, P_DATAINI = 0, P_DATAFIN = 0;

void Initialization() { boStCriado = false; }

void Finalization()
{
  P_EQUIP = QString();
  P_PEND = QString();
  P_AND = QString();
  P_CONC = QString();
  P_DIA = P_DATAINI = P_DATAFIN = 0;
  frmReseDia.clear();
}

void CriaReseDia(const QString &equip, double dia, double dataIni, double dataFin)
{
  P_DIA = dia;
  P_DATAINI = dataIni;
  P_DATAFIN = dataFin;
  P_EQUIP = equip;
  // A window that fails while being built is reported here, once; the sheet goes on.
  TryGuarded([] { CreateAndShowModal(frmReseDia, boStCriado); });
}
} // namespace Cli_zrt02602

namespace Cli_zrt02603 {
QPointer<TfrmHoraLivre> frmHoraLivre;
bool boIdCriado = false;
QString ListaGrupos, ListaEquipamentos;

void Initialization() { boIdCriado = false; }

void Finalization()
{
  ListaGrupos = QString();
  ListaEquipamentos = QString();
  frmHoraLivre.clear();
}

void CriaHorarioLivre()
{
  // Every opening builds a fresh window on "Todos"/"Todos", 08:00 to 18:00 and no result.
  TryGuarded([] { CreateAndShowModal(frmHoraLivre, boIdCriado); });
}
} // namespace Cli_zrt02603

namespace zrt02600 {
namespace {
const UnitEntry kUnits[] = {
    {"Cli_zrt02600", &Cli_zrt02600::Initialization, &Cli_zrt02600::Finalization},
    {"Cli_zrt02601", nullptr, &Cli_zrt02601::Finalization},
    {"Cli_zrt02602", &Cli_zrt02602::Initialization, &Cli_zrt02602::Finalization},
    {"Cli_zrt02603", &Cli_zrt02603::Initialization, &Cli_zrt02603::Finalization},
};
} // namespace

void InitializeUnits()
{
  for (const auto &unit : kUnits)
    if (unit.initialization)
      unit.initialization();
}

void FinalizeUnits()
{
  for (int i = int(std::size(kUnits)) - 1; i >= 0; --i)
    if (kUnits[i].finalization)
      kUnits[i].finalization();
}

const UnitEntry *Units(int *count)
{
  *count = int(std::size(kUnits));
  return kUnits;
}
} // namespace zrt02600
