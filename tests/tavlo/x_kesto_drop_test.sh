#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Drags from Kesto onto Tavlo's main window on a real X server, where the source learns only
# what the drag-over answered: a text Tavlo cannot take (more names than it can count) is
# refused while the pointer is over the window, so Kesto keeps every name; names Tavlo takes
# leave Kesto once they have arrived. Driven with xdotool, Kesto's list read over Link.
#   x_kesto_drop_test.sh BIN-DIR SAMPLES-DIR [SCREENSHOT-DIR]   (starts its own Xvfb)
# Exits 77 (skipped) without xvfb-run, xdotool or import.
set -uo pipefail
bin=$1 samples=$2 shots=${3:-}
source "$(dirname "$0")/../support/under_xvfb.sh" "$@"
own_link_dir
mkdir -p "$work/pics" "$work/k"
shot_name=x-kesto-drop
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
kesto_menu "$kw"
xdotool windowmove --sync "$kw" 700 20
wait_for 10 linkctl 'KESTO|KESTO' request Label1 || fail "Kesto does not answer over Link"

# Where to drop: the middle of Tavlo's window, below its buttons.
window_at "$f1"
drop_x=$((X + WIDTH / 2)) drop_y=$((Y + HEIGHT * 2 / 3))
# Every name of Kesto's list: the first row clicked, then shift+End. Once the second row shows
# as selected too, the keys have come through.
select_all() {
  kesto_click "$kw" List1 0 || fail "a click does not select Kesto's first row"
  xdotool key --window "$kw" shift+End
  kesto_row "$kw" List1 1
  wait_for 10 selected_at "$CX" "$CY" || fail "shift+End selects nothing more"
}
drag_to_tavlo() {
  kesto_row "$kw" List1 0
  drag "$kesto" 3 "$CX" "$CY" "$drop_x" "$drop_y" || fail "the drag onto Tavlo"
}

# 1213 names of 30 characters: more text than Tavlo can count.
names=()
for i in $(seq -w 1 1213); do names+=(execute "/tmp/x/pictures/name-$i.jpg"); done
linkctl 'KESTO|KESTO' "${names[@]}" >/dev/null || fail "could not fill Kesto"
wait_for 10 count_is 1213 || fail "Kesto holds $(kesto_count) names, not 1213"
kesto_measure "$kw" || fail "no row of Kesto's list shows as selected"
select_all
drag_to_tavlo
alive "$tavlo" || fail "Tavlo is gone"
alive "$kesto" || fail "Kesto is gone"
n=$(stays_equal 1 1213 kesto_count) || fail "Kesto holds $n names after a refused drop, not 1213"

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
