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

# appstream_clean ROOT: the AppStream metadata under ROOT must validate with nothing to say, at
# any severity, but two things that Debian 12's AppStream 0.16 reports and nobody can change:
# the capital letter of the reverse-DNS id (the project's name), and the developer tag, which it
# does not know yet (AppStream 1.0 reads it; 0.16 reads developer_name beside it).
appstream_clean() {
    local out rest
    out=$(appstreamcli validate-tree --no-net --pedantic "$1" 2>&1) ||
        fail "appstreamcli validate-tree: $out"
    rest=$(grep -E '^[EWIP]: ' <<<"$out" |
        grep -v -E ': (cid-contains-uppercase-letter [^ ]*|unknown-tag developer)$' || true)
    [ -z "$rest" ] || fail "appstreamcli validate-tree: $rest"
}

rm -rf "$work"
mkdir -p "$work"
