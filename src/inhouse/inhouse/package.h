#pragma once
// The contract between the host's package loader and a loadable module. A module exports, by
// name and with C linkage: Initialize, Finalize, GetPackageInfoTable and IniProc.
// IniProc lets no exception out: it reports a failure itself (through the library's error
// report, which the host set) and returns false, so the host only notes the failure.
extern "C" {

struct TPackageUnitInfo {
  const char *name;         // unit name, e.g. "Cli_zrt02600"
  void (*initialization)(); // may be null
  void (*finalization)();   // may be null
};

struct TPackageInfoTable {
  int unitCount;
  const TPackageUnitInfo *units;
};

using TPackageProc = void (*)();
using TIniProc = bool (*)();
using TGetPackageInfoTable = const TPackageInfoTable *(*)();
}
