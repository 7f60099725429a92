#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Measures Velmaro against its targets and prints one table of figures.
#   tools/bench.sh [MEASUREMENT...]
# Builds in Release in its own build directory (build-bench, or VELMARO_BENCH_BUILD_DIR), keeps
# every tool's own output under <build>/bench-logs, and exits 1 when a target is missed.
# shellcheck disable=SC2317 # the measurements are called through the list at the end
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMARO_BENCH_BUILD_DIR:-$root/build-bench}
logs=$build/bench-logs

# shellcheck source=tools/lib/packages.sh
source "$root/tools/lib/packages.sh"
ensure_project_packages "$root" "${bench_packages[@]}"

# The table: one row per figure, with what it is measured against.
rows=()
missed=0
# row WHAT FIGURE TARGET MET(yes|no)
row() {
    rows+=("$1"$'\t'"$2"$'\t'"$3"$'\t'"$4")
    if [ "$4" != yes ]; then
        missed=1
    fi
}
# below A B: yes when the number A is below B.
below() { awk -v a="$1" -v b="$2" 'BEGIN { print (a < b) ? "yes" : "no" }'; }

# Configures the Release build (again, so that an old cache gets today's options) and builds the
# named targets in it.
build_targets() {
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELMARO_BUILD_BENCH=ON \
        -DVELMARO_BUILD_TESTS=ON -DVELMARO_BUILD_TABLE=ON >>"$logs/configure.txt"
    cmake --build "$build" -j "$(nproc)" --target "$@" >>"$logs/build.txt"
}

# Each measurement builds what it needs, runs it, and adds its rows.

