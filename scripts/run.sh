#!/usr/bin/env bash
# Installs what is missing, builds, installs the suite into a fresh system root, and runs the
# suite's main job.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh build
build=${SPECTRINE_BUILD_DIR:-build-release}
prefix=${SPECTRINE_PREFIX:-$HOME/.local}
export SPECTRINE_ROOT=${SPECTRINE_ROOT:-${XDG_DATA_HOME:-$HOME/.local/share}/spectrine}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSPECTRINE_TESTS=OFF \
      -DCMAKE_INSTALL_PREFIX="$prefix"
cmake --build "$build"
cmake --install "$build"
"$prefix/lib/spectrine/spectrine-install" --root "$SPECTRINE_ROOT" --suite "$prefix/lib/spectrine"
suite_key='SOFTWARE\Kalvenmor\Spectrine\95.4'
echo "== $suite_key"
"$prefix/bin/regcmd" "$suite_key"
"$prefix/bin/regcmd" "$suite_key" | sed -n 's/^\*\([^*]*\)\*.*/\1/p' | while IFS= read -r sub; do
  echo "== $suite_key\\$sub"
  "$prefix/bin/regcmd" "$suite_key\\$sub"
done
