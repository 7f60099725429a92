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

# How long each step took, for the log: step NAME starts a step and ends the one before.
step_name="" step_start=$SECONDS
step() {
    [ -z "$step_name" ] || echo "bootstrap: $step_name took $((SECONDS - step_start)) s"
    step_name=$1 step_start=$SECONDS
}

# What building and testing need is listed in debian/control's Build-Depends.
# shellcheck source=tools/lib/packages.sh
source "$root/tools/lib/packages.sh"
step installs
ensure_project_packages "$root"

jobs=$(nproc)
# Testing, a warning is an error. Playing leaves the setting as the build has it (off in a new
# one), so that playing after testing builds nothing again.
werror=()
[ "$mode" = play ] || werror=(-DVELMARO_WERROR=ON)
step build
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${werror[@]}"
cmake --build "$build" -j "$jobs"

if [ "$mode" = play ]; then
    step play
    exec "$build/src/app/velmaro"
fi
step tests
ctest --test-dir "$build" --output-on-failure -j "$jobs"

# The same suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer, any report
# fatal; leaks of the system's own libraries are suppressed (tests/sanitizers/lsan.supp).
step "sanitizer build"
sanitized=${VELMARO_SANITIZE_BUILD_DIR:-$build-asan}
sanitize="-fsanitize=address,undefined -fsanitize=float-divide-by-zero -fno-sanitize-recover=all"
sanitize+=" -fno-omit-frame-pointer"
cmake -S "$root" -B "$sanitized" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMARO_WERROR=ON \
    -DCMAKE_CXX_FLAGS="$sanitize" -DCMAKE_EXE_LINKER_FLAGS="$sanitize"
cmake --build "$sanitized" -j "$jobs"
step "sanitizer tests"
# The package test (label package) builds the normal package again, so it runs only above.
LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0" \
    ctest --test-dir "$sanitized" --output-on-failure -j "$jobs" --label-exclude '^package$'
step end
