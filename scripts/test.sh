#!/usr/bin/env bash
# Sets up, builds and runs every test: SQLite always, PostgreSQL on a throwaway cluster.
# Without an argument both presets run: ci (release with warnings as errors), then debug with AddressSanitizer,
# UndefinedBehaviorSanitizer and LeakSanitizer. Usage: scripts/test.sh [ci|release|debug]
set -euo pipefail
cd "$(dirname "$0")/.."
presets=("${@:-release}")
[ $# -eq 0 ] && presets=(ci debug)

export QT_QPA_PLATFORM=offscreen
XDG_RUNTIME_DIR=$(mktemp -d /tmp/zrt-xdg.XXXXXX)
export XDG_RUNTIME_DIR
chmod 700 "$XDG_RUNTIME_DIR"
pgdir=""
cleanup() {
  if [ -n "$pgdir" ]; then scripts/pg.sh stop "$pgdir"; fi
  rm -rf "$XDG_RUNTIME_DIR"
}
trap cleanup EXIT

for preset in "${presets[@]}"; do
  scripts/setup.sh "$preset"
  if [ -z "$pgdir" ] && [ -z "${ZRT_TEST_PG_URL:-}" ]; then
    if out=$(scripts/pg.sh 2>/dev/null); then
      pgdir=${out%% *}
      export ZRT_TEST_PG_URL=${out#* }
      echo "PostgreSQL for the tests: $ZRT_TEST_PG_URL"
    else
      echo "PostgreSQL not available: its test rows are skipped"
    fi
  fi
  ctest --preset "$preset" -j2
done
