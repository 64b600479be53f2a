#!/usr/bin/env bash
# What a careless or unlucky user does to kavrel-cli, and what must hold afterwards:
#  - errors are never passed off as success: the command exits non-zero and stores nothing;
#  - a save killed at any point leaves the old data or the new, never a mix and never nothing;
#  - two programs saving at once both succeed and leave one result row per disease and sex.
# KAVREL_FAULT_ROUNDS sets the number of kills per kind of save and of concurrent rounds (20).
set -uo pipefail
cli=$1
example=$2
rounds=${KAVREL_FAULT_ROUNDS:-20}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
passed=0

fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}
ok() { passed=$((passed + 1)); }
query() { sqlite3 "$1" "$2"; }
fresh() { cp "$example" "$work/$1"; echo "$work/$1"; }

# --- Errors passed off as success ---------------------------------------------------------------
# expect_failure NAME SQL-TO-BREAK-THE-FILE -- CLI ARGUMENTS (the file is appended first)
expect_failure() {
  local name=$1 sql=$2
  shift 3
  local file
  file=$(fresh "$name.mdb")
  [ -n "$sql" ] && query "$file" "$sql"
  local before
  before=$(query "$file" "select count(*) from OutputIncidence; select count(*) from CalculationOptions; select count(*) from IntermIncidence;")
  if "$cli" "$1" "$file" "${@:2}" > "$work/out" 2> "$work/err"; then
    fail "$name: exit 0"
  elif [ "$(query "$file" "select count(*) from OutputIncidence; select count(*) from CalculationOptions; select count(*) from IntermIncidence;")" != "$before" ]; then
    fail "$name: stored something"
  else
    ok
  fi
}
expect_failure text-value "update InputIncidence set Waarde='about 0.0046' where InputId=1 and Lage=40" \
  -- calculate --disease Asthma --save
expect_failure huge-incidence "update InputIncidence set Waarde=1e300 where InputId=1" \
  -- calculate --disease Asthma --save
expect_failure alpha-option "" -- calculate --disease "Ischaemic heart disease" --option Alpha=1e308 --save
expect_failure negative-weight "" -- calculate --disease "Ischaemic heart disease" --option PrevWeight=-100 --save
expect_failure zero-groups "" -- calculate --disease "Ischaemic heart disease" --option Agegroup=0 --save
expect_failure negative-incidence "update InputIncidence set Waarde=-0.01 where InputId=1 and Lage=40" \
  -- calculate --disease Asthma --save
expect_failure prevalence-above-one "update InputPrevalence set Waarde=5 where InputId=2 and Lage=40" \
  -- calculate --disease "Ischaemic heart disease" --save
expect_failure overlapping-groups "update InputIncidence set Lage=3 where InputId=1 and Lage=5" \
  -- calculate --disease Asthma --save
expect_failure short-table "alter table OutputMortality drop column A100" \
  -- calculate --disease Asthma --save
expect_failure wide-table "alter table IntermIncidence add column A101 float; alter table IntermIncidence add column A105 float" \
  -- calculate --disease Asthma --save
expect_failure many-text-values "update InputIncidence set Waarde='n/a' where InputId=1" \
  -- calculate --disease Asthma --save
expect_failure negative-population "update Population set Males=-5 where Lage=40" \
  -- calculate --disease Asthma --save
expect_failure infinite-mortality "update TotalMortality set Males=9e999 where Lage=40" \
  -- calculate --disease Asthma --save
expect_failure missing-value "update InputIncidence set Waarde=NULL where InputId=1 and Lage=40" \
  -- adjust --disease Asthma --variable incidence --method spline --no-high --save
expect_failure coefficient-nan "" -- uncertainty --disease Stroke --iterations 5 --coefficient nan
expect_failure seed-negative "" -- uncertainty --disease Stroke --iterations 5 --seed -5
expect_failure seed-too-large "" -- uncertainty --disease Stroke --iterations 5 --seed 4294967296
expect_failure too-many-iterations "" -- uncertainty --disease Stroke --iterations 100000000

# A Prevent export into a database of another layout fails in one message and leaves it as it was.
file=$(fresh prevent.mdb)
"$cli" calculate "$file" --disease Asthma --save > /dev/null 2>&1
target="$work/other-layout.mdb"
query "$target" "create table Disease (x integer)"
sum=$(md5sum < "$target")
if "$cli" export "$file" --format prevent --out "$target" > /dev/null 2> "$work/err"; then
  fail "prevent export into another layout: exit 0"
