# shellcheck shell=bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What the project needs from Debian, and how the scripts under tools/ install it (through
# apt-get, with sudo when not root). Sourced; defines the functions below.
#
# debian/control is the one list of what building and testing need: its Build-Depends, the
# tests' tools marked <!nocheck>. Only what is neither is listed here, once.

# The benchmarks (tools/bench.sh): Google Benchmark, and strace to count system calls.
bench_packages=(libbenchmark-dev strace)

# as_root COMMAND...: COMMAND as root, through sudo when not root already.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        sudo "$@"
    fi
}

# apt_install ARGS...: apt-get with the options of an unattended install.
apt_install() {
    DEBIAN_FRONTEND=noninteractive as_root apt-get "$@" -y -qq --no-install-recommends \
        -o Dpkg::Use-Pty=0
}

# missing_packages PACKAGE...: prints those not installed yet, one a line.
missing_packages() {
    local p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            echo "$p"
        fi
    done
}

# ensure_packages PACKAGE...: installs those not installed yet.
ensure_packages() {
    local missing
    mapfile -t missing < <(missing_packages "$@")
    ((${#missing[@]} > 0)) || return 0
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    apt_install install "${missing[@]}"
}

# ensure_project_packages SOURCE_DIR [PACKAGE...]: installs the Build-Depends of
# SOURCE_DIR/debian/control, tests' tools included, when any is missing (apt-get build-dep, which
# brings build-essential too), and the named packages besides.
ensure_project_packages() {
    local src=$1 missing unmet=
    shift
    mapfile -t missing < <(missing_packages dpkg-dev build-essential "$@")
    if command -v dpkg-checkbuilddeps >/dev/null; then
        # (dpkg-checkbuilddeps fails when something is missing: that is what it is asked)
        unmet=$(cd "$src" && { dpkg-checkbuilddeps 2>&1 || true; } |
            sed -n 's/.*Unmet build dependencies: //p')
    else
        unmet="(all: dpkg-dev is not installed yet)"
    fi
    [ -n "$unmet" ] || ((${#missing[@]} > 0)) || return 0
    echo "Installing: ${missing[*]} ${unmet:+build dependencies $unmet}"
    as_root apt-get update -qq
    if ((${#missing[@]} > 0)); then
        apt_install install "${missing[@]}"
    fi
    if [ -n "$unmet" ]; then
        apt_install build-dep "$src/"
    fi
}
