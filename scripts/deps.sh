#!/usr/bin/env bash
# Installs the Debian packages that building and testing Spectrine need, only those missing.
# Usage: scripts/deps.sh [build|test]   (test = build packages plus the test-only tools)
set -euo pipefail

build_packages=(cmake ninja-build g++ pkg-config libsqlite3-dev libx11-dev libxrandr-dev)
test_packages=(googletest libgtest-dev libgmock-dev liblcms2-dev liblcms2-utils argyll sqlite3
               clang-14 libclang-rt-14-dev libbenchmark-dev
               xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils)

wanted=("${build_packages[@]}")
[ "${1:-build}" = test ] && wanted+=("${test_packages[@]}")

missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
