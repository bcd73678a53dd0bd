#!/usr/bin/env bash
# Installs what is missing, builds, installs the suite into a system root, and runs the suite's
# main job, the calibration wizard:
#   bash scripts/run.sh            when the X server of $DISPLAY answers, the wizard on it (Qt's
#                                  xcb platform) for you to calibrate your monitors; otherwise a
#                                  sample calibration of the virtual display (a CRT and a flat
#                                  panel) played offscreen through huevista-drive, then the stored
#                                  calibration, the profiles and the loaded ramps
#   bash scripts/run.sh --x11      the wizard on $DISPLAY (an error when no X server answers there)
#   bash scripts/run.sh --virtual  the played sample calibration, even when $DISPLAY answers
# SPECTRINE_ROOT and SPECTRINE_PREFIX choose the system root and the installation prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=auto
case "${1:-}" in
  "") ;;
  --x11) mode=x11 ;;
  --virtual) mode=virtual ;;
  *) echo "Usage: bash scripts/run.sh [--x11|--virtual]" >&2; exit 2 ;;
esac
bash scripts/deps.sh build
# An X server answers when xset can ask it for its settings.
display_answers() { [ -n "${DISPLAY:-}" ] && timeout 10 xset q >/dev/null 2>&1; }
if [ "$mode" = auto ]; then
  if display_answers; then mode=x11; else mode=virtual; fi
elif [ "$mode" = x11 ] && ! display_answers; then
  echo "run.sh: --x11 runs the wizard on the X server of \$DISPLAY, and none answers there" >&2
  exit 2
fi
build=${SPECTRINE_BUILD_DIR:-build-release}
prefix=${SPECTRINE_PREFIX:-$HOME/.local}
suite=$prefix/lib/spectrine
export SPECTRINE_ROOT=${SPECTRINE_ROOT:-${XDG_DATA_HOME:-$HOME/.local/share}/spectrine}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSPECTRINE_TESTS=OFF -DSPECTRINE_GUI=ON \
      -DCMAKE_INSTALL_PREFIX="$prefix"
cmake --build "$build"
cmake --install "$build"
"$suite/spectrine-install" --root "$SPECTRINE_ROOT" --suite "$suite"
suite_key='SOFTWARE\Kalvenmor\Spectrine\95.4'

if [ "$mode" = x11 ]; then
  export SPECTRINE_DISPLAY=x11
  echo "== The wizard on the X server $DISPLAY (system root $SPECTRINE_ROOT)"
  echo "   Finish stores the calibration of every monitor; Cancel gives them back their old ramps."
  status=0
  "$prefix/bin/huevista" || status=$?
  case $status in
    0) echo "== Calibrated:" ;;
    1) echo "== Cancelled: every monitor has its old ramp again"; exit 0 ;;
    *) echo "run.sh: the wizard ended with $status" >&2; exit "$status" ;;
  esac
else
  export SPECTRINE_DISPLAY=virtual
  # The sample calibrates two monitors: the virtual display gets them unless the root says else.
  if [ ! -e "$SPECTRINE_ROOT/display.ini" ]; then
    printf '[Display]\nMonitors=2\n[Monitor1]\nWidth=1024\nHeight=768\n[Monitor2]\nWidth=1024\nHeight=768\n' \
      >"$SPECTRINE_ROOT/display.ini"
  fi
  # Without a preset in force the calibration would be stored unadjusted (identity ramps); the
  # installer's sample calibration makes "sRGB" the target, and the played calibration replaces it.
  presets=$("$prefix/bin/regcmd" "$suite_key\\Preset" 2>/dev/null || true)
  if ! grep -q '^Current=' <<<"$presets"; then
    "$suite/spectrine-install" --root "$SPECTRINE_ROOT" --suite "$suite" --sample-calibration >/dev/null ||
      echo "run.sh: no preset is in force, so the calibration is stored unadjusted (identity ramps)"
  fi
  echo "== The sample calibration played through the wizard on the virtual display (system root $SPECTRINE_ROOT)"
  # (Qt's offscreen platform says for every window raised that it cannot raise it.)
  "$prefix/bin/huevista-drive" "$suite/huevista-drive-sample.ini" 2> >(grep -v 'does not support raise()' >&2)
fi
echo "== The stored calibration ($suite_key\\Calibration)"
# regcmd shows lists as their bytes in hex: the calibrations and the date are shown as text, their
# elements separated by "|", and the builders' binary data not at all.
"$prefix/bin/regcmd" "$suite_key\\Calibration" | while IFS= read -r line; do
  name=${line%%=*}
  case $name in
    Monitor | LCDPanel* | Date)
      printf '%s=%s\n' "$name" "$(printf "$(sed -E 's/ ?([0-9a-f]{2})/\\x\1/g' <<<"${line#*=}")" | tr '\0' '|')" ;;
    PlugInData) echo "$name=(binary)" ;;
    *) echo "$line" ;;
  esac
done
echo "== The monitor profiles ($SPECTRINE_ROOT/WINDOWS/SYSTEM/COLOR)"
ls -1 "$SPECTRINE_ROOT/WINDOWS/SYSTEM/COLOR"
