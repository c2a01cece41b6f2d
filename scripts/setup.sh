#!/usr/bin/env bash
# Installs what the build and the tests need (Debian 12, as root) and builds one preset.
# Usage: scripts/setup.sh [release|ci|debug]
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-release}

packages=(g++ cmake ninja-build pkg-config ccache
          qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql libgl-dev
          libboost-dev nlohmann-json3-dev libsimdjson-dev libsqlite3-dev libpq-dev
          postgresql nginx-light xvfb xauth imagemagick fonts-dejavu-core
          libcsv-dev poppler-utils
          qt6-svg-dev libsystemd-dev dpkg-dev file lintian python3-prometheus-client)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
