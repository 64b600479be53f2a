#!/usr/bin/env bash
# Installs what Kavrel needs, builds it, installs it into dist/ and runs it on its example data set.
# The data directory dist/KavrelData is made on the first install only; a later install keeps it,
# with whatever you have stored there.
set -euo pipefail
cd "$(dirname "$0")"

jobs=$(nproc 2>/dev/null || echo 2)
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$jobs"
cmake --install build --prefix dist | grep -E "data directory|Data directory" || true

echo
echo "Data sets of the current collection (the first start makes the collection \"Local\"):"
dist/bin/kavrel-cli datasets
echo
echo "Diseases of the example data set and the inputs stored for them:"
dist/bin/kavrel-cli diseases --dataset Example
echo
echo "The model at work on a synthetic disease: incidence, remission and case fatality go in;"
echo "prevalence, mortality, RR mortality and the mean duration by age at onset come out."
echo "Males, every fifth age:"
echo
dist/bin/kavrel-cli demo --table --every 5 "$@"
