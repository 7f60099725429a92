# shellcheck shell=bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What the window tests under openbox share; sourced by them (run under xvfb-run). Kills what
# they started (their pids) on exit, and starts the window manager.
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT

# shellcheck source=tests/lib/checks.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib/checks.sh"

start_openbox() { # starts openbox and waits until it manages the screen
    openbox --sm-disable 2>/dev/null &
    pids+=($!)
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
    done
    fail "openbox did not start"
}
