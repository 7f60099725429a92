#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a fresh prefix as `cmake --install` would for a user, then checks what
# a desktop reads from it: exactly the files in FILE_LIST, a valid menu entry and AppStream
# metadata that point at each other, the icons at their sizes, and a binary in BINDIR (relative
# to the prefix) that opens its window with the 48 pixel icon.
#   install_tree.sh BUILD_DIR WORK_DIR FILE_LIST BINDIR
set -euo pipefail
build=$1
work=$2
files=$3
bindir=$4
# shellcheck source=tests/install/common.sh
source "$(dirname "$0")/common.sh"

root=$work/root
prefix=$root/usr
quietly install.log "${CMAKE:-cmake}" --install "$build" --prefix "$prefix"

(cd "$prefix" && find . -not -type d | sed 's|^\./||' | sort) >"$work/installed.txt"
expect_files "$files" "$work/installed.txt" "the installed files"

desktop=$(echo "$prefix"/share/applications/*.desktop)
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate: $out"
# validate-tree also checks that the metainfo's launchable names a .desktop file in the tree.
appstream_clean "$root"

# A distribution's software catalogue, made with appstreamcli compose from the drawing alone (no
# bitmap at hand, so it renders its icons from the SVG, as for an SVG-only package): the game
# must be in it, with its icons.
svg_only=$work/svg-only
cp -a "$root" "$svg_only"
find "$svg_only/usr/share/icons" -name '*.png' -delete
quietly compose.log appstreamcli compose --origin=velmaro --result-root="$work/catalogue" "$svg_only"
catalogue=$work/catalogue/usr/share/swcatalog
zcat "$catalogue/xml/velmaro.xml.gz" | grep -q '<id>io.github.velmaro.Velmaro</id>' ||
    fail "appstreamcli compose left the game out: $(cat "$work/compose.log")"
[[ "$(file -b "$catalogue/icons/velmaro/128x128/io.github.velmaro.Velmaro.png")" == \
    "PNG image data, 128 x 128,"* ]] || fail "appstreamcli compose made no 128 pixel icon"

key() { sed -n "s/^$1=//p" "$desktop"; }
[ -x "$prefix/$bindir/$(key Exec)" ] || fail "Exec=$(key Exec) is not an installed program"
icon=$(key Icon)
check_icons "$prefix/share/icons/hicolor" "$icon"

# The installed game on a private X server. Xvfb picks a free display itself and writes its
# number to fd 3, so this can run beside other tests that start X servers.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 800x900x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
exec 3>&-
game=
trap 'kill $game $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
DISPLAY=:$(head -n 1 "$work/display")
export DISPLAY

"$prefix/$bindir/velmaro" >"$work/game.log" 2>&1 &
game=$!
window=$(wait_for Velmaro 20 "$game") || fail "no Velmaro window; the game said: $(cat "$work/game.log")"

xprop -id "$window" _NET_WM_ICON | grep -q 'Icon (48 x 48)' || fail "the window has no 48 x 48 icon"
class=$(xprop -id "$window" WM_CLASS | sed 's/.*, "\(.*\)"$/\1/')
[ "$class" = "$(key StartupWMClass)" ] ||
    fail "window class $class, the menu entry expects $(key StartupWMClass)"

sleep 1
kill -0 "$game" 2>/dev/null || fail "the game quit by itself; it said: $(cat "$work/game.log")"
kill -TERM "$game"
status=0
wait "$game" || status=$?
# It quits cleanly on the signal (0), or is ended by it (143); anything else is a crash.
[ "$status" = 0 ] || [ "$status" = 143 ] || fail "the game ended with $status on SIGTERM"
echo "installed: $(wc -l <"$work/installed.txt") files, entry and metainfo valid, game started"
