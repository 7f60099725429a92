#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Measures the real game on the X server it is given (run under xvfb-run with a 1920x1080 screen).
#   measure.sh cpu GAME SECONDS      prints "cpu_small_pct X cpu_max_pct Y peak_rss_kb Z": the CPU
#                                    time per second of play at the laid-out size and with the
#                                    window filling the screen (medians of three games each), and
#                                    the highest peak resident memory at the laid-out size
#   measure.sh floor PROBE SECONDS   prints "cpu_floor_pct X": the same for the probe's empty
#                                    window with the game's timer (median of three)
#   measure.sh startup PROBE RUNS    prints "startup_ms M": the median time from launch to the
#                                    first painted frame
#   measure.sh sound GAME SECONDS WORK
#                                    prints "cpu_sound_pct X cpu_silent_pct Y server_pct Z
#                                    rss_sound_kb A rss_silent_kb B": the game at the laid-out
#                                    size with its clicks playing into a null sink of a private
#                                    sound server (in WORK), and without a server, alternately,
#                                    three games each (medians; the highest peak memory); the
#                                    server's own CPU share while the game plays (all its
#                                    processes: PipeWire's three). $VELMARO_TEST_SERVER picks the
#                                    server (tests/table/sound_server.sh)
set -euo pipefail
export PULSE_SERVER=unix:/nonexistent/velmaro-bench # no sound card: measure the game alone

# shellcheck source=bench/window/cpu.sh
source "$(dirname "$0")/cpu.sh"

# play GAME SECONDS WIDTH HEIGHT [ARGS...]: starts the game afresh (the first goal comes after about 14 s of
# play left alone, and no goal box may fall into the measurement), sizes its window, and prints
# the CPU share and the peak resident memory in kB over SECONDS of play (then the share of
# $watch_pid over the same seconds, when it is set).
play() {
    "$1" "${@:5}" >/dev/null 2>&1 &
    local pid=$! win
    win=$(xdotool search --sync --name '^Velmaro$' | head -n 1)
    if [ "$3" != laid-out ]; then
        xdotool windowsize "$win" "$3" "$4"
    fi
    sleep 1
    local pct watched
    read -r pct watched <<<"$(cpu_percent "$pid" "$2")"
    echo "$pct $(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status") $watched"
    kill -TERM "$pid"
    wait "$pid"
}

case "$1" in
cpu)
    # Three fresh games at each size; the median of each.
    small=() large=() rss=()
    for _ in 1 2 3; do
        read -r pct kb <<<"$(play "$2" "$3" laid-out)"
        small+=("$pct")
        rss+=("$kb")
        read -r pct _ <<<"$(play "$2" "$3" 1920 1080)"
        large+=("$pct")
    done
    echo "cpu_small_pct $(printf '%s\n' "${small[@]}" | median)" \
        "cpu_max_pct $(printf '%s\n' "${large[@]}" | median)" \
        "peak_rss_kb $(printf '%s\n' "${rss[@]}" | sort -n | tail -n 1)"
    ;;
floor)
    floor=()
    for _ in 1 2 3; do
        read -r pct _ <<<"$(play "$2" "$3" laid-out - idle)"
        floor+=("$pct")
    done
    echo "cpu_floor_pct $(printf '%s\n' "${floor[@]}" | median)"
    ;;
startup)
    times=()
    for _ in $(seq "$3"); do
        t0=$(now_ns)
        t1=$("$2" startup)
        times+=($(((t1 - t0) / 1000000)))
    done
    echo "startup_ms $(printf '%s\n' "${times[@]}" | median)"
    ;;
sound)
    work=$4
    recorder=
    silent=$PULSE_SERVER
    rm -rf "$work"
    mkdir -p "$work"
    chmod 700 "$work"
    quiet_server=1 # (no debug log in the server whose work is measured)
    # shellcheck source=tests/table/sound_server.sh
    source "$(dirname "$0")/../../tests/table/sound_server.sh"
    start_server
    with=() without=() server=() rss_with=() rss_without=()
    for _ in 1 2 3; do
        # (the server over the same seconds of play as the game: not while the game connects)
        read -r pct kb share \
            <<<"$(watch_pid="${server_pids[*]}" play env "$3" laid-out - -u PULSE_SERVER "$2")"
        with+=("$pct")
        rss_with+=("$kb")
        server+=("$share")
        read -r pct kb <<<"$(play env "$3" laid-out - PULSE_SERVER="$silent" "$2")"
        without+=("$pct")
        rss_without+=("$kb")
    done
    echo "cpu_sound_pct $(printf '%s\n' "${with[@]}" | median)" \
        "cpu_silent_pct $(printf '%s\n' "${without[@]}" | median)" \
        "server_pct $(printf '%s\n' "${server[@]}" | median)" \
        "rss_sound_kb $(printf '%s\n' "${rss_with[@]}" | sort -n | tail -n 1)" \
        "rss_silent_kb $(printf '%s\n' "${rss_without[@]}" | sort -n | tail -n 1)"
    ;;
*)
    echo "usage: measure.sh cpu GAME SECONDS | floor PROBE SECONDS | startup PROBE RUNS" \
        "| sound GAME SECONDS WORK" >&2
    exit 2
    ;;
esac
