#!/usr/bin/env bash
# zarnik-cli.exe under Wine against the simulated station, side by side with the Linux
# zarnik-cli on the same station: the same files, the same bytes on stdout and stderr and the
# same exit codes, also when the station stops answering in the middle of a write.
#   tests/windows/cli_under_wine.sh LINUX_BUILD WINDOWS_BUILD
# LINUX_BUILD holds zarnik-sim and zarnik-cli; WINDOWS_BUILD holds zarnik-cli.exe,
# zarnik_tests.exe and wine-run.sh (Wine with the build's own prefix). Wine's COM5 is linked to
# the simulator's pseudo-terminal. Ends with "N passed, N failed"; exit 1 when any failed.
set -uo pipefail
LIN=$(cd "$1" && pwd)
WIN=$(cd "$2" && pwd)
SIM=$LIN/zarnik-sim
CLI=$LIN/zarnik-cli
EXE=$WIN/zarnik-cli.exe
WINE=$WIN/wine-run.sh
COM=$(sed -n 's/^export WINEPREFIX="\(.*\)"$/\1/p' "$WINE")/dosdevices/com5
for f in "$SIM" "$CLI" "$EXE" "$WINE"; do
  [ -x "$f" ] || { echo "cli_under_wine: $f is missing"; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/zarnik-wine-XXXXXX")
sim_pid=""
passed=0
failed=0

stop_sim() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null
    sim_pid=""
  fi
}
cleanup() {
  stop_sim
  rm -f "$COM"
  rm -rf "$work"
}
trap cleanup EXIT

# A fresh simulated Dogwood station on $work/COM5, with the extra simulator options given.
start_sim() {
  stop_sim
  rm -f "$work/COM5"
  "$SIM" --link "$work/COM5" --model Dogwood --stopped-clock "$@" >"$work/sim.log" 2>&1 &
  sim_pid=$!
  for _ in $(seq 200); do
    [ -e "$work/COM5" ] && return 0
    sleep 0.05
  done
  echo "cli_under_wine: zarnik-sim did not start"
  cat "$work/sim.log"
  exit 1
}

# run SIDE NAME ARGS...: one zarnik-cli run in the side's own folder; keeps NAME.out, NAME.err,
# NAME.rc and NAME.ms (wall time) there.
run() {
  local side=$1 name=$2
  shift 2
  local dir=$work/$side rc=0 start end
  mkdir -p "$dir"
  start=$(date +%s%N)
  if [ "$side" = linux ]; then
    # COM5 on both sides, so that messages naming the port are the same.
    (cd "$dir" && ZARNIK_SERIAL_DIR=$work "$CLI" --port COM5 "$@") >"$dir/$name.out" \
      2>"$dir/$name.err" </dev/null || rc=$?
  else
    (cd "$dir" && "$WINE" "$EXE" --port COM5 "$@") >"$dir/$name.out" 2>"$dir/$name.err" \
      </dev/null || rc=$?
  fi
  end=$(date +%s%N)
  echo "$rc" >"$dir/$name.rc"
  echo $(((end - start) / 1000000)) >"$dir/$name.ms"
}

# both NAME ARGS...: the same command on both sides, one after the other, on the same station.
both() {
  run linux "$@"
  run windows "$@"
}

# same FILE [FILTER]: the file of both sides is byte for byte the same (after FILTER, a sed
# script for texts that name the moment they were made).
same() {
  local file=$1 filter=${2:-}
  local a=$work/linux/$file b=$work/windows/$file
  if [ -n "$filter" ]; then
    sed -e "$filter" "$a" >"$a.cmp"
    sed -e "$filter" "$b" >"$b.cmp"
    a=$a.cmp
    b=$b.cmp
  fi
  if [ -f "$a" ] && [ -f "$b" ] && cmp -s "$a" "$b"; then
    echo "same       $file ($(wc -c <"$a") bytes)"
    passed=$((passed + 1))
  else
    echo "DIFFERENT  $file"
    diff <(od -c "$a" 2>&1 | head -40) <(od -c "$b" 2>&1 | head -40) | head -20
    failed=$((failed + 1))
  fi
}

