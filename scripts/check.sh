#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Installs what the programs, the tests, the package and the static checks need, then checks the
# house style, builds and runs every test headless (first the normal build, then the sanitizer
# build: address and undefined behaviour) and runs clang-tidy. Exits non-zero when anything fails.
#   scripts/check.sh            all of it
#   scripts/check.sh default    the style and one preset, without clang-tidy
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh programs headless tests packaging tidy || exit 1
presets=("$@")
everything=0
[ ${#presets[@]} -eq 0 ] && presets=(default asan) && everything=1
status=0
echo "== style =="
scripts/format.sh --check || status=1
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
if [ $everything -eq 1 ]; then
  echo "== clang-tidy =="
  scripts/tidy.sh || status=1
fi
exit $status
