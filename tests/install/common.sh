# shellcheck shell=bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What the install tests share; sourced once they have set $work, which it empties.
: "${work:?the folder to work in}"

# shellcheck source=tests/lib/checks.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib/checks.sh"

# quietly LOG COMMAND...: runs COMMAND with its output in $work/LOG, shown only if it fails.
quietly() {
    local log=$work/$1
    shift
    "$@" >"$log" 2>&1 || {
        cat "$log"
        fail "$*"
    }
}

# expect_files EXPECTED ACTUAL WHAT: the two files must list the same paths, in any order.
expect_files() {
    diff -u <(LC_ALL=C sort "$1") <(LC_ALL=C sort "$2") || fail "$3 differ from $1"
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

# check_icons HICOLOR NAME: the icon NAME under the hicolor theme folder HICOLOR, rendered at
# every size a desktop asks for, and the drawing itself.
check_icons() {
    local size f
    for size in 16 24 32 48 64 128 256; do
        f=$1/${size}x${size}/apps/$2.png
        [[ "$(file -b "$f")" == "PNG image data, $size x $size,"* ]] || fail "$f: $(file -b "$f")"
    done
    f=$1/scalable/apps/$2.svg
    [[ "$(file -b "$f")" == "SVG Scalable Vector Graphics image"* ]] || fail "$f: $(file -b "$f")"
}

rm -rf "$work"
mkdir -p "$work"
