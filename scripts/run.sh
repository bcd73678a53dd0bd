#!/usr/bin/env bash
# Installs what is missing, builds, installs the suite into a fresh system root, and runs the
# suite's main job: a sample calibration of the first monitor, the profiles of the preset in
# force and its gamma ramp loaded, then where the profiles are and what ramp the monitor holds.
#   bash scripts/run.sh          on the virtual display (monitors of <root>/display.ini)
#   bash scripts/run.sh --x11    on the X server of $DISPLAY: its first monitor's ramp changes
# SPECTRINE_ROOT and SPECTRINE_PREFIX choose the system root and the installation prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
display=virtual
case "${1:-}" in
  "") ;;
  --x11) display=x11 ;;
  *) echo "Usage: bash scripts/run.sh [--x11]" >&2; exit 2 ;;
esac
if [ "$display" = x11 ] && [ -z "${DISPLAY:-}" ]; then
  echo "run.sh: --x11 loads the ramp on a running X server, and \$DISPLAY names none" >&2
  exit 2
fi
bash scripts/deps.sh build
build=${SPECTRINE_BUILD_DIR:-build-release}
prefix=${SPECTRINE_PREFIX:-$HOME/.local}
export SPECTRINE_ROOT=${SPECTRINE_ROOT:-${XDG_DATA_HOME:-$HOME/.local/share}/spectrine}
export SPECTRINE_DISPLAY=$display
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSPECTRINE_TESTS=OFF \
      -DCMAKE_INSTALL_PREFIX="$prefix"
cmake --build "$build"
cmake --install "$build"
report=$(mktemp)
trap 'rm -f "$report"' EXIT
"$prefix/lib/spectrine/spectrine-install" --root "$SPECTRINE_ROOT" --suite "$prefix/lib/spectrine" \
    --sample-calibration | tee "$report"
suite_key='SOFTWARE\Kalvenmor\Spectrine\95.4'
for sub in '' '\Settings'; do
  echo "== $suite_key$sub"
  "$prefix/bin/regcmd" "$suite_key$sub"
done
echo "== The main job on the $display display (system root $SPECTRINE_ROOT)"
sed -n '/^Sample calibration/,$p' "$report"
