#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Plays the real game on an X server (run under xvfb-run) as a person would: leaves it alone
# until the computer scores, looks at the goal box, answers it, then moves the mouse over the
# rink and looks for the red paddle under the pointer. Screenshots go to the folder $2.
set -euo pipefail
app=$1
shots=$2
mkdir -p "$shots"

# shellcheck source=tests/lib/checks.sh
source "$(dirname "$0")/../lib/checks.sh"

xdotool mousemove 780 880 # well away from the window, which opens at the top-left
"$app" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

game=$(wait_for Velmaro 20 "$pid") || fail "no Velmaro window"
# No window manager here to focus the new window: the player clicks into it, as it were. (A game
# in the background would open its goal box without taking the keyboard.)
xdotool windowfocus --sync "$game"
sleep 0.5
import -window root "$shots/start.png"
[ "$(pixel "$shots/start.png" 91 326)" = "srgb(255,0,0)" ] || fail "red paddle not where laid out"

box=$(wait_for "Blue goal" 60 "$pid") || fail "no Blue goal box"
sleep 0.3
import -window root "$shots/goal-1.png"
sleep 0.5
import -window root "$shots/goal-2.png"
same "$shots/goal-1.png" "$shots/goal-2.png" || fail "something moved while the goal box was open"

xdotool key Return # the box has the keyboard focus
wait_gone "$box" 10 || fail "goal box did not close"
sleep 0.5
import -window root "$shots/resumed.png"
crop "$shots/goal-2.png" 233x385+0+0 "$shots/rink-goal.png"
crop "$shots/resumed.png" 233x385+0+0 "$shots/rink-resumed.png"
! same "$shots/rink-goal.png" "$shots/rink-resumed.png" || fail "play did not resume"
crop "$shots/start.png" 25x25+192+160 "$shots/blue-score-start.png"
crop "$shots/resumed.png" 25x25+192+160 "$shots/blue-score-after.png"
! same "$shots/blue-score-start.png" "$shots/blue-score-after.png" || fail "blue score unchanged"

xdotool mousemove 48 266 # (720, 3990) twips: the paddle's centre lands under the pointer
sleep 0.3
import -window root "$shots/stroke.png"
[ "$(pixel "$shots/stroke.png" 48 266)" = "srgb(255,0,0)" ] || fail "paddle did not follow the mouse"
xdotool mousemove 48 40 # far up: the paddle stops at the centre line
sleep 0.3
import -window root "$shots/clamped.png"
[ "$(pixel "$shots/clamped.png" 48 200)" = "srgb(255,0,0)" ] || fail "paddle not held at the centre line"
echo "played: goal announced, answered, scored, paddle follows the mouse"
