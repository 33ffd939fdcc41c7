#!/usr/bin/env bash
# SPDX-FileCopyrightText: Pontiva developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the window benchmarks against their bare-Qt floors and prints PASS/MISS per goal.
#
# Usage: bench/run.sh [--runs N] [--xvfb] [--build-dir DIR]
# By default everything runs with QT_QPA_PLATFORM=offscreen (no display
# needed; no compositor or X round trips counted). --xvfb runs the same under
# xvfb-run on the xcb platform instead. Every sample is a fresh process; the
# figure shown is the median of N samples (5 by default). The test picture is
# made once per run, so every open reads it from the page cache.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build="$here/../build"
runs=5
xvfb=0
while [ $# -gt 0 ]; do
    case "$1" in
    --runs) runs=$2; shift 2 ;;
    --xvfb) xvfb=1; shift ;;
    --build-dir) build=$2; shift 2 ;;
    -h | --help) sed -n '6,11p' "$0"; exit 0 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
    esac
done
build=$(cd "$build" && pwd)

if [ "$xvfb" = 1 ] && [ -z "${PONTIVA_BENCH_INNER:-}" ]; then
    command -v xvfb-run >/dev/null || { echo "xvfb-run not found" >&2; exit 2; }
    PONTIVA_BENCH_INNER=1 exec xvfb-run -a -s "-screen 0 1920x1200x24" \
        "$0" --runs "$runs" --build-dir "$build" --xvfb
fi
if [ "$xvfb" = 1 ]; then
    export QT_QPA_PLATFORM=xcb
else
    export QT_QPA_PLATFORM=offscreen
fi
# Own runtime folder: keeps Qt quiet and the user's Pontiva lock untouched.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# Only the bench targets: the rest of the tree may be mid-edit.
cmake --build "$build" --target bench_spawn bench_floor_window bench_startup bench_pictureload -j2 >/dev/null
bin="$build/bench"

median() { sort -g | awk '{v[NR]=$1} END {if (NR%2) print v[(NR+1)/2]; else print (v[NR/2]+v[NR/2+1])/2}'; }

# Two scans: a common one and a large one. Each is made once per run, so
# every open reads it from the page cache.
sizes="8000x6000 20000x15000"
for size in $sizes; do
    "$bin/bench_pictureload" make "$work/chart-$size.jpg" "${size%x*}" "${size#*x}" 2>/dev/null
done
djpeg=$(command -v djpeg || true)

# Every sample appends KEY=value lines to one file per program; medians later.
sample() { # name command...
    local name=$1; shift
    "$@" 2>/dev/null >>"$work/$name.out" || { echo "sample $name failed: $*" >&2; exit 1; }
}
# libjpeg-turbo's own decoder, whole process, output thrown away.
djpeg_sample() { # name picture
    local t0 t1
    t0=$(date +%s%N)
    "$djpeg" -outfile /dev/null "$2" || { echo "djpeg failed on $2" >&2; exit 1; }
    t1=$(date +%s%N)
    echo "ms=$(awk -v a="$t0" -v b="$t1" 'BEGIN {printf "%.3f", (b - a) / 1e6}')" >>"$work/$1.out"
}
for i in $(seq "$runs"); do
    # Floors and Pontiva alternate, so drift in machine load hits both alike.
    sample floor_window "$bin/bench_spawn" "$bin/bench_floor_window"
    sample text_window "$bin/bench_spawn" "$bin/bench_floor_window" --text
    sample startup "$bin/bench_spawn" "$bin/bench_startup"
    for size in $sizes; do
        sample "floor_load_$size" "$bin/bench_pictureload" floor "$work/chart-$size.jpg"
        sample "app_load_$size" "$bin/bench_pictureload" pontiva "$work/chart-$size.jpg"
        [ -n "$djpeg" ] && djpeg_sample "djpeg_$size" "$work/chart-$size.jpg"
    done
done
# med NAME KEY: median of KEY over the samples of NAME
med() { sed -n "s/^$2=//p" "$work/$1.out" | median; }

fs=$(med floor_window spawn_to_paint_ms); as=$(med startup spawn_to_paint_ms)
ts=$(med text_window spawn_to_paint_ms)
fw=$(med floor_window vmhwm_kib)

echo "Platform: $QT_QPA_PLATFORM, median of $runs fresh processes each"
printf '%-40s %12s %12s %7s %6s  %s\n' measure floor Pontiva ratio goal result
row() { # name floor app goal unit
    awk -v n="$1" -v f="$2" -v a="$3" -v g="$4" -v u="$5" 'BEGIN {
        r = a / f
        printf "%-40s %9.1f %-2s %9.1f %-2s %6.2fx %5.2fx  %s\n", n, f, u, a, u, r, g, (r <= g ? "PASS" : "MISS")
    }'
}
row "(a) start-up to first paint" "$fs" "$as" 1.3 ms
for size in $sizes; do
    al=$(med "app_load_$size" ms)
    row "(b) open $size JPEG and show, vs Qt" "$(med "floor_load_$size" ms)" "$al" 0.6 ms
    [ -n "$djpeg" ] && row "    the same, vs djpeg decode alone" "$(med "djpeg_$size" ms)" "$al" 1.5 ms
    # Memory: the decoded pixels plus the empty window, plus 10 %.
    w=${size%x*} h=${size#*x}
    fm=$(awk -v p="$((w * h * 4))" -v w="$fw" 'BEGIN {printf "%.0f", (p / 1024 + w) * 1.1}')
    row "(c) peak RSS, $size shown" "$(awk -v k="$fm" 'BEGIN {print k / 1024}')" \
        "$(awk -v k="$(med "app_load_$size" vmhwm_kib)" 'BEGIN {print k / 1024}')" 1.0 MB
    printf '    Qt floor peak RSS %.1f MB\n' "$(awk -v k="$(med "floor_load_$size" vmhwm_kib)" 'BEGIN {print k / 1024}')"
done
[ -n "$djpeg" ] || echo "(djpeg not found: scripts/deps.sh installs libjpeg-turbo-progs)"
echo "(c) floor = width*height*4 B + empty window VmHWM $(awk -v k="$fw" 'BEGIN {printf "%.1f", k / 1024}') MB, plus 10 %"
echo
echo "Where the time goes (medians, ms)"
printf '  start-up  empty window: before main %s, QApplication %s, main to paint %s\n' \
    "$(med floor_window pre_main_ms)" "$(med floor_window phase_qapplication_ms)" "$(med floor_window main_to_paint_ms)"
printf '            one-label window (text floor, no goal): spawn to paint %s, main to paint %s\n' \
    "$ts" "$(med text_window main_to_paint_ms)"
printf '            Pontiva: before main %s, QApplication %s, Form1() %s, Form_Load %s, to paint %s\n' \
    "$(med startup pre_main_ms)" "$(med startup phase_qapplication_ms)" "$(med startup phase_construct_ms)" \
    "$(med startup phase_form_load_ms)" "$(med startup phase_to_paint_ms)"
for size in $sizes; do
    printf '  %s  Ler_Click %s, then to paint %s\n' "$size" \
        "$(med "app_load_$size" phase_ler_click_ms)" "$(med "app_load_$size" phase_to_paint_ms)"
done
