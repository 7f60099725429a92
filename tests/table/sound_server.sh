# shellcheck shell=bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A private sound server with a null sink, and a recorder of that sink, for the sound tests:
# PulseAudio, or PipeWire with pipewire-pulse and WirePlumber on a D-Bus session bus of its own
# ($VELMARO_TEST_SERVER: pulseaudio, the default, or pipewire), each in its stock configuration
# but for the sink (PulseAudio: a minimal one with the stock suspension of an idle output after
# 5 s and the stock stand-in output while no other is left; WirePlumber suspends idle outputs
# after 3 s), and PipeWire's node log at debug level (start_server). Sourced; expects $work (the
# test's directory, emptied and made private here), $recorder (velmaro-sink-recorder) and, to
# count clicks, $click (the sound) and $here (this directory). Whatever it starts is ended on
# exit, however the test ends.
# shellcheck disable=SC2154,SC2034 # set by the script that sources this, or read by it
rm -rf "$work"
mkdir -p "$work"
chmod 700 "$work"
export XDG_RUNTIME_DIR=$work HOME=$work XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
unset PULSE_SERVER PULSE_SINK DBUS_SESSION_BUS_ADDRESS PIPEWIRE_RUNTIME_DIR PIPEWIRE_REMOTE
export PULSE_SOURCE=velmaro_null.monitor
sound_server=${VELMARO_TEST_SERVER:-pulseaudio}
server_pid=  # the process that speaks PulseAudio's protocol to the game
server_pids=() # every process of the server, that one included
recorder_pid=
look_pid= # the watcher of the server's socket, while a server starts
# The recorder's fragments: half a second on PulseAudio, whose null sink runs on a steady clock;
# on PipeWire, whose graph runs only while a player plays, about a quantum of the game's (no
# shorter than the game's own latency, so the quantum stays the game's), each dated as it comes.
fragment_ms=500
[ "$sound_server" = pipewire ] && fragment_ms=25
# The null sinks are stereo, as a desktop's outputs are, at the click's own rate: the game's mono
# stream is played on both channels, and each is recorded and its clicks counted on its own
# (click_count.py reads the count from here).
export SINK_CHANNELS=2
# null_sink NAME: adds a null sink of that name to the server.
null_sink() {
    pactl load-module module-null-sink sink_name="$1" rate=44100 channels="$SINK_CHANNELS" \
        >/dev/null
}

# shellcheck source=tests/lib/checks.sh
source "${BASH_SOURCE[0]%/*}/../lib/checks.sh"
fail_logs=("$work/pulse.log")
[ "$sound_server" = pipewire ] && fail_logs+=("$work/pipewire.log")

now_ns() { python3 -c 'import time; print(time.monotonic_ns())'; }

