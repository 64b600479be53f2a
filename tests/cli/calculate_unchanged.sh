#!/usr/bin/env bash
# The calculation's output for every disease and sex of the example, with both fitting methods,
# from the original inputs and from the adjusted inputs with trends, byte for byte as it was
# recorded. A change of where the calculation's code lives or how it is called must not change a
# digit; a change meant to change the results records them anew:
#   calculate_unchanged.sh KAVREL_CLI EXAMPLE_MDB RECORDED [--record]
set -uo pipefail
cli=$1
example=$2
recorded=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
diseases=$("$cli" list "$example" | tail -n +2 | cut -d, -f2)
{
  while IFS= read -r disease; do
    for sex in males females; do
      for method in 0 1; do
        for inputs in original adjusted; do
          flags=()
          [ $inputs = adjusted ] && flags=(--adjusted --trends)
          echo "== $disease, $sex, FitMethod=$method, $inputs inputs"
          # The messages without the clock time they carry.
          "$cli" calculate "$example" --disease "$disease" --sex "$sex" \
            --option "FitMethod=$method" "${flags[@]}" 2>&1 |
            sed -E 's/^  [0-9]{2}:[0-9]{2}:[0-9]{2}# /  # /'
          echo "exit ${PIPESTATUS[0]}"
        done
      done
    done
  done <<< "$diseases"
} > "$work/now.txt"
if [ "${4:-}" = --record ]; then
  cp "$work/now.txt" "$recorded"
  echo "recorded $(grep -c '^== ' "$recorded") calculations in $recorded"
  exit 0
fi
if ! cmp -s "$work/now.txt" "$recorded"; then
  echo "FAILED: the output differs from the recorded one:"
  diff "$recorded" "$work/now.txt" | head -40
  exit 1
fi
echo "calculate_unchanged: $(grep -c '^== ' "$recorded") calculations as recorded"
