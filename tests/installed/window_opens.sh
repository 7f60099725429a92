#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the game with COMMAND on the X display in $DISPLAY (run it under xvfb-run), as a player
# would from a menu or a terminal: its window must appear within LIMIT seconds and show the rink
# with the red paddle where it starts; then the game is asked to quit (SIGTERM, as a session
# ending does) and must exit with status 0. A screenshot goes to $VELMARO_SHOT if set.
#   window_opens.sh LIMIT COMMAND...
set -euo pipefail
limit=$1
shift

# shellcheck source=tests/lib/checks.sh
source "$(dirname "$0")/../lib/checks.sh"

# Nowhere to play a click: the bell stands in, and no sound server is looked for.
export PULSE_SERVER=unix:/nonexistent/velmaro-window-opens
xdotool mousemove 780 880 # away from the window, which opens at the top-left
"$@" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

id=$(wait_for Velmaro "$limit" "$pid") || {
    kill -0 "$pid" 2>/dev/null || fail "$* exited before a window opened"
    fail "no Velmaro window within $limit s"
}
sleep 0.5
shot=${VELMARO_SHOT:-$(mktemp --suffix=.png)}
import -window root "$shot"
eval "$(xdotool getwindowgeometry --shell "$id")"
echo "window $id: ${WIDTH}x$HEIGHT at $X,$Y"
paddle=$(convert "$shot" -format '%[pixel:p{91,326}]' info:)
[ "$paddle" = "srgb(255,0,0)" ] || fail "no red paddle where it starts (91,326 is $paddle)"

kill -TERM $pid
status=0
wait $pid || status=$?
trap - EXIT
((status == 0)) || fail "the game exited with status $status on SIGTERM"
echo "the game drew its window and quit cleanly"
