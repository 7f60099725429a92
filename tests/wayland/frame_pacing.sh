#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The game's drawing under weston's headless compositor (one 60 Hz output), watched by the probe
# from inside and through the protocol it speaks (WAYLAND_DEBUG): over SECONDS of play, no more
# frames committed than the output shows and every paint of the rink one of the game's frames;
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

WAYLAND_DEBUG=client QT_QPA_PLATFORM=wayland "$probe" pacing "$seconds" \
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

hidden_paints=$(field hidden paints)
hidden_ticks=$(field hidden ticks)
echo "minimised: $hidden_paints paints and $hidden_ticks ticks in $(field hidden ms) ms;" \
    "with a goal box up: $(field box_hidden paints) paints in $(field box_hidden ms) ms"
((hidden_paints == 0)) || fail "$hidden_paints paints while minimised"
((hidden_ticks > 0)) || fail "no tick while minimised"
(($(field box_hidden paints) == 0)) || fail "the game's window painted behind the goal box"
