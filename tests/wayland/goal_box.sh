#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The goal box's title reads in full in the title bar Qt draws itself on Wayland (weston has no
# server-side decorations), at each scale factor given. That decoration centres the title across
# the bar and clips it 77 pixels short of the bar's right end, where its three buttons are (three
# of 18 pixels, two gaps and a margin of 5, 8 pixels at the edge, 5 before the title's clip); it
# draws in a 14-pixel face, in the compositor's pixels at any Qt scale factor. A screenshot of
# each box is left in WORK_DIR.
#   goal_box.sh PROBE WORK_DIR SCALE...
set -euo pipefail
probe=$1
work=$2
shift 2
# shellcheck source=tests/wayland/weston_session.sh
source "$(dirname "$0")/weston_session.sh"
start_weston

clip=77
for s in "$@"; do
    QT_SCALE_FACTOR=$s QT_QPA_PLATFORM=wayland "$probe" box >"$work/box-$s.txt" \
        2>"$work/probe-$s.log" &
    pids+=($!)
    for _ in $(seq 100); do
        [ -s "$work/box-$s.txt" ] && break
        sleep 0.1
    done
    sleep 0.5
    rm -f "$work"/wayland-screenshot-*.png
    if (cd "$work" && weston-screenshooter) >/dev/null 2>&1; then
        mv "$work"/wayland-screenshot-*.png "$work/box-$s.png"
    fi
    wait "${pids[-1]}" || fail "the probe ended with status $? at ${s}x"
    unset 'pids[-1]'
    read -r what title width bar <"$work/box-$s.txt" || fail "no box at ${s}x"
    [ "$what" = box ] || fail "no box at ${s}x"
    need=$((title + 2 * clip))
    echo "${s}x: box $width pixels wide with a title bar of $bar, title $title pixels: needs $need"
    ((width >= need)) || fail "${s}x: the title is cut: box $width pixels wide, needs $need"
done
