#!/usr/bin/env bash
# Installs what is missing, builds everything with the tests, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
build=${SPECTRINE_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DSPECTRINE_TESTS=ON -DSPECTRINE_GUI=ON
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
