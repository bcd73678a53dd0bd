#!/usr/bin/env bash
# Installs the Debian packages that building and testing Spectrine need, only those missing.
# Usage: scripts/deps.sh [build|test]   (test = build packages plus the test-only tools)
set -euo pipefail

# windres compiles the resource scripts; Qt (the GUI driver; its private headers give the
# offscreen plugin's display changes) and the metric-compatible Liberation faces the programs
# draw their text with; xdg-open (xdg-utils) opens files, addresses and help pages for the shell;
# xset (x11-xserver-utils) tells run.sh whether the X server of $DISPLAY answers.
build_packages=(cmake ninja-build g++ pkg-config libsqlite3-dev libx11-dev libxrandr-dev
                binutils-mingw-w64-x86-64 qt6-base-dev qt6-base-private-dev fonts-liberation2 xdg-utils
                x11-xserver-utils)
test_packages=(googletest libgtest-dev libgmock-dev liblcms2-dev liblcms2-utils argyll sqlite3
               clang-14 libclang-rt-14-dev libbenchmark-dev
               xserver-xorg-core xserver-xorg-video-dummy x11-utils locales)

wanted=("${build_packages[@]}")
[ "${1:-build}" = test ] && wanted+=("${test_packages[@]}")

missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The tests check that numbers stay in the C locale under one that writes decimal commas, and
# that names fold the same way everywhere under an 8-bit locale that folds letters above 127.
if [ "${1:-build}" = test ] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8 || echo "deps.sh: could not make the de_DE.UTF-8 locale"
fi
if [ "${1:-build}" = test ] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.iso-\?8859-\?1$'; then
  $sudo localedef -i de_DE -f ISO-8859-1 de_DE.ISO-8859-1 ||
    echo "deps.sh: could not make the de_DE.ISO-8859-1 locale"
fi
