#!/usr/bin/env bash
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
    g++ make cmake pkg-config qt6-base-dev qt6-multimedia-dev qt6-qpa-plugins libgl-dev
    # testing
    libgtest-dev libgmock-dev xvfb xauth xdotool x11-utils imagemagick fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi

jobs=$(nproc)
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$jobs"

if [ "$mode" = play ]; then
    if [ -x "$build/src/app/velmaro" ]; then
        exec "$build/src/app/velmaro"
    fi
    exec ctest --test-dir "$build" -R trace --output-on-failure
fi
ctest --test-dir "$build" --output-on-failure -j "$jobs"
