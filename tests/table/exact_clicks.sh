#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Plays the real game, left alone, into a null sink of a private PulseAudio server and matches
# every click recorded against every beep the game logged: before the first goal box, after it,
# and after the server was killed and started again. Nothing may reach the game's stderr.
#   exact_clicks.sh PROBE RECORDER CLICK.wav WORKDIR
set -euo pipefail
probe=$1
recorder=$2
click=$3
work=$4
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work"
mkdir -p "$work"
chmod 700 "$work"
# shellcheck source=tests/table/sound_server.sh
source "$here/sound_server.sh"

count() { # count WHAT REC FROM TO
    echo "$1:"
    python3 "$here/click_count.py" "$click" "$work/probe.log" "$work/$2.raw" "$work/$2.times" \
        "$3" "$4" || fail "$1: the clicks heard are not the beeps sounded"
}

start_server
start_recorder before
"$probe" 40 300 >"$work/probe.log" 2>"$work/probe.err" &
probe_pid=$!
opened=$(wait_audible 1 0 5)
box=$(wait_event box 0 25)
answered=$(wait_event answered "$box" 5)
sleep 6
killed=$(now_ns)
kill_server KILL
stop_recorder
sleep 0.2 # stand-in: the bell
bell=$(wait_audible 0 "$answered" 3)
sleep 1
start_server
restarted=$(now_ns)
start_recorder after
reopened=$(wait_audible 1 "$bell" 5)
sleep 9
stopped=$(now_ns)
stop_recorder
kill -TERM "$probe_pid"
wait "$probe_pid" || true
probe_pid=

echo "stream open $(((opened - $(first_event tick)) / 1000000)) ms after the first tick;" \
    "bell $(((bell - killed) / 1000000)) ms after the server was killed;" \
    "back $(((reopened - restarted) / 1000000)) ms after it was started again"
# Clicks from 0.2 s after the stream opened until the goal box, and from the box to the kill.
count "before the goal box" before $((opened + 200000000)) "$box"
count "after the goal box" before "$answered" $((killed - 100000000))
# (from half a second after both the stream and the recorder were back: a recorder's first buffers
# may come in a burst, dated late)
recording=$(awk '{ print $2; exit }' "$work/after.times")
from=$((reopened > recording ? reopened : recording))
count "after the server restarted" after $((from + 500000000)) $((stopped - 100000000))
# (the offscreen platform's own remark about size hints is no part of the game's sound)
if grep -v 'does not support propagateSizeHints' "$work/probe.err" >&2; then
    fail "the game wrote to the terminal"
fi
echo "nothing on the terminal"
