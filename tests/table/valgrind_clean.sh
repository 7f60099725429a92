#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the real game under valgrind's memcheck on an X server (run under xvfb-run), lets it play,
# stops it with SIGTERM as a session would, and requires a clean exit with no definite leak and no
# memory error in the game's own code (frames in its own sources). Leaks inside the system's
# libraries (glib, D-Bus) are reported in the log but are not the game's.
set -euo pipefail
app=$1
log=$2
# valgrind names the game's own files by their path in the tree (src/table/form1.cpp), and
# everyone else's by their full path or name alone.
tree=$(cd "$(dirname "$0")/../.." && pwd)
sources_re='\\(src/[a-z]+/[a-z_0-9]+\\.(cpp|h):[0-9]+\\)'

# (a child forked to run a helper, such as D-Bus's autolaunch, has none of the game's threads, so
# everything they own looks lost in its copy of memory: only the game itself is judged)
valgrind --leak-check=full --show-leak-kinds=definite --num-callers=40 --log-file="$log" \
    --fullpath-after="$tree/" \
    --child-silent-after-fork=yes "$app" &
pid=$!
sleep "${VALGRIND_PLAY_SECONDS:-12}"
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
[ "$status" = 0 ] || {
    echo "FAIL: the game exited with status $status under valgrind" >&2
    exit 1
}
grep -q 'ERROR SUMMARY' "$log" || {
    echo "FAIL: valgrind did not finish its report" >&2
    exit 1
}

# Each error or leak record is a paragraph of the log. It is the game's own when its innermost
# frame, past the allocator, lies in the game's sources.
own=$(awk -v re="$sources_re" '
    function judge() {
        if (kind && first ~ re) print block
        block = ""; kind = 0; first = ""
    }
    /^==[0-9]+== $/ { judge(); next }
    { block = block "\n" $0 }
    /definitely lost in loss record|Invalid (read|write|free)|uninitialised|Mismatched/ { kind = 1 }
    / (at|by) 0x/ && first == "" && !/vgpreload/ { first = $0 }
    END { judge() }' "$log")
grep -E 'definitely lost:|ERROR SUMMARY' "$log" || true
if [ -n "$own" ]; then
    echo "FAIL: memory errors or definite leaks in the game's own code:" >&2
    echo "$own" >&2
    exit 1
fi
echo "clean: exit 0, no definite leak or memory error of the game's own"
