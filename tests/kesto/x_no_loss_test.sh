#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Real drags under an X server, where a name could get lost between processes:
#  1. names that code page 932 cannot hold, dragged onto the list file area, stay in the list;
#     the list file holds the others, as they were;
#  2. ten names dragged onto the list of a Kesto holding 31,995: refused, the source keeps all
#     ten; five are taken and leave; none leaves for the conversion area of a Kesto without GV;
#  3. ten names of a list holding 31,995 dragged onto itself: none is lost;
#  4. names dragged onto the conversion area of another Kesto: only those converted leave.
# Driven with xdotool, checked over Link with linkctl.
#   x_no_loss_test.sh BIN-DIR            (starts its own Xvfb)
# Exits 77 (skipped) without xvfb-run, xdotool or import.
set -uo pipefail
bin=$1
source "$(dirname "$0")/../support/under_xvfb.sh" "$@"

# Starts a Kesto in folder $1 with sockets in $2, its window at $3,$4, and the arguments after
# them; sets $win.
start_kesto() {
  mkdir -p "$1" "$2"
  chmod 700 "$2"
  (cd "$1" && SUITE_LINK_DIR=$2 exec "$bin/kesto" "${@:5}") & pids+=($!)
  win=$(wait_window "$!" '^KESTO$') || fail "Kesto in $1 shows no window"
  kesto_menu "$win"
  xdotool windowmove --sync "$win" "$3" "$4"
}
link() { local s=$1; shift; SUITE_LINK_DIR=$s linkctl 'KESTO|KESTO' "$@"; }
count() { link "$1" request Label1; }
# Sends names over Link, a few thousand per conversation.
feed() {
  local s=$1 args=()
  shift
  for n in "$@"; do
    args+=(execute "$n")
    if [ ${#args[@]} -ge 8000 ]; then link "$s" "${args[@]}" >/dev/null || fail "no Link"; args=(); fi
  done
  [ ${#args[@]} -eq 0 ] || link "$s" "${args[@]}" >/dev/null || fail "no Link"
}
select_rows() { # Kesto window, first row, last row
  kesto_click "$1" List1 "$2" || fail "a click does not select row $2"
  kesto_click "$1" List1 "$3" shift || fail "a shift-click does not select row $3"
}
# Kesto $1 (a pid) drags the rows of its window $2 selected from row $3 onto control $5 of
# Kesto window $4 (its row $6 when given).
drag_rows() {
  kesto_row "$2" List1 "$3"
  local x=$CX y=$CY
  if [ -n "${6:-}" ]; then kesto_row "$4" "$5" "$6"; else kesto_middle "$4" "$5"; fi
  drag "$1" 3 "$x" "$y" "$CX" "$CY" || fail "the drag of row $3 onto $5"
}
# Closes the message box that Kesto $1 (a pid) shows over its window $2, waiting up to 5 s for
# it to show, and up to 10 s for it to go.
box_shown() { box=$(xdotool search --all --pid "$1" --onlyvisible --name '^KESTO$' 2>/dev/null | grep -vx "$2" | head -n 1); [ -n "$box" ]; }
close_box() {
  wait_for 5 box_shown "$1" "$2" || return 1
  xdotool windowfocus --sync "$box" key Return
  wait_for 10 not box_shown "$1" "$2"
}

# ---- 1. names that would not come back stay in the list ----
mkdir -p "$work/a"
printf 'old\r\n' > "$work/a/out.lst"
start_kesto "$work/a" "$work/sa" 20 20
wa=$win pa=${pids[-1]}
names=(/p/ok.jpg "/p/café.jpg" "/p/wave〜.jpg" "/p/写真.jpg" ";c.jpg" "/p/yen¥.jpg")
feed "$work/sa" "${names[@]}"
kesto_measure "$wa" || fail "no row of the list shows as selected"
# out.lst, the first file of the browser, onto Label3: its caption shows the list file's name
# (cut in two when long).
kesto_click "$wa" File1 0 || fail "a click does not select out.lst"
from_x=$CX from_y=$CY
kesto_middle "$wa" Label3
drag "$pa" 3 "$from_x" "$from_y" "$CX" "$CY" || fail "the drag of out.lst"
label3() { link "$work/sa" request Label3 | tr -d ' '; }
got=$(wait_until_equal 10 "$work/a/out.lst" label3) || fail "Label3 shows $got, not the list file"
select_rows "$wa" 0 5
drag_rows "$pa" "$wa" 0 "$wa" Label3
n=$(wait_until_equal 10 4 count "$work/sa") || fail "the list holds $n names after the drag onto Label3, not 4"
kept=$(link "$work/sa" request List1 | tr -d '\r')
expected=$(printf '%s\n' "/p/café.jpg" "/p/wave〜.jpg" ";c.jpg" "/p/yen¥.jpg")
[ "$kept" = "$expected" ] || fail "the list keeps: $kept"
written=$(iconv -f CP932 -t UTF-8 "$work/a/out.lst" | od -c | head -n 5)
[ "$(iconv -f CP932 -t UTF-8 "$work/a/out.lst")" = "$(printf '/p/ok.jpg\r\n/p/写真.jpg\r\n\r\n')" ] || fail "the list file holds: $written"
close_box "$pa" "$wa" || fail "no message about the names that stayed"
kill "$pa"

# ---- 2. a drop that the limit cuts short takes nothing from its source ----
start_kesto "$work/b" "$work/sb" 600 20
wb=$win pb=${pids[-1]}
xdotool windowsize --sync "$wb" 560 700
big=()
for i in $(seq 1 31995); do big+=("/big/$i.jpg"); done
feed "$work/sb" "${big[@]}"
[ "$(count "$work/sb")" = 31995 ] || fail "the full list holds $(count "$work/sb")"
start_kesto "$work/c" "$work/sc" 20 20
wc=$win pc=${pids[-1]}
xdotool windowsize --sync "$wc" 560 700
ten=()
for i in $(seq 0 9); do ten+=("/ten/$i.jpg"); done
feed "$work/sc" "${ten[@]}"
select_rows "$wc" 0 9
drag_rows "$pc" "$wc" 0 "$wb" List1 5
# The target refuses what would not fit whole (the source learns only the drag-over's answer).
n=$(stays_equal 1 31995 count "$work/sb") || fail "the full list holds $n after the drop, not 31995"
[ "$(count "$work/sc")" = 10 ] || fail "the source holds $(count "$work/sc") names after a drop that could not take them all, not 10"
# Five fit.
select_rows "$wc" 0 4
drag_rows "$pc" "$wc" 0 "$wb" List1 5
n=$(wait_until_equal 10 32000 count "$work/sb") || fail "the full list holds $n after a drop of five, not 32000"
n=$(wait_until_equal 10 5 count "$work/sc") || fail "the source holds $n names after five arrived, not 5"
# Onto the conversion area of a Kesto without GV.
select_rows "$wc" 0 4
drag_rows "$pc" "$wc" 0 "$wb" Label2
n=$(stays_equal 1 5 count "$work/sc") || fail "the source holds $n names after a drop on a Kesto without GV, not 5"

# ---- 3. the same list onto itself ----
kill "$pb"
start_kesto "$work/d" "$work/sd" 600 20
wd=$win pd=${pids[-1]}
xdotool windowsize --sync "$wd" 560 700
feed "$work/sd" "${big[@]}"
select_rows "$wd" 0 9
drag_rows "$pd" "$wd" 0 "$wd" List1 16
# The five the limit let in come last; the five it took leave the top.
five() { local l; l=$(link "$work/sd" request List1 | tr -d '\r'); echo "$l" | "$1" -n 5 | tr '\n' ' '; }
got=$(wait_until_equal 10 "/big/6.jpg /big/7.jpg /big/8.jpg /big/9.jpg /big/10.jpg " five head) || fail "the list begins: $got"
[ "$(five tail)" = "/big/1.jpg /big/2.jpg /big/3.jpg /big/4.jpg /big/5.jpg " ] || fail "the list ends: $(five tail)"
[ "$(count "$work/sd")" = 31995 ] || fail "the list holds $(count "$work/sd") after ten were dragged onto it, not 31995"
# ---- 4. a conversion in another Kesto: only what GV converted leaves the source ----
kill "$pd"
start_kesto "$work/e" "$work/se" 600 20 "/gv=$bin/gv"
we=$win pe=${pids[-1]}
mkdir -p "$work/pic"
cp "$(dirname "$0")/../../samples/photo.jpg" "$work/pic/photo.jpg"
feed "$work/sc" "$work/pic/photo.jpg"
kesto_click "$wc" List1 5 || fail "a click does not select the picture"
drag_rows "$pc" "$wc" 5 "$we" Label2
wait_for 30 test -f "$work/e/Convert/photo.bmp" || fail "the other Kesto converted nothing"
n=$(wait_until_equal 10 5 count "$work/sc") || fail "the source holds $n names after one was converted, not 5"
# GV shows its window at the end, at 0,0 (no window manager): out of the way with it.
gv_shown() { gv=$(xdotool search --onlyvisible --class '^gv$' 2>/dev/null); [ -n "$gv" ]; }
wait_for 10 gv_shown || fail "GV shows no window after the conversion"
for w in $gv; do xdotool windowmove --sync "$w" 600 600; done
# Names of pictures that do not exist: GV cannot open them, the drop takes nothing.
select_rows "$wc" 0 1
drag_rows "$pc" "$wc" 0 "$we" Label2
close_box "$pe" "$we" || fail "the other Kesto got no drop to convert"
n=$(stays_equal 1 5 count "$work/sc") || fail "the source holds $n names after a conversion that failed, not 5"
echo "list file: 2 names written, 4 kept; nearly full: ten refused and kept, five moved; onto itself: 5 moved, 5 kept; conversion elsewhere: 1 converted and gone, 2 failed and kept"
exit 0
