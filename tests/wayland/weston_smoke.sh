#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the game natively on Wayland, in weston's headless compositor with its CPU renderer: the
# window must come up and show the rink with both paddles, keep playing for a few seconds, and
# quit cleanly (status 0) on SIGTERM as a session ends it. Screenshots go to WORK_DIR.
#   weston_smoke.sh GAME WORK_DIR
set -euo pipefail
game=$1
work=$2
# shellcheck source=tests/wayland/weston_session.sh
source "$(dirname "$0")/weston_session.sh"
fail_logs+=("$work/game.log")
start_weston

QT_QPA_PLATFORM=wayland "$game" >"$work/game.log" 2>&1 &
game_pid=$!
pids+=("$game_pid")

# shoot NAME: a screenshot of the whole output, as $work/NAME.png.
shoot() {
    rm -f "$work"/wayland-screenshot-*.png
    (cd "$work" && weston-screenshooter) >/dev/null 2>&1 || fail "weston-screenshooter failed"
    mv "$work"/wayland-screenshot-*.png "$work/$1.png" || fail "no screenshot"
}
# count NAME COLOUR: how many pixels of that exact colour the screenshot NAME has.
count() {
    convert "$work/$1.png" -fill black +opaque "$2" -fill white -opaque "$2" \
        -format '%[fx:round(mean*w*h)]' info:
}
# The paddles are discs of pure red and pure blue, some 190 pixels each at the window's first
# size (the blue one may be half behind the top rail); the panel and the wallpaper have neither.
rink_shown() { (($(count "$1" 'rgb(255,0,0)') > 100 && $(count "$1" 'rgb(0,0,255)') > 50)); }

end=$((SECONDS + 30))
until shoot start && rink_shown start; do
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended at start"
    ((SECONDS < end)) || fail "no rink on the screen within 30 s (see $work/start.png)"
    sleep 0.5
done
sleep 3
kill -0 "$game_pid" 2>/dev/null || fail "the game ended while playing"
shoot playing
rink_shown playing || fail "the rink went away (see $work/playing.png)"
moved=$(compare -metric AE "$work/start.png" "$work/playing.png" null: 2>&1 || true)
[ "$moved" != 0 ] || fail "nothing moved in 3 s of play"

kill -TERM "$game_pid"
status=0
wait "$game_pid" || status=$?
[ "$status" = 0 ] || fail "the game ended with status $status on SIGTERM"
echo "on Wayland: rink shown, $(count playing 'rgb(255,0,0)') red and" \
    "$(count playing 'rgb(0,0,255)') blue paddle pixels, $moved pixels changed in play," \
    "clean exit on SIGTERM"
