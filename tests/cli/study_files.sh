#!/usr/bin/env bash
# Study files that travel: data sets listed by full path, CSV files as spreadsheets write them,
# summaries that join on the data set's name, and the commands' smaller promises.
# Usage: study_files.sh KAVREL_CLI EXAMPLE_MDB
set -uo pipefail
cli=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
example=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
stage=$(dirname "$(dirname "$example")")
cp "$stage/KavrelLocal.mdb" "$work/Study.mdb"

population='Age from,Age to,Mortality males,Mortality females,Population males,Population females
0,49,0.002,0.0015,"100,000","98,000"
50,,0.04,0.03,40000,45000'

# A data set made with a relative name is listed by its full path: it opens from any folder.
mkdir -p "$work/a" "$work/b"
printf '%s\n' "$population" > "$work/a/population.csv"
(cd "$work/a" && "$cli" new-dataset countryB.mdb --name "Country B" --population population.csv \
  --collection ../Study.mdb > /dev/null) || fail "new-dataset with a quoted thousands separator"
grep -q "^Country B,$work/a/countryB.mdb," <<< "$(cd "$work/b" && "$cli" datasets --collection ../Study.mdb)" ||
  fail "the collection does not hold the full path"
(cd "$work/b" && "$cli" diseases --dataset "Country B" --collection ../Study.mdb > /dev/null) ||
  fail "diseases --dataset NAME from another folder"
[ "$(sqlite3 "$work/a/countryB.mdb" "select MVal from Population where Lage=0" 2>/dev/null ||
  sqlite3 "$work/a/countryB.mdb" "select * from Population where Lage=0")" != "" ] ||
  fail "no population stored"

# Columns by their headings: population before mortality is stored as population.
printf '%s\n' 'Population males,Population females,Age from,Age to,Mortality males,Mortality females' \
  '1000,1100,0,,0.01,0.009' > "$work/swapped.csv"
"$cli" new-dataset "$work/swapped.mdb" --name S --population "$work/swapped.csv" > /dev/null ||
  fail "new-dataset with the columns in another order"
"$cli" calculate "$example" --disease Asthma --sex males > /dev/null 2>&1  # the tool works
mort=$(sqlite3 "$work/swapped.mdb" "select * from TotalMortality" | head -1)
case "$mort" in *0.01*) ;; *) fail "the mortality column was not read by its heading: $mort" ;; esac

# A European spreadsheet's CSV: byte order mark, CR LF, semicolons, decimal commas.
printf '\xef\xbb\xbfAge from;Age to;Mortality males;Mortality females;Population males;Population females\r\n0;49;0,002;0,0015;100.000;98.000\r\n50;;0,04;0,03;40000;45000\r\n' \
  > "$work/european-pop.csv"
"$cli" new-dataset "$work/eu.mdb" --name EU --population "$work/european-pop.csv" > /dev/null ||
  fail "new-dataset of a European CSV"
printf '\xef\xbb\xbfDisease;ICD;Sex;Variable;Age from;Age to;Value\r\nGout;M10;Males;Prevalence;0;49;0,001\r\nGout;M10;Males;Prevalence;50;;0,02\r\nGout;M10;Males;Mortality;0;;0,0001\r\nGout;M10;Males;Remission;0;;0\r\n' \
  > "$work/european.csv"
grep -q '^Gout,added$' <<< "$("$cli" import "$work/eu.mdb" "$work/european.csv")" || fail "import of a European CSV"
[ "$(sqlite3 "$work/eu.mdb" "select Waarde from InputPrevalence where Lage=50")" = 0.02 ] ||
  fail "the decimal comma was not read"
# A UTF-8 CSV with a byte order mark, commas.
printf '\xef\xbb\xbfDisease,ICD,Sex,Variable,Age from,Age to,Value\nFlu,J10,Females,Incidence,0,,0.01\nFlu,J10,Females,Remission,0,,1\nFlu,J10,Females,Case fatality,0,,0.001\n' \
  > "$work/bom.csv"
grep -q '^Flu,added$' <<< "$("$cli" import "$work/eu.mdb" "$work/bom.csv")" || fail "import with a byte order mark"

