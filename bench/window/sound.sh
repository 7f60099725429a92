#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Measures the click path of the real game window (the test probe of tests/table), with its
# sound going into a null sink of a private sound server in WORK.
#   sound.sh syscalls PROBE SECONDS WORK
#       prints "syscalls_sound X syscalls_silent Y": system calls a tick, all threads, counted by
#       strace while no click sounds (from 100 ms after a click began to the next beep), with
#       the server and without one; both include the probe's own line of log a tick
#   sound.sh latency PROBE RECORDER CLICK.wav GAMES WORK
#       prints "latency_median_ms M latency_worst_ms W clicks N groups G lost L faults F": from
#       the beep to the click reaching the sink, recorded by a listener that leaves the sink at
#       the game's timing, over the clicks that have a beep of their own in GAMES fresh games of
#       15 s each (at most the first 200); and over all of those games, the groups of beeps
#       (beeps within one click's length of each other), those of them with a click missing,
#       and every fault the click count found (clicks lost, cut, or with no beep)
#   sound.sh nofold PROBE RECORDER CLICK.wav GAMES WORK
#       prints "nofold_median_ms M nofold_worst_ms W games N found F whole K": in GAMES fresh
#       games of 112 s, the first click after 15 s of play with no fold (after the first goal the
#       serve sends the puck along the centre line, each crossing longer than the last, until a
#       crossing lasts over 15 s, about 85 s after the box; the output is suspended meanwhile),
#       found in F of the games; K of those had it whole and in place (the delays are of those)
#   sound.sh silence PROBE RECORDER CLICK.wav GAMES WORK
#       prints "silence_median_ms M silence_worst_ms W games N found F whole K": in GAMES fresh
#       games whose first goal box is left open 15 s (the server suspends its idle output
#       meanwhile), the delay from the first beep after the box to its click at the sink; the box
#       came in F of them, and K had every click of the 3 s after it whole and in place (the
#       delays are of those)
# $VELMARO_TEST_SERVER picks the sound server: pulseaudio or pipewire (tests/table/sound_server.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tests=$here/../../tests/table

# syscalls_per_quiet_tick LOG STRACE OFFSET_NS: the system calls of the quiet stretches over
# their ticks. OFFSET_NS turns strace's wall-clock times into the probe's monotonic ones.
syscalls_per_quiet_tick() {
    python3 - "$1" "$2" "$3" <<'PY'
import sys
log, trace, offset = sys.argv[1], sys.argv[2], int(sys.argv[3])
beeps, ticks = [], []
for line in open(log):
    f = line.split()
    if f and f[0] in ("beep", "tick"):
        (beeps if f[0] == "beep" else ticks).append(int(f[1]))
start, end = ticks[0] + 500_000_000, ticks[-1]  # steady play only
quiet, last = [], start
for b in beeps + [end]:
    if b > last:
        quiet.append((last, b))
    last = max(last, b + 100_000_000)
def inside(t):
    return any(a <= t < b for a, b in quiet)
calls = 0
for line in open(trace):
    f = line.split()
    if len(f) > 2 and "(" in f[2] and not f[2].startswith("<..."):
        if inside(int(float(f[1]) * 1e9) - offset):
            calls += 1
n = sum(1 for t in ticks if inside(t))
print(f"{calls / max(n, 1):.1f}")
PY
}

# latency_games: the latency mode, on the server started.
latency_games() {
    : >"$work/latencies"
    for game in $(seq "$games"); do
        start_recorder "game$game"
        "$probe" 15 300 >"$work/probe.log" 2>/dev/null
        stop_recorder
        opened=$(awk '$1 == "audible" && $3 == 1 { print $2; exit }' "$work/probe.log")
        last=$(awk '$1 == "beep" { t = $2 } END { print t }' "$work/probe.log")
        # (up to a second before the last beep: the last fragment of a recording stopped at once
        # may never come on PipeWire, whose graph stops with the clicks)
        python3 "$tests/click_count.py" "$click" "$work/probe.log" "$work/game$game.raw" \
            "$work/game$game.times" $((opened + 200000000)) $((last - 1000000000)) \
            "$work/latencies" >"$work/count$game.txt" || true
        cat "$work/count$game.txt" >>"$work/counts.txt"
    done
    head -n 200 "$work/latencies" | sort -n | awk '{ v[NR] = $1 }
        END { printf "latency_median_ms %.1f latency_worst_ms %.1f clicks %d ",
                     v[int((NR + 1) / 2)], v[NR], NR }'
    # (each channel of a stereo sink is counted on its own: the groups of the first, the lost
    # groups and faults of the channel with the most)
    awk 'match($0, /beeps [0-9]+ in [0-9]+ groups/) {
            c = (/^channel/ ? $2 : 1); split(substr($0, RSTART, RLENGTH), w, " ")
            if (c == 1) groups += w[4]
            faults[c] += $NF
        }
        / click\(s\) heard$/ { lost[c]++ }
        END {
            for (k in faults) { if (faults[k] > f) f = faults[k]; if (lost[k] > l) l = lost[k] }
            printf "groups %d lost %d faults %d\n", groups, l, f
        }' "$work/counts.txt"
}

