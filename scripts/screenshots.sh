#!/usr/bin/env bash
# Renders every window of the program to PNG files in OUTDIR, offscreen, with the program built in
# build/ (or in the directory named by KAVREL_BUILD).
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: scripts/screenshots.sh OUTDIR" >&2
  exit 2
fi
cd "$(dirname "$0")/.."
build=${KAVREL_BUILD:-build}
if [ ! -x "$build/bin/kavrel-screenshots" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" --target kavrel-screenshots
fi
QT_QPA_PLATFORM=offscreen "$build/bin/kavrel-screenshots" "$1"
