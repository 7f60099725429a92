#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The game's drawing under weston's headless compositor (one 60 Hz output), watched by the probe
# from inside and through the protocol it speaks (WAYLAND_DEBUG): over SECONDS of play, no more
# frames committed than the output shows and every paint of the rink one of the game's frames;
# in free flight, the puck's drawn steps as even as the times the frames show (the game's frame
# log);
# minimised, and then with a goal box up, no paint of the game's window at all while the ticks
# go on.
#   frame_pacing.sh PROBE WORK_DIR SECONDS
set -euo pipefail
probe=$1
work=$2
seconds=$3
# shellcheck source=tests/wayland/weston_session.sh
source "$(dirname "$0")/weston_session.sh"
# A failure shows the probe's findings and the end of the protocol it spoke.
fail() {
    echo "FAIL: $*" >&2
    [ -f "$work/probe.txt" ] && cat "$work/probe.txt" >&2
    [ -f "$work/protocol.txt" ] && grep -v '^\[' "$work/protocol.txt" | tail -n 20 >&2
    exit 1
}
start_weston

QT_LOGGING_RULES="velmaro.frames.debug=true" WAYLAND_DEBUG=client QT_QPA_PLATFORM=wayland \
    "$probe" pacing "$seconds" \
    >"$work/probe.txt" 2>"$work/protocol.txt" &
pids+=($!)
wait "${pids[-1]}" || fail "the probe ended with status $?"

# field LINE NAME: the number after NAME on the probe's line that starts with LINE.
field() { awk -v l="$1" -v k="$2" '$1 == l { for (i = 2; i < NF; i++) if ($i == k) print $(i + 1) }' \
    "$work/probe.txt"; }

# The game's window is the first surface given a shell role.
surface=$(sed -n 's/.*-> xdg_wm_base@[0-9]*\.get_xdg_surface(new id xdg_surface@[0-9]*, wl_surface@\([0-9]*\)).*/\1/p' \
    "$work/protocol.txt" | head -n 1)
