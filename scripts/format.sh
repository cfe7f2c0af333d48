#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Formats the suite's C++ sources with the style of .clang-format.
#   scripts/format.sh           formats them in place
#   scripts/format.sh --check   changes nothing; lists the files that are not formatted and
#                               exits non-zero when there are any
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
scripts/setup.sh tidy || exit 1
if [ -d .git ] || [ -f .git ]; then
  mapfile -t files < <(git ls-files '*.cpp' '*.h')
else
  mapfile -t files < <(find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | sort)
fi
if [ "${1:-}" = "--check" ]; then
  bad=()
  for f in "${files[@]}"; do
    clang-format-14 --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
  done
  if [ ${#bad[@]} -gt 0 ]; then
    printf '%s\n' "${bad[@]}"
    echo "clang-format: ${#bad[@]} files are not formatted (scripts/format.sh formats them)" >&2
    exit 1
  fi
  echo "clang-format: all ${#files[@]} files formatted"
else
  clang-format-14 -i "${files[@]}"
fi
