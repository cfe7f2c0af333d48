#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Installs what the programs, the tests and the package need, then builds and runs every test
# headless: first the normal build, then the sanitizer build (address and undefined behaviour).
# Exits non-zero when anything fails.
#   scripts/check.sh            both presets
#   scripts/check.sh default    one preset
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh programs headless tests packaging || exit 1
presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(default asan)
status=0
for preset in "${presets[@]}"; do
  echo "== $preset =="
  if ! scripts/build.sh "$preset"; then
    echo "build of preset $preset failed" >&2
    status=1
    continue
  fi
  # Tests that need an X server start their own Xvfb; the rest run offscreen.
  ctest --preset "$preset" || status=1
done
exit $status
