#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The whole suite end to end, with the real programs on an X server, driven as a user drives
# them (keys and mouse through xdotool) and checked by what they leave behind: the GV stand-in's
# command log, Kesto's list read over Link, the bitmaps GV writes.
#
# Tavlo starts with /gv= (the stand-in), /dr= (Kesto) and a list file; Kesto is started from
# Tavlo's menu; next, copy three times, the board shown and packed by aspect, the slide show
# over GV, every icon sent to Kesto; in Kesto the received names dragged onto the conversion
# area and converted by GV into bitmaps under Convert; last, a real drag across processes: an
# icon of the board in file-name drag mode dropped on Kesto's list.
#   e2e_test.sh BIN-DIR SAMPLES-DIR [SCREENSHOT-DIR]   (starts its own Xvfb)
# Exits 77 (skipped) without xvfb-run, xdotool or import.
set -uo pipefail
bin=$1 samples=$2 shots=${3:-}
source "$(dirname "$0")/../support/under_xvfb.sh" "$@"
own_link_dir
mkdir -p "$work/pics" "$work/k"
shot_name=e2e
on_failure() { [ -f "$work/gv.log" ] && sed 's/^/  gv: /' "$work/gv.log"; }
say() { echo "-- $*"; }
kesto_list() { linkctl 'KESTO|KESTO' request List1 | tr -d '\r' | sed '/^$/d'; }
bitmaps_are() { test "$(ls "$work/k/Convert" 2>/dev/null | grep -c '\.bmp$')" = "$1"; }
# Without a window manager nothing moves the focus: give it to the window, then type. The window
# takes its keys in order, before any later key or click: what they did is checked where it shows.
key() { xdotool windowfocus --sync "$1" 2>/dev/null; xdotool key --window "$1" "$2"; }
title() { xdotool getwindowname "$1"; }
# Tavlo lets events run inside its handlers, so a key that comes while one runs is taken inside
# it: the next key waits until the last one is done. Showing a picture ends by fitting the
# window to it (its geometry holds still); a copy onto the hidden board, the arrangement and the
# drag mode show nothing, and get the time they take instead.
settled() { local g; g=$(xdotool getwindowgeometry "$1"); sleep 0.2; [ "$g" = "$(xdotool getwindowgeometry "$1")" ]; }
unseen_key() { key "$1" "$2"; sleep 0.6; }
# The GV stand-in started for this test (the slide show's, or Kesto's).
gv_runs() { pgrep -f -- "--log $work/gv.log" >/dev/null; }

# Three pictures of three shapes, listed wide, square-ish, tall.
cp "$samples/wide.jpg" "$samples/photo.jpg" "$samples/tall.jpg" "$work/pics/"
wide=$work/pics/wide.jpg photo=$work/pics/photo.jpg tall=$work/pics/tall.jpg
printf '; e2e\r\n%s\r\n%s\r\n%s\r\n' "$wide" "$photo" "$tall" > "$work/e2e.lst"
# GV and Kesto as Tavlo and Kesto start them, with the stand-in's command log.
printf '#!/bin/sh\nexec "%s/gv" "$@" --log "%s/gv.log"\n' "$bin" "$work" > "$work/gv.sh"
printf '#!/bin/sh\ncd "%s/k" && exec "%s/kesto" "/gv=%s/gv.sh"\n' "$work" "$bin" "$work" > "$work/kesto.sh"
chmod +x "$work/gv.sh" "$work/kesto.sh"

say "Tavlo starts on the list"
(cd "$work" && exec "$bin/tavlo" "/gv=$work/gv.sh" "/dr=$work/kesto.sh" "$work/e2e.lst") &
tavlo=$!
pids+=("$tavlo")
f1=$(wait_window "$tavlo" '^Form1$') || fail "no main window"

say "Kesto started from Tavlo's menu (Ctrl+S)"
key "$f1" ctrl+s
wait_for 15 linkctl 'KESTO|KESTO' request Label1 || fail "Kesto does not answer over Link"
# Ours among the Kestos on this machine: the one with this test's Link folder.
kpid=
for p in $(pgrep -f "$bin/kesto"); do
  tr '\0' '\n' < "/proc/$p/environ" 2>/dev/null | grep -qx "SUITE_LINK_DIR=$SUITE_LINK_DIR" && kpid=$p
