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
grep -q '^5,Stroke,I60-I69 ,1,0,1,1,0,0,0,1,0,1,1,0,0,0,0,1,0$' <<< "$("$cli" list "$work/Example.mdb")"
# Every age schedule procedure on one variable; a refused procedure fails with exit 1.
for method in linear polynomial spline moving-average curve-linear curve-quadratic curve-sigmoid \
              curve-exponent curve-polynomial; do
  "$cli" adjust "$work/Example.mdb" --disease "Ischaemic heart disease" --variable prevalence \
    --method "$method" --ages 40-90 --no-high > "$work/adjust.csv"
  [ "$(wc -l < "$work/adjust.csv")" -eq 102 ] || { echo "adjust $method"; exit 1; }
done
# With the options as they come the interpolations take the example (its last group is 100+); an
# end point placed inside the groups is refused.
for method in spline polynomial; do
  "$cli" adjust "$work/Example.mdb" --disease "Ischaemic heart disease" --variable prevalence \
    --method "$method" > /dev/null || { echo "default end points refused ($method)"; exit 1; }
done
set +e
"$cli" adjust "$work/Example.mdb" --disease "Ischaemic heart disease" --variable prevalence \
  --method spline --high-age 95 > /dev/null 2>&1
[ $? -eq 1 ] || { echo "an end point inside the groups was not refused"; exit 1; }
set -e
"$cli" adjust "$work/Example.mdb" --disease Asthma --variable incidence --method moving-average \
  --save > /dev/null
grep -q '^1,Asthma,J45 ,1,0,1,1,0,0,0,1,0,1,1,0,0,0,0,0,0$' <<< "$("$cli" list "$work/Example.mdb")"
[ "$("$cli" calculate "$work/Example.mdb" --disease Asthma --adjusted | wc -l)" -eq 102 ]
# Result table of the saved Stroke result, and the export formats.
"$cli" table "$work/Example.mdb" --disease Stroke --sex females --rates-per 1000 > "$work/table.csv"
[ "$(wc -l < "$work/table.csv")" -eq 24 ] || { echo "table lines"; exit 1; }
tail -n 1 "$work/table.csv" | grep -q '^All ages,NA,'
for format in csv xls xlsx prevent; do
  "$cli" export "$work/Example.mdb" --format "$format" --out "$work/export.$format"
  [ -s "$work/export.$format" ] || { echo "export $format"; exit 1; }
done
grep -q '"Disease: Stroke, ICD codes: I60-I69 "' "$work/export.csv"
# The analyses on the saved Stroke result: a fixed seed repeats exactly, on any number of threads.
"$cli" uncertainty "$work/Example.mdb" --disease Stroke --sex females --iterations 20 --seed 7 \
  --threads 1 > "$work/u1.csv" 2> /dev/null
"$cli" uncertainty "$work/Example.mdb" --disease Stroke --sex females --iterations 20 --seed 7 \
  --threads 3 --save summary > "$work/u3.csv" 2> /dev/null
cmp "$work/u1.csv" "$work/u3.csv"
grep -q '^Prevalence,90%,Upper,70,' "$work/u1.csv"
"$cli" sensitivity "$work/Example.mdb" --disease Stroke --sex females --steps 1 --save \
  > "$work/s.csv" 2> /dev/null
[ "$(grep -c '^Incidence,+5%,' "$work/s.csv")" -eq $((7 * 101)) ]
# The stored analyses follow Stroke's own tables in the export.
"$cli" export "$work/Example.mdb" --format csv --diseases Stroke --numbers rates \
  --include sensitivity,uncertainty --out "$work/analyses.csv"
