# shellcheck shell=bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A private weston for one test: headless, CPU renderer, one 60 Hz output, its own runtime folder
# (short: socket paths are limited to about a hundred bytes) and socket, no X server to fall back
# on. Sourced by the tests of this folder, which set $work (emptied and made private here) and
# may add to $fail_logs (tests/lib/checks.sh) the files a failure should show besides weston's
# own log.
#   fail MESSAGE   says what failed, shows the logs, ends the test
#   start_weston   starts it; weston and everything in $pids are killed when the test ends

rm -rf "${work:?}"
mkdir -p "$work"
chmod 700 "$work"

# shellcheck source=tests/lib/checks.sh
source "${BASH_SOURCE[0]%/*}/../lib/checks.sh"
fail_logs=("$work/weston.log")

pids=()
runtime=$(mktemp -d /tmp/vw.XXXXXX)
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR=$runtime HOME=${work:?} WAYLAND_DISPLAY=velmaro-test
unset DISPLAY

start_weston() {
    # --debug lets weston-screenshooter take pictures.
    weston --backend=headless-backend.so --use-pixman --width=800 --height=900 \
        --socket="$WAYLAND_DISPLAY" --idle-time=0 --debug --log="$work/weston.log" &
    pids+=($!)
    local _
    for _ in $(seq 100); do
        [ -S "$runtime/$WAYLAND_DISPLAY" ] && return 0
        sleep 0.1
    done
    fail "weston did not start"
}
