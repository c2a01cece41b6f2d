#!/usr/bin/env bash
# Host start to sheet shown with the equipment list filled, for plants of 40 and 20,000
# equipment, and the host's peak memory. Run after a release build; prints figures only.
set -euo pipefail
cd "$(dirname "$0")/../.."
bin=build/release/bin
work=$(mktemp -d /tmp/zrt-bench-host.XXXXXX)
server=""
trap '[ -n "$server" ] && kill $server 2>/dev/null; rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} ZRT_HOST_BENCH=1
for n in 40 20000; do
  db="sqlite:$work/plant$n.db"
  "$bin/zrt02600-server" init --db "$db" --demo --equipment "$n" --months 1 >/dev/null
  "$bin/zrt02600-server" serve --db "$db" --port 0 >"$work/server$n.log" 2>&1 &
  server=$!
  until port=$(grep -o '127\.0\.0\.1:[0-9]*' "$work/server$n.log" | head -n1 | cut -d: -f2) && [ -n "$port" ]; do sleep 0.1; done
  echo "$n equipment:"
  for run in 1 2 3; do
    printf '  run %d: ' "$run"
    "$bin/zrt-host" --db "$db" --port "$port" --config-dir "$work/cfg" --open-sheet 2>/dev/null
  done
  kill "$server"; wait "$server" 2>/dev/null || true; server=""
done