done
[ -n "$kpid" ] || fail "no Kesto process"
pids+=("$kpid")
kw=$(wait_window "$kpid" '^KESTO$') || fail "no Kesto window"
kesto_menu "$kw"
xdotool windowmove --sync "$kw" 700 20

say "next, copy: three times"
for expect in "$wide" "$photo" "$tall"; do
  key "$f1" KP_Add
  got=$(wait_until_equal 10 "$expect" title "$f1") || fail "the main window shows $got, not $expect"
  wait_for 10 settled "$f1" || fail "the main window does not settle"
  unseen_key "$f1" c
done
key "$f1" Escape
board=$(wait_window "$tavlo" '^Form2-0$') || fail "Esc shows no board"
xdotool windowmove --sync "$board" 340 400
xdotool windowraise "$board"

say "縦横比順配置 (Ctrl+T), then the slide show (Show Me By GV)"
unseen_key "$board" ctrl+t
key "$board" alt+g
wait_for 40 grep -q 'execute: ExitGV()' "$work/gv.log" || fail "the slide show never ended GV"
shown=$(grep '^execute: ' "$work/gv.log" | sed 's/^execute: //')
want=$(printf '%s\n' "[MaxDisp(ON,ON,Black)]" "[FileOpen($tall)]" "[FileOpen($photo)]" "[FileOpen($wide)]" "ExitGV()")
[ "$shown" = "$want" ] || fail "the slide show sent:
$shown"
[ -n "$shots" ] && import -window root "$shots/e2e-tavlo-board.png"

say "Kestoへ全て転送する: every icon to Kesto, in position order"
wait_for 10 not gv_runs || fail "GV still runs after the slide show"
key "$board" alt+a
wait_for 10 count_is 3 || fail "Kesto holds $(kesto_count) names, not 3"
got=$(kesto_list)
[ "$got" = "$(printf '%s\n' "$tall" "$photo" "$wide")" ] || fail "Kesto received:
$got"
[ -n "$shots" ] && import -window root "$shots/e2e-kesto-received.png"

say "in Kesto: the three names dragged onto the conversion area"
: > "$work/gv.log"
kesto_measure "$kw" || fail "no row of Kesto's list shows as selected"
kesto_click "$kw" List1 2 shift || fail "a shift-click does not select Kesto's third row"
kesto_row "$kw" List1 0
from_x=$CX from_y=$CY
kesto_middle "$kw" Label2
drag "$kpid" 3 "$from_x" "$from_y" "$CX" "$CY" || fail "the drag onto the conversion area"
wait_for 40 bitmaps_are 3 || fail "Convert holds: $(ls "$work/k/Convert" 2>/dev/null)"
wait_for 10 count_is 0 || fail "the converted names stay in Kesto's list ($(kesto_count))"
for n in wide photo tall; do
  [ -s "$work/k/Convert/$n.bmp" ] || fail "no bitmap for $n"
  head -c 2 "$work/k/Convert/$n.bmp" | grep -q BM || fail "$n.bmp is no bitmap"
done
grep -q "execute: \[FileSaveEx(\"$work/k/Convert/tall.bmp\",ON,ON)\]" "$work/gv.log" || fail "GV was not asked to save tall.bmp"

say "a real drag across processes: a board icon in file-name drag mode onto Kesto's list"
unseen_key "$board" d
# The first icon of the arrangement, at the top left of the board's container (Picture1, at 0,0
# of the board's client area below its menu bar: tavlo/Form2.cpp): 150, 330 twips into it.
window_at "$board"
icon_x=$((X + $(px 150))) icon_y=$((Y + HEIGHT - $(px 6000) + $(px 330)))
kesto_row "$kw" List1 3
drag "$tavlo" 1 "$icon_x" "$icon_y" "$CX" "$CY" || fail "the drag of a board icon"
wait_for 10 count_is 1 || fail "Kesto holds $(kesto_count) names after the drag, not 1"
[ "$(kesto_list)" = "$tall" ] || fail "the drag brought: $(kesto_list)"
[ -n "$shots" ] && import -window root "$shots/e2e-after-drag.png"

say "全終了 (Ctrl+Q) ends Tavlo"
key "$f1" ctrl+q 2>/dev/null # the window is gone before the key's release reaches it
wait_for 10 ended "$tavlo" || fail "Tavlo still runs after 全終了"
echo "end to end: slide show, transfer, conversion and a drag across processes all arrived"
exit 0
