#!/usr/bin/env bash
# Measures Velmaro against its targets and prints one table of figures.
#   tools/bench.sh
# Builds in Release in its own build directory (build-bench, or VELMARO_BENCH_BUILD_DIR), keeps
# every tool's own output under <build>/bench-logs, and exits 1 when a target is missed.
# shellcheck disable=SC2317 # the measurements are called through the list at the end
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMARO_BENCH_BUILD_DIR:-$root/build-bench}
logs=$build/bench-logs

# shellcheck source=tools/lib/packages.sh
source "$root/tools/lib/packages.sh"
ensure_packages g++ make cmake libgtest-dev libgmock-dev libbenchmark-dev

# The table: one row per figure, with what it is measured against.
rows=()
missed=0
# row WHAT FIGURE TARGET MET(yes|no)
row() {
    rows+=("$1"$'\t'"$2"$'\t'"$3"$'\t'"$4")
    if [ "$4" != yes ]; then
        missed=1
    fi
}
# below A B: yes when the number A is below B.
below() { awk -v a="$1" -v b="$2" 'BEGIN { print (a < b) ? "yes" : "no" }'; }

# Configures the Release build once and builds the named targets in it.
build_targets() {
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELMARO_BUILD_BENCH=ON \
            -DVELMARO_BUILD_TESTS=ON -DVELMARO_BUILD_TABLE=OFF >"$logs/configure.txt"
    fi
    cmake --build "$build" -j "$(nproc)" --target "$@" >>"$logs/build.txt"
}

# Each measurement builds what it needs, runs it, and adds its rows.

# The figures below only mean something if the Release build plays the game bit for bit.
measure_golden_traces() {
    build_targets velmaro-trace
    local traces=("$root"/tests/trace/golden/*.trace) passed
    local all=${#traces[@]}
    if ctest --test-dir "$build" -R '^trace\.golden\.' --output-on-failure >"$logs/golden.txt"; then
        passed=$all
    else
        passed=$(grep -c ' Passed ' "$logs/golden.txt" || true)
    fi
    row "golden traces replayed by the Release build" "$passed of $all" "all, bit for bit" \
        "$([ "$passed" = "$all" ] && echo yes || echo no)"
}

measure_tick() {
    build_targets velmaro-bench
    "$build/bench/velmaro-bench" --benchmark_format=csv >"$logs/tick.csv" 2>"$logs/tick.txt"
    local median
    median=$(awk -F, '$1 ~ /^"TickOfPlay.*_median"$/ { print $3 }' "$logs/tick.csv")
    if [ -z "$median" ]; then
        row "one tick of play, recorded game (median of 10 runs)" "none, see tick.txt" "< 100 ns" no
        return
    fi
    row "one tick of play, recorded game (median of 10 runs)" "$(printf '%.1f' "$median") ns" \
        "< 100 ns" "$(below "$median" 100)"
}

measure_soak() {
    build_targets velmaro-soak
    local ticks=10000000 status=0
    "$build/tests/soak/velmaro-soak" "$ticks" >"$logs/soak.txt" 2>&1 || status=$?
    # soak: seed S, ticks T, goals G (red R, blue B), ..., wall time W s
    local played goals seconds
    played=$(sed -n 's/.* ticks \([0-9]*\),.*/\1/p' "$logs/soak.txt")
    goals=$(sed -n 's/.* goals \([0-9]*\) .*/\1/p' "$logs/soak.txt")
    seconds=$(sed -n 's/.* wall time \([0-9.]*\) s.*/\1/p' "$logs/soak.txt")
    row "soak: random play, every tick checked" \
        "${played:-?} ticks, ${goals:-?} goals, ${seconds:-?} s" \
        "$ticks ticks, no rule broken" "$([ "$status" = 0 ] && echo yes || echo no)"
}

# More rows go here, one function each (window pacing, CPU use, start-up, memory...), added to
# this list in the order the table shows them.
measurements=(measure_golden_traces measure_tick measure_soak)

mkdir -p "$logs"
: >"$logs/build.txt"
for measure in "${measurements[@]}"; do
    echo "bench: $measure" >&2
    "$measure"
done

printf '%s\n' "measurement"$'\t'"figure"$'\t'"target"$'\t'"met" "${rows[@]}" | awk -F'\t' '
    { for (i = 1; i <= NF; i++) { cell[NR, i] = $i; if (length($i) > w[i]) w[i] = length($i) } }
    END {
        for (r = 1; r <= NR; r++) {
            line = ""
            for (i = 1; i < 4; i++) line = line sprintf("%-" w[i] "s  ", cell[r, i])
            line = line cell[r, 4]
            print line
            if (r == 1) { rule = ""; for (i = 1; i <= 4; i++) rule = rule sprintf("%" w[i] "s", "") (i < 4 ? "  " : ""); gsub(/ /, "-", rule); print rule }
        }
    }'
echo "(raw output of each tool: $logs)"
exit "$missed"
