#!/usr/bin/env bash
# Installs what Kavrel needs, builds it, installs it into dist/ and runs it on its example data.
# For now the program is the model engine: this shows a calculation of a demonstration disease.
set -euo pipefail
cd "$(dirname "$0")"

jobs=$(nproc 2>/dev/null || echo 2)
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$jobs"
cmake --install build --prefix dist >/dev/null

echo
echo "Kavrel demonstration: a synthetic chronic disease in a synthetic population (males)."
echo "Incidence, remission and case fatality go in; prevalence, mortality, RR mortality and the"
echo "mean duration by age at onset come out of the model. Every fifth age is shown."
echo
dist/bin/kavrel-cli demo --table --every 5 "$@"
