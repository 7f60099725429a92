#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A sound server that stops answering (SIGSTOP) while the game plays and beeps, and goes on 5 s
# later (SIGCONT): the ticks keep their pace, the bell stands in while the server is stopped, the
# clicks owed for the stop never sound (no rattle when it goes on: only what the server held when
# it stopped may), and then every beep is one click again. Nothing may reach the game's
# stderr.
#   stalled_server.sh PROBE RECORDER CLICK.wav WORKDIR
set -euo pipefail
probe=$1
recorder=$2
click=$3
work=$4
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/table/sound_server.sh
source "$here/sound_server.sh"

start_server
start_recorder sink
"$probe" 30 300 >"$work/probe.log" 2>"$work/probe.err" &
probe_pid=$!
wait_audible 1 0 5 >/dev/null
sleep 1
stopped=$(now_ns)
kill -STOP "$server_pid"
if ! bell=$(wait_audible 0 "$stopped" 4); then
    failed+=("the bell did not stand in for the stopped server")
    bell=$stopped
fi
sleep 5
resumed=$(now_ns)
kill -CONT "$server_pid"
if ! back=$(wait_audible 1 "$resumed" 5); then
    failed+=("the stream did not come back when the server went on")
    back=$resumed
fi
echo "bell $(((bell - stopped) / 1000000)) ms after the stop, stream back" \
    "$(((back - resumed) / 1000000)) ms after the server went on"
sleep 8
ended=$(now_ns)
stop_recorder # (before the game ends: a sink with no player left runs in long periods)
stop_probe

# The ticks from a quarter of a second after the stop to the end of it.
awk -v from=$((stopped + 250000000)) -v to="$resumed" '
    $1 == "beep" && $2 > from && $2 < to { beeps++ }
    $1 != "tick" || $2 < from || $2 > to { next }
    { if (last) { d = ($2 - last) / 1e6; sum += d; n++; if (d > worst) worst = d } last = $2 }
    END {
        mean = n ? sum / n : 0
        printf "server stopped: %d ticks, mean %.2f ms, worst %.2f ms apart, %d beeps\n",
               n, mean, worst, beeps
        if (beeps < 1) { print "FAIL: no beep while the server was stopped"; exit 1 }
        # the pace of a 15 ms timer (316 ticks in the window), with room for a loaded machine
        # under the sanitizers that now and then hands the game a tenth of a second late; a
        # tick that waited for the server would wait for the whole stop of 5 s, or for a client
        # timeout of seconds, and a tenth of a second at each beep would lift the mean past 20
        if (n < 200 || mean > 20 || worst > 1000) { print "FAIL: the ticks lost their pace"; exit 1 }
    }' "$work/probe.log" || fail "the game waited on a stopped sound server"

# From the bell on until the first beep with the stream back, the beeps of the stop rang the bell,
# and the clicks asked for before it are stale: nothing may sound but what the server held when
# it stopped. (Wherever the server puts it when it goes on: into the time of the stop, or at once.)
first=$(wait_event beep "$back" 1)
echo "while the server was stopped:"
python3 "$here/click_count.py" --stale "$click" "$work/sink.raw" "$work/sink.times" "$bell" \
    $((first - 45000000)) || failed+=("clicks owed for the stop sounded when the server went on")
count "once the stream was back" sink "$(settled sink "$back")" $((ended - 100000000))
check_quiet
check_failed
echo "no rattle, every beep heard once the server went on, nothing on the terminal"
