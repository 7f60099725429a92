#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The tick never waits on the sound: with the game's sound server stopped (SIGSTOP) while the
# game plays and beeps, the ticks keep their pace; when it goes on, the game plays on quietly.
#   stalled_server.sh PROBE RECORDER CLICK.wav WORKDIR
set -euo pipefail
probe=$1
recorder=$2
work=$4
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/table/sound_server.sh
source "$here/sound_server.sh"
: "$recorder" # (the server is stopped: nothing to record)

start_server
"$probe" 12 300 >"$work/probe.log" 2>"$work/probe.err" &
probe_pid=$!
wait_audible 1 0 5 >/dev/null
sleep 1
stopped=$(now_ns)
kill -STOP "$server_pid"
sleep 5
resumed=$(now_ns)
kill -CONT "$server_pid"
wait "$probe_pid" || fail "the game ended with status $?"
probe_pid=

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
check_quiet
check_failed
echo "nothing on the terminal"
