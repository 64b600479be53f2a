#!/usr/bin/env bash
# kavrel-cli calculate on every disease of the example data set, both sexes: each must succeed
# and print 101 ages of seven finite numbers.
set -euo pipefail
cli=$1
example=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$example" "$work/Example.mdb"
"$cli" list "$work/Example.mdb" > "$work/list.csv"
tail -n +2 "$work/list.csv" | cut -d, -f2 | while IFS= read -r disease; do
  for sex in males females; do
    "$cli" calculate "$work/Example.mdb" --disease "$disease" --sex "$sex" > "$work/out.csv"
    lines=$(wc -l < "$work/out.csv")
    [ "$lines" -eq 102 ] || { echo "$disease $sex: $lines lines"; exit 1; }
    if grep -qiE 'nan|inf' "$work/out.csv"; then echo "$disease $sex: not finite"; exit 1; fi
  done
done
# Saving, then saving again (the overwrite question answered by --save).
for n in 1 2; do
  "$cli" calculate "$work/Example.mdb" --disease Stroke --sex females --adjusted --trends \
    --option Agegroup=5 --save > /dev/null
done
"$cli" list "$work/Example.mdb" | grep -q '^5,Stroke,I60-I69 ,1,0,1,1,0,0,0,1,0,1,1,0,0,0,0,1,0$'
# Bad usage exits 2.
set +e
"$cli" calculate "$work/Example.mdb" --disease Stroke --option NoSuchColumn=1 > /dev/null 2>&1
[ $? -eq 2 ] || { echo "unknown option column not refused"; exit 1; }
echo "all diseases calculated"