# start_server: starts the server and waits until it answers, with a null sink as the default
# output. $accepted is then when its socket first accepted a connection (ns), looked for every
# 2 ms.
start_server() {
    rm -f "$work/accepted"
    python3 - "$work/pulse/native" >"$work/accepted" <<'LOOK' &
import socket, sys, time
print("looking", flush=True)
while True:
    s = socket.socket(socket.AF_UNIX)
    try:
        s.connect(sys.argv[1])
        break
    except OSError:
        time.sleep(0.002)
    finally:
        s.close()
print(time.monotonic_ns())
LOOK
    look_pid=$!
    for _ in $(seq 500); do # (python starts slowly on a busy machine)
        [ -s "$work/accepted" ] && break
        sleep 0.02
    done
    case "$sound_server" in
    pulseaudio)
        pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=yes --log-target=stderr \
            -L "module-null-sink sink_name=velmaro_null rate=44100 channels=$SINK_CHANNELS" \
            -L module-native-protocol-unix -L module-always-sink -L module-suspend-on-idle \
            2>>"$work/pulse.log" &
        server_pid=$!
        server_pids=("$server_pid")
        ;;
    pipewire)
        local bus
        bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1) ||
            fail "no D-Bus session bus"
        export DBUS_SESSION_BUS_ADDRESS=${bus%%$'\n'*}
        server_pids=("${bus##*$'\n'}")
        # WirePlumber's Bluetooth monitor watches the login seats through systemd-logind, and
        # WirePlumber gives up at once where there is none (a fresh root, a container: "failed
        # to start systemd logind monitor", then "disconnected from pipewire"). No Bluetooth
        # here: its seat watch is off, the rest stock.
        mkdir -p "$XDG_CONFIG_HOME/wireplumber/bluetooth.lua.d"
        echo 'bluez_monitor.properties["with-logind"] = false' \
            >"$XDG_CONFIG_HOME/wireplumber/bluetooth.lua.d/51-no-seat-watch.lua"
        # Its node log at debug level, unless $quiet_server is set (the benchmarks, which
        # measure the server's own work): each graph cycle it did not finish in time is logged
        # (at most one every 2 s), dated, with the nodes that were too slow.
        local debug=
        if [ -z "${quiet_server:-}" ]; then
            debug=2,pw.node:4
            python3 -c 'import time; print(time.clock_gettime_ns(time.CLOCK_MONOTONIC_RAW),
                        time.monotonic_ns())' >>"$work/clocks"
        fi
        PIPEWIRE_DEBUG=$debug pipewire 2>>"$work/pipewire.log" &
        server_pids+=($!)
        # The session manager and the PulseAudio server are PipeWire's clients: they start
        # once its socket is there (WirePlumber does not wait for it).
        for _ in $(seq 100); do
            [ -S "$XDG_RUNTIME_DIR/pipewire-0" ] && break
            sleep 0.05
        done
        [ -S "$XDG_RUNTIME_DIR/pipewire-0" ] || fail "PipeWire did not open its socket"
        wireplumber 2>>"$work/pulse.log" &
        server_pids+=($!)
        # The null sink is loaded by pipewire-pulse itself as it starts, before it takes a
        # client: loaded by pactl once it answered, the sink came after a game that reconnects
        # at once, and pipewire-pulse then held the load (and the game's stream) until the game
        # went away.
        mkdir -p "$XDG_CONFIG_HOME/pipewire/pipewire-pulse.conf.d"
        cat >"$XDG_CONFIG_HOME/pipewire/pipewire-pulse.conf.d/50-null-sink.conf" <<SINK
pulse.cmd = [
    { cmd = "load-module"
      args = "module-null-sink sink_name=velmaro_null rate=44100 channels=$SINK_CHANNELS" }
]
SINK
        pipewire-pulse 2>>"$work/pulse.log" &
        server_pid=$!
        server_pids+=("$server_pid")
        ;;
    *) fail "unknown sound server '$sound_server'" ;;
    esac
    for _ in $(seq 100); do
        pactl info >/dev/null 2>&1 && break
        sleep 0.1
    done
    pactl info >/dev/null 2>&1 || fail "no sound server"
    wait "$look_pid"
    look_pid=
    accepted=$(tail -1 "$work/accepted")
    for _ in $(seq 50); do
        pactl set-default-sink velmaro_null 2>/dev/null &&
            [ "$(pactl get-default-sink)" = velmaro_null ] && return 0
        sleep 0.1
    done
    local pid
    for pid in "${server_pids[@]}"; do
        kill -0 "$pid" 2>/dev/null || echo "process $pid of the server has ended" >>"$work/pulse.log"
    done
    fail "the null sink did not become the default output"
}

# kill_server SIGNAL: ends every process of the server with SIGNAL and waits for them.
kill_server() {
    local pid
    for pid in "${server_pids[@]}"; do
        kill "-$1" "$pid" 2>/dev/null || true
    done
    for pid in "${server_pids[@]}"; do
        wait "$pid" 2>/dev/null || true
        # (the bus daemon forked: not this shell's child, so wait for it by hand)
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
    done
    server_pid=
    server_pids=()
}

# start_recorder NAME: records the sink into $work/NAME.raw (dated by NAME.times).
start_recorder() {
    "$recorder" "$work/$1.raw" "$work/$1.times" "$fragment_ms" "$SINK_CHANNELS" \
        2>>"$work/recorder.log" &
    recorder_pid=$!
    for _ in $(seq 100); do
        [ -s "$work/$1.times" ] && return 0
        sleep 0.05
    done
    fail "the recorder did not start"
}

