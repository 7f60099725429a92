#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real window as a player sees it under a real window manager (openbox, run under xvfb-run),
# at the scale factors given (1 2): scores of several digits read in full, the goal box wide
# enough for its title in openbox's title bar and centred over the game, crisp centre line, and a
# visible keyboard focus. (A goal box that leaves another program's focus alone: focus_kept.sh.)
#   window_manager.sh PROBE SHOTS SCALE...
set -euo pipefail
probe=$1
shots=$2
shift 2
mkdir -p "$shots"
# shellcheck source=tests/table/openbox_session.sh
source "$(dirname "$0")/openbox_session.sh"

flaws=0
flaw() { # a defect the player would see: reported, and the other checks still run
    echo "FAIL: $*" >&2
    flaws=$((flaws + 1))
}
# client_geometry ID: "X Y WIDTH HEIGHT" of a window's client area on the screen
client_geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
        /^  Width/ {w=$2} /^  Height/ {h=$2} END {print x, y, w, h}'
}
# frame_extents ID: "LEFT RIGHT TOP BOTTOM" of the window manager's frame
frame_extents() { xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g'; }

start_openbox
xdotool mousemove 990 1090 # out of the way

# The title's text width in openbox's title font: the font rc.xml names for the active window,
# at its size in points, at the server's resolution.
rc=/etc/xdg/openbox/rc.xml
font_block=$(sed -n '/<font place="ActiveWindow">/,/<\/font>/p' "$rc")
font_name=$(sed -n 's:.*<name>\(.*\)</name>.*:\1:p' <<<"$font_block")
font_size=$(sed -n 's:.*<size>\(.*\)</size>.*:\1:p' <<<"$font_block")
font_weight=$(sed -n 's:.*<weight>\(.*\)</weight>.*:\1:p' <<<"$font_block")
font_file=$(fc-match -f '%{file}' "$font_name:$font_weight")
dpi=$(xdpyinfo | sed -n 's/.*resolution: *\([0-9]*\)x.*/\1/p')
text_width() {
    convert -density "$dpi" -pointsize "$font_size" -font "$font_file" label:"$1" -trim \
        -format %w info:
}

# score_reads_in_full SHOT LABEL_GEOMETRY RINK_GEOMETRY TEXT SCALE
score_reads_in_full() {
    local shot=$1 text=$4 s=$5 x y w h rx rw
    read -r x y w h <<<"$2"
    read -r rx _ rw _ <<<"$3"
    ((x >= rx && x + w <= rx + rw)) || flaw "$text at ${s}x: label $2 passes the rink $3"
    # The ink of the digits (all that is not ice) in and round the label's box: inside the rink's
    # focus frame, and clear of the centre line under the blue score.
    local m=$((6 * s)) left right ink ix iy iw ih
    left=$((x - m > rx + 3 * s ? x - m : rx + 3 * s))
    right=$((x + w + m < rx + rw - 3 * s ? x + w + m : rx + rw - 3 * s))
    crop "$shot" "$((right - left))x$((h + 2 * s))+$left+$((y - s))" "$shots/score-$text-$s.png"
    ink=$(convert "$shots/score-$text-$s.png" -fuzz 12% -fill white -opaque 'rgb(236,244,248)' \
        -trim -format '%w %h %X %Y' info:)
    read -r iw ih ix iy <<<"${ink//+/}"
    ix=$((ix + left))
    iy=$((iy + y - s))
    ((ix > x && iy > y && ix + iw < x + w && iy + ih < y + h)) || {
        flaw "$text at ${s}x: digits cut at the label's edge (ink ${iw}x$ih+$ix+$iy, box $2)"
        return
    }
    # Every digit there: a bold digit of 24 pixels (at 1x) is more than 12 pixels wide.
    ((iw >= ${#text} * 12 * s)) || flaw "$text at ${s}x: ink only $iw pixels wide"
}

for s in "$@"; do
    export QT_SCALE_FACTOR=$s

    # Red 10 and blue 100 after a goal at the top; then both 99999 after one at the bottom.
    for scores in "10 100 top Red" "99999 99999 bottom Blue"; do
        read -r red blue end side <<<"$scores"
        "$probe" "$red" "$blue" "$end" 500 >"$shots/probe.txt" &
        pids+=($!)
        game=$(wait_for Velmaro 20) || fail "no game window at ${s}x"
        box=$(wait_for "$side goal" 20) || fail "no $side goal box at ${s}x"
        sleep 0.5
        import -window root "$shots/box-$red-$s.png"
        [ "$(xdotool getwindowfocus)" = "$box" ] || flaw "the box did not take the focus at ${s}x"

        read -r bx by bw bh <<<"$(client_geometry "$box")"
        read -r bl br bt _ <<<"$(frame_extents "$box")"
        read -r gx gy gw gh <<<"$(client_geometry "$game")"
        title=$(text_width "$side goal")
        frame=$((bw + bl + br))
        echo "${s}x: box frame $frame pixels wide, title \"$side goal\" $title pixels in $font_name $font_weight ${font_size}pt at $dpi dpi, title bar $bt"
        # Openbox's title bar holds the window icon and three buttons beside the title, each at
        # most as wide as the bar is high.
        ((frame >= title + 4 * bt)) || flaw "${s}x: box $frame pixels wide, its title needs $((title + 4 * bt))"
        centre_offset=$(((2 * bx + bw) - (2 * gx + gw)))
        ((${centre_offset#-} <= 4 && by > gy && by + bh < gy + gh)) ||
            flaw "${s}x: box not centred over the game (box $bx,$by ${bw}x$bh, game $gx,$gy ${gw}x$gh)"

        xdotool key Return
        wait_gone "$box" 10 || fail "the box did not close at ${s}x"
        for _ in $(seq 50); do [ -s "$shots/probe.txt" ] && break; sleep 0.1; done
        sleep 0.5
        shot=$shots/scores-$red-$s.png
        import -window root "$shot"
        rink=$(sed -n 's/^Picture1 //p' "$shots/probe.txt")
        score_reads_in_full "$shot" "$(sed -n 's/^Scorered //p' "$shots/probe.txt")" "$rink" "$red" "$s"
        score_reads_in_full "$shot" "$(sed -n 's/^Scoreblue //p' "$shots/probe.txt")" "$rink" "$blue" "$s"

        if [ "$red" = 10 ]; then
            # The centre line, 1 pixel wide as laid out: s rows of full black, no grey.
            read -r rx ry _ _ <<<"$rink"
            column=$(convert "$shot" -crop "1x$((40 * s))+$((rx + 10 * s))+$((ry + 172 * s))" +repage \
                -depth 8 txt:- | tail -n +2 | awk '{print $3}')
            black=$(grep -cx '#000000' <<<"$column" || true)
            grey=$(grep -cvx -e '#000000' -e '#ECF4F8' <<<"$column" || true)
            ((black == s && grey == 0)) || flaw "${s}x: centre line $black black and $grey grey rows"

            # The rink has the keyboard first; Tab moves it to the slider. Each shows it.
            read -r cx cy cw ch <<<"$(sed -n 's/^cpu //p' "$shots/probe.txt")"
            crop "$shot" "${cw}x$ch+$cx+$cy" "$shots/slider-unfocused-$s.png"
            xdotool key Tab
            sleep 0.5
            import -window root "$shots/tabbed-$s.png"
            crop "$shots/tabbed-$s.png" "${cw}x$ch+$cx+$cy" "$shots/slider-focused-$s.png"
            changed=$(differing "$shots/slider-unfocused-$s.png" "$shots/slider-focused-$s.png")
            ((changed >= 2 * (cw + ch))) || flaw "${s}x: focused slider differs by $changed pixels"
            [ "$(pixel "$shot" $((rx + s)) $((ry + 100 * s)))" != "srgb(236,244,248)" ] ||
                flaw "${s}x: no focus frame on the rink at start"
            [ "$(pixel "$shots/tabbed-$s.png" $((rx + s)) $((ry + 100 * s)))" = "srgb(236,244,248)" ] ||
                flaw "${s}x: the rink still looks focused after Tab"
        fi
        kill "${pids[-1]}"
        wait "${pids[-1]}" 2>/dev/null || true
        unset 'pids[-1]'
        sleep 0.3
    done
done
((flaws == 0)) || fail "$flaws defects"
echo "openbox at ${*/%/x}: scores in full, box fits its title, crisp centre line, focus shown"
