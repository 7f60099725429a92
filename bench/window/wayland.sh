#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The game on Wayland beside X11 in one run (run under xvfb-run): weston's headless compositor
# (CPU renderer, one 60 Hz output) and the X server, a fresh game each time at the laid-out size,
# measured over SECONDS of play, the two alternately, three times each (medians; the highest peak
# memory); and the same for the bench probe's moving disc, the yardstick of a naive Qt window,
# and for its empty window with the game's timer, the floor.
#   wayland.sh GAME BENCH_PROBE WAYLAND_PROBE SECONDS WORK
# prints one line of "name value" pairs:
#   wl_pct weston_pct x11_pct       CPU share of the game on weston, of weston meanwhile, and of
#                                   the game on X11
#   disc_wl_pct disc_weston_pct disc_x11_pct
#                                   the same for the moving disc
#   floor_wl_pct floor_x11_pct      the bench probe's empty window with the game's timer
#   wl_rss_kb x11_rss_kb            peak resident memory of the game
#   frames_per_s refresh uneven_pct one more game on weston with its frame log: frames drawn a
#                                   second (each one commit), the output's refresh, and the share
#                                   of frames whose puck step differs from the median step of the
#                                   nine frames round it by more than a quarter (frames with the
#                                   puck at rest left out)
#   flight_frames flight_uneven_pct the same over the frames in free flight: their step and the
#                                   steps of the nine round it that it is set against on one
#                                   straight run of the puck
#   hidden_paints box_hidden_paints paint events of the game's window over 2 s minimised, and
#                                   over 1 s minimised with a goal box up (the tests' probe)
set -euo pipefail
game=$1
disc=$2
probe=$3
seconds=$4
work=$5
export PULSE_SERVER=unix:/nonexistent/velmaro-bench # no sound card: measure the game alone
rm -rf "$work"
mkdir -p "$work"
chmod 700 "$work"
x11=${DISPLAY:?run under xvfb-run}

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=bench/window/cpu.sh
source "$here/cpu.sh"
# (it also gives fail MESSAGE, which shows weston's log)
# shellcheck source=tests/wayland/weston_session.sh
source "$here/../../tests/wayland/weston_session.sh"
start_weston
weston_pid=${pids[-1]}

# play PLATFORM COMMAND...: starts COMMAND on PLATFORM (wayland or xcb), lets it settle for a
# second, and prints its CPU share over SECONDS, its peak memory in kB and weston's CPU share
# over the same seconds.
play() {
    local platform=$1
    shift
    DISPLAY=$x11 QT_QPA_PLATFORM=$platform "$@" >/dev/null 2>&1 &
    local pid=$! pct watched
    sleep 1.5
    read -r pct watched <<<"$(watch_pid=$weston_pid cpu_percent "$pid" "$seconds")"
    echo "$pct $(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status") $watched"
    kill -TERM "$pid"
    wait "$pid" || true
}

wl=() weston=() x=() dwl=() dweston=() dx=() fwl=() fx=() wl_rss=() x_rss=()
for _ in 1 2 3; do
    read -r pct kb share <<<"$(play wayland "$game")"
    wl+=("$pct") wl_rss+=("$kb") weston+=("$share")
    read -r pct kb _ <<<"$(play xcb "$game")"
    x+=("$pct") x_rss+=("$kb")
    read -r pct _ share <<<"$(play wayland "$disc" disc)"
    dwl+=("$pct") dweston+=("$share")
    read -r pct _ _ <<<"$(play xcb "$disc" disc)"
    dx+=("$pct")
    read -r pct _ _ <<<"$(play wayland "$disc" idle)"
    fwl+=("$pct")
    read -r pct _ _ <<<"$(play xcb "$disc" idle)"
    fx+=("$pct")
done