[ -n "$surface" ] || fail "no shell surface in the protocol"
commits=$(awk -v c="wl_surface@$surface.commit(" '/^MARK start/ { on = 1 } /^MARK end/ { on = 0 }
    on && index($0, c) { n++ } END { print n + 0 }' "$work/protocol.txt")

ms=$(field play ms)
refresh=$(field play refresh)
frames=$(field play frames)
rink_paints=$(field play rink_paints)
{ [ -n "$ms" ] && [ -n "$refresh" ]; } || fail "no figures of play"
limit=$(awk -v r="$refresh" -v ms="$ms" 'BEGIN { print int(r * ms / 1000) + 1 }')
echo "play: $commits commits of surface $surface in $ms ms at $refresh Hz (at most $limit)," \
    "$frames frames drawn, $rink_paints paints of the rink, $(field play ticks) ticks"
((commits <= limit)) || fail "$commits commits in $ms ms, more than the output's $limit frames"
((rink_paints == frames)) || fail "$rink_paints paints of the rink, but $frames frames drawn"
((commits == frames)) || fail "$commits commits, but $frames frames drawn"

# The puck's steps, from the game's frame log ("velmaro.frames: frame MICROSECONDS LEFT TOP RUN
# AT" a frame drawn, the time AT on the ticks' cadence that it shows; "velmaro.frames: tick
# MICROSECONDS DATED" a tick played, dated on that cadence). On one straight run the puck moves
# at one speed, so a frame's step over the time since the frame before is the run's speed: drawn
# from the latest tick alone, or blended between the wrong ticks, a frame at 60 Hz shows one
# tick's motion or two and misses it by half or more. The machine may stall the game now and
# then, and the game then shows what it has: a frame whose time lies past the latest tick played
# or before the three latest (those it keeps), or among ticks dated off their period by more than
# a tenth (a tick so late that their cadence started afresh), is left out with the frame after
# it. The rest are set against the median of their run's frames, where it has three or more.
# The times shown must keep up with the clock: over the play, within two frames of it.
read -r logged checked uneven lowest highest clock shown frame <<<"$(awk '
    BEGIN { n = m = 0 }
    $2 == "tick" { dated[m++] = $4 }
    /^MARK start/ { on = 1 } /^MARK end/ { on = 0 }
    on && $2 == "frame" {
        t[n] = $3; x[n] = $4; y[n] = $5; r[n] = $6; at[n] = $7
        kept[n] = m >= 3 && $7 >= dated[m - 3] && $7 <= dated[m - 1]
        newest[n] = m - 1
        n++
    }
    function median(a, c,    i, j, v, w) {
        for (i = 0; i < c; i++) w[i] = a[i]
        for (i = 0; i < c; i++) for (j = i + 1; j < c; j++) if (w[j] < w[i]) { v = w[i]; w[i] = w[j]; w[j] = v }
        return w[int(c / 2)]
    }
    END {
        for (k = 1; k < m; k++) gap[k - 1] = dated[k] - dated[k - 1]
        period = median(gap, m - 1)
        for (j = 1; j < n; j++) {
            if (r[j] == 0 || r[j - 1] != r[j] || !kept[j] || !kept[j - 1]) continue
            off = 0
            for (k = newest[j - 1] - 2; k <= newest[j]; k++)
                if (gap[k - 1] < 0.9 * period || gap[k - 1] > 1.1 * period) off = 1
            if (off) continue
            speed[j] = sqrt((x[j] - x[j - 1]) ^ 2 + (y[j] - y[j - 1]) ^ 2) / (at[j] - at[j - 1])
            on_run[r[j], runs[r[j]]++] = speed[j]
        }
        for (j = 1; j < n; j++) {
            if (!(j in speed) || runs[r[j]] < 3) continue
            for (i = 0; i < runs[r[j]]; i++) w[i] = on_run[r[j], i]
            run = median(w, runs[r[j]])
            checked++
            if (checked == 1 || speed[j] / run < lowest) lowest = speed[j] / run
            if (speed[j] / run > highest) highest = speed[j] / run
            if (speed[j] < 0.75 * run || speed[j] > 1.25 * run) {
                uneven++
                printf "frame %d of the play on run %d: step %.1f twips in %d us, %.2f of the run'\''s speed\n", \
                    j, r[j], speed[j] * (at[j] - at[j - 1]), at[j] - at[j - 1], speed[j] / run >"/dev/stderr"
            }
        }
        for (j = 1; j < n; j++) d[j - 1] = t[j] - t[j - 1]
        printf "%d %d %d %.2f %.2f %d %d %d\n", n, checked, uneven, lowest, highest,
            t[n - 1] - t[0], at[n - 1] - at[0], median(d, n - 1)
    }' "$work/protocol.txt" 2>"$work/steps.txt")"
echo "steps: $checked frames in free flight among ticks on time set against their run's speed," \
    "from $lowest to $highest of it; $uneven off it by more than a quarter; the frames show" \
    "$shown us of play over $clock us"
((logged == frames)) || fail "$logged frames in the game's log, but $frames frames drawn"
((shown - clock < 2 * frame && clock - shown < 2 * frame)) ||
    fail "the frames show $shown us of play over $clock us"
((checked > 0)) || fail "no frame in free flight to set against its run"
((uneven == 0)) || fail "uneven steps: $(cat "$work/steps.txt")"

hidden_paints=$(field hidden paints)
hidden_ticks=$(field hidden ticks)
echo "minimised: $hidden_paints paints and $hidden_ticks ticks in $(field hidden ms) ms;" \
    "with a goal box up: $(field box_hidden paints) paints in $(field box_hidden ms) ms"
((hidden_paints == 0)) || fail "$hidden_paints paints while minimised"
((hidden_ticks > 0)) || fail "no tick while minimised"
(($(field box_hidden paints) == 0)) || fail "the game's window painted behind the goal box"
