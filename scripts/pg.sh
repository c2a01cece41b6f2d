#!/usr/bin/env bash
# Starts a throwaway PostgreSQL cluster on a free loopback port, as the postgres user.
# Prints the database URL on stdout; `scripts/pg.sh stop DIR` stops and removes it.
set -euo pipefail
if [ "${1:-}" = stop ]; then
  dir=$2
  [ -d "$dir" ] || exit 0
  bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
  su postgres -s /bin/sh -c "$bin/pg_ctl -D '$dir/data' -m immediate stop" >/dev/null 2>&1 || true
  rm -rf "$dir"
  exit 0
fi
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -x "$bin/pg_ctl" ] || { echo "no pg_ctl" >&2; exit 1; }
dir=$(mktemp -d /tmp/zrt-pg.XXXXXX)
chown postgres "$dir"
port=$((20000 + RANDOM % 30000))
su postgres -s /bin/sh -c "$bin/initdb -D '$dir/data' -A trust -U postgres -E UTF8 --locale=C.UTF-8" >"$dir/initdb.log" 2>&1
su postgres -s /bin/sh -c "$bin/pg_ctl -D '$dir/data' -l '$dir/server.log' -w -o \"-c listen_addresses=127.0.0.1 -p $port -k '$dir' -c fsync=off\" start" >/dev/null
su postgres -s /bin/sh -c "$bin/createdb -h 127.0.0.1 -p $port -U postgres zrt_test"
echo "$dir postgresql://postgres@127.0.0.1:$port/zrt_test"
