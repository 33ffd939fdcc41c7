#!/bin/sh
# SPDX-FileCopyrightText: Pontiva developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/ and runs the whole test suite there (the Debian package is
# built from the normal build only). Any report fails the run.
set -e
cd "$(dirname "$0")/.."
root=$(pwd)
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DPONTIVA_BENCHMARKS=OFF \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build build-asan -j"$(nproc)"
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" \
LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    ctest --test-dir build-asan --output-on-failure -j"$(nproc)" -E debian_package "$@"
