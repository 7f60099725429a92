# shellcheck shell=bash
# SPDX-License-Identifier: GPL-3.0-or-later
# How the window measurements read CPU time: sourced by measure.sh and wayland.sh.

# cpu_ns PID...: nanoseconds all threads of the processes have run on a CPU (the scheduler's own
# count).
cpu_ns() {
    local total=0 ns _ task pid
    for pid in "$@"; do
        for task in /proc/"$pid"/task/*/schedstat; do
            [ -r "$task" ] || continue
            read -r ns _ <"$task"
            total=$((total + ns))
        done
    done
    echo "$total"
}

now_ns() { date +%s%N; }

# cpu_percent PID SECONDS: the share of one core the process used over SECONDS; then that of
# the processes of $watch_pid (a list) over the same time, when it is set.
cpu_percent() {
    local t0 c0 t1 c1 w0 w1
    t0=$(now_ns)
    c0=$(cpu_ns "$1")
    # shellcheck disable=SC2086 # a list of process ids
    [ -n "${watch_pid:-}" ] && w0=$(cpu_ns $watch_pid)
    sleep "$2"
    t1=$(now_ns)
    c1=$(cpu_ns "$1")
    awk -v c=$((c1 - c0)) -v ns=$((t1 - t0)) 'BEGIN { printf "%.2f", 100 * c / ns }'
    if [ -n "${watch_pid:-}" ]; then
        # shellcheck disable=SC2086 # a list of process ids
        w1=$(cpu_ns $watch_pid)
        awk -v c=$((w1 - w0)) -v ns=$((t1 - t0)) 'BEGIN { printf " %.2f", 100 * c / ns }'
    fi
    echo
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
