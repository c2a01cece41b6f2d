#!/usr/bin/env bash
# Sets up, builds and runs every test: SQLite always, PostgreSQL on a throwaway cluster.
# Usage: scripts/test.sh [release|debug]
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-release}
scripts/setup.sh "$preset"

export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=$(mktemp -d /tmp/zrt-xdg.XXXXXX)
chmod 700 "$XDG_RUNTIME_DIR"
pgdir=""
cleanup() { [ -n "$pgdir" ] && scripts/pg.sh stop "$pgdir"; rm -rf "$XDG_RUNTIME_DIR"; }
trap cleanup EXIT
if out=$(scripts/pg.sh 2>/dev/null); then
  pgdir=${out%% *}
  export ZRT_TEST_PG_URL=${out#* }
  echo "PostgreSQL for the tests: $ZRT_TEST_PG_URL"
else
  echo "PostgreSQL not available: its test rows are skipped"
fi
ctest --preset "$preset" -j2
