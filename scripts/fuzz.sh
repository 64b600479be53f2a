#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer on) and
# runs each for KAVREL_FUZZ_SECONDS (10) seconds, starting from its corpus in tests/fuzz/corpus.
# New inputs the fuzzer finds go to a scratch folder; a crash stops the script with the input
# that caused it. Exits non-zero on any crash.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${KAVREL_FUZZ_SECONDS:-10}
jobs=$(nproc 2>/dev/null || echo 2)
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g -O1"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DKAVREL_GUI=OFF -DKAVREL_BENCH=OFF -DKAVREL_TESTS=OFF -DKAVREL_FUZZ=ON \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" > /dev/null
targets=(csv paste number settings)
cmake --build build-fuzz -j "$jobs" --target "${targets[@]/%/_fuzz}"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for target in "${targets[@]}"; do
  mkdir -p "$scratch/$target"
  echo "== fuzz $target for ${seconds}s"
  build-fuzz/bin/${target}_fuzz -max_total_time="$seconds" -max_len=4096 \
    -artifact_prefix="$scratch/$target-" "$scratch/$target" "tests/fuzz/corpus/$target" 2>&1 |
    tail -n 3
done
echo "fuzz: ${#targets[@]} passed, 0 failed"
