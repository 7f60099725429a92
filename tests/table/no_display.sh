#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Started with no display to open its window on (DISPLAY unset, or naming a server that does not
# exist, and no Wayland display), the game says so in one line and exits with status 1: no abort.
set -euo pipefail
app=$1
work=$2
mkdir -p "$work"
# shellcheck source=tests/lib/checks.sh
source "$(dirname "$0")/../lib/checks.sh"

# A display number with no server: no socket and no lock file.
n=271
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do
    n=$((n + 1))
done

check() { # check NAME EXPECTED_LINE_PATTERN ENV...
    local name=$1 pattern=$2 status=0
    shift 2
    env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_SESSION_TYPE -u QT_QPA_PLATFORM "$@" \
        "$app" >"$work/$name.out" 2>"$work/$name.err" </dev/null || status=$?
    [ "$status" = 1 ] || fail "$name: exit status $status, not 1: $(head -c 300 "$work/$name.err")"
    [ ! -s "$work/$name.out" ] || fail "$name: printed on standard output"
    [ "$(wc -l <"$work/$name.err")" = 1 ] || fail "$name: not one line: $(cat "$work/$name.err")"
    grep -qx -- "$pattern" "$work/$name.err" || fail "$name: said: $(cat "$work/$name.err")"
    echo "$name: $(cat "$work/$name.err")"
}

check unset 'velmaro: cannot open a window: no display (DISPLAY is not set)'
check absent "velmaro: cannot open a window: cannot connect to the X display \":$n\"" DISPLAY=":$n"