elif [ "$(md5sum < "$target")" != "$sum" ] || [ "$(wc -l < "$work/err")" -gt 3 ]; then
  fail "prevent export into another layout: target changed or $(wc -l < "$work/err") messages"
else
  ok
fi

# Many values that cannot be read: one message naming the disease, how many and the first; a
# table with them is not printed.
file=$(fresh unreadable.mdb)
"$cli" calculate "$file" --disease Asthma --save > /dev/null 2>&1
query "$file" "update OutputIncidence set A40='n/a', A41='n/a', A42='?' where InputId=1"
if "$cli" table "$file" --disease Asthma --sex males > "$work/out" 2> "$work/err"; then
  fail "unreadable table: exit 0"
elif [ -s "$work/out" ] || [ "$(grep -c "Reading the data of Asthma: 3 errors; the first: result Incidence of Asthma" "$work/err")" != 1 ] ||
  [ "$(wc -l < "$work/err")" -gt 2 ]; then
  fail "unreadable table: printed, or not one message: $(head -c 300 "$work/err")"
else
  ok
fi

# Commands that only read leave the file byte for byte as it was, also with sex texts in other
# letters; a copy keeps the ICD code exactly.
file=$(fresh read.mdb)
query "$file" "update InputIncidence set Sex='males' where InputId=1 and Sex='Males'"
sum=$(md5sum < "$file")
"$cli" calculate "$file" --disease Asthma > /dev/null 2>&1
"$cli" table "$file" --disease Asthma > /dev/null 2>&1
"$cli" list "$file" > /dev/null 2>&1
[ "$(md5sum < "$file")" = "$sum" ] && ok || fail "reading commands wrote to the file"
target=$(fresh target.mdb)
"$cli" copy "$file" --disease Asthma --to "$target" > /dev/null 2>&1
"$cli" copy "$file" --disease Asthma --to "$target" > /dev/null 2>&1
code="select '[' || ICDcode || ']' from InputDiseases where DiseaseName='Asthma'"
[ "$(query "$target" "$code")" = "$(query "$file" "$code")" ] && ok || fail "copy changed the ICD code"

# --- Killed in the middle of a save ---------------------------------------------------------------
# kill_during NAME CHECK -- CLI ARGUMENTS: runs the command `rounds` times, each killed after a
# random moment within its usual duration, and runs CHECK on the file after each.
kill_during() {
  local name=$1 check=$2
  shift 3
  local file
  file=$(fresh "kill-$name.mdb")
  # The analyses vary a stored result.
  "$cli" calculate "$file" --disease Stroke --adjusted --save > /dev/null 2>&1
  local start end duration
  start=$(date +%s%N)
  cp "$file" "$work/before.mdb"
  "$cli" "$1" "$file" "${@:2}" > /dev/null 2>&1
  end=$(date +%s%N)
  [ -n "${FROM_SCRATCH:-}" ] && cp "$work/before.mdb" "$file"
  duration=$(((end - start) / 1000))  # microseconds
  [ "$duration" -gt 0 ] || duration=1000
  local k bad=0
  cp "$file" "$work/pristine.mdb"
  for ((k = 0; k < rounds; k++)); do
    # FROM_SCRATCH: every round interrupts the first save of the file, whose old state is none.
    [ -n "${FROM_SCRATCH:-}" ] && cp "$work/pristine.mdb" "$file"
    "$cli" "$1" "$file" "${@:2}" > /dev/null 2>&1 &
    local pid=$!
    local delay=$((RANDOM * duration / 32768))
    sleep "$(printf '0.%06d' "$delay")"
    kill -9 "$pid" 2> /dev/null
    wait "$pid" 2> /dev/null
    if [ "$(query "$file" "pragma integrity_check")" != "ok" ]; then
      bad=1
      echo "$name: integrity check failed after kill $k"
      break
    fi
    if ! $check "$file"; then
      bad=1
      echo "$name: inconsistent after kill $k"
      break
    fi
  done
  [ $bad -eq 0 ] && ok || fail "kill during $name"
}