# first_click_games SECONDS BOX_MS NAME FIND: GAMES fresh games of SECONDS, each goal box answered
# BOX_MS after it opens; FIND, an awk program over the probe's log, prints "FROM TO" (ns), the
# stretch whose first click is measured, or nothing. Prints "NAME_median_ms M NAME_worst_ms W
# games N found F whole K": the stretch found in F games, every click of it whole and in place in
# K of them (the delays are of those).
first_click_games() {
    local seconds=$1 box_ms=$2 name=$3 find=$4 found=0 whole=0 from to
    : >"$work/firsts"
    for game in $(seq "$games"); do
        start_recorder "game$game"
        "$probe" "$seconds" "$box_ms" >"$work/probe.log" 2>/dev/null
        stop_recorder
        read -r from to <<<"$(awk "$find" "$work/probe.log")"
        [ -n "$from" ] || continue
        found=$((found + 1))
        : >"$work/latencies$game"
        if python3 "$tests/click_count.py" "$click" "$work/probe.log" "$work/game$game.raw" \
            "$work/game$game.times" "$from" "$to" "$work/latencies$game" \
            >"$work/count$game.txt"; then
            whole=$((whole + 1))
            head -n 1 "$work/latencies$game" >>"$work/firsts"
        fi
    done
    sort -n "$work/firsts" | awk -v n="$games" -v f="$found" -v k="$whole" -v name="$name" '
        { v[NR] = $1 }
        END { printf "%s_median_ms %.1f %s_worst_ms %.1f games %d found %d whole %d\n",
                     name, v[int((NR + 1) / 2)], name, v[NR], n, f, k }'
}

# nofold_games: the no-fold mode, on the server started: from half a second before the first
# beep after 15 s without one, for 3 s after it.
nofold_games() {
    # shellcheck disable=SC2016 # an awk program: awk expands it
    first_click_games 112 300 nofold '$1 == "beep" {
        if (last && $2 - last >= 15e9) { printf "%.0f %.0f\n", $2 - 5e8, $2 + 3e9; exit }
        last = $2 }'
}

# silence_games: the silence mode, on the server started: for 3 s from the first goal box's
# answer (the first goal comes after about 14 s of play left alone; its box stays 15 s).
silence_games() {
    # shellcheck disable=SC2016 # an awk program: awk expands it
    first_click_games 36 15000 silence \
        '$1 == "answered" { printf "%.0f %.0f\n", $2, $2 + 3e9; exit }'
}

case "$1" in
syscalls)
    probe=$2 seconds=$3 work=$4 recorder=
    rm -rf "$work"
    mkdir -p "$work"
    chmod 700 "$work"
    quiet_server=1 # (no debug log in the server whose work is measured)
    # shellcheck source=tests/table/sound_server.sh
    source "$tests/sound_server.sh"
    : "$recorder"
    start_server
    offset=$(python3 -c 'import time; print(time.time_ns() - time.monotonic_ns())')
    strace -f -qq -ttt -o "$work/sound.strace" "$probe" "$seconds" >"$work/sound.log" 2>/dev/null
    PULSE_SERVER=unix:/nonexistent/velmaro-bench strace -f -qq -ttt -o "$work/silent.strace" \
        "$probe" "$seconds" >"$work/silent.log" 2>/dev/null
    echo "syscalls_sound $(syscalls_per_quiet_tick "$work/sound.log" "$work/sound.strace" "$offset")" \
        "syscalls_silent $(syscalls_per_quiet_tick "$work/silent.log" "$work/silent.strace" "$offset")"
    ;;
latency | silence | nofold)
    probe=$2 recorder=$3 click=$4 games=$5 work=$6
    quiet_server=1 # (no debug log in the server whose work is measured)
    # shellcheck source=tests/table/sound_server.sh
    source "$tests/sound_server.sh" # (empties $work and makes it private)
    start_server
    "$1_games"
    ;;
*)
    echo "usage: sound.sh syscalls PROBE SECONDS WORK" \
        "| latency|silence|nofold PROBE RECORDER CLICK.wav GAMES WORK" >&2
    exit 2
    ;;
esac
