#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Plays the game into a null sound card of a private PulseAudio server and records what comes out:
# the folds of the first seconds of play must be heard as separate clicks.
set -euo pipefail
app=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
chmod 700 "$work"
export XDG_RUNTIME_DIR=$work HOME=$work
unset PULSE_SERVER

fail() {
    echo "FAIL: $*" >&2
    [ -f "$work/pulse.log" ] && tail -5 "$work/pulse.log" >&2
    exit 1
}

pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true' EXIT
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=yes --log-target=stderr \
    -L "module-null-sink sink_name=velmaro_null" -L module-native-protocol-unix \
    2>"$work/pulse.log" &
pids+=($!)
for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
done
pactl info >/dev/null 2>&1 || fail "no sound server"
pactl set-default-sink velmaro_null

parec -d velmaro_null.monitor --latency-msec=20 --format=s16le --rate=44100 --channels=1 >"$work/rec.raw" &
pids+=($!)
sleep 0.3
status=0
QT_QPA_PLATFORM=offscreen timeout 6 "$app" || status=$?
[ "$status" = 124 ] || fail "the game ended by itself with status $status"
sleep 0.3

# Count onsets: a sample above a tenth of full scale after at least 50 ms of quiet.
clicks=$(sox -t raw -r 44100 -e signed -b 16 -c 1 "$work/rec.raw" -t dat - |
    awk '!/^;/ { v = $2 < 0 ? -$2 : $2
                 if (v > 0.1) { if ($1 - last > 0.05) n++; last = $1 } }
         END { print n + 0 }')
echo "clicks heard: $clicks"
[ "$clicks" -ge 3 ] || fail "expected the first folds of play to be heard, heard $clicks clicks"
