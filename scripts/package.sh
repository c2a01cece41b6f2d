#!/usr/bin/env bash
# Builds the two Debian packages (zrt02600-server, zrt-desktop) from the release preset and
# checks them with lintian. Configures and builds the preset when needed; the packages land in
# build/release/packages (OUT=... elsewhere). Usage: scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
out=${OUT:-build/release/packages}

[ -f build/release/CMakeCache.txt ] || cmake --preset release >/dev/null
cmake --build --preset release --target zrt02600-server zrt-host Pkg_zrt02600
mkdir -p "$out"
out=$(realpath "$out")
rm -f "$out"/*.deb
(cd build/release && cpack -G DEB -B "$out" >"$out/cpack.log") || { cat "$out/cpack.log" >&2; exit 1; }

status=0
for deb in "$out"/*.deb; do
  echo "$deb ($(du -k "$deb" | cut -f1) KiB)"
  if command -v lintian >/dev/null; then
    lintian --tag-display-limit 0 --show-overrides "$deb" || status=1
  fi
done
echo "Instalar: apt install $out/zrt02600-server_*.deb $out/zrt-desktop_*.deb"
exit $status
