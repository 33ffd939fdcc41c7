#!/bin/sh
# SPDX-FileCopyrightText: Pontiva developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the core fuzz harnesses with clang through CMake and runs each for $1 seconds (default 60).
set -eu
seconds=${1:-60}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
out=${FUZZ_OUT:-$root/build-fuzz}
cxx=${CXX_FUZZ:-clang++-14}
flags="-g -O1 -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all"
cmake -S "$root" -B "$out" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DPONTIVA_FUZZ=ON -DBUILD_TESTING=OFF -DPONTIVA_BENCHMARKS=OFF >/dev/null
harnesses="fuzz_parse fuzz_readout fuzz_snap fuzz_picturecheck fuzz_extraction"
# shellcheck disable=SC2086 # one target name each
cmake --build "$out" -j"$(nproc)" --target $harnesses
bin="$out/fuzz"

# A few sensible starting points: typed numbers, and calibrated frames.
seed() { [ -e "$out/corpus-$1/seed-$2" ] || printf "$3" > "$out/corpus-$1/seed-$2"; }
for harness in $harnesses; do mkdir -p "$out/corpus-$harness"; done
seed fuzz_parse 1 ' - 1 2.5e-3'
seed fuzz_parse 2 '0.000000000000000000000000000001e+0000000000000000000029'
seed fuzz_parse 3 '9007199254740993.00000000000000000000000000001'
seed fuzz_readout 1 '\000\031\031\345\031\031\345\200\115'"0\0018\0010\0014"
seed fuzz_readout 2 '\003\031\031\345\031\031\345\200\115'"1\0011000\0010.1\001100"
seed fuzz_readout 3 '\005\063\063\314\115\077\262\200\200'"0\0016\0010\0015"
seed fuzz_picturecheck 1 '\377\330\377\340\000\004\001\002\377\300\000\013\010\001\054\001\220\001\001\021\000\377\332\000\010\001\001\000\000\077\000\022\377\000\377\331'
seed fuzz_picturecheck 2 'BM\066\000\000\000\000\000\000\000\066\000\000\000\050\000\000\000\002\000\000\000\002\000\000\000\001\000\030\000'
for harness in $harnesses; do
    echo "== $harness for ${seconds}s"
    # Texts up to 4 KiB reach the long-digit paths; pictures up to 48 x 48 fit too.
    "$bin/$harness" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
        -artifact_prefix="$out/$harness-" "$out/corpus-$harness"
done
