#!/usr/bin/env bash
# Runs zarnik-cli against zarnik-sim on a line that loses bytes, seed after seed, and checks
# each run against the simulator's own state: a run either succeeds with exactly the right
# result, or fails with a message and a non-zero exit code. A success with a wrong result is the
# one outcome that must never happen; the script exits 1 when it saw one.
#
#   scripts/fault-sweep.sh                 the full sweep (slow: tens of minutes)
#   scripts/fault-sweep.sh --quick         a few seeds of each case (for CI)
#
# Environment: BUILD (default build) holds zarnik-cli and zarnik-sim; JOBS (default 4) runs
# that many seeds at once (they mostly wait on the line, not on the processor).
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=${BUILD:-build}
JOBS=${JOBS:-4}

MODEL=Dogwood
CLOCK_SET="2031-05-17 10:20:30"

CLOCK_SEEDS=$(seq 1 30)
READ_SEEDS=$(seq 1 20)
WRITE_SEEDS=$(seq 1 20)
if [[ "${1:-}" == "--quick" ]]; then
    CLOCK_SEEDS="7 12"
    READ_SEEDS="3"
    WRITE_SEEDS="4"
fi

WORK=$(mktemp -d "${TMPDIR:-/tmp}/zarnik-sweep-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
# Copies, so that a build running meanwhile cannot pull the programs away mid-sweep.
cp "$BUILD/zarnik-cli" "$BUILD/zarnik-sim" "$WORK/"
CLI="$WORK/zarnik-cli"
SIM="$WORK/zarnik-sim"

# Starts the simulator with the given options on $1/COM3 and waits for it to be ready; the pid
# is written to $1/sim.pid.
start_sim() {
    local dir=$1
    shift
    "$SIM" --link "$dir/COM3" "$@" >"$dir/sim.out" 2>&1 &
    echo $! >"$dir/sim.pid"
    for _ in $(seq 1 100); do
        grep -q "^zarnik-sim: ready" "$dir/sim.out" 2>/dev/null && return 0
        sleep 0.05
    done
    echo "zarnik-sim did not start: $(cat "$dir/sim.out")" >&2
    return 1
}

stop_sim() {
    local pid
    pid=$(cat "$1/sim.pid")
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

# Compares two configuration files; the station clock (bytes 1-4) is left out.
same_configuration() {
    python3 - "$1" "$2" <<'EOF'
import sys
a, b = (open(p, "rb").read() for p in sys.argv[1:3])
sys.exit(0 if a[:1] + a[5:] == b[:1] + b[5:] else 1)
EOF
}

# Seconds the station clock held in a saved file is off the time the clock was set to, less
# the seconds that passed between the set and the save.
clock_offset() {
    python3 - "$1" "$2" <<'EOF'
import sys, datetime
b = open(sys.argv[1], "rb").read()
unit = b[14] or 6
held = (b[1] | b[2] << 8) * 86400 + (b[3] | b[4] << 8) * unit
when = datetime.datetime.strptime(sys.argv[2], "%Y-%m-%d %H:%M:%S")
days = 0
for y in range(1980, when.year):
    days += 366 if y % 4 == 0 else 365
lengths = [31, 29 if when.year % 4 == 0 else 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31]
days += sum(lengths[: when.month - 1]) + when.day - 1
print(held - (days * 86400 + when.hour * 3600 + when.minute * 60 + when.second))
EOF
}

# One run: prints "<case> <seed> <outcome> <exit code>", where outcome is right (success with
# the right result), refused (non-zero exit with a message), WRONG, or not-run when the
# simulator itself did not start (not counted).
run_case() {
    local kind=$1 seed=$2
    local dir="$WORK/$kind-$seed"
    mkdir -p "$dir"
    local code=0 outcome
    case "$kind" in
        clock)
            start_sim "$dir" --model "$MODEL" --drop 0.05 --seed "$seed" --save-on-exit "$dir/state.ats" || { echo "$kind $seed not-run -"; return 0; }
            "$CLI" --dir "$dir" --port "$dir/COM3" clock --set "$CLOCK_SET" >"$dir/out" 2>"$dir/err" || code=$?
            stop_sim "$dir"
            if [[ $code -eq 0 ]]; then
                local off
                off=$(clock_offset "$dir/state.ats" "$CLOCK_SET")
                if [[ $off -ge -6 && $off -le 15 ]]; then outcome=right; else outcome=WRONG; fi
            fi
            ;;
        read)
            start_sim "$dir" --model "$MODEL" --drop 0.01 --seed "$seed" || { echo "$kind $seed not-run -"; return 0; }
            "$CLI" --dir "$dir" --port "$dir/COM3" read -o "$dir/read.ats" >"$dir/out" 2>"$dir/err" || code=$?
            stop_sim "$dir"
            if [[ $code -eq 0 ]]; then
                if same_configuration "$WORK/reference.ats" "$dir/read.ats"; then outcome=right; else outcome=WRONG; fi
            elif [[ -e "$dir/read.ats" ]]; then
                outcome=WRONG  # a failed read must leave no file behind
            fi
            ;;
        write)
            start_sim "$dir" --model "$MODEL" --drop 0.01 --seed "$seed" --save-on-exit "$dir/state.ats" || { echo "$kind $seed not-run -"; return 0; }
            "$CLI" --dir "$dir" --port "$dir/COM3" write --no-backup "$WORK/changed.ats" >"$dir/out" 2>"$dir/err" || code=$?
            stop_sim "$dir"
            if [[ $code -eq 0 ]]; then
                if same_configuration "$WORK/changed-clean.ats" "$dir/state.ats"; then outcome=right; else outcome=WRONG; fi
            fi
            ;;
    esac
    if [[ $code -ne 0 ]]; then
        if [[ -s "$dir/err" ]]; then outcome=${outcome:-refused}; else outcome=WRONG; fi
    fi
    echo "$kind $seed $outcome $code"
}
export -f run_case start_sim stop_sim same_configuration clock_offset
export WORK CLI SIM MODEL CLOCK_SET

