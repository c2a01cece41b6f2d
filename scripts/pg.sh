#!/usr/bin/env bash
# Starts a throwaway PostgreSQL cluster on a free loopback port, as the postgres user.
# Prints "DIR URL" on stdout. Afterwards, on that DIR:
#   scripts/pg.sh stop DIR       stops the cluster and removes it
#   scripts/pg.sh halt DIR       stops the database, keeping its files (an outage)
#   scripts/pg.sh start DIR      starts it again after halt
#   scripts/pg.sh restart DIR    stops and starts it (fast shutdown: connections are cut)
set -euo pipefail
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
as_postgres() { su postgres -s /bin/sh -c "$1"; }
case "${1:-}" in
  stop)
    dir=$2
    [ -d "$dir" ] || exit 0
    as_postgres "$bin/pg_ctl -D '$dir/data' -m immediate stop" >/dev/null 2>&1 || true
    rm -rf "$dir"
    exit 0 ;;
  halt) as_postgres "$bin/pg_ctl -D '$2/data' -m fast -w stop" >/dev/null; exit 0 ;;
  start) as_postgres "$bin/pg_ctl -D '$2/data' -l '$2/server.log' -w start" >/dev/null; exit 0 ;;
  restart) as_postgres "$bin/pg_ctl -D '$2/data' -l '$2/server.log' -m fast -w restart" >/dev/null; exit 0 ;;
esac
[ -x "$bin/pg_ctl" ] || { echo "no pg_ctl" >&2; exit 1; }
dir=$(mktemp -d /tmp/zrt-pg.XXXXXX)
chown postgres "$dir"
as_postgres "$bin/initdb -D '$dir/data' -A trust -U postgres -E UTF8 --locale=C.UTF-8" >"$dir/initdb.log" 2>&1
# In the configuration, not on pg_ctl's command line, so that a later start or restart keeps them.
cat >>"$dir/data/postgresql.conf" <<CONF
listen_addresses = '127.0.0.1'
unix_socket_directories = '$dir'
fsync = off
CONF
# A port below the system's range for outgoing connections, which a busy test run may hold;
# another is tried when it is taken all the same (the last setting in the file wins).
started=""
for _ in 1 2 3 4 5 6 7 8; do
  port=$((20000 + RANDOM % 12000))
  echo "port = $port" >>"$dir/data/postgresql.conf"
  if as_postgres "$bin/pg_ctl -D '$dir/data' -l '$dir/server.log' -w start" >/dev/null 2>&1; then
    started=1
    break
  fi
done
[ -n "$started" ] || { cat "$dir/server.log" >&2; rm -rf "$dir"; exit 1; }
as_postgres "$bin/createdb -h 127.0.0.1 -p $port -U postgres zrt_test"
echo "$dir postgresql://postgres@127.0.0.1:$port/zrt_test"