grep -q '^"Uncertainty results, Stroke Prevalence"' "$work/analyses.csv"
[ "$(grep -c '^"Disease: Stroke' "$work/analyses.csv")" -eq $((1 + 9 + 7)) ] ||
  { echo "analyses in the export:"; grep -A1 "^\"Disease: Stroke" "$work/analyses.csv"; exit 1; }
if "$cli" export "$work/Example.mdb" --format prevent --include sensitivity \
  --out "$work/x.mdb" 2> /dev/null; then echo "--include with prevent"; exit 1; fi
[ "$("$cli" random --generator 2 --seed 0 --count 5 | wc -l)" -eq 5 ]
# The stored results as tidy data: long (a value per line) and wide (a line per age) agree.
"$cli" results "$work/Example.mdb" --diseases Stroke > "$work/long.csv"
"$cli" results "$work/Example.mdb" --diseases Stroke --format wide > "$work/wide.csv"
[ "$(wc -l < "$work/long.csv")" -eq $((1 + 101 * 8)) ] || { echo "results long lines"; exit 1; }
[ "$(wc -l < "$work/wide.csv")" -eq $((1 + 101)) ] || { echo "results wide lines"; exit 1; }
long70=$(grep '^Example,[^,]*,Stroke,Females,70,Prevalence,' "$work/long.csv" | cut -d, -f7)
wide70=$(grep '^Example,[^,]*,Stroke,Females,70,' "$work/wide.csv" | cut -d, -f7)
[ -n "$long70" ] && [ "$long70" = "$wide70" ] || { echo "results long $long70 wide $wide70"; exit 1; }
# Inputs from a file: imported, fitted over all ages, stored, and out again as tidy data; a file
# with a refused line stores nothing and names the line.
printf '%s\n' "Age from,Age to,Mortality males,Mortality females,Population males,Population females" \
  "0,0,0.005,0.004,1000,950" "1,49,0.001,0.0008,49000,48000" "50,84,0.02,0.015,30000,32000" \
  "85,,0.15,0.12,2000,3500" > "$work/population.csv"
grep -q '^Import,.*,100,4$' <<< \
  "$("$cli" new-dataset "$work/Import.mdb" --name Import --population "$work/population.csv")"
printf '%s\n' "Age from,Age to,Mortality males,Mortality females,Population males,Population females" \
  "0,49,0,0.004,1000,950" "60,,0.1,0.1,5,5" > "$work/badpop.csv"
set +e
"$cli" new-dataset "$work/Bad.mdb" --name Bad --population "$work/badpop.csv" 2> "$work/err"
[ $? -eq 2 ] && grep -q '^Line 3: the group should start at age 50' "$work/err" &&
  [ ! -e "$work/Bad.mdb" ] || { echo "a refused population made a data set"; exit 1; }
set -e
printf '%s\n' "Disease,ICD,Sex,Variable,Age from,Age to,Value" \
  "Gout,M10,Males,Prevalence,0,49,0.001" "Gout,M10,Males,Prevalence,50,,0.02" \
  "Gout,M10,Males,Mortality,0,49,0.00001" "Gout,M10,Males,Mortality,50,,0.0001" \
  "Gout,M10,Males,Remission,0,,0" > "$work/inputs.csv"
grep -q '^Gout,added$' <<< "$("$cli" import "$work/Import.mdb" "$work/inputs.csv")"
"$cli" calculate "$work/Import.mdb" --disease Gout --option FitMethod=1 --report 2> /dev/null |
  grep -q '^Prevalence,50+,0.02,'
"$cli" calculate "$work/Import.mdb" --disease Gout --option FitMethod=1 --save > /dev/null 2>&1
# With counts: a zero count is kept, the report shows the counts, the fit runs to the end.
printf '%s\n' "Disease,ICD,Sex,Variable,Age from,Age to,Value,Count,Denominator" \
  "Gout2,M10,Males,Prevalence,0,49,0.001,49,49000" "Gout2,M10,Males,Prevalence,50,,0.02,640,32000" \
  "Gout2,M10,Males,Mortality,0,49,0,0,49000" "Gout2,M10,Males,Mortality,50,,0.0001,3,30000" \
  "Gout2,M10,Males,Remission,0,,0,," > "$work/counts.csv"
grep -q '^Gout2,added$' <<< "$("$cli" import "$work/Import.mdb" "$work/counts.csv")"
"$cli" calculate "$work/Import.mdb" --disease Gout2 --option FitMethod=1 --report \
  > "$work/counts-report.csv" 2> "$work/counts-log"
grep -q '^Mortality,0-49,0,[^,]*,,[^,]*,[^,]*,0,49000,,$' "$work/counts-report.csv" &&
  grep -q '^Prevalence,50+,0.02,.*,640,32000,,$' "$work/counts-report.csv" ||
  { echo "counts: the report"; cat "$work/counts-report.csv" "$work/counts-log"; exit 1; }
# Intervals: only with every input's precision; then beside each output, stored with the result
# and listed by results (empty limits for a result without them).
"$cli" calculate "$work/Import.mdb" --disease Gout2 --option FitMethod=1 --intervals \
  > "$work/no-intervals.csv" 2> "$work/no-intervals-log"
grep -q '^No intervals: the Remission input carries no precision' "$work/no-intervals-log" &&
  head -1 "$work/no-intervals.csv" | grep -q ',RR mortality lower,RR mortality upper$' &&
  grep -q '^60,[^,]*,[^,]*,[^,]*,[^,]*,[^,]*,[^,]*,[^,]*,,,,,,,,,,,,,,$' "$work/no-intervals.csv" ||
  { echo "intervals: none without precision"; cat "$work/no-intervals-log"; exit 1; }
sed 's/^Gout2,M10,Males,Remission,0,,0,,$/Gout2,M10,Males,Remission,0,,0,0,80000/' \
  "$work/counts.csv" > "$work/counts-all.csv"
grep -q '^Gout2,replaced$' <<< "$("$cli" import "$work/Import.mdb" "$work/counts-all.csv")"
"$cli" calculate "$work/Import.mdb" --disease Gout2 --option FitMethod=1 --intervals --save \
  > "$work/intervals.csv" 2> /dev/null
awk -F, 'NR > 1 && !($11 <= $3 && $3 <= $12 && (NR < 10 || $11 < $12)) { bad = 1 } END { exit bad }' \
  "$work/intervals.csv" || { echo "intervals: prevalence outside its limits"; exit 1; }
"$cli" results "$work/Import.mdb" --diseases Gout2 > "$work/intervals-long.csv"
head -1 "$work/intervals-long.csv" | grep -qx 'Dataset,File,Disease,Sex,Age,Variable,Value,Lower,Upper' &&
  grep -q '^Import,[^,]*,Gout2,Males,60,Prevalence,[^,]*,[0-9][^,]*,[0-9][^,]*$' \
    "$work/intervals-long.csv" &&
  grep -q '^Import,[^,]*,Gout2,Males,60,Incidence (population rate),[^,]*,,$' \
    "$work/intervals-long.csv" ||
  { echo "intervals: results"; head -3 "$work/intervals-long.csv"; exit 1; }
# Uncertainty from the fit: the same figures on one core as on two; refused, saying why, for a
# disease whose inputs carry no precision.
"$cli" uncertainty "$work/Import.mdb" --disease Gout2 --iterations 40 --from-fit --seed 7 \
  --threads 1 > "$work/fromfit1.csv" 2> /dev/null
"$cli" uncertainty "$work/Import.mdb" --disease Gout2 --iterations 40 --from-fit --seed 7 \
  --threads 2 > "$work/fromfit2.csv" 2> /dev/null
grep -q '^Prevalence,90%,Upper,60,' "$work/fromfit1.csv" && cmp -s "$work/fromfit1.csv" "$work/fromfit2.csv" ||
  { echo "uncertainty from the fit: one core and two differ"; exit 1; }
set +e
"$cli" uncertainty "$work/Import.mdb" --disease Gout --iterations 40 --from-fit --seed 7 \
  > /dev/null 2> "$work/fromfit-err"
code=$?
set -e
[ "$code" -ne 0 ] && grep -q 'No intervals: the .* input carries no precision' "$work/fromfit-err" ||
  { echo "uncertainty from the fit without precision: exit $code"; cat "$work/fromfit-err"; exit 1; }
[ "$("$cli" results "$work/Import.mdb" --diseases Gout | grep -c '^Import,[^,]*,Gout,Males,')" -eq \
  $((101 * 8)) ] || { echo "imported disease's results"; exit 1; }
printf '%s\n' "Disease,ICD,Sex,Variable,Age from,Age to,Value" "Flu,J10,Males,Prevalence,0,,1.5" \
  > "$work/bad.csv"
set +e
"$cli" import "$work/Import.mdb" "$work/bad.csv" > /dev/null 2> "$work/err"
[ $? -eq 2 ] && grep -q '^Line 2: ' "$work/err" || { echo "a refused import"; exit 1; }
set -e
if "$cli" list "$work/Import.mdb" | grep -q ',Flu,'; then echo "a refused file was stored"; exit 1; fi
# A batch over two data sets, one with a disease whose input no model can take: that disease
# fails (exit 1) and is said on standard error, every other disease and sex is saved, and the
# summary names each. The same batch on one thread stores the same figures as on two.
cp "$example" "$work/BatchA.mdb"
cp "$example" "$work/BatchB.mdb"
sqlite3 "$work/BatchB.mdb" \
  "update InputPrevalence set Waarde=-1 where InputId=4 and Sex='Males' and Lage=40"
set +e
"$cli" batch "$work/BatchA.mdb" "$work/BatchB.mdb" --save --threads 2 \
  --summary "$work/summary.csv" 2> "$work/err"
code=$?
set -e
[ "$code" -eq 1 ] || { echo "batch with a failing disease: exit $code"; exit 1; }
[ "$(grep -c ",saved," "$work/summary.csv")" -eq 19 ] || { echo "batch: saved rows"; exit 1; }
grep -q 'BatchB.mdb,Diabetes mellitus,Males,failed,' "$work/summary.csv" &&
  grep -q '^Failed: .*BatchB.mdb, Diabetes mellitus, Males: ' "$work/err" ||
  { echo "batch: the failure"; exit 1; }
cp "$example" "$work/Threads1.mdb"
"$cli" batch "$work/Threads1.mdb" --save --threads 1 > /dev/null 2>&1
"$cli" results "$work/Threads1.mdb" | cut -d, -f3- > "$work/one.csv"
"$cli" results "$work/BatchA.mdb" | cut -d, -f3- > "$work/two.csv"
[ "$(wc -l < "$work/one.csv")" -eq $((1 + 10 * 101 * 8)) ] && cmp -s "$work/one.csv" "$work/two.csv" ||
  { echo "batch: one thread and two differ"; exit 1; }
# The batch stores what calculate --save stores, disease by disease: each from what is stored for
# it (Stroke from its adjusted inputs, with the trends its stored options apply).
cp "$example" "$work/One.mdb"
tail -n +2 "$work/list.csv" | cut -d, -f2 | while IFS= read -r disease; do
  trends=""
  [ "$disease" = Stroke ] && trends="--adjusted --trends"
  for sex in males females; do
    "$cli" calculate "$work/One.mdb" --disease "$disease" --sex "$sex" $trends --save > /dev/null 2>&1
  done
done
"$cli" results "$work/One.mdb" | cut -d, -f3- > "$work/one-by-one.csv"
cmp -s "$work/one.csv" "$work/one-by-one.csv" || { echo "batch and calculate differ"; exit 1; }
# Fitted over all ages at once, every disease and sex of the example reproduces every input group
# within 2 % (each row of each fit report).
"$cli" batch "$work/Threads1.mdb" --option FitMethod=1 > "$work/allages.csv" 2> /dev/null
awk -F, 'NR > 1 && $5 != "calculated" { bad = 1 } END { exit bad }' "$work/allages.csv" ||
  { echo "all ages at once: a calculation failed"; cat "$work/allages.csv"; exit 1; }
tail -n +2 "$work/list.csv" | cut -d, -f2 | while IFS= read -r disease; do
  for sex in males females; do
    "$cli" calculate "$work/Threads1.mdb" --disease "$disease" --sex "$sex" \
      --option FitMethod=1 --report 2> /dev/null > "$work/report.csv"
    awk -F, 'NR > 1 && $5 != "" { d = $5 < 0 ? -$5 : $5; if (d > 0.02) bad = 1 } END { exit bad }' \
      "$work/report.csv" || {
      echo "all ages at once: $disease, $sex misses an input group by more than 2 %"
      cat "$work/report.csv"
      exit 1
    }
  done
done
set +e
"$cli" batch "$work/BatchA.mdb" --option FitMethod > /dev/null 2>&1
[ $? -eq 2 ] || { echo "batch: a bad --option was not refused"; exit 1; }
set -e
# The saved Stroke result as pictures for a report (drawn by kavrel-picture, built with the
# windows).
if [ -x "$(dirname "$cli")/kavrel-picture" ]; then
  for kind in png svg pdf; do
    "$cli" graph "$work/Example.mdb" --disease Stroke --sex females --variables prevalence,incidence \
      --dpi 96 --out "$work/stroke.$kind" 2> /dev/null
  done
  [ "$(head -c 4 "$work/stroke.png" | tail -c 3)" = "PNG" ] || { echo "graph png"; exit 1; }
  grep -q '<svg' "$work/stroke.svg" && grep -q 'Prevalence (o)' "$work/stroke.svg" &&
    ! grep -q 'Mortality (o)' "$work/stroke.svg" || { echo "graph svg"; exit 1; }
  [ "$(head -c 4 "$work/stroke.pdf")" = "%PDF" ] || { echo "graph pdf"; exit 1; }
fi
set +e
"$cli" graph "$work/Example.mdb" --disease Stroke --out "$work/stroke.gif" 2> /dev/null
[ $? -eq 2 ] || { echo "a .gif picture was not refused"; exit 1; }
"$cli" graph "$work/Example.mdb" --disease Stroke --variables weight --out "$work/s.png" 2> /dev/null
[ $? -eq 2 ] || { echo "an unknown variable was not refused"; exit 1; }
set -e
# A copy into a second data set, under a new name.
cp "$example" "$work/Copy.mdb"
grep -q ',6,copied$' <<< \
  "$("$cli" copy "$work/Example.mdb" --disease Stroke --to "$work/Copy.mdb" --name "Stroke copy")"
grep -q '^6,Stroke copy,' <<< "$("$cli" list "$work/Copy.mdb")"
# Bad usage exits 2.
set +e
"$cli" calculate "$work/Example.mdb" --disease Stroke --option NoSuchColumn=1 > /dev/null 2>&1
[ $? -eq 2 ] || { echo "unknown option column not refused"; exit 1; }
echo "all diseases calculated"