# The references, over a clean line: what a read must give, and what the station must hold
# after the write of a changed configuration.
mkdir -p "$WORK/ref"
start_sim "$WORK/ref" --model "$MODEL"
"$CLI" --dir "$WORK/ref" --port "$WORK/ref/COM3" read -o "$WORK/reference.ats" >/dev/null 2>&1
stop_sim "$WORK/ref"
"$CLI" --dir "$WORK/ref" clear "$WORK/reference.ats" --tables lines,book,doors,ggs,redirect \
    -o "$WORK/changed.ats" >/dev/null
mkdir -p "$WORK/ref2"
start_sim "$WORK/ref2" --model "$MODEL" --save-on-exit "$WORK/changed-clean.ats"
"$CLI" --dir "$WORK/ref2" --port "$WORK/ref2/COM3" write --no-backup "$WORK/changed.ats" >/dev/null 2>&1
stop_sim "$WORK/ref2"

{
    for s in $CLOCK_SEEDS; do echo "clock $s"; done
    for s in $READ_SEEDS; do echo "read $s"; done
    for s in $WRITE_SEEDS; do echo "write $s"; done
} | xargs -P "$JOBS" -L 1 bash -c 'run_case "$0" "$1"' | sort -k1,1 -k2,2n | tee "$WORK/results"

echo
echo "| case | line | runs | succeeded, right result | failed with a message | succeeded with a wrong result |"
echo "|---|---|---|---|---|---|"
for kind in clock read write; do
    case $kind in
        clock) what="\`clock --set\`"; line="--drop 0.05" ;;
        read) what="\`read -o\`"; line="--drop 0.01" ;;
        write) what="\`write\`"; line="--drop 0.01" ;;
    esac
    right=$(grep -c "^$kind .* right " "$WORK/results" || true)
    refused=$(grep -c "^$kind .* refused " "$WORK/results" || true)
    wrong=$(grep -c "^$kind .* WRONG " "$WORK/results" || true)
    runs=$((right + refused + wrong))
    echo "| $what, $MODEL | $line | $runs | $right | $refused | $wrong |"
done
! grep -q " WRONG " "$WORK/results"
