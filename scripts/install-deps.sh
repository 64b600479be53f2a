#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Kavrel needs.
# Packages already present are skipped; the package lists are refreshed once, and only when
# something is missing. Works as root or through sudo.
set -euo pipefail

packages=(
  build-essential
  cmake
  pkg-config
  ninja-build
  libgtest-dev
  libgmock-dev
  libbenchmark-dev
  libcli11-dev
  libsqlite3-dev
  sqlite3
  libsimpleini-dev
  libxlsxwriter-dev
  libceres-dev
  qt6-svg-dev
  qt6-base-dev
  qt6-charts-dev
  libqt6opengl6-dev
  libxkbcommon-dev
  libgl-dev
  fonts-dejavu-core
  clang-format
  clang
  libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  sudo_cmd=()
elif command -v sudo >/dev/null 2>&1; then
  sudo_cmd=(sudo)
else
  echo "install-deps: missing ${missing[*]}, and neither root nor sudo is available" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
