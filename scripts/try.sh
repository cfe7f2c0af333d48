#!/usr/bin/env bash
# Sets everything up, builds, and starts Tavlo on the bundled samples. Without a display it
# runs Tavlo under Xvfb, saves screenshots and prints their paths.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/setup.sh
scripts/build.sh default
bin=$root/build/default/bin

# List files name their pictures relative to the folder they are read from.
cd "$root/samples"
args=()
[ -x "$bin/gv" ] && args+=("/gv=$bin/gv")
[ -x "$bin/kesto" ] && args+=("/dr=$bin/kesto")
args+=(samples.lst tall.jpg wide.jpg)

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin/tavlo" "${args[@]}"
fi

shot=$root/build/tavlo-samples.png
echo "No display: running Tavlo under Xvfb."
xvfb-run -a -s '-screen 0 1280x1024x24' \
  "$root/scripts/screenshot.sh" "$shot" Form1 --keys "KP_Add" "$bin/tavlo" "${args[@]}"
echo "Tavlo as it starts:          $shot"
echo "after one step (keypad +):   ${shot%.png}-2.png"
