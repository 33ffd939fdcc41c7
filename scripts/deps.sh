#!/bin/sh
# Installs what Pontiva needs to build, run and test on Debian 12.
set -e
SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo
PACKAGES="build-essential cmake qt6-base-dev qt6-base-dev-tools qt6-base-private-dev libgl-dev \
  libbenchmark-dev \
  fonts-dejavu-core fonts-liberation2 \
  xvfb xauth xdotool desktop-file-utils appstream \
  clang-14 libclang-rt-14-dev zlib1g-dev libjpeg-turbo-progs \
  qt6-image-formats-plugins qt6-qpa-plugins dpkg-dev lintian file \
  pkg-config libxcb1-dev libxcb-xtest0-dev libjpeg62-turbo-dev libpoppler-qt6-dev qpdf"
missing=
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi
