#!/bin/sh
# SPDX-FileCopyrightText: Pontiva developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the core fuzz harnesses with clang and runs each for $1 seconds (default 60).
set -eu
seconds=${1:-60}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
out=${FUZZ_OUT:-$root/build-fuzz}
cxx=${CXX_FUZZ:-clang++-14}
mkdir -p "$out"
harnesses="fuzz_parse fuzz_readout fuzz_snap fuzz_picturecheck"

core="$root/calibration/numberparsing.cpp $root/calibration/log10.cpp \
      $root/calibration/transform.cpp $root/calibration/positiverule.cpp \
      $root/reading/numberformat.cpp \
      $root/snapping/snapwindow.cpp $root/snapping/marksnap.cpp $root/snapping/crossingsnap.cpp \
      $root/picturecheck/jpegstructure.cpp $root/picturecheck/bmpheader.cpp $root/picturecheck/plausibility.cpp"
flags="-std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I$root"

for harness in $harnesses; do
    # shellcheck disable=SC2086 # word splitting of the source and flag lists is intended
    "$cxx" $flags -o "$out/$harness" "$here/$harness.cpp" $core
done

# A few sensible starting points: typed numbers, and calibrated frames.
seed() { [ -e "$out/corpus-$1/seed-$2" ] || printf "$3" > "$out/corpus-$1/seed-$2"; }
mkdir -p "$out/corpus-fuzz_parse" "$out/corpus-fuzz_readout" "$out/corpus-fuzz_snap" "$out/corpus-fuzz_picturecheck"
seed fuzz_parse 1 ' - 1 2.5e-3'
seed fuzz_parse 2 '0.000000000000000000000000000001e+0000000000000000000029'
seed fuzz_parse 3 '9007199254740993.00000000000000000000000000001'
seed fuzz_readout 1 '\000\031\031\345\031\031\345\200\115'"0\0018\0010\0014"
seed fuzz_readout 2 '\003\031\031\345\031\031\345\200\115'"1\0011000\0010.1\001100"
seed fuzz_readout 3 '\005\063\063\314\115\077\262\200\200'"0\0016\0010\0015"

seed fuzz_picturecheck 1 '\377\330\377\340\000\004\001\002\377\300\000\013\010\001\054\001\220\001\001\021\000\377\332\000\010\001\001\000\000\077\000\022\377\000\377\331'
seed fuzz_picturecheck 2 'BM\066\000\000\000\000\000\000\000\066\000\000\000\050\000\000\000\002\000\000\000\002\000\000\000\001\000\030\000'
for harness in $harnesses; do
    corpus="$out/corpus-$harness"
    mkdir -p "$corpus"
    echo "== $harness for ${seconds}s"
    # Texts up to 4 KiB reach the long-digit paths; pictures up to 48 x 48 fit too.
    "$out/$harness" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
        -artifact_prefix="$out/$harness-" "$corpus"
done
