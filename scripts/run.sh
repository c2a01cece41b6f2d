#!/usr/bin/env bash
# Sets up and builds, creates the demo plant if missing, starts the application server on a
# free loopback port and runs the desktop host on it. The server stops when the host exits.
# Usage: scripts/run.sh [zrt-host options...]     (DATA: data folder, default ~/.local/share/zrt02600)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh release
bin=$PWD/build/release/bin
DATA=${DATA:-${ZRT_DATA_DIR:-$HOME/.local/share/zrt02600}}
mkdir -p "$DATA"
db="sqlite:$DATA/demo.db"
# An existing plant gets the schema of this build (the server refuses an older one).
if [ -f "$DATA/demo.db" ]; then
  "$bin/zrt02600-server" init --db "$db" >/dev/null
else
  "$bin/zrt02600-server" init --db "$db" --demo
fi

log=$(mktemp /tmp/zrt02600-server.XXXXXX.log)
server_pid=""
stop_server() {
  if [ -n "$server_pid" ] && kill -0 "$server_pid" 2>/dev/null; then
    kill -TERM "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  rm -f "$log"
}
trap stop_server EXIT
trap 'exit 130' INT TERM

# Port 0: the server picks a free port and prints the address it listens on.
"$bin/zrt02600-server" serve --db "$db" --listen 127.0.0.1 --port 0 >"$log" 2>&1 &
server_pid=$!

port=""
for _ in $(seq 1 100); do
  port=$(grep -o 'http://127\.0\.0\.1:[0-9]*' "$log" 2>/dev/null | head -n1 | sed 's/.*://' || true)
  [ -n "$port" ] && break
  kill -0 "$server_pid" 2>/dev/null || { cat "$log" >&2; echo "O servidor de aplicação não iniciou." >&2; exit 1; }
  sleep 0.1
done
[ -n "$port" ] || { cat "$log" >&2; echo "O servidor de aplicação não informou a porta." >&2; exit 1; }

# GET /health over a plain socket, so nothing beyond bash is needed.
health() {
  exec 3<>"/dev/tcp/127.0.0.1/$port" || return 1
  printf 'GET /health HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n' >&3
  local status
  IFS= read -r -t 2 status <&3 || true
  exec 3<&- 3>&-
  [[ "$status" == *" 200 "* ]]
}
ok=""
for _ in $(seq 1 50); do
  if health 2>/dev/null; then ok=1; break; fi
  sleep 0.1
done
[ -n "$ok" ] || { cat "$log" >&2; echo "O servidor de aplicação não respondeu em /health." >&2; exit 1; }
echo "Servidor de aplicação em 127.0.0.1:$port (log: $log)"

"$bin/zrt-host" --db "$db" --server 127.0.0.1 --port "$port" --open-sheet "$@"
