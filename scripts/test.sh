#!/usr/bin/env bash
# Installs what the build needs, checks the layers and the format, builds Kavrel with warnings as
# errors and runs every test; then the core and window tests once more under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the analyses and the batch (which run on every core) under
# ThreadSanitizer.
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc 2>/dev/null || echo 2)

bash scripts/install-deps.sh

echo "== Layers and format"
bash scripts/check-layers.sh
bash scripts/check-format.sh

echo "== Release build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKAVREL_WERROR=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== Core and window tests under AddressSanitizer and UndefinedBehaviorSanitizer"
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKAVREL_WERROR=ON -DKAVREL_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$sanitize" -DCMAKE_EXE_LINKER_FLAGS="$sanitize"
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" -L core
# Qt and the font libraries keep caches for the life of the process that leak checking would
# report; the windows' own memory errors are still caught.
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" -L gui

echo "== Analyses and batch under ThreadSanitizer"
tsan="-fsanitize=thread -fno-omit-frame-pointer"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVREL_WERROR=ON \
  -DKAVREL_GUI=OFF -DKAVREL_BENCH=OFF -DCMAKE_CXX_FLAGS="$tsan" -DCMAKE_EXE_LINKER_FLAGS="$tsan"
cmake --build build-tsan -j "$jobs" --target analysis_tests batch_tests
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest --test-dir build-tsan --output-on-failure -j "$jobs" -L 'core-analysis|core-batch'

echo "== Fuzzing (clang, libFuzzer)"
KAVREL_FUZZ_SECONDS=${KAVREL_FUZZ_SECONDS:-10} bash scripts/fuzz.sh
