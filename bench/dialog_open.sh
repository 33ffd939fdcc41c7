#!/usr/bin/env bash
# SPDX-FileCopyrightText: Pontiva developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Opening a JPEG through the open dialog, as a user does, in a real X server
# (Xvfb): from the Return key in the dialog to the picture painted and to the
# process idle, with the CPU of the program and of the X server together and
# the peak memory; Pontiva against a bare Qt viewer (QImageReader into a
# QPixmap on a QLabel, the same dialog) and libjpeg-turbo's djpeg, samples
# interleaved, medians.
#
# Usage: bench/dialog_open.sh [--runs N] [--sizes "WxH ..."] [--build-dir DIR]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build="$here/../build"
runs=5
sizes="1200x900 8000x6000 20000x15000"
while [ $# -gt 0 ]; do
    case "$1" in
    --runs) runs=$2; shift 2 ;;
    --sizes) sizes=$2; shift 2 ;;
    --build-dir) build=$2; shift 2 ;;
    -h | --help) sed -n '4,11p' "$0"; exit 0 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
    esac
done
build=$(cd "$build" && pwd)
for tool in Xvfb djpeg; do
    command -v "$tool" >/dev/null || { echo "$tool not found: scripts/deps.sh installs it" >&2; exit 2; }
done
cmake --build "$build" --target Pontiva bench_pictureload bench_bare_viewer bench_dialogopen -j2 >/dev/null
bin="$build/bench"

work=$(mktemp -d)
xvfb=
cleanup() { [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8
unset WAYLAND_DISPLAY QT_SCALE_FACTOR

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n 1 "$work/display")"

for size in $sizes; do
    "$bin/bench_pictureload" make "$work/chart-$size.jpg" "${size%x*}" "${size#*x}" 2>/dev/null
    cat "$work/chart-$size.jpg" >/dev/null # in the page cache for every sample
done

sample() { # name command...
    local name=$1; shift
    "$@" >>"$work/$name.out" 2>>"$work/errors.log" || { echo "sample $name failed:" >&2; tail -n 3 "$work/errors.log" >&2; exit 1; }
}
for i in $(seq "$runs"); do
    for size in $sizes; do
        picture="$work/chart-$size.jpg"
        # Alternating, so drift in the machine's load hits all three alike.
        BENCH_TITLE=Pontiva sample "pontiva_$size" "$bin/bench_dialogopen" program "$xvfb" "$picture" "$build/pontiva"
        BENCH_TITLE="Bare viewer" sample "bare_$size" "$bin/bench_dialogopen" program "$xvfb" "$picture" "$bin/bench_bare_viewer"
        sample "djpeg_$size" "$bin/bench_dialogopen" djpeg "$picture"
    done
done

median() { sort -g | awk '{v[NR]=$1} END {if (NR%2) print v[(NR+1)/2]; else print (v[NR/2]+v[NR/2+1])/2}'; }
med() { sed -n "s/^$2=//p" "$work/$1.out" | median; }

echo "Opening through the dialog under Xvfb, median of $runs interleaved samples each"
printf '%-12s %-18s %10s %10s %10s %8s %8s\n' size measure Pontiva bare djpeg "/bare" "/djpeg"
for size in $sizes; do
    for key in painted_ms idle_ms total_cpu_ms hwm_kib; do
        p=$(med "pontiva_$size" $key) b=$(med "bare_$size" $key) d=$(med "djpeg_$size" $key)
        awk -v s="$size" -v k="$key" -v p="$p" -v b="$b" -v d="$d" 'BEGIN {
            printf "%-12s %-18s %10.0f %10.0f %10.0f %7.2fx %7.2fx\n", s, k, p, b, d, p / b, p / d }'
    done
    printf '%-12s %-18s %10s %10s\n' "$size" "of which X server" "$(med "pontiva_$size" xcpu_ms)" "$(med "bare_$size" xcpu_ms)"
    printf '%-12s %-18s %10s\n' "$size" "progress shown" \
        "$(sed -n 's/^progress=//p' "$work/pontiva_$size.out" | awk '{s += $1} END {printf "%d of %d", s, NR}')"
done
echo "(total_cpu_ms: the program and the X server together; djpeg: itself alone)"
