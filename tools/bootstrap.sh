#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up a Debian 12 machine for Velmaro, builds it, and then plays or tests it.
#   tools/bootstrap.sh play   install what is missing, build, start the game
#   tools/bootstrap.sh test   install what is missing, build, run every test
set -euo pipefail

mode=${1:-play}
case "$mode" in
play | test) ;;
*)
    echo "usage: $0 play|test" >&2
    exit 2
    ;;
esac

root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMARO_BUILD_DIR:-$root/build}

packages=(
    # building
    g++ make cmake pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev libpulse-dev
    librsvg2-bin
    # testing
    libgtest-dev libgmock-dev xvfb xauth xdotool x11-utils imagemagick fonts-dejavu-core
    openbox fontconfig
    pulseaudio pulseaudio-utils sox valgrind libsdl2-dev python3 strace
    # the game native on Wayland: weston's headless compositor and Qt's platform plugin
    weston qt6-wayland
    # installing and packaging: validators, dpkg-buildpackage with debhelper, lintian,
    # hardening-check (devscripts), the manual page reader
    desktop-file-utils appstream appstream-compose file build-essential dpkg-dev debhelper lintian devscripts
    man-db xz-utils
    # the sanitizers' runtimes for the second test build (g++ brings them; named for clarity)
    libasan8 libubsan1
)

# shellcheck source=tools/lib/packages.sh
source "$root/tools/lib/packages.sh"
ensure_packages "${packages[@]}"

jobs=$(nproc)
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$jobs"

if [ "$mode" = play ]; then
    exec "$build/src/app/velmaro"
fi
ctest --test-dir "$build" --output-on-failure -j "$jobs"

# The same suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer, any report
# fatal; leaks of the system's own libraries are suppressed (tests/sanitizers/lsan.supp).
sanitized=${VELMARO_SANITIZE_BUILD_DIR:-$build-asan}
sanitize="-fsanitize=address,undefined -fsanitize=float-divide-by-zero -fno-sanitize-recover=all"
sanitize+=" -fno-omit-frame-pointer"
cmake -S "$root" -B "$sanitized" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS="$sanitize" -DCMAKE_EXE_LINKER_FLAGS="$sanitize"
cmake --build "$sanitized" -j "$jobs"
# The package test (label package) builds the normal package again, so it runs only above.
LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0" \
    ctest --test-dir "$sanitized" --output-on-failure -j "$jobs" --label-exclude '^package$'
