#!/bin/sh
# SPDX-FileCopyrightText: Pontiva developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from a build folder; with --check, also lists its
# files, checks the ones that must be there and runs lintian where it exists.
#
# usage: packaging/build-deb.sh [BUILD_DIR] [--check]
set -eu
build=${1:-build}
check=${2:-}
build=$(cd "$build" && pwd)
out="$build/deb"
rm -rf "$out"
mkdir -p "$out"
cmake --build "$build" --target Pontiva pontiva_docs >/dev/null
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
deb=$(ls "$out"/pontiva_*.deb)
echo "$deb"
[ "$check" = --check ] || exit 0

contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for f in ./usr/bin/pontiva \
         ./usr/share/applications/org.pontiva.pontiva.desktop \
         ./usr/share/icons/hicolor/48x48/apps/org.pontiva.pontiva.png \
         ./usr/share/icons/hicolor/64x64/apps/org.pontiva.pontiva.png \
         ./usr/share/icons/hicolor/scalable/apps/org.pontiva.pontiva.svg \
         ./usr/share/metainfo/org.pontiva.pontiva.metainfo.xml \
         ./usr/share/man/man1/pontiva.1.gz \
         ./usr/share/doc/pontiva/copyright \
         ./usr/share/doc/pontiva/changelog.gz; do
    echo "$contents" | grep -qx "$f" || { echo "FAIL: $f is not in the package"; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for d in libqt6widgets6 libc6 qt6-image-formats-plugins; do
    echo "$depends" | grep -q "$d" || { echo "FAIL: Depends lacks $d"; exit 1; }
done
# Stripped: no debugging sections left.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg-deb -x "$deb" "$scratch"
if objdump -h "$scratch/usr/bin/pontiva" | grep -q '\.debug_info'; then
    echo "FAIL: the binary is not stripped"
    exit 1
fi
if command -v lintian >/dev/null; then
    # Errors and warnings fail; information and overridden tags do not.
    report=$(lintian --tag-display-limit 0 "$deb" 2>&1 || true)
    echo "$report"
    if echo "$report" | grep -q '^[EW]: '; then
        echo "FAIL: lintian reports errors or warnings"
        exit 1
    fi
else
    echo "lintian not found: not checked"
fi
echo "PASS: $(basename "$deb")"
