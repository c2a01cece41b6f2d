#!/usr/bin/env bash
# Sets up, builds, creates the demo plant if missing and runs the program on it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh release
bin=build/release/bin
data=${ZRT_DATA_DIR:-$HOME/.local/share/zrt02600}
mkdir -p "$data"
db="sqlite:$data/demo.db"
[ -f "$data/demo.db" ] || "$bin/zrt02600-server" init --db "$db" --demo
exec "$bin/zrt02600-server" serve --db "$db" "$@"