# expect FILE TEXT: the file of both sides holds TEXT (the run did what it should, not just
# the same thing twice).
expect() {
  local side
  for side in linux windows; do
    if grep -qF -- "$2" "$work/$side/$1"; then
      passed=$((passed + 1))
    else
      echo "MISSING    '$2' in $side/$1:"
      head -5 "$work/$side/$1"
      failed=$((failed + 1))
    fi
  done
}

same_run() {
  same "$1.out" "${2:-}"
  same "$1.err" "${2:-}"
  same "$1.rc"
}

# The sheets of a workbook, without the file's own creation time.
sheets() { unzip -p "$1" 'xl/worksheets/*.xml' xl/sharedStrings.xml xl/workbook.xml 2>/dev/null; }

echo "== the serial port itself: deadlines, exclusive use, link check"
start_sim --serial 6105
ln -sfn "$work/COM5" "$COM"
if ZARNIK_TEST_COM=COM5 "$WINE" "$WIN/zarnik_tests.exe" --gtest_filter='WindowsCommPortLive.*' \
  >"$work/port-tests.log" 2>&1; then
  echo "passed     WindowsCommPortLive.* on COM5"
  passed=$((passed + 1))
else
  echo "FAILED     WindowsCommPortLive.* on COM5:"
  cat "$work/port-tests.log"
  failed=$((failed + 1))
fi

echo "== read, info, station comparison, clock: one station, both programs"
start_sim --serial 6105
both read read -o station.ats --no-backup
same_run read
same station.ats
expect read.rc 0
both info info
same_run info
expect info.out "Dogwood"
both diff-station diff --station station.ats
same_run diff-station
both clock clock --set-now
same_run clock 's/[0-9][0-9]:[0-9][0-9]:[0-9][0-9]/HH:MM:SS/g; s/[0-9][0-9]\.[0-9][0-9]\.[0-9]\{2,4\}/DD.MM.YY/g'
expect clock.rc 0
stop_sim

echo "== files without a station: clear, diff, dump, report"
cp "$work/linux/station.ats" "$work/windows/station.ats"  # the same input on both sides
both clear clear station.ats --tables all -o cleared.ats
same_run clear
same cleared.ats
both diff diff station.ats cleared.ats
same_run diff
both dump dump station.ats --json
same_run dump
both report report station.ats -o report.xlsx
same_run report
expect report.rc 0
sheets "$work/linux/report.xlsx" >"$work/linux/report.sheets"
sheets "$work/windows/report.xlsx" >"$work/windows/report.sheets"
same report.sheets

echo "== write: each program on a fresh station, compared by what the station holds after"
for side in linux windows; do
  start_sim --serial 6105 --save-on-exit "$work/$side/after-write.ats"
  run "$side" write write cleared.ats --no-backup --yes
  stop_sim
done
same_run write
# The tables the station holds after the write; the identification before them carries the
# clock of each simulator, which stood still at a different moment.
for side in linux windows; do
  tail -c +201 "$work/$side/after-write.ats" >"$work/$side/after-write.tables"
done
same after-write.tables
expect write.rc 0

echo "== a write whose station stops answering half way"
for side in linux windows; do
  start_sim --serial 6105 --silent-after 60
  run "$side" write-silent write cleared.ats --no-backup --yes
  stop_sim
done
same_run write-silent
if [ "$(cat "$work/linux/write-silent.rc")" != 0 ]; then
  passed=$((passed + 1))
else
  echo "FAILED     the write to a silent station reported success"
  failed=$((failed + 1))
fi

echo "== times (ms, wall clock, Wine's start included)"
for name in read write info; do
  printf '%-8s linux %6s   wine %6s\n' "$name" "$(cat "$work/linux/$name.ms")" \
    "$(cat "$work/windows/$name.ms")"
done

echo "cli_under_wine: $passed passed, $failed failed"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
