#!/usr/bin/env bash
# The packages as a machine receives them: cpack builds both .deb files into a temporary folder,
# they are extracted into a temporary root (dpkg-deb -x) and run from there. The installed server
# creates a plant, answers a JSON-RPC call, tells systemd it is ready and stopping, and drains on
# SIGTERM; the installed host loads the installed module and shows the sheet on that server.
# Every installed ELF must resolve all its libraries, none from the build tree.
# Usage: tst_package.sh BUILD_DIR SOURCE_DIR   (CPACK=path of cpack, optional)
set -euo pipefail
build=$(realpath "$1")
source=$(realpath "$2")
cpack=${CPACK:-cpack}
unset LD_LIBRARY_PATH
work=$(mktemp -d /tmp/zrt-package.XXXXXX)
server_pid="" notify_pid=""
cleanup() {
  for pid in $server_pid $notify_pid; do
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log" >&2; exit 1; }
server_deb=$(ls "$work"/out/zrt02600-server_*.deb)
desktop_deb=$(ls "$work"/out/zrt-desktop_*.deb)
# lintian fails (exit status) on an error; its warnings are the script's business (scripts/package.sh).
if command -v lintian >/dev/null; then
  lintian --tag-display-limit 0 "$server_deb" "$desktop_deb" >"$work/lintian.log" 2>&1 || fail "lintian: $(cat "$work/lintian.log")"
fi
root=$work/root
for deb in "$server_deb" "$desktop_deb"; do dpkg-deb -x "$deb" "$root"; done

# What each package must hold.
dpkg-deb -c "$server_deb" >"$work/server.list"
dpkg-deb -c "$desktop_deb" >"$work/desktop.list"
holds() { grep -Eq " \./$2( -> .*)?\$" "$work/$1.list" || fail "$2 missing from the $1 package"; }
for f in usr/bin/zrt02600-server lib/systemd/system/zrt02600-server.service etc/zrt02600/server.conf \
  usr/share/doc/zrt02600-server/copyright usr/share/doc/zrt02600-server/changelog.Debian.gz; do
  holds server "$f"
done
for f in usr/bin/zrt-host usr/lib/zrt02600/libPkg_zrt02600.so usr/lib/zrt02600/libinhouse.so.0 \
  usr/lib/zrt02600/libinhouse_core.so.0 usr/share/applications/zrt-desktop.desktop \
  usr/share/icons/hicolor/scalable/apps/zrt-desktop.svg usr/share/doc/zrt-desktop/copyright \
  usr/share/doc/zrt-desktop/changelog.Debian.gz; do
  holds desktop "$f"
done
dpkg-deb -I "$server_deb" conffiles | grep -qx /etc/zrt02600/server.conf || fail "server.conf is not a conffile"
# Depends: found by dpkg-shlibdeps (Qt Core) plus what it cannot see.
for want in "$server_deb:libqt6core6 adduser libqt6sql6-sqlite libqt6sql6-psql libsystemd0" \
  "$desktop_deb:libqt6widgets6 libqt6sql6-sqlite libqt6svg6"; do
  deps=$(dpkg-deb -f "${want%%:*}" Depends)
  for p in ${want#*:}; do
    grep -Eq "(^|, )$p( |,|\$)" <<<"$deps" || fail "$(basename "${want%%:*}") does not depend on $p: $deps"
  done
done

# ELF files: stripped, no RUNPATH into the build or the sources, every library found, none from the build tree.
while IFS= read -r elf; do
  name=${elf#"$root"/}
  file -b "$elf" | grep -q 'not stripped' && fail "$name is not stripped"
  runpath=$(readelf -d "$elf" | sed -n 's/.*R\(UN\)\?PATH.*\[\(.*\)\]/\2/p')
  [[ "$runpath" == *"$build"* || "$runpath" == *"$source"* ]] && fail "$name has RUNPATH $runpath"
  libs=$(ldd "$elf" 2>&1)
  grep -q 'not found' <<<"$libs" && fail "$name: $(grep 'not found' <<<"$libs" | tr -s ' \t' ' ')"
  grep -q -e "$build" -e "$source" <<<"$libs" && fail "$name loads from the build tree: $(grep -e "$build" -e "$source" <<<"$libs")"
done < <(find "$root" -type f -exec sh -c 'head -c4 "$1" | grep -q ELF' _ {} \; -print)

# The unit: systemd-analyze verify checks its keys and that its commands are executables. This
# machine's systemd reads units from the real root, so the copy checked runs the extracted ones.
if command -v systemd-analyze >/dev/null; then
  mkdir "$work/unit"
  sed "s#/usr/bin/#$root/usr/bin/#g" "$root/lib/systemd/system/zrt02600-server.service" >"$work/unit/zrt02600-server.service"
  if ! systemd-analyze verify "$work/unit/zrt02600-server.service" >"$work/verify.log" 2>&1 || [ -s "$work/verify.log" ]; then
    fail "systemd-analyze verify: $(cat "$work/verify.log")"
  fi
fi
command -v desktop-file-validate >/dev/null && { desktop-file-validate "$root/usr/share/applications/zrt-desktop.desktop" || fail "desktop entry"; }

# The installed server: a plant from a configuration file, readiness on a notify socket.
bin=$root/usr/bin
db=sqlite:$work/plant.db
printf 'db=%s\nlisten=127.0.0.1\nport=0\nthreads=2\ndrain-seconds=5\n' "$db" >"$work/server.conf"
"$bin/zrt02600-server" init --config "$work/server.conf" --demo --equipment 8 --months 1 >/dev/null || fail "init"
# The shipped server.conf is read whole (no unknown key); --db on the command line wins over its db.
"$bin/zrt02600-server" init --config "$root/etc/zrt02600/server.conf" --db "sqlite:$work/shipped.db" >/dev/null 2>"$work/shipped.err" &&
  [ -f "$work/shipped.db" ] || fail "init with the shipped server.conf: $(cat "$work/shipped.err")"
# A configuration the program cannot use stops it with exit code 2 and says why.
printf 'db=%s\nporta=8080\n' "$db" >"$work/typo.conf"
printf 'db=%s\nport=99999\n' "$db" >"$work/range.conf"
while IFS='|' read -r conf message; do
  code=0
  err=$("$bin/zrt02600-server" serve --config "$work/$conf" 2>&1 >/dev/null) || code=$?
  [ "$code" = 2 ] && [[ "$err" == *"$message"* ]] || fail "serve --config $conf: exit $code, \"$err\""
done <<'CASES'
nada.conf|Não foi possível ler o arquivo de configuração
typo.conf|Chave desconhecida no arquivo de configuração
range.conf|Valor inválido para port em
CASES
/usr/bin/python3 - "$work/notify.sock" "$work/notify.log" <<'PY' &
import socket, sys
s = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
s.bind(sys.argv[1])
with open(sys.argv[2], "a", buffering=1) as log:
    while True:
        log.write(s.recv(4096).decode() + "\n")
PY
notify_pid=$!
for _ in $(seq 100); do [ -S "$work/notify.sock" ] && break; sleep 0.05; done
# --threads on the command line wins over threads=2 of the file.
NOTIFY_SOCKET=$work/notify.sock "$bin/zrt02600-server" serve --config "$work/server.conf" --threads 3 \
  >"$work/serve.out" 2>"$work/serve.err" &
server_pid=$!
port=""
for _ in $(seq 300); do
  grep -q READY=1 "$work/notify.log" 2>/dev/null && port=$(grep -o 'http://127\.0\.0\.1:[0-9]*' "$work/serve.err" | head -n1 | sed 's/.*://')
  [ -n "$port" ] && break
  kill -0 "$server_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$port" ]; then
  cat "$work/serve.err" >&2
  fail "the installed server did not tell systemd it is ready"
else
  grep -q "STATUS=Servidor de aplicação em http://127.0.0.1:$port/ZRT02600.rmdPlanUtilEquipProd (3 threads)" "$work/notify.log" ||
    fail "no STATUS with the address and the command line's threads: $(cat "$work/notify.log")"
  [ -s "$work/serve.out" ] && fail "stdout repeats the journal's line under systemd: $(cat "$work/serve.out")"
  answer=$(/usr/bin/python3 -c 'import sys, urllib.request
print(urllib.request.urlopen(sys.argv[1], sys.argv[2].encode(), timeout=30).read().decode())' \
    "http://127.0.0.1:$port/ZRT02600.rmdPlanUtilEquipProd" '{"jsonrpc":"2.0","id":1,"method":"GetHoraServidor","params":[]}' 2>&1) || true
  [[ "$answer" == *'"result"'* ]] || fail "GetHoraServidor: $answer"

  # The installed host: the module from the private folder, the sheet shown on that server.
  host_out=$(ZRT_HOST_BENCH=1 QT_LOGGING_RULES='zrt.host.loader.info=true' timeout 120 "$bin/zrt-host" \
    --config-dir "$work/config" --db "$db" --port "$port" --open-sheet 2>&1) || fail "zrt-host: $host_out"
  grep -q "módulo carregado: $root/usr/lib/zrt02600/libPkg_zrt02600.so" <<<"$host_out" || fail "module not loaded from the installed folder: $host_out"
  grep -q "sheet shown" <<<"$host_out" || fail "sheet not shown: $host_out"
fi

if [ -n "$server_pid" ] && kill -TERM "$server_pid" 2>/dev/null; then
  code=0
  wait "$server_pid" || code=$?
  server_pid=""
  [ "$code" = 0 ] || fail "server ended with $code after SIGTERM"
  grep -q "Servidor encerrado." "$work/serve.err" || fail "no shutdown line: $(cat "$work/serve.err")"
  grep -q STOPPING=1 "$work/notify.log" || fail "systemd was not told the server is stopping"
fi

if [ "$failures" -gt 0 ]; then
  echo "$failures failure(s)" >&2
  exit 1
fi
echo "packages: $(basename "$server_deb") $(stat -c %s "$server_deb") B, $(basename "$desktop_deb") $(stat -c %s "$desktop_deb") B"
