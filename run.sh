#!/usr/bin/env bash
# Installs what Kavrel needs, builds it, installs it into dist/ and starts the program on its
# example data set. Without a display it says so and runs the command-line demonstration instead.
# The data directory dist/KavrelData is made on the first install only; a later install keeps it,
# with whatever you have stored there.
set -euo pipefail
cd "$(dirname "$0")"

jobs=$(nproc 2>/dev/null || echo 2)
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
# Exactly what the installation holds (the target is made from the install rules): the programs,
# the templates, the example data set and the man pages. The test command builds the rest.
cmake --build build -j "$jobs" --target kavrel_installed
# The folder installation; its messages say where the data directory is.
install_log=$(cmake --install build --prefix dist --component programs &&
  cmake --install build --prefix dist --component folder)
printf '%s\n' "$install_log" | grep -E "data directory|Data directory" || true

cli=dist/bin/kavrel-cli
example=dist/KavrelData/data/Example.mdb

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${KAVREL_NO_WINDOWS:-}" ]; then
  echo "Starting Kavrel: choose Data, Data set, select Example and press Open."
  exec dist/bin/kavrel "$@"
fi
echo
echo "No display: Kavrel's windows need one (scripts/screenshots.sh OUTDIR shows them offscreen)."
echo "Here is the command-line tool on the same installation instead."

echo
echo "Data sets of the current collection (the first start makes the collection \"Local\"):"
"$cli" datasets
echo
echo "Diseases of the example data set and the inputs stored for them:"
"$cli" diseases --dataset Example
echo
echo "Each disease calculated for males (every tenth age shown; 'kavrel-cli calculate' prints"
echo "every age as CSV). Where the inputs are not exactly incidence, remission and case fatality,"
echo "the hazards are fitted to them."
"$cli" list "$example" | tail -n +2 | cut -d, -f2 | while IFS= read -r disease; do
  echo
  echo "== $disease"
  "$cli" calculate "$example" --disease "$disease" --sex males "$@" |
    awk -F, 'NR == 1 { printf "%5s %12s %12s %12s %12s %9s %12s %9s\n", $1, $2, $3, $4, $5, $6, $7, $8; next }
             ($1 % 10) == 0 { printf "%5d %12.6f %12.6f %12.6f %12.6f %9.2f %12.6f %9.3f\n", $1, $2, $3, $4, $5, $6, $7, $8 }'
done
