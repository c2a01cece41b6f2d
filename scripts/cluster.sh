#!/usr/bin/env bash
# A plant's set-up on this machine: a throwaway PostgreSQL with the demo plant, several copies of
# zrt02600-server on free loopback ports, and nginx in front of them (round robin, keep-alive to
# the copies, a call retried on another copy when one fails). Prints the balancer's address;
# Ctrl+C (or SIGTERM) stops all of it.
# Usage: scripts/cluster.sh [--servers N] [--port P]     (run as root, like scripts/pg.sh)
# ZRT_BIN: folder with zrt02600-server (default: build/release/bin, built by scripts/setup.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
servers=3
port=0
while [ $# -gt 0 ]; do
  case $1 in
    --servers) servers=$2; shift 2 ;;
    --port) port=$2; shift 2 ;;
    *) echo "Uso: scripts/cluster.sh [--servers N] [--port P]" >&2; exit 2 ;;
  esac
done
if [ -z "${ZRT_BIN:-}" ]; then
  scripts/setup.sh release
  ZRT_BIN=$PWD/build/release/bin
fi
nginx=$(command -v nginx || echo /usr/sbin/nginx)
[ -x "$nginx" ] || { echo "nginx não está instalado (apt-get install nginx-light)." >&2; exit 1; }

work=$(mktemp -d /tmp/zrt-cluster.XXXXXX)
pgdir=""
nginx_pid=""
server_pids=()
cleanup() {
  trap - EXIT INT TERM
  [ -n "$nginx_pid" ] && kill -TERM "$nginx_pid" 2>/dev/null || true
  for pid in "${server_pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  for pid in "$nginx_pid" "${server_pids[@]}"; do [ -n "$pid" ] && wait "$pid" 2>/dev/null || true; done
  [ -n "$pgdir" ] && scripts/pg.sh stop "$pgdir"
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

out=$(scripts/pg.sh)
pgdir=${out%% *}
db=${out#* }
"$ZRT_BIN/zrt02600-server" init --db "$db" --demo >/dev/null

# The address a server prints once it listens ("... em http://127.0.0.1:PORT/...").
port_of() {
  local log=$1 pid=$2 p=""
  for _ in $(seq 1 300); do
    p=$(grep -o 'http://127\.0\.0\.1:[0-9]*' "$log" 2>/dev/null | head -n1 | sed 's/.*://' || true)
    [ -n "$p" ] && { echo "$p"; return 0; }
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  cat "$log" >&2
  return 1
}

upstreams=""
for i in $(seq 1 "$servers"); do
  log=$work/server-$i.log
  "$ZRT_BIN/zrt02600-server" serve --db "$db" --listen 127.0.0.1 --port 0 --threads 2 >"$log" 2>&1 &
  server_pids+=($!)
  p=$(port_of "$log" $!) || { echo "O servidor de aplicação $i não iniciou." >&2; exit 1; }
  echo "Servidor $i: pid $!, http://127.0.0.1:$p (log: $log)"
  upstreams+="    server 127.0.0.1:$p max_fails=1 fail_timeout=5s;"$'\n'
done

if [ "$port" = 0 ]; then
  # A port nothing answers on; nginx refuses to start if it was taken meanwhile.
  for _ in $(seq 1 50); do
    port=$((20000 + RANDOM % 30000))
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || break
  done
fi

mkdir -p "$work/nginx/temp"
user_line=""
if [ "$(id -u)" = 0 ]; then
  # As root the workers would run as nobody: they get a temp folder of their own.
  user_line="user nobody nogroup;"
  chown nobody "$work/nginx/temp"
  chmod 711 "$work" # they reach it through the private work folder
fi
cat >"$work/nginx/nginx.conf" <<CONF
daemon off;
worker_processes 1;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log warn;
$user_line
events { worker_connections 1024; }
http {
  access_log off;
  client_body_temp_path $work/nginx/temp/body;
  proxy_temp_path $work/nginx/temp/proxy;
  upstream zrt02600 {
$upstreams    keepalive 32;
  }
  server {
    listen 127.0.0.1:$port;
    location / {
      proxy_pass http://zrt02600;
      proxy_http_version 1.1;
      proxy_set_header Connection "";
      # Every method is a read: a call a copy failed is safe to send to the next one.
      proxy_next_upstream error timeout http_502 http_503 non_idempotent;
      proxy_connect_timeout 2s;
      proxy_read_timeout 60s;
    }
  }
}
CONF
"$nginx" -p "$work/nginx" -e "$work/nginx/error.log" -c "$work/nginx/nginx.conf" &
nginx_pid=$!
ok=""
for _ in $(seq 1 100); do
  if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then ok=1; break; fi
  kill -0 "$nginx_pid" 2>/dev/null || break
  sleep 0.1
done
[ -n "$ok" ] || { cat "$work/nginx/error.log" >&2; echo "O nginx não iniciou na porta $port." >&2; exit 1; }

echo "Banco de dados: $db"
echo "Balanceador em http://127.0.0.1:$port/ZRT02600.rmdPlanUtilEquipProd"
echo "Desktop: $ZRT_BIN/zrt-host --db $db --server 127.0.0.1 --port $port --open-sheet"
echo "Ctrl+C encerra tudo."
wait "$nginx_pid"
