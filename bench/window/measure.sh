#!/usr/bin/env bash
# Measures the real game on the X server it is given (run under xvfb-run with a 1920x1080 screen).
#   measure.sh cpu GAME SECONDS      prints "cpu_small_pct X cpu_max_pct Y peak_rss_kb Z": the CPU
#                                    time per second of play at the laid-out size, then with the
#                                    window filling the screen, and the peak resident memory at
#                                    the laid-out size
#   measure.sh startup PROBE RUNS    prints "startup_ms M": the median time from launch to the
#                                    first painted frame
set -euo pipefail
export PULSE_SERVER=unix:/nonexistent/velmaro-bench # no sound card: measure the game alone

cpu_ticks() { # user + system clock ticks of a process
    local stat
    read -r -a stat <"/proc/$1/stat"
    echo $((stat[13] + stat[14]))
}

now_ns() { date +%s%N; }

# cpu_percent PID SECONDS: the share of one core the process used over SECONDS.
cpu_percent() {
    local t0 c0 t1 c1
    t0=$(now_ns)
    c0=$(cpu_ticks "$1")
    sleep "$2"
    t1=$(now_ns)
    c1=$(cpu_ticks "$1")
    awk -v c=$((c1 - c0)) -v hz="$(getconf CLK_TCK)" -v ns=$((t1 - t0)) \
        'BEGIN { printf "%.2f", 100 * c / hz / (ns / 1e9) }'
}

# play GAME SECONDS WIDTH HEIGHT: starts the game afresh (the first goal comes after about 14 s of
# play left alone, and no goal box may fall into the measurement), sizes its window, and prints
# the CPU share and the peak resident memory in kB over SECONDS of play.
play() {
    "$1" &
    local pid=$! win
    win=$(xdotool search --sync --name '^Velmaro$' | head -n 1)
    if [ "$3" != laid-out ]; then
        xdotool windowsize "$win" "$3" "$4"
    fi
    sleep 1
    local pct
    pct=$(cpu_percent "$pid" "$2")
    echo "$pct $(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status")"
    kill -TERM "$pid"
    wait "$pid"
}

case "$1" in
cpu)
    read -r small rss < <(play "$2" "$3" laid-out)
    read -r large _ < <(play "$2" "$3" 1920 1080)
    echo "cpu_small_pct $small cpu_max_pct $large peak_rss_kb $rss"
    ;;
startup)
    times=()
    for _ in $(seq "$3"); do
        t0=$(now_ns)
        t1=$("$2" startup)
        times+=($(((t1 - t0) / 1000000)))
    done
    median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
    echo "startup_ms $median"
    ;;
*)
    echo "usage: measure.sh cpu GAME SECONDS | startup PROBE RUNS" >&2
    exit 2
    ;;
esac
