#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Drags from Kesto onto Tavlo's main window on a real X server, where the source learns only
# what the drag-over answered: a text Tavlo cannot take (more names than it can count) is
# refused while the pointer is over the window, so Kesto keeps every name; names Tavlo takes
# leave Kesto once they have arrived. Driven with xdotool, Kesto's list read over Link.
#   x_kesto_drop_test.sh BIN-DIR SAMPLES-DIR [SCREENSHOT-DIR]   (starts its own Xvfb)
# Exits 77 (skipped) without xvfb-run or xdotool.
set -uo pipefail
bin=$1 samples=$2 shots=${3:-}
source "$(dirname "$0")/../support/under_xvfb.sh" "$@"
export SUITE_LINK_DIR=$work/link
mkdir -p "$SUITE_LINK_DIR" "$work/pics" "$work/k"
chmod 700 "$SUITE_LINK_DIR"
fail() {
  echo "FAIL: $*"
  [ -n "$shots" ] && import -window root "$shots/x-kesto-drop-failure.png" 2>/dev/null
  exit 1
}
linkctl() { "$bin/linkctl" --open-wait 5000 "$@"; }
kesto_count() { linkctl 'KESTO|KESTO' request Label1; }
count_is() { test "$(kesto_count)" = "$1"; }
alive() { kill -0 "$1" 2>/dev/null; }

cp "$samples/wide.jpg" "$samples/photo.jpg" "$samples/tall.jpg" "$work/pics/"
printf '%s\r\n' "$work/pics/wide.jpg" > "$work/start.lst"
(cd "$work" && exec "$bin/tavlo" "$work/start.lst") & pids+=($!)
tavlo=${pids[0]}
f1=$(wait_window "$tavlo" '^Form1$') || fail "no Tavlo window"
xdotool windowmove --sync "$f1" 20 20
(cd "$work/k" && exec "$bin/kesto") & pids+=($!)
kesto=${pids[1]}
kw=$(wait_window "$kesto" '^KESTO$') || fail "no Kesto window"
xdotool windowmove --sync "$kw" 700 20
wait_for 10 linkctl 'KESTO|KESTO' request Label1 || fail "Kesto does not answer over Link"

# Where to drop: the middle of Tavlo's window, below its buttons.
eval "$(xdotool getwindowgeometry --shell "$f1")"
drop_x=$((X + WIDTH / 2)) drop_y=$((Y + HEIGHT * 2 / 3))
# Kesto's list sits 217 pixels below its window's top, rows 13 apart.
row0=$((20 + 217 + 6))
select_all() {
  xdotool mousemove 780 "$row0" click 1
  sleep 0.3
  xdotool key --window "$kw" shift+End
  sleep 0.3
}
drag_to_tavlo() {
  xdotool mousemove 780 "$row0" mousedown 3
  for s in $(seq 1 20); do xdotool mousemove $((780 - s * 10)) $((row0 + s * 3)); sleep 0.05; done
  xdotool mousemove "$drop_x" "$drop_y"
  sleep 0.3
  xdotool mousemove $((drop_x + 5)) "$drop_y"
  sleep 0.3
  xdotool mouseup 3
  sleep 1
}

# 1213 names of 30 characters: more text than Tavlo can count.
names=()
for i in $(seq -w 1 1213); do names+=(execute "/tmp/x/pictures/name-$i.jpg"); done
linkctl 'KESTO|KESTO' "${names[@]}" >/dev/null || fail "could not fill Kesto"
wait_for 10 count_is 1213 || fail "Kesto holds $(kesto_count) names, not 1213"
select_all
drag_to_tavlo
alive "$tavlo" || fail "Tavlo is gone"
alive "$kesto" || fail "Kesto is gone"
[ "$(kesto_count)" = 1213 ] || fail "Kesto holds $(kesto_count) names after a refused drop, not 1213"

# Two pictures Tavlo takes: they leave Kesto once they are in Tavlo's list.
xdotool key --window "$kw" Delete
wait_for 10 count_is 0 || fail "Kesto's list was not emptied ($(kesto_count))"
linkctl 'KESTO|KESTO' execute "$work/pics/photo.jpg" execute "$work/pics/tall.jpg" >/dev/null
wait_for 10 count_is 2 || fail "Kesto holds $(kesto_count) names, not 2"
select_all
drag_to_tavlo
wait_for 10 count_is 0 || fail "Kesto kept $(kesto_count) names that Tavlo took"
[ "$(xdotool getwindowname "$f1")" = "$work/pics/photo.jpg" ] || fail "Tavlo shows $(xdotool getwindowname "$f1")"
[ -n "$shots" ] && import -window root "$shots/x-kesto-drop.png"
echo "1213 names refused while over Tavlo and kept by Kesto; 2 pictures taken and moved"
exit 0
