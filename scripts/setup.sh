#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Installs the Debian packages of the named sets of scripts/packages.txt that are missing.
#   scripts/setup.sh SET...     sets: programs headless tests packaging fuzzing tidy, or all
# As root it runs apt-get itself, otherwise through sudo; where neither can work it prints the
# exact command to run and stops.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
list=$here/packages.txt
mapfile -t known < <(sed -n 's/^\[\([a-z]*\)\][[:space:]]*$/\1/p' "$list")
if [ $# -eq 0 ]; then
  echo "usage: scripts/setup.sh SET...   (sets: ${known[*]} all)" >&2
  exit 2
fi
sets=()
for s in "$@"; do
  if [ "$s" = all ]; then
    sets=("${known[@]}")
    break
  fi
  if ! printf '%s\n' "${known[@]}" | grep -qx -- "$s"; then
    echo "setup: no package set \"$s\" in $list (sets: ${known[*]})" >&2
    exit 2
  fi
  sets+=("$s")
done

# The packages of the chosen sets, in the order of the list.
mapfile -t wanted < <(awk -v sets=" ${sets[*]} " '
  /^[[:space:]]*(#|$)/ { next }
  /^\[[a-z]*\][[:space:]]*$/ { gsub(/[][[:space:]]/, ""); on = index(sets, " " $0 " ") > 0; next }
  on { print $1 }' "$list")

missing=()
for p in "${wanted[@]}"; do
  if [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" != "install ok installed" ]; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
cmd=(apt-get install -y --no-install-recommends "${missing[@]}")
if [ "$(id -u)" -eq 0 ]; then
  sudo_cmd=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  sudo_cmd=(sudo)
else
  echo "setup: these packages are missing and I cannot install them without root rights." >&2
  echo "setup: run this, then start me again:" >&2
  echo "  sudo apt-get update && sudo ${cmd[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" "${cmd[@]}"