# Refusals, each with its line number; nothing stored.
expect_refusal() {  # NAME PATTERN COMMAND...
  local name=$1 pattern=$2
  shift 2
  "$@" > /dev/null 2> "$work/err"
  local code=$?
  [ "$code" -eq 2 ] && grep -q "$pattern" "$work/err" || fail "$name: exit $code, $(head -c 300 "$work/err")"
}
head='Disease,ICD,Sex,Variable,Age from,Age to,Value'
printf '%s\n' "$head" 'Gout,M10,Males,Incidence,0,,0x1p-3' > "$work/hex.csv"
expect_refusal "hexadecimal" '^Line 2: "0x1p-3" is no number' "$cli" import "$work/eu.mdb" "$work/hex.csv"
printf '%s\n' "$head" 'Gout,M10,Males,Incidence,0,200,0.001' > "$work/old.csv"
expect_refusal "age 200" '^Line 2: "200" is beyond the highest age' "$cli" import "$work/eu.mdb" "$work/old.csv"
printf '%s\n' "$head" 'Gout,M10,Males,Incidence,0,,0,001' > "$work/extra.csv"
expect_refusal "extra field" '^Line 2: 8 fields, but the headings name 7' "$cli" import "$work/eu.mdb" "$work/extra.csv"
printf '%s\n' "$head,Notes" 'Gout,M10,Males,Incidence,0,,0.001,x' > "$work/unknown.csv"
expect_refusal "unknown heading" '^Line 1: "Notes" is no column' "$cli" import "$work/eu.mdb" "$work/unknown.csv"
printf '%s\n' "$head" 'gout ,M10,Males,Incidence,0,,0.001' > "$work/alike.csv"
expect_refusal "a name like another" '^Line 2: the data set has a disease named "Gout"' \
  "$cli" import "$work/eu.mdb" "$work/alike.csv"
{ echo "$head"; echo 'Gout,M10,Males,Incidence,0,,0.001'; head -c 10000000 /dev/zero | tr '\0' 'x'; echo; } > "$work/long.csv"
expect_refusal "a 10 MB line" '^Line 3: longer than' "$cli" import "$work/eu.mdb" "$work/long.csv"
printf '%s\n' 'Age from,Age to,Mortality males,Mortality females,Population males,Population females' \
  '0,200,0.01,0.01,5,5' > "$work/pop200.csv"
expect_refusal "population age 200" '^Line 2: "200" is beyond the highest age' \
  "$cli" new-dataset "$work/p200.mdb" --name P --population "$work/pop200.csv"
[ ! -e "$work/p200.mdb" ] || fail "a refused population left a file"
[ "$(sqlite3 "$work/eu.mdb" "select count(*) from InputDiseases")" -eq 2 ] || fail "a refusal stored something"

# The batch summary and results carry the name and the file: they join on Dataset, Disease, Sex.
cp "$example" "$work/a/Example.mdb"
"$cli" batch "$work/a/countryB.mdb" "$work/a/Example.mdb" --collection "$work/Study.mdb" --save \
  --diseases Asthma,Stroke --sexes females --summary "$work/summary.csv" 2> /dev/null
head -1 "$work/summary.csv" | grep -q '^Dataset,File,Disease,Sex,Status,Inputs,Worst group,Worst deviation (%),' ||
  fail "summary heading: $(head -1 "$work/summary.csv")"
"$cli" results "$work/a/Example.mdb" --diseases Stroke --collection "$work/Study.mdb" > "$work/results.csv"
sum_key=$(grep ',Stroke,Females,saved,' "$work/summary.csv" | cut -d, -f1-4)
res_key=$(sed -n 2p "$work/results.csv" | cut -d, -f1-4)
[ -n "$sum_key" ] && [ "$sum_key" = "$res_key" ] || fail "summary $sum_key and results $res_key do not join"
# Results over several files: one that is not a data set is named and skipped, exit 1 at the end.
echo "not a data set" > "$work/junk.mdb"
"$cli" results "$work/junk.mdb" "$work/a/Example.mdb" --diseases Stroke > "$work/two.csv" 2> "$work/err"
code=$?
[ "$code" -eq 1 ] && grep -q "junk.mdb" "$work/err" && [ "$(grep -c ',Stroke,Females,' "$work/two.csv")" -gt 0 ] ||
  fail "results past an unreadable file: exit $code, $(grep -c ',Stroke,' "$work/two.csv") lines"

# diseases takes a file; --sex omitted is said; the report beside the outputs in one run.
grep -q '^5,Stroke,' <<< "$("$cli" diseases --dataset "$work/a/Example.mdb")" || fail "diseases --dataset FILE"
"$cli" calculate "$example" --disease Asthma 2> "$work/err" > /dev/null
grep -q '^No --sex given: males' "$work/err" || fail "an omitted --sex was not said"
"$cli" calculate "$example" --disease "Ischaemic heart disease" --sex males --report "$work/report.csv" \
  > "$work/outputs.csv" 2> /dev/null
head -1 "$work/outputs.csv" | grep -q '^Age,Incidence,' && head -1 "$work/report.csv" | grep -q '^Variable,' ||
  fail "calculate --report FILE"
help=$("$cli" import --help)
grep -q 'Case fatality.*RR Mortality' <<< "$help" && grep -q 'Females, Female, Women or F' <<< "$help" ||
  fail "import --help lists no variables or sexes"

# No output below zero that is zero up to rounding.
"$cli" list "$example" | tail -n +2 | cut -d, -f2 | while IFS= read -r disease; do
  for sex in males females; do
    "$cli" calculate "$example" --disease "$disease" --sex "$sex" 2> /dev/null | tail -n +2 |
      grep -E '(^|,)-' | head -1
  done
done > "$work/negative"
[ ! -s "$work/negative" ] || fail "outputs below zero: $(head -1 "$work/negative")"

[ "$failures" -eq 0 ] || exit 1
echo "study files: all passed"
