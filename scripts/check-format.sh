#!/usr/bin/env bash
# Every C++ file of the repository is as clang-format (with the repository's .clang-format) would
# write it. Prints the files that are not and exits 1; `clang-format -i FILE` mends one.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
echo "check-format: $(git ls-files '*.cpp' '*.h' | wc -l) files as clang-format writes them"
