#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# CI: the README's test command on a fresh Debian 12 machine. Makes a pristine minimal root from
# the Debian archive this machine's apt uses, copies a clean checkout of the tree (and ../shared)
# into it, and runs `tools/bootstrap.sh test` there unchanged; then, in the same root, checks that
# `tools/bootstrap.sh play` shows the game's window. Each stage says how long it took; a failed
# one says so in one line, last. Every run works in a folder of its own under $VELMARO_CI_DIR
# (/var/tmp/velmaro-ci), removed at the end (kept with VELMARO_CI_KEEP=1); its mounts and
# processes live in namespaces that end with it, Ctrl-C included.
# Where no root can be made here (no root rights), says so and runs the test command in place.
set -euo pipefail
tree=$(cd "$(dirname "$0")/../.." && pwd)
cd "$tree"
# shellcheck source=tools/lib/packages.sh
source tools/lib/packages.sh
# shellcheck source=tools/ci/root.sh
source tools/ci/root.sh

if [ "$(id -u)" -eq 0 ]; then
    ensure_packages mmdebstrap >/dev/null
fi
if why=$(root_unavailable); then
    echo "ci: cannot make a fresh Debian root here ($why): running the test command in place"
    exec tools/bootstrap.sh test
fi

base=${VELMARO_CI_DIR:-/var/tmp/velmaro-ci}
mkdir -p "$base"
# Folders of runs that ended without cleaning up (killed outright) hold no lock: remove them.
for old in "$base"/run.*; do
    [ -d "$old" ] || continue
    if flock -n "$old/lock" true 2>/dev/null; then
        rm -rf "$old"
    fi
done
run=$(mktemp -d "$base/run.XXXXXX")
exec 9>"$run/lock"
flock -n 9

child=
stage_name=
# kill_tree PID: the process and everything it started (a root's namespaces end with their unshare).
kill_tree() {
    local c
    for c in $(ps -o pid= --ppid "$1" 2>/dev/null); do
        kill_tree "$c"
    done
    kill "$1" 2>/dev/null || true
}
cleanup() {
    local status=$?
    trap - EXIT INT TERM
    if [ -n "$child" ]; then
        kill_tree "$child"
        wait "$child" 2>/dev/null || true
    fi
    if grep -qF " $run/" /proc/mounts; then
        echo "ci: mounts left behind under $run:" >&2
        grep -F " $run/" /proc/mounts >&2
        status=1
    elif [ -z "${VELMARO_CI_KEEP:-}" ]; then
        rm -rf "$run"
    fi
    if ((status != 0)) && [ -n "$stage_name" ]; then
        echo "ci: FAILED in stage '$stage_name' (status $status)" >&2
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# stage NAME COMMAND...: one stage, timed; the log shows where it starts and how long it took.
times=()
stage() {
    stage_name=$1
    shift
    echo "ci: stage '$stage_name'"
    local start=$SECONDS
    "$@" &
    child=$!
    wait "$child"
    child=
    times+=("$stage_name $((SECONDS - start)) s")
    echo "ci: stage '$stage_name' took $((SECONDS - start)) s"
}

root=$run/root
make_root() {
    root_tarball "$run/pristine.tar"
    root_unpack "$run/pristine.tar" "$root"
    rm "$run/pristine.tar"
}
# A clean checkout: what the current commit holds, nothing of the work tree.
copy_tree() {
    mkdir -p "$root/srv/velmaro/main"
    git -C "$tree" archive --format=tar HEAD | tar -xf - -C "$root/srv/velmaro/main"
    if [ -d "$tree/../shared" ]; then
        cp -a "$tree/../shared" "$root/srv/velmaro/shared"
    fi
    echo "ci: $(git -C "$tree" rev-parse --short HEAD) copied into a fresh root at $root"
}
# The README's test command, as it stands there. Its two ctest runs must have run tests.
test_command() {
    root_run "$root" bash -c 'cd /srv/velmaro/main && tools/bootstrap.sh test' 2>&1 |
        tee "$run/test.log"
    local passed
    passed=$(grep -cE '^100% tests passed, 0 tests failed out of [1-9][0-9]*$' "$run/test.log" || true)
    ((passed == 2)) || {
        echo "ci: expected two full test runs, saw $passed" >&2
        return 1
    }
}
# (bash stays the root's first process: xvfb-run as process 1 of the namespace never heard
# Xvfb's ready signal and waited for ever)
play_command() {
    root_run "$root" bash -c 'cd /srv/velmaro/main && xvfb-run -a -s "-noreset -screen 0 800x900x24" \
        tests/installed/window_opens.sh 300 tools/bootstrap.sh play; exit $?'
}

stage root make_root
stage checkout copy_tree
stage "tools/bootstrap.sh test" test_command
stage "tools/bootstrap.sh play" play_command
stage_name=
joined=$(printf '%s, ' "${times[@]}")
echo "ci: passed on a fresh Debian 12 root; stages: ${joined%, }"
