#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Installs what the programs need, builds the programs only (no tests, benchmarks or package)
# and starts Tavlo on the bundled samples. Without a display it runs Tavlo under Xvfb, saves
# screenshots and prints their paths.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
headless=yes
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then headless=""; fi
scripts/setup.sh programs ${headless:+headless}
cmake --preset default >/dev/null
cmake --build --preset default --target programs
bin=$root/build/default/bin

# List files name their pictures relative to the folder they are read from.
cd "$root/samples"
args=()
[ -x "$bin/gv" ] && args+=("/gv=$bin/gv")
[ -x "$bin/kesto" ] && args+=("/dr=$bin/kesto")
args+=(samples.lst tall.jpg wide.jpg)

if [ -z "$headless" ]; then
  exec "$bin/tavlo" "${args[@]}"
fi

shot=$root/build/tavlo-samples.png
echo "No display: running Tavlo under Xvfb."
xvfb-run -a -s '-screen 0 1280x1024x24' \
  "$root/scripts/screenshot.sh" "$shot" Form1 --keys "KP_Add" "$bin/tavlo" "${args[@]}"
echo "Tavlo as it starts:          $shot"
echo "after one step (keypad +):   ${shot%.png}-2.png"