stop_recorder() {
    kill -TERM "$recorder_pid" 2>/dev/null || true
    wait "$recorder_pid" 2>/dev/null || true
    recorder_pid=
}

cleanup() {
    set +e # every step, whatever the one before it found
    [ -n "$recorder_pid" ] && kill "$recorder_pid" 2>/dev/null
    [ -n "${probe_pid:-}" ] && kill "$probe_pid" 2>/dev/null
    [ -n "$look_pid" ] && kill "$look_pid" 2>/dev/null
    local pid
    for pid in "${server_pids[@]}"; do
        kill -CONT "$pid" 2>/dev/null
        kill "$pid" 2>/dev/null
    done
    sleep 0.5
    for pid in "${server_pids[@]}"; do
        kill -KILL "$pid" 2>/dev/null
    done
    true
}
trap cleanup EXIT

# first_event NAME [AFTER_NS]: the time of the probe's first NAME event (after AFTER_NS).
first_event() {
    awk -v k="$1" -v t="${2:-0}" '$1 == k && $2 > t { print $2; exit }' "$work/probe.log"
}

# wait_event NAME AFTER_NS SECONDS: waits for such an event; prints its time, or fails.
wait_event() {
    local t
    for _ in $(seq $(($3 * 10))); do
        t=$(first_event "$1" "$2")
        [ -n "$t" ] && { echo "$t"; return 0; }
        sleep 0.1
    done
    fail "no '$1' from the game within $3 s"
}

# wait_audible VALUE AFTER_NS SECONDS: waits for the click to go to a stream (1) or the bell (0).
wait_audible() {
    local t
    for _ in $(seq $(($3 * 10))); do
        t=$(awk -v v="$1" -v t="$2" '$1 == "audible" && $3 == v && $2 > t { print $2; exit }' \
            "$work/probe.log")
        [ -n "$t" ] && { echo "$t"; return 0; }
        sleep 0.1
    done
    fail "the click did not go to $([ "$1" = 1 ] && echo "a stream" || echo "the bell") within $3 s"
}

# stop_probe: ends the game the test started ($probe_pid); a game that had ended by itself is a
# fault.
stop_probe() {
    local status=0
    if kill -TERM "$probe_pid" 2>/dev/null; then
        wait "$probe_pid" || true
    else
        wait "$probe_pid" || status=$?
        failed+=("the game ended by itself, with status $status")
    fi
    probe_pid=
}

# settled REC NS: half a second after both NS and the first buffer of recording REC, when clicks
# can be counted (a recorder's first buffers may come in a burst, dated late).
settled() {
    local recording
    recording=$(awk '{ print $2; exit }' "$work/$1.times")
    echo $((($2 > recording ? $2 : recording) + 500000000))
}

# count WHAT REC FROM TO: matches the clicks recorded in REC between FROM and TO (ns) against the
# beeps the game logged; a mismatch fails the test at the end (see check_failed). On PipeWire, a
# mismatch at a graph cycle that PipeWire logged as not finished in time is the server's, printed
# as such.
failed=()
count() {
    echo "$1:"
    local server_log=()
    [ -s "$work/clocks" ] && server_log=(--server-log "$work/pipewire.log" "$work/clocks")
    python3 "$here/click_count.py" "$click" "$work/probe.log" "$work/$2.raw" "$work/$2.times" \
        "$3" "$4" "${server_log[@]}" || failed+=("$1: the clicks heard are not the beeps sounded")
}

# check_quiet: nothing but the offscreen platform's own remark about size hints (no part of the
# game's sound) may reach the game's stderr.
check_quiet() {
    if grep -v 'does not support propagateSizeHints' "$work/probe.err" >&2; then
        failed+=("the game wrote to the terminal")
    fi
}

# check_failed: fails with every fault found, if any.
check_failed() {
    if ((${#failed[@]})); then
        fail "$(printf '%s; ' "${failed[@]}")"
    fi
}
