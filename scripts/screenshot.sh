#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Runs a window program on the current X display, waits until its window is up, saves a
# screenshot of the screen, and ends the program.
#   screenshot.sh [--window] OUT.png WINDOW-NAME [--keys "KEY ..."] PROGRAM [ARGS...]
# With --window the screenshots show the program's window only. With --keys the keys are sent
# to the window (xdotool names) one by one, with a screenshot after each: OUT-2.png, OUT-3.png, ...
set -uo pipefail
shot=root
if [ "${1:-}" = "--window" ]; then shot=window; shift; fi
out=$1 name=$2
shift 2
keys=""
if [ "${1:-}" = "--keys" ]; then keys=$2; shift 2; fi
"$@" &
pid=$!
win=""
for _ in $(seq 1 100); do
  win=$(xdotool search --onlyvisible --name "^$name\$" 2>/dev/null | head -n 1)
  [ -n "$win" ] && break
  kill -0 "$pid" 2>/dev/null || { echo "screenshot: $1 ended before its window showed" >&2; exit 1; }
  sleep 0.2
done
if [ -z "$win" ]; then
  echo "screenshot: no window named $name after 20 s" >&2
  kill "$pid" 2>/dev/null
  exit 1
fi
sleep 1
[ "$shot" = window ] && shot=$win
import -window "$shot" "$out"
n=2
for k in $keys; do
  xdotool key --window "$win" "$k"
  sleep 1.5
  import -window "$shot" "${out%.png}-$n.png"
  n=$((n + 1))
done
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
exit 0
