# shellcheck shell=bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What the shell tests share: failing, waiting for X windows, and looking at screenshots.
# Sourced; the X helpers need xdotool, xwininfo and ImageMagick, and $DISPLAY.

# fail MESSAGE...: says what went wrong on stderr, followed by the end of each file listed in
# $fail_logs (a server's log, the game's output), and ends the test with status 1.
fail_logs=()
fail() {
    echo "FAIL: $*" >&2
    local log
    for log in "${fail_logs[@]}"; do
        if [ -s "$log" ]; then
            echo "--- ${log##*/}:" >&2
            tail -n 20 "$log" >&2
        fi
    done
    exit 1
}

# wait_for NAME SECONDS [PID]: prints the id of a visible window titled exactly NAME as soon as
# there is one; status 1 after SECONDS, or as soon as process PID (if given) has ended.
wait_for() {
    local end=$((SECONDS + $2)) id
    while ((SECONDS < end)); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || true
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        if [ -n "${3:-}" ] && ! kill -0 "$3" 2>/dev/null; then
            return 1
        fi
        sleep 0.1
    done
    return 1
}

# wait_gone ID SECONDS: returns once window ID is no longer shown; status 1 after SECONDS.
wait_gone() {
    local end=$((SECONDS + $2))
    while xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; do
        ((SECONDS < end)) || return 1
        sleep 0.1
    done
}

# pixel IMAGE X Y: the colour at (X, Y), as "srgb(R,G,B)".
pixel() { convert "$1" -format "%[pixel:p{$2,$3}]" info:; }

# crop IMAGE GEOMETRY OUT: the part GEOMETRY (WxH+X+Y) of IMAGE, saved as OUT.
crop() { convert "$1" -crop "$2" +repage "$3"; }

# differing A B: how many pixels of images A and B differ.
differing() { compare -metric AE "$1" "$2" null: 2>&1 || true; }

# same A B: status 0 when images A and B are equal, pixel for pixel.
same() { [ "$(differing "$1" "$2")" = 0 ]; }
