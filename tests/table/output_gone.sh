#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The game's output taken away under it, and a server that is not one: with PULSE_SERVER naming
# a file that is no socket, the bell stands in all game long; on a real server, when the only
# output the clicks go to is removed while the game plays, the bell stands in within a second
# (the server drops the stream, or moves it to the stand-in output nobody hears), and once an
# output appears again the clicks come back, every beep heard there. Nothing may reach the
# game's stderr.
#   output_gone.sh PROBE RECORDER CLICK.wav WORKDIR
set -euo pipefail
probe=$1
recorder=$2
click=$3
work=$4
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/table/sound_server.sh
source "$here/sound_server.sh"

: >"$work/not-a-socket"
PULSE_SERVER=$work/not-a-socket "$probe" 3 300 >"$work/file.log" 2>"$work/file.err" || true
awk '$1 == "beep"' "$work/file.log" | grep -q . || failed+=("no beep with a file for a server")
if awk '$1 == "audible" && $3 == 1' "$work/file.log" | grep -q .; then
    failed+=("the click went to a stream with a file for a server")
fi
grep -v 'does not support propagateSizeHints' "$work/file.err" >&2 &&
    failed+=("the game wrote to the terminal with a file for a server")

start_server
"$probe" 20 300 >"$work/probe.log" 2>"$work/probe.err" &
probe_pid=$!
opened=$(wait_audible 1 0 5)
start_recorder before
sleep 3
before_end=$(now_ns)
stop_recorder # (its source goes with the output)
removed=$(now_ns)
pactl unload-module module-null-sink
if ! bell=$(wait_audible 0 "$removed" 2); then
    failed+=("the bell did not stand in for the output removed")
    bell=$removed
fi
sleep 2
added=$(now_ns)
null_sink velmaro_null
pactl set-default-sink velmaro_null
if ! back=$(wait_audible 1 "$added" 5); then
    failed+=("the clicks did not come back to the new output")
    back=$added
fi
echo "bell $(((bell - removed) / 1000000)) ms after the output was removed, stream on the new" \
    "one $(((back - added) / 1000000)) ms after it was added"
start_recorder after
sleep 4
after_end=$(now_ns)
stop_recorder
stop_probe

count "before the output was removed" before "$(settled before "$opened")" \
    $((before_end - 100000000))
count "on the output added" after "$(settled after "$back")" $((after_end - 100000000))
check_quiet
check_failed
echo "the bell stood in while there was no output, and every beep was heard on the new one"
