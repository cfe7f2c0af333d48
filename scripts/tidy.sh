#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Runs clang-tidy with the checks of .clang-tidy over the suite's own sources, with the compile
# commands of the default build (made first if missing). Prints the findings; exits non-zero
# when there are any.
#   scripts/tidy.sh [JOBS]
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
scripts/setup.sh programs tidy || exit 1
[ -f build/default/compile_commands.json ] || cmake --preset default >/dev/null || exit 1
# Sources that are generated or belong to tests are left out.
out=$(run-clang-tidy-14 -p build/default -j "${1:-2}" -quiet \
  "$PWD/(platform|common|console|gvlink|tavlo|kesto|fenrik|prosko|linksample|tools)/" 2>/dev/null |
  sed 's/\x1b\[[0-9;]*m//g' | grep -E 'warning: .*\[[a-z-]+\]$' | sort -u)
if [ -n "$out" ]; then
  echo "$out"
  echo "clang-tidy: $(echo "$out" | wc -l) findings" >&2
  exit 1
fi
echo "clang-tidy: no findings"
