#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Plays the real game, left alone, into a null sink of a private sound server and matches every
# click recorded against every beep the game logged, one for one: before the first goal box,
# after it (left open 15 s, so that the server suspends its idle output and the first click after
# it wakes it), and after the server was killed and started again. The recorder listens with long
# buffers, so the sink runs at the game's own timing. Nothing may reach the game's stderr.
#   exact_clicks.sh PROBE RECORDER CLICK.wav WORKDIR
set -euo pipefail
probe=$1
recorder=$2
click=$3
work=$4
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/table/sound_server.sh
source "$here/sound_server.sh"

start_server
start_recorder before
"$probe" 60 15000 >"$work/probe.log" 2>"$work/probe.err" &
probe_pid=$!
opened=$(wait_audible 1 0 5)
box=$(wait_event box 0 25)
answered=$(wait_event answered "$box" 20)
sleep 6
recorded=$(now_ns)
stop_recorder
killed=$(now_ns)
kill_server KILL
echo "stream open $(((opened - $(first_event tick)) / 1000000)) ms after the first tick"
# Clicks from 0.2 s after the stream opened until the goal box, and from the box to the kill.
count "before the goal box" before $((opened + 200000000)) "$box"
count "after the goal box" before "$answered" $((recorded - 100000000))

# The bell stands in while there is no server, and the clicks come back with it.
if ! bell=$(wait_audible 0 "$answered" 3); then
    failed+=("the bell did not stand in for the server")
    bell=$killed
fi
echo "bell $(((bell - killed) / 1000000)) ms after the server was killed"
sleep 1
restarted=$(now_ns)
start_server
start_recorder after
if ! reopened=$(wait_audible 1 "$bell" 5); then
    failed+=("the stream did not come back with the server")
    reopened=$restarted
fi
echo "back $(((reopened - restarted) / 1000000)) ms after the server was started again," \
    "$(((reopened - accepted) / 1000000)) ms after it accepted connections"
sleep 9
stopped=$(now_ns)
stop_recorder
stop_probe
count "after the server restarted" after "$(settled after "$reopened")" $((stopped - 100000000))
check_quiet
check_failed
echo "every beep heard, whole; nothing on the terminal"
