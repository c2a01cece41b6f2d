#include "package/units.h"

#include "sheet/frmplanilha.h"

#include <inhouse/services/application.h>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace {
// The hourglass for the length of a scope: restored on every path, failures included.
struct BusyCursor {
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};
} // namespace

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
  BusyCursor busy;
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

namespace zrt02600 {
namespace {
const UnitEntry kUnits[] = {
    {"Cli_zrt02600", &Cli_zrt02600::Initialization, &Cli_zrt02600::Finalization},
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
