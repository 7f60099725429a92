# shellcheck shell=bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What the install tests share; sourced once they have set $work, which it empties.
: "${work:?the folder to work in}"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# quietly LOG COMMAND...: runs COMMAND with its output in $work/LOG, shown only if it fails.
quietly() {
    local log=$work/$1
    shift
    "$@" >"$log" 2>&1 || {
        cat "$log"
        fail "$*"
    }
}

# expect_files LIST WHAT: the sorted paths in the file LIST must be exactly those in files.txt.
expect_files() {
    diff -u "$(dirname "${BASH_SOURCE[0]}")/files.txt" "$1" || fail "$2 differ from files.txt"
}

rm -rf "$work"
mkdir -p "$work"