# The result of the heart disease for men: every output table holds one row, with its options
# and its flag, as the first save left them.
result_whole() {
  local f=$1 n
  for t in Incidence Prevalence Remission Casefatality Duration Mortality RRMortality; do
    n=$(query "$f" "select count(*) from Output$t where InputId=2 and Sex='Males'")
    [ "$n" = 1 ] || return 1
  done
  [ "$(query "$f" "select count(*) from CalculationOptions where InputId=2 and Sex='Males'")" = 1 ] || return 1
  [ "$(query "$f" "select MOutput from InputDiseases where InputId=2")" = 1 ]
}
# Before the first save: no result, no flag, and the options as the example stores them (one row
# per sex).
result_none() {
  local f=$1
  for t in Incidence Prevalence Remission Casefatality Duration Mortality RRMortality; do
    [ "$(query "$f" "select count(*) from Output$t where InputId=2")" = 0 ] || return 1
  done
  [ "$(query "$f" "select count(*) from CalculationOptions where InputId=2")" = 2 ] || return 1
  [ "$(query "$f" "select MOutput from InputDiseases where InputId=2")" = 0 ]
}
result_none_or_whole() { result_none "$1" || result_whole "$1"; }
# An analysis set: every table holds the same number of rows, never none once saved.
set_whole() {
  local f=$1 prefix=$2 n first=""
  for t in Incidence Prevalence Remission Casefatality Duration Mortality RRMortality; do
    n=$(query "$f" "select count(*) from $prefix$t where InputId=5 and Sex='Males'")
    [ "${n:-0}" -gt 0 ] 2> /dev/null || return 1
    [ -z "$first" ] && first=$n
    [ "$n" = "$first" ] || return 1
  done
}
summary_whole() { set_whole "$1" UncertSum; }
variants_whole() { set_whole "$1" Sense; }

kill_during calculate result_whole -- calculate --disease "Ischaemic heart disease" --save
FROM_SCRATCH=1 kill_during first-calculate result_none_or_whole -- \
  calculate --disease "Ischaemic heart disease" --save
kill_during uncertainty summary_whole -- uncertainty --disease Stroke --iterations 30 --seed 7 --save summary
kill_during sensitivity variants_whole -- sensitivity --disease Stroke --save

# A copy killed at any point leaves its destination without the disease or with all of it.
source=$(fresh copy-source.mdb)
"$cli" calculate "$source" --disease Asthma --save > /dev/null 2>&1
dest="$work/copy-dest.mdb"
copy_state() {
  query "$1" "select count(*) from InputDiseases where DiseaseName='Asthma';
    select count(*) from InputIncidence i join InputDiseases d on i.InputId=d.InputId where d.DiseaseName='Asthma';
    select count(*) from OutputIncidence o join InputDiseases d on o.InputId=d.InputId where d.DiseaseName='Asthma';
    select count(*) from CalculationOptions o join InputDiseases d on o.InputId=d.InputId where d.DiseaseName='Asthma'"
}
cp "$example" "$dest"
query "$dest" "delete from InputIncidence where InputId=1; delete from InputDiseases where InputId=1"
cp "$dest" "$work/copy-empty.mdb"
none=$(copy_state "$dest")
start=$(date +%s%N)
"$cli" copy "$source" --disease Asthma --to "$dest" > /dev/null 2>&1
duration=$((($(date +%s%N) - start) / 1000))
whole=$(copy_state "$dest")
bad=0
[ "$whole" != "$none" ] || { bad=1; echo "copy: the uninterrupted copy wrote nothing"; }
for ((k = 0; k < rounds; k++)); do
  cp "$work/copy-empty.mdb" "$dest"
  "$cli" copy "$source" --disease Asthma --to "$dest" > /dev/null 2>&1 &
  pid=$!
  sleep "$(printf '0.%06d' $((RANDOM * duration / 32768)))"
  kill -9 "$pid" 2> /dev/null
  wait "$pid" 2> /dev/null
  state=$(copy_state "$dest")
  if [ "$(query "$dest" "pragma integrity_check")" != ok ] || { [ "$state" != "$none" ] && [ "$state" != "$whole" ]; }; then
    bad=1
    echo "copy: destination half-written after kill $k: $(echo $state)"
    break
  fi
done
[ $bad -eq 0 ] && ok || fail "kill during copy"

