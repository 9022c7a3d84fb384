#!/bin/sh
# How fast `corvantelle-cli datasets download --fast` empties a full reader: corvantelle-sim holds
# the datasets and carries the bytes at the speed of a serial line at the given baud, so the time
# is what a technician would wait and the share of the line rate shows what the tool loses
# between an answer and its next request.
#
# Usage: [RUNS=3] [SIM_ARGS=...] bench/cli-download-speed.sh [BUILD_DIR] [COUNT@BAUD ...]
#        default: build 4095@115200 1000@9600, each RUNS times: other programs on the machine
#        delay the wake-ups of both processes, so the best run is the one to compare.
#        SIM_ARGS go to the simulator, e.g. "--latency-timer 16" for a USB adapter's timer.
set -eu
runs=${RUNS:-3}

build=${1:-build}
[ $# -gt 0 ] && shift
[ $# -eq 0 ] && set -- 4095@115200 1000@9600
sim=$build/src/corvantelle-sim
cli=$build/src/corvantelle-cli
for program in "$sim" "$cli"; do
    [ -x "$program" ] || { echo "$program not built" >&2; exit 2; }
done

measure() {
    count=$1
    baud=$2
    work=$(mktemp -d)
    # shellcheck disable=SC2086
    "$sim" --datasets "$count" --baud "$baud" ${SIM_ARGS:-} --verbose >"$work/sim" 2>"$work/sim-log" &
    simulator=$!
    tries=0
    while [ ! -s "$work/sim" ] && [ $tries -lt 50 ]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    device=$(head -n 1 "$work/sim")
    start=$(date +%s.%N)
    if ! "$cli" --port "$device" --baud "$baud" datasets download --fast --csv -o "$work/datasets.csv" 2>"$work/err"; then
        cat "$work/err" >&2
        kill "$simulator"
        rm -rf "$work"
        exit 1
    fi
    end=$(date +%s.%N)
    kill "$simulator"
    wait "$simulator" 2>/dev/null || true
    rows=$(($(wc -l <"$work/datasets.csv") - 1))
    load=$(cut -d ' ' -f 1 /proc/loadavg)
    # What the simulator's line carried both ways, escapes and the first requests included.
    bytes=$(sed -n 's/^corvantelle-sim: \([0-9]*\) bytes received, \([0-9]*\) bytes sent$/\1 \2/p' "$work/sim-log")
    awk -v s="$start" -v e="$end" -v n="$count" -v b="$baud" -v r="$rows" -v l="$load" -v bytes="$bytes" 'BEGIN {
        t = e - s
        split(bytes, io, " ")
        line = io[1] + io[2]
        printf "%4d datasets at %6d baud: %6.2f s, %6.1f datasets/s, %.1f bytes a round trip, %3.0f %% of line rate (%3.0f %% by 38 bytes a round trip), %d rows, load %s\n",
            n, b, t, n / t, line / n, 100 * line * 10 / b / t, 100 * n * 380 / b / t, r, l
    }'
    rm -rf "$work"
}

for run in "$@"; do
    i=0
    while [ $i -lt "$runs" ]; do
        measure "${run%@*}" "${run#*@}"
        i=$((i + 1))
    done
done