# The frame log of one more game on weston: "velmaro.frames: frame MICROSECONDS LEFT TOP RUN AT"
# (and "velmaro.frames: tick ..." lines, not read here).
QT_LOGGING_RULES="velmaro.frames.debug=true" QT_QPA_PLATFORM=wayland "$game" \
    >/dev/null 2>"$work/frames.log" &
pid=$!
sleep $((seconds + 1))
kill -TERM "$pid"
wait "$pid" || true
# Each frame's puck step against the median of the nine steps round it (frames with the puck at
# rest left out): over all frames, and over those in free flight only, where the step and the
# steps it is set against lie on one straight run of the puck (no wall, stroke or serve between).
read -r frames_per_s uneven flight flight_uneven <<<"$(awk -v from=1000000 '
    BEGIN { n = 0 }
    $2 == "frame" { t[n] = $3; x[n] = $4; y[n] = $5; r[n] = $6; n++ }
    function off(j, free,    m, k, a, b, v, med, d) {
        m = 0
        for (k = j - 4; k <= j + 4; k++) if (!free || (r[k] == r[j] && r[k - 1] == r[j])) w[m++] = s[k]
        if (m < 3) return -1
        for (a = 0; a < m; a++) for (b = a + 1; b < m; b++) if (w[b] < w[a]) { v = w[a]; w[a] = w[b]; w[b] = v }
        med = w[int(m / 2)]
        if (med == 0) return -1
        d = s[j] - med
        if (d < 0) d = -d
        return d > 0.25 * med
    }
    END {
        # Steady play only: from a second after the first frame.
        for (i = 1; i < n; i++) if (t[i] - t[0] >= from) break
        first = i
        for (j = first + 1; j < n; j++) s[j] = sqrt((x[j] - x[j - 1]) ^ 2 + (y[j] - y[j - 1]) ^ 2)
        for (j = first + 5; j < n - 4; j++) {
            o = off(j, 0)
            if (o >= 0) { counted++; uneven += o }
            if (r[j] != r[j - 1]) continue
            o = off(j, 1)
            if (o >= 0) { free++; free_uneven += o }
        }
        printf "%.1f %.1f %d %.1f\n", (n - 1 - first) / ((t[n - 1] - t[first]) / 1e6),
            counted ? 100 * uneven / counted : 0, free, free ? 100 * free_uneven / free : 0
    }' "$work/frames.log")"

# Paint events while minimised, from the tests' probe (its own count).
QT_QPA_PLATFORM=wayland "$probe" pacing 2 >"$work/hidden.txt" 2>/dev/null || fail "the probe failed"
hidden=$(awk '$1 == "hidden" { print $7 }' "$work/hidden.txt")
box_hidden=$(awk '$1 == "box_hidden" { print $5 }' "$work/hidden.txt")
refresh=$(awk '$1 == "play" { print $5 }' "$work/hidden.txt")

echo "wl_pct $(printf '%s\n' "${wl[@]}" | median)" \
    "weston_pct $(printf '%s\n' "${weston[@]}" | median)" \
    "x11_pct $(printf '%s\n' "${x[@]}" | median)" \
    "disc_wl_pct $(printf '%s\n' "${dwl[@]}" | median)" \
    "disc_weston_pct $(printf '%s\n' "${dweston[@]}" | median)" \
    "disc_x11_pct $(printf '%s\n' "${dx[@]}" | median)" \
    "floor_wl_pct $(printf '%s\n' "${fwl[@]}" | median)" \
    "floor_x11_pct $(printf '%s\n' "${fx[@]}" | median)" \
    "wl_rss_kb $(printf '%s\n' "${wl_rss[@]}" | sort -n | tail -n 1)" \
    "x11_rss_kb $(printf '%s\n' "${x_rss[@]}" | sort -n | tail -n 1)" \
    "frames_per_s $frames_per_s refresh $refresh uneven_pct $uneven" \
    "flight_frames $flight flight_uneven_pct $flight_uneven" \
    "hidden_paints $hidden box_hidden_paints $box_hidden"