# A batch killed at any point leaves each data set with whole results only: per disease and sex
# a row in every output table and its flag, or neither.
make_data="$(dirname "$cli")/kavrel-make-data"
"$make_data" --study "$work/study" --datasets 2 --diseases 15 > /dev/null
cp -r "$work/study" "$work/study-pristine"
batch_whole() {
  local f=$1 sex flag t counts
  for sex in Males Females; do
    flag=M
    [ "$sex" = Females ] && flag=F
    counts=$(query "$f" "select d.InputId, ${flag}Output,
      (select count(*) from OutputIncidence o where o.InputId=d.InputId and o.Sex='$sex') +
      (select count(*) from OutputPrevalence o where o.InputId=d.InputId and o.Sex='$sex') +
      (select count(*) from OutputRemission o where o.InputId=d.InputId and o.Sex='$sex') +
      (select count(*) from OutputCasefatality o where o.InputId=d.InputId and o.Sex='$sex') +
      (select count(*) from OutputDuration o where o.InputId=d.InputId and o.Sex='$sex') +
      (select count(*) from OutputMortality o where o.InputId=d.InputId and o.Sex='$sex') +
      (select count(*) from OutputRRMortality o where o.InputId=d.InputId and o.Sex='$sex')
      from InputDiseases d")
    # Every line: id|flag|7 with the flag set, or id|flag|0 with it clear.
    if echo "$counts" | grep -vqE '^[0-9]+\|(1\|7|0\|0)$'; then
      echo "$f $sex: $(echo "$counts" | grep -vE '^[0-9]+\|(1\|7|0\|0)$' | head -3)"
      return 1
    fi
  done
}
start=$(date +%s%N)
"$cli" batch "$work"/study/*.mdb --save --threads 2 > /dev/null 2>&1
duration=$((($(date +%s%N) - start) / 1000))
bad=0
for f in "$work"/study/*.mdb; do
  [ "$(query "$f" "select count(*) from OutputIncidence")" = 30 ] ||
    { bad=1; echo "batch: the uninterrupted batch did not save everything in $f"; }
done
for ((k = 0; k < rounds; k++)); do
  rm -rf "$work/study"
  cp -r "$work/study-pristine" "$work/study"
  "$cli" batch "$work"/study/*.mdb --save --threads 2 > /dev/null 2>&1 &
  pid=$!
  sleep "$(printf '0.%06d' $((RANDOM * duration / 32768)))"
  kill -9 "$pid" 2> /dev/null
  wait "$pid" 2> /dev/null
  for f in "$work"/study/*.mdb; do
    if [ "$(query "$f" "pragma integrity_check")" != ok ] || ! batch_whole "$f"; then
      bad=1
      echo "batch: partial results after kill $k"
      break 2
    fi
  done
done
[ $bad -eq 0 ] && ok || fail "kill during a batch"

# --- Two programs saving at once --------------------------------------------------------------
file=$(fresh concurrent.mdb)
bad=0
for ((k = 0; k < rounds; k++)); do
  "$cli" calculate "$file" --disease "Ischaemic heart disease" --save > /dev/null 2> "$work/a" &
  a=$!
  if ((k % 2 == 0)); then
    "$cli" calculate "$file" --disease "Ischaemic heart disease" --save > /dev/null 2> "$work/b" &
  else
    "$cli" calculate "$file" --disease Stroke --adjusted --save > /dev/null 2> "$work/b" &
  fi
  b=$!
  wait $a || { bad=1; echo "round $k: first save failed: $(cat "$work/a")"; }
  wait $b || { bad=1; echo "round $k: second save failed: $(cat "$work/b")"; }
done
for id in 2 5; do
  n=$(query "$file" "select count(*) from OutputIncidence where InputId=$id and Sex='Males'")
  [ "$n" = 1 ] || { bad=1; echo "disease $id: $n result rows"; }
done
[ $bad -eq 0 ] && ok || fail "two programs saving at once"

# --- Results behind a set flag that are gone: named as missing, never printed as zeros -----------
file=$(fresh missing.mdb)
"$cli" calculate "$file" --disease Asthma --sex males --save > /dev/null 2>&1
query "$file" "delete from OutputPrevalence where InputId=1"
for args in "results $file --diseases Asthma" "table $file --disease Asthma --sex males" \
  "export $file --format csv --out $work/missing.csv"; do
  # shellcheck disable=SC2086
  if "$cli" $args > "$work/out" 2> "$work/err"; then
    fail "missing results passed for success: $args"
  elif ! grep -q "Prevalence of Asthma for Males is missing" "$work/err"; then
    fail "missing results not named: $args: $(head -c 200 "$work/err")"
  else
    ok
  fi
done

# --- Output that could not be written, and targets that are not plain files ----------------------
# A full device: every command that prints exits 1 and says so.
for args in "list $example" "calculate $example --disease Asthma --sex males" \
  "results $example" "demo"; do
  # shellcheck disable=SC2086
  if "$cli" $args > /dev/full 2> "$work/err"; then
    fail "output to a full device passed for success: $args"
  elif ! grep -q "could not be written" "$work/err"; then
    fail "output to a full device not said: $args: $(head -c 200 "$work/err")"
  else
    ok
  fi
done
make_data="$(dirname "$cli")/kavrel-make-data"
if [ -x "$make_data" ]; then
  if "$make_data" --help > /dev/full 2> "$work/err" || ! grep -q "could not be written" "$work/err"; then
    fail "kavrel-make-data output to a full device: $(head -c 200 "$work/err")"
  else
    ok
  fi
fi
file=$(fresh fullsummary.mdb)
if "$cli" batch "$file" --diseases Asthma --summary /dev/full > /dev/null 2>&1; then
  fail "batch --summary to a full device: exit 0"
else
  ok
fi
# A symbolic link stays a link, its file gets the export; a named pipe is written through; a file
# the user made read-only is refused and kept.
file=$(fresh targets.mdb)
"$cli" calculate "$file" --disease Asthma --sex males --save > /dev/null 2>&1
echo old > "$work/real.csv"
ln -s "$work/real.csv" "$work/link.csv"
"$cli" export "$file" --format csv --out "$work/link.csv" > /dev/null 2>&1
if [ -L "$work/link.csv" ] && grep -q Asthma "$work/real.csv"; then ok; else fail "export onto a link replaced it"; fi
mkfifo "$work/pipe.csv"
cat "$work/pipe.csv" > "$work/from-pipe.csv" &
reader=$!
"$cli" batch "$file" --diseases Asthma --summary "$work/pipe.csv" > /dev/null 2>&1
wait $reader
if [ -p "$work/pipe.csv" ] && grep -q '^Dataset,' "$work/from-pipe.csv"; then ok; else fail "summary onto a pipe"; fi
echo mine > "$work/locked.csv"
chmod 444 "$work/locked.csv"
if "$cli" export "$file" --format csv --out "$work/locked.csv" > /dev/null 2> "$work/err"; then
  fail "export replaced a read-only file"
elif [ "$(cat "$work/locked.csv")" != mine ] || ! grep -q "read-only" "$work/err"; then
  fail "read-only file: changed or not said: $(head -c 200 "$work/err")"
else
  ok
fi

# A disease name stored in Latin-1 bytes: the workbook's XML stays well-formed, the name readable.
file=$(fresh latin1.mdb)
"$cli" calculate "$file" --disease Asthma --sex males --save > /dev/null 2>&1
query "$file" "update InputDiseases set DiseaseName=CAST(X'4173746869E9' AS TEXT) where InputId=1"
if "$cli" export "$file" --format xlsx --out "$work/latin1.xlsx" > /dev/null 2> "$work/err" &&
  python3 - "$work/latin1.xlsx" <<'PY'
import sys, zipfile, xml.dom.minidom
book = zipfile.ZipFile(sys.argv[1])
for name in book.namelist():
    if name.endswith(".xml"):
        xml.dom.minidom.parseString(book.read(name))
assert "Asthi\u00e9" in book.read("xl/workbook.xml").decode("utf-8")
PY
then ok; else fail "a Latin-1 disease name made a malformed workbook: $(head -c 200 "$work/err")"; fi

# Another program changes a disease's inputs while a calculation of it runs (it holds the write
# lock, then commits): the result made from the old inputs is refused (exit 1), nothing stored.
file=$(fresh changed.mdb)
{
  echo "begin immediate;"
  echo "update InputIncidence set Waarde=Waarde*2 where InputId=1 and Sex='Males';"
  echo ".shell sleep 2"
  echo "commit;"
} | sqlite3 "$file" &
holder=$!
sleep 0.5
"$cli" calculate "$file" --disease Asthma --sex males --save > /dev/null 2> "$work/err"
code=$?
wait $holder
if [ "$code" -ne 1 ] || ! grep -q "were changed in the data set after they were read" "$work/err"; then
  fail "a result over inputs changed meanwhile: exit $code, $(head -c 300 "$work/err")"
elif [ "$(query "$file" "select count(*) from OutputIncidence where InputId=1")" != 0 ]; then
  fail "a result over inputs changed meanwhile was stored"
else
  ok
fi

# Two kavrel-cli programs on one data set. The first has read Asthma and calculated it and is held
# while it writes its report into a pipe nobody reads yet; the second is told the first has the
# data set open, and imports new inputs for Asthma. The first's save is then refused (exit 1):
# its result was made from the old inputs.
file=$(fresh two-programs.mdb)
printf '%s\n' 'Disease,ICD,Sex,Variable,Age from,Age to,Value' 'Asthma,J45,Males,Incidence,0,,0.002' \
  'Asthma,J45,Males,Remission,0,,0.1' 'Asthma,J45,Males,Case fatality,0,,0.01' \
  > "$work/asthma.csv"
mkfifo "$work/report.fifo"
exec 3<> "$work/report.fifo"
head -c 65536 /dev/zero >&3 # a full pipe: the first program's report waits for a reader
"$cli" calculate "$file" --disease Asthma --sex males --save --report "$work/report.fifo" \
  > /dev/null 2> "$work/first" &
first=$!
for _ in $(seq 1 400); do
  grep -q report.fifo <<< "$(ls -l /proc/$first/fd 2> /dev/null)" && break
  sleep 0.05
done
"$cli" import "$file" "$work/asthma.csv" > /dev/null 2> "$work/second"
second=$?
while kill -0 $first 2> /dev/null; do timeout 0.5 cat <&3 > /dev/null; done
wait $first
code=$?
exec 3>&-
if ! grep -q "is open for writing in kavrel-cli calculate" "$work/second"; then
  fail "the second program was not told of the first: $(head -c 300 "$work/second")"
elif [ $second -ne 0 ] || [ $code -ne 1 ] ||
  ! grep -q "were changed in the data set after they were read" "$work/first"; then
  fail "two programs: import exit $second, calculate exit $code, $(head -c 300 "$work/first")"
elif [ "$(query "$file" "select count(*) from OutputIncidence where InputId=1")" != 0 ] ||
  [ "$(query "$file" "select Waarde from InputIncidence where InputId=1 and Sex='Males'")" != 0.002 ]; then
  fail "two programs: the old result was stored or the new inputs lost"
else
  ok
fi
# A program killed while it had the data set open leaves its mark; it blocks no one and is
# cleared by the next program.
"$cli" calculate "$file" --disease Asthma --sex males --save --report "$work/report.fifo" \
  > /dev/null 2>&1 &
killed=$!
for _ in $(seq 1 400); do
  compgen -G "$file.in-use-*" > /dev/null && break
  sleep 0.05
done
kill -9 $killed
wait $killed 2> /dev/null
compgen -G "$file.in-use-*" > /dev/null || fail "no mark while a program had the data set open"
"$cli" calculate "$file" --disease Asthma --sex males --save > /dev/null 2> "$work/after" ||
  fail "a save after a killed program: $(head -c 300 "$work/after")"
if grep -q "is open for writing" "$work/after" || compgen -G "$file.in-use-*" > /dev/null; then
  fail "the mark of a killed program was taken for a running one"
else
  ok
fi

# A data set its collection marks read-only: commands that write refuse it (exit 1) and leave the
# file as it was; commands that read still read it.
file=$(fresh marked.mdb)
cp "$(dirname "$(dirname "$example")")/KavrelLocal.mdb" "$work/Marked.mdb"
query "$work/Marked.mdb" "update Datasets set DataBaseName='$file', ReadOnly=1"
before=$(md5sum < "$file")
for command in "calculate --disease Asthma --sex males --save" "import $work/asthma.csv" \
  "adjust --disease Asthma --sex males --variable Incidence --method spline --save" \
  "batch --diseases Asthma --save" "sensitivity --disease Asthma --sex males --save"; do
  # shellcheck disable=SC2086
  "$cli" ${command%% *} "$file" ${command#* } --collection "$work/Marked.mdb" > "$work/err" 2>&1
  code=$?
  if [ $code -ne 1 ] || ! grep -q "is marked read-only in its collection" "$work/err"; then
    fail "read-only data set, ${command%% *}: exit $code, $(head -c 300 "$work/err")"
  fi
done
source=$(fresh source.mdb)
"$cli" copy "$source" --disease Asthma --to "$file" --collection "$work/Marked.mdb" > /dev/null \
  2> "$work/err"
code=$?
if [ $code -ne 1 ] || ! grep -q "is marked read-only in its collection" "$work/err"; then
  fail "copy into a read-only data set: exit $code, $(head -c 300 "$work/err")"
fi
"$cli" results "$file" --collection "$work/Marked.mdb" > /dev/null 2> "$work/err" ||
  fail "a read-only data set could not be read: $(head -c 300 "$work/err")"
[ "$(md5sum < "$file")" = "$before" ] && ok || fail "a data set marked read-only was written"

echo "faults: $passed passed, $failures failed"
[ $failures -eq 0 ]
