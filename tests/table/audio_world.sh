#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The clicks follow the audio world as it changes under a running game: with no sound server at
# start the bell stands in and nothing reaches the terminal; a server started later is used
# within a few seconds, every beep heard on its sink; when the default output changes to
# another sink, the clicks follow it there, every beep heard.
#   audio_world.sh PROBE RECORDER CLICK.wav WORKDIR
set -euo pipefail
probe=$1
recorder=$2
click=$3
work=$4
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/table/sound_server.sh
source "$here/sound_server.sh"

"$probe" 30 300 >"$work/probe.log" 2>"$work/probe.err" &
probe_pid=$!
wait_audible 0 0 5 >/dev/null
sleep 2
awk '$1 == "beep"' "$work/probe.log" | grep -q . || failed+=("no beep while there was no server")

appeared=$(now_ns)
start_server
null_sink velmaro_other
start_recorder first
if ! opened=$(wait_audible 1 "$appeared" 5); then
    failed+=("the game did not use the server started after it")
    opened=$appeared
fi
echo "stream open $(((opened - appeared) / 1000000)) ms after the server was started"
sleep 4
first_end=$(now_ns)
stop_recorder
PULSE_SOURCE=velmaro_other.monitor start_recorder other
pactl set-default-sink velmaro_other
switched=$(now_ns)
sleep 4
other_end=$(now_ns)
stop_recorder
stop_probe

count "after the server appeared" first "$(settled first "$opened")" $((first_end - 100000000))
count "after the default output changed" other "$(settled other "$switched")" \
    $((other_end - 100000000))
check_quiet
check_failed
echo "every beep heard on the server that appeared, and on the new default output"
