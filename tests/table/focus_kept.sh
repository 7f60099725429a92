#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A goal while the player works in another program (run under xvfb-run): under openbox, with
# another X client focused, the goal box comes up without taking the keyboard from it, the game's
# window asks for attention, and play stays held until the box is answered.
#   focus_kept.sh PROBE SHOTS
set -euo pipefail
probe=$1
shots=$2
mkdir -p "$shots"
# shellcheck source=tests/table/openbox_session.sh
source "$(dirname "$0")/openbox_session.sh"

start_openbox
xdotool mousemove 990 1090

# The goal comes four seconds after start; meanwhile the player turns to another program.
"$probe" 0 1 bottom 4000 >/dev/null &
pids+=($!)
game=$(wait_for Velmaro 20) || fail "no game window"
xmessage -title "Another program" "Typing here" &
pids+=($!)
other=$(wait_for "Another program" 20) || fail "no other program"
xdotool windowactivate --sync "$other"
sleep 0.5
before=$(xdotool getwindowfocus)
[ "$(xdotool getactivewindow)" = "$other" ] || fail "the other program is not active"

box=$(wait_for "Blue goal" 20) || fail "no goal box"
sleep 0.5
after=$(xdotool getwindowfocus)
import -window root "$shots/box-unfocused.png"
[ "$after" = "$before" ] || fail "the goal box took the focus ($before before, $after after)"
[ "$(xdotool getactivewindow)" = "$other" ] || fail "the other program is no longer active"
xprop -id "$game" _NET_WM_STATE | grep -q _NET_WM_STATE_DEMANDS_ATTENTION ||
    fail "the game's window does not ask for attention"
sleep 0.5
import -window "$game" "$shots/held-1.png"
sleep 0.5
import -window "$game" "$shots/held-2.png"
same "$shots/held-1.png" "$shots/held-2.png" || fail "play went on while the box was open"

# The player comes back and answers the box.
xdotool windowactivate --sync "$box"
sleep 0.5
xdotool key Return
wait_gone "$box" 10 || fail "the box did not close"
echo "goal box kept off the other program's keyboard focus ($before), game asked for attention"
