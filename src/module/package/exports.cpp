// The package's entry points, exported by name for the host's package loader.
#include "package/units.h"

#include <inhouse/package.h>
#include <inhouse/services/errors.h>

#include <QtGlobal>

#include <vector>

#define ZRT_EXPORT extern "C" Q_DECL_EXPORT

namespace {
std::vector<TPackageUnitInfo> &Table()
{
  static std::vector<TPackageUnitInfo> table = [] {
    int count = 0;
    const zrt02600::UnitEntry *units = zrt02600::Units(&count);
    std::vector<TPackageUnitInfo> t;
    for (int i = 0; i < count; ++i)
      t.push_back({units[i].name, units[i].initialization, units[i].finalization});
    return t;
  }();
  return table;
}
} // namespace

ZRT_EXPORT void Initialize() { zrt02600::InitializeUnits(); }

ZRT_EXPORT void Finalize() { zrt02600::FinalizeUnits(); }

ZRT_EXPORT const TPackageInfoTable *GetPackageInfoTable()
{
  static TPackageInfoTable info{int(Table().size()), Table().data()};
  return &info;
}

// A failure to open the sheet is reported here, once, and returned as the status.
ZRT_EXPORT bool IniProc()
{
  return TryGuarded([] { Cli_zrt02600::IniProc(); });
}
