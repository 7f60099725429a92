# shellcheck shell=bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fresh minimal Debian 12 roots for CI, made from the Debian archive this machine's apt uses, and
# a way to run a command inside one. Sourced by tools/ci/fresh_machine.sh and the package test.
#   root_tarball TAR       a pristine minbase root, as a tarball
#   root_unpack TAR DIR    a fresh copy of it in DIR
#   root_run DIR CMD...    CMD as root inside DIR, in mount and PID namespaces of its own: every
#                          mount it makes, and every process it leaves, goes when it ends

# Whether this machine can make roots: root rights, namespaces, mmdebstrap. Prints why not.
root_unavailable() {
    if [ "$(id -u)" -ne 0 ]; then
        echo "not root"
    elif ! command -v mmdebstrap >/dev/null; then
        echo "no mmdebstrap"
    elif ! unshare --mount --pid --fork true 2>/dev/null; then
        echo "no mount and PID namespaces"
    else
        return 1
    fi
}

# The apt sources of this machine that serve Debian 12 (bookworm), one deb822 or one-line file
# each, for mmdebstrap to use as they stand.
root_sources() {
    local f
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        if grep -Eq '^[^#]*\bbookworm\b' "$f" && grep -Eq '^[^#]*/debian(-security)?/?\b' "$f"; then
            echo "$f"
        fi
    done
}

root_tarball() {
    local sources
    mapfile -t sources < <(root_sources)
    ((${#sources[@]} > 0)) || {
        echo "no apt source of Debian 12 (bookworm) on this machine" >&2
        return 1
    }
    # A root made for the project's scripts: they need nothing but apt to start. mmdebstrap
    # mounts inside the root it builds: in a mount namespace of its own those mounts end with
    # it, even when it is interrupted, and its scratch folder lies beside the tarball.
    # shellcheck disable=SC2016 # the hook's $1 is mmdebstrap's: the root it makes
    TMPDIR=$(dirname "$1") unshare --mount --propagation private -- \
        mmdebstrap --quiet --variant=minbase --format=tar \
        --customize-hook='cp /etc/hosts "$1/etc/hosts"' \
        bookworm "$1" "${sources[@]}"
}

root_unpack() {
    mkdir -p "$2"
    tar -C "$2" -xf "$1"
}

# The root sees its own /proc, /dev/shm, /run and /tmp; /dev and /sys are the machine's.
root_run() {
    local dir=$1
    shift
    # shellcheck disable=SC2016 # expanded by the shell inside
    unshare --mount --pid --fork --kill-child --propagation private -- bash -euc '
        dir=$1; shift
        # The root a mount point of its own, so that what runs inside can make namespaces too.
        mount --bind "$dir" "$dir"
        mount -t proc proc "$dir/proc"
        mount --rbind /sys "$dir/sys"
        mount --rbind /dev "$dir/dev"
        mount -t tmpfs -o mode=1777 tmpfs "$dir/dev/shm"
        mount -t tmpfs -o mode=755 tmpfs "$dir/run"
        cp /etc/resolv.conf "$dir/etc/resolv.conf" 2>/dev/null || true
        exec chroot "$dir" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" LANG=C.UTF-8 \
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin CI="${CI:-}" "$@"
    ' root_run "$dir" "$@"
}