# The figures below only mean something if the Release build plays the game bit for bit.
measure_golden_traces() {
    build_targets velmaro-trace
    local traces=("$root"/tests/trace/golden/*.trace) passed
    local all=${#traces[@]}
    if ctest --test-dir "$build" -R '^trace\.golden\.' --output-on-failure >"$logs/golden.txt"; then
        passed=$all
    else
        passed=$(grep -c ' Passed ' "$logs/golden.txt" || true)
    fi
    row "golden traces replayed by the Release build" "$passed of $all" "all, bit for bit" \
        "$([ "$passed" = "$all" ] && echo yes || echo no)"
}

measure_tick() {
    build_targets velmaro-bench
    "$build/bench/velmaro-bench" --benchmark_format=csv >"$logs/tick.csv" 2>"$logs/tick.txt"
    local median
    median=$(awk -F, '$1 ~ /^"TickOfPlay.*_median"$/ { print $3 }' "$logs/tick.csv")
    if [ -z "$median" ]; then
        row "one tick of play, recorded game (median of 10 runs)" "none, see tick.txt" "< 100 ns" no
        return
    fi
    row "one tick of play, recorded game (median of 10 runs)" "$(printf '%.1f' "$median") ns" \
        "< 100 ns" "$(below "$median" 100)"
}

measure_soak() {
    build_targets velmaro-soak
    local ticks=10000000 status=0
    "$build/tests/soak/velmaro-soak" "$ticks" >"$logs/soak.txt" 2>&1 || status=$?
    # soak: seed S, ticks T, goals G (red R, blue B), ..., wall time W s
    local played goals seconds
    played=$(sed -n 's/.* ticks \([0-9]*\),.*/\1/p' "$logs/soak.txt")
    goals=$(sed -n 's/.* goals \([0-9]*\) .*/\1/p' "$logs/soak.txt")
    seconds=$(sed -n 's/.* wall time \([0-9.]*\) s.*/\1/p' "$logs/soak.txt")
    row "soak: random play, every tick checked" \
        "${played:-?} ticks, ${goals:-?} goals, ${seconds:-?} s" \
        "$ticks ticks, no rule broken" "$([ "$status" = 0 ] && echo yes || echo no)"
}

# The real window on a virtual 1920 x 1080 screen.
on_screen() { xvfb-run -a -s "-noreset -screen 0 1920x1080x24" "$@"; }
# field NAME FILE: the number after NAME in a line of "name value" pairs.
field() { awk -v k="$1" '{ for (i = 1; i < NF; i++) if ($i == k) print $(i + 1) }' "$2"; }

measure_pacing() {
    build_targets velmaro-bench-probe
    on_screen "$build/bench/window/velmaro-bench-probe" pacing 10 >"$logs/pacing.txt" 2>&1 || true
    local nominal mean p99
    nominal=$(field nominal_ms "$logs/pacing.txt")
    mean=$(field mean_ms "$logs/pacing.txt")
    p99=$(field p99_dev_ms "$logs/pacing.txt")
    if [ -z "$mean" ]; then
        row "window tick pacing, 10 s under Xvfb" "none, see pacing.txt" "mean within 2 %" no
        return
    fi
    local off
    off=$(awk -v m="$mean" -v n="$nominal" 'BEGIN { d = (m - n) / n * 100; printf "%.2f", d < 0 ? -d : d }')
    row "window tick interval, mean (nominal $nominal ms)" "$mean ms ($off % off)" \
        "within 2 %" "$(below "$off" 2)"
    row "window tick interval, p99 of |deviation|" "$p99 ms" "< 3 ms" "$(below "$p99" 3)"
}

measure_cpu_and_memory() {
    build_targets velmaro
    on_screen "$root/bench/window/measure.sh" cpu "$build/src/app/velmaro" 10 \
        >"$logs/cpu.txt" 2>&1 || true
    local small large rss
    small=$(field cpu_small_pct "$logs/cpu.txt")
    large=$(field cpu_max_pct "$logs/cpu.txt")
    rss=$(field peak_rss_kb "$logs/cpu.txt")
    if [ -z "$small" ]; then
        row "CPU per second of play" "none, see cpu.txt" "< 2 % / < 4 %" no
        return
    fi
    row "CPU per second of play, laid-out size (median of 3)" "$small % of a core" "< 2 %" \
        "$(below "$small" 2)"
    row "CPU per second of play, 1920 x 1080 (median of 3)" "$large % of a core" "< 4 %" "$(below "$large" 4)"
    build_targets velmaro-bench-probe
    on_screen "$root/bench/window/measure.sh" floor "$build/bench/window/velmaro-bench-probe" 10 \
        >"$logs/floor.txt" 2>&1 || true
    local floor
    floor=$(field cpu_floor_pct "$logs/floor.txt")
    row "  the floor: an empty window with the same timer" "${floor:-?} % of a core" \
        "(for reference)" yes
    row "  the game over the floor, laid-out size" \
        "$(awk -v g="$small" -v f="${floor:-0}" 'BEGIN { if (f > 0) printf "%.1f x", g / f; else print "?" }')" \
        "at most 2 x" "$([ -n "$floor" ] && below "$small" "$(awk -v f="$floor" 'BEGIN { print 2 * f + 0.001 }')" || echo no)"
    local mb
    mb=$(awk -v k="$rss" 'BEGIN { printf "%.1f", k / 1024 }')
    row "peak resident memory, 10 s of play at the laid-out size" "$mb MB" "< 40 MB" \
        "$(below "$mb" 40)"
}

measure_startup() {
    build_targets velmaro-bench-probe
    on_screen "$root/bench/window/measure.sh" startup "$build/bench/window/velmaro-bench-probe" 5 \
        >"$logs/startup.txt" 2>&1 || true
    local ms
    ms=$(field startup_ms "$logs/startup.txt")
    row "start-up to the first painted frame (median of 5)" "${ms:-none} ms" "< 300 ms" \
        "$([ -n "$ms" ] && below "$ms" 300 || echo no)"
}

# The game on Wayland (weston's headless compositor, CPU renderer, 60 Hz) beside the same game on
# X11, in one run, with a naive Qt window moving one disc as the yardstick and an empty window
# with the game's timer as the floor. Each row reads X11 / Wayland where both are measured.
measure_wayland() {
    build_targets velmaro velmaro-bench-probe velmaro-wayland-probe
    on_screen "$root/bench/window/wayland.sh" "$build/src/app/velmaro" \
        "$build/bench/window/velmaro-bench-probe" "$build/tests/wayland/velmaro-wayland-probe" 10 \
        "$build/bench-wayland" >"$logs/wayland.txt" 2>&1 || true
    local f=$logs/wayland.txt wl weston x11 disc disc_weston disc_x11 floor_wl floor_x11
    wl=$(field wl_pct "$f")
    if [ -z "$wl" ]; then
        row "Wayland beside X11" "none, see wayland.txt" "" no
        return
    fi
    weston=$(field weston_pct "$f")
    x11=$(field x11_pct "$f")
    disc=$(field disc_wl_pct "$f")
    disc_weston=$(field disc_weston_pct "$f")
    disc_x11=$(field disc_x11_pct "$f")
    floor_wl=$(field floor_wl_pct "$f")
    floor_x11=$(field floor_x11_pct "$f")
    local limit
    limit=$(awk -v x="$x11" -v d="$disc" 'BEGIN { l = 1.5 * x; if (d < l) l = d; printf "%.2f", l }')
    row "CPU of the game, laid-out size (median of 3), X11 / Wayland (weston meanwhile)" \
        "$x11 % / $wl % ($weston %), $(awk -v w="$wl" -v x="$x11" 'BEGIN { printf "%.2f", w / x }') x" \
        "Wayland at most 1.5 x X11 and the disc: $limit %" \
        "$(below "$wl" "$(awk -v l="$limit" 'BEGIN { print l + 0.001 }')")"
    row "  the moving disc, a naive Qt window, X11 / Wayland (weston)" \
        "$disc_x11 % / $disc % ($disc_weston %)" "(for reference)" yes
    row "  the floor: an empty window with the same timer, X11 / Wayland" \
        "$floor_x11 % / $floor_wl %" "(for reference)" yes
    row "  the game over the floor, X11 / Wayland" \
        "$(awk -v g="$x11" -v f="$floor_x11" 'BEGIN { printf "%.1f", g / f }') x / $(awk -v g="$wl" -v f="$floor_wl" 'BEGIN { printf "%.1f", g / f }') x" \
        "X11 at most 2 x" "$(below "$x11" "$(awk -v f="$floor_x11" 'BEGIN { print 2 * f + 0.001 }')")"
    local fps refresh
    fps=$(field frames_per_s "$f")
    refresh=$(field refresh "$f")
    row "Wayland: frames committed a second, output at $refresh Hz (X11: one a tick)" "$fps" \
        "at most $refresh" "$(below "$fps" "$(awk -v r="$refresh" 'BEGIN { print r + 0.001 }')")"
    row "Wayland: frames whose puck step is off the median by over a quarter, all frames" \
        "$(field uneven_pct "$f") %" "(for reference)" yes
    row "  the same in free flight ($(field flight_frames "$f") frames)" \
        "$(field flight_uneven_pct "$f") %" "0 %" "$(below "$(field flight_uneven_pct "$f")" 0.001)"
    row "Wayland: paint events minimised, 2 s / with a goal box up, 1 s" \
        "$(field hidden_paints "$f") / $(field box_hidden_paints "$f")" "0 / 0" \
        "$([ "$(field hidden_paints "$f")" = 0 ] && [ "$(field box_hidden_paints "$f")" = 0 ] && echo yes || echo no)"
    local mb x11_mb
    mb=$(awk -v k="$(field wl_rss_kb "$f")" 'BEGIN { printf "%.1f", k / 1024 }')
    x11_mb=$(awk -v k="$(field x11_rss_kb "$f")" 'BEGIN { printf "%.1f", k / 1024 }')
    row "peak resident memory, 10 s of play, X11 / Wayland" "$x11_mb MB / $mb MB" "< 40 MB" \
        "$(below "$mb" 40)"
}

# The clicks really playing into a null sink of a private sound server, against the same game
# without a server: on PulseAudio and on PipeWire (pipewire-pulse, WirePlumber), each figure of
# the two side by side in one row.
measure_sound() {
    build_targets velmaro velmaro-beep-probe velmaro-sink-recorder
    local server
    for server in pulseaudio pipewire; do
        VELMARO_TEST_SERVER=$server sound_on "$server"
    done
    sound_rows
}

# sound_on SERVER: runs the sound measurements on one server; the figures go to
# $logs/sound-*-SERVER.txt.
sound_on() {
    local work=$build/bench-sound/$1 name=$1 probe=$build/tests/table/velmaro-beep-probe
    local recorder=$build/tests/table/velmaro-sink-recorder click=$build/src/sound/click.wav
    on_screen "$root/bench/window/measure.sh" sound "$build/src/app/velmaro" 10 "$work/cpu" \
        >"$logs/sound-cpu-$name.txt" 2>&1 || true
    QT_QPA_PLATFORM=offscreen "$root/bench/window/sound.sh" syscalls "$probe" 10 "$work/syscalls" \
        >"$logs/sound-syscalls-$name.txt" 2>&1 || true
    QT_QPA_PLATFORM=offscreen "$root/bench/window/sound.sh" latency "$probe" "$recorder" "$click" 6 \
        "$work/latency" >"$logs/sound-latency-$name.txt" 2>&1 || true
    QT_QPA_PLATFORM=offscreen "$root/bench/window/sound.sh" silence "$probe" "$recorder" "$click" 3 \
        "$work/silence" >"$logs/sound-silence-$name.txt" 2>&1 || true
    QT_QPA_PLATFORM=offscreen "$root/bench/window/sound.sh" nofold "$probe" "$recorder" "$click" 1 \
        "$work/nofold" >"$logs/sound-nofold-$name.txt" 2>&1 || true
}

# both KIND NAME: the figure NAME of measurement KIND on each server, "?" where there is none.
both() {
    local server v
    for server in pulseaudio pipewire; do
        v=$(field "$2" "$logs/sound-$1-$server.txt")
        echo "${v:-?}"
    done
}

# sound_row WHAT TARGET PA_FIGURE PA_MET PW_FIGURE PW_MET: one row, both servers side by side.
sound_row() {
    row "$1" "PulseAudio $3 | PipeWire $5" "$2" \
        "$([ "$4" = yes ] && [ "$6" = yes ] && echo yes || echo "no (PulseAudio $4, PipeWire $6)")"
}

sound_rows() {
    local with without server rss more=() met=() i
    read -r -d '' -a with < <(both cpu cpu_sound_pct) || true
    read -r -d '' -a without < <(both cpu cpu_silent_pct) || true
    read -r -d '' -a server < <(both cpu server_pct) || true
    read -r -d '' -a rss < <(both cpu rss_sound_kb) || true
    for i in 0 1; do
        if [ "${with[i]}" = "?" ] || [ "${without[i]}" = "?" ]; then
            more[i]="?" met[i]=no
            continue
        fi
        more[i]=$(awk -v a="${with[i]}" -v b="${without[i]}" 'BEGIN { printf "%+.2f", a - b }')
        met[i]=$(below "${more[i]}" 0.31)
    done
    sound_row "sound: CPU of the game, clicks into a null sink / no server (median of 3)" \
        "at most +0.3 points" "${with[0]} / ${without[0]} % (${more[0]})" "${met[0]}" \
        "${with[1]} / ${without[1]} % (${more[1]})" "${met[1]}"
    sound_row "  the sound server's own CPU meanwhile, all its processes" "at most 0.3 %" \
        "${server[0]} %" "$(below "${server[0]}" 0.31)" "${server[1]} %" "$(below "${server[1]}" 0.31)"
    local mb=()
    for i in 0 1; do
        mb[i]=$(awk -v k="${rss[i]}" 'BEGIN { printf "%.1f", k / 1024 }')
    done
    sound_row "  peak resident memory, 10 s of play with the clicks" "< 40 MB" \
        "${mb[0]} MB" "$(below "${mb[0]}" 40)" "${mb[1]} MB" "$(below "${mb[1]}" 40)"
    local quiet silent
    read -r -d '' -a quiet < <(both syscalls syscalls_sound) || true
    read -r -d '' -a silent < <(both syscalls syscalls_silent) || true
    for i in 0 1; do
        met[i]=$(below "${quiet[i]}" "$(awk -v s="${silent[i]}" 'BEGIN { print s + 0.05 }')")
    done
    sound_row "  system calls a tick with no click sounding, server / no server (strace)" \
        "no more with the server" "${quiet[0]} / ${silent[0]}" "${met[0]}" \
        "${quiet[1]} / ${silent[1]}" "${met[1]}"
    local lost groups faults clicks median worst
    read -r -d '' -a lost < <(both latency lost) || true
    read -r -d '' -a groups < <(both latency groups) || true
    read -r -d '' -a faults < <(both latency faults) || true
    for i in 0 1; do
        met[i]=$([ "${lost[i]}" = 0 ] && [ "${faults[i]}" = 0 ] && echo yes || echo no)
    done
    sound_row "  clicks lost (beeps within a click's length as one), 6 games of 15 s, passive recorder" \
        "none" "${lost[0]} of ${groups[0]} (faults ${faults[0]})" "${met[0]}" \
        "${lost[1]} of ${groups[1]} (faults ${faults[1]})" "${met[1]}"
    read -r -d '' -a clicks < <(both latency clicks) || true
    read -r -d '' -a median < <(both latency latency_median_ms) || true
    read -r -d '' -a worst < <(both latency latency_worst_ms) || true
    sound_row "  beep to click at the sink, median / worst (clicks with a beep of their own)" \
        "worst at most 30 ms" "${median[0]} / ${worst[0]} ms of ${clicks[0]}" \
        "$(below "${worst[0]}" 30.01)" "${median[1]} / ${worst[1]} ms of ${clicks[1]}" \
        "$(below "${worst[1]}" 30.01)"
    local games whole
    read -r -d '' -a median < <(both silence silence_median_ms) || true
    read -r -d '' -a worst < <(both silence silence_worst_ms) || true
    read -r -d '' -a games < <(both silence games) || true
    read -r -d '' -a whole < <(both silence whole) || true
    for i in 0 1; do
        met[i]=$([ "${whole[i]}" = "${games[i]}" ] && below "${worst[i]}" 30.01 || echo no)
    done
    sound_row "  first click after a goal box left open 15 s (output suspended), median / worst" \
        "whole, at most 30 ms" "${median[0]} / ${worst[0]} ms, ${whole[0]} of ${games[0]} whole" \
        "${met[0]}" "${median[1]} / ${worst[1]} ms, ${whole[1]} of ${games[1]} whole" "${met[1]}"
    local found
    read -r -d '' -a worst < <(both nofold nofold_worst_ms) || true
    read -r -d '' -a found < <(both nofold found) || true
    read -r -d '' -a whole < <(both nofold whole) || true
    for i in 0 1; do
        met[i]=$([ "${whole[i]}" = 1 ] && below "${worst[i]}" 30.01 || echo no)
    done
    sound_row "  first click after 15 s of play with no fold (output suspended), one game" \
        "whole, at most 30 ms" "${worst[0]} ms, found ${found[0]}, whole ${whole[0]}" "${met[0]}" \
        "${worst[1]} ms, found ${found[1]}, whole ${whole[1]}" "${met[1]}"
}

measurements=(measure_golden_traces measure_tick measure_soak measure_pacing measure_cpu_and_memory
    measure_startup measure_wayland measure_sound)
# Names given on the command line (measure_sound, ...) take only those measurements.
if (($#)); then
    measurements=("$@")
fi

mkdir -p "$logs"
: >"$logs/build.txt"
for measure in "${measurements[@]}"; do
    echo "bench: $measure" >&2
    "$measure"
done

printf '%s\n' "measurement"$'\t'"figure"$'\t'"target"$'\t'"met" "${rows[@]}" | awk -F'\t' '
    { for (i = 1; i <= NF; i++) { cell[NR, i] = $i; if (length($i) > w[i]) w[i] = length($i) } }
    END {
        for (r = 1; r <= NR; r++) {
            line = ""
            for (i = 1; i < 4; i++) line = line sprintf("%-" w[i] "s  ", cell[r, i])
            line = line cell[r, 4]
            print line
            if (r == 1) { rule = ""; for (i = 1; i <= 4; i++) rule = rule sprintf("%" w[i] "s", "") (i < 4 ? "  " : ""); gsub(/ /, "-", rule); print rule }
        }
    }'
echo "(raw output of each tool: $logs)"
exit "$missed"
