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
# Exits 77 (skipped) without xvfb-run or xdotool.
set -uo pipefail
bin=$1
source "$(dirname "$0")/../support/under_xvfb.sh" "$@"
fail() { echo "FAIL: $*"; exit 1; }

# Starts a Kesto in folder $1 with sockets in $2, its window at $3,$4, and the arguments after
# them; sets $win.
start_kesto() {
  mkdir -p "$1" "$2"
  chmod 700 "$2"
  (cd "$1" && SUITE_LINK_DIR=$2 exec "$bin/kesto" "${@:5}") & pids+=($!)
  win=$(wait_window "$!" '^KESTO$') || fail "Kesto in $1 shows no window"
  xdotool windowmove --sync "$win" "$3" "$4"
}
link() { local s=$1; shift; SUITE_LINK_DIR=$s "$bin/linkctl" --open-wait 5000 'KESTO|KESTO' "$@"; }
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
# A right-button drag from x1,y1 to x2,y2 in 20 steps.
drag() {
  xdotool mousemove "$1" "$2" mousedown 3
  for s in $(seq 1 20); do xdotool mousemove $(($1 + ($3 - $1) * s / 20)) $(($2 + ($4 - $2) * s / 20)); sleep 0.05; done
  xdotool mouseup 3
  sleep 1
}
# Rows of the list of a window whose top is at $1 (217 pixels below: the menu bar and 2985 twips).
row() { echo $(($1 + 217 + 6 + 13 * $2)); }
select_rows() { # window top, x, first row, last row
  xdotool mousemove "$2" "$(row "$1" "$3")" click 1
  sleep 0.2
  xdotool keydown shift mousemove "$2" "$(row "$1" "$4")" click 1 keyup shift
  sleep 0.3
}
# Closes the message box that Kesto $1 (a pid) shows over its window $2; prints its count.
close_box() {
  local box=
  for _ in $(seq 1 25); do
    box=$(xdotool search --all --pid "$1" --onlyvisible --name '^KESTO$' 2>/dev/null | grep -vx "$2" | head -n 1)
    [ -n "$box" ] && break
    sleep 0.2
  done
  [ -n "$box" ] || return 1
  xdotool windowfocus --sync "$box" key Return
  sleep 0.5
}

# ---- 1. names that would not come back stay in the list ----
mkdir -p "$work/a"
printf 'old\r\n' > "$work/a/out.lst"
start_kesto "$work/a" "$work/sa" 20 20
wa=$win pa=${pids[-1]}
names=(/p/ok.jpg "/p/café.jpg" "/p/wave〜.jpg" "/p/写真.jpg" ";c.jpg" "/p/yen¥.jpg")
feed "$work/sa" "${names[@]}"
sleep 0.3
# out.lst, the first file of the browser, onto Label3 (3735, 2295 twips: 249, 153 pixels).
file_y=$((20 + 18 + 26 + 6))
xdotool mousemove 60 "$file_y" click 1
sleep 0.3
drag 60 "$file_y" $((20 + 249 + 70)) $((20 + 18 + 153 + 20))
select_rows 20 80 0 5
drag 80 "$(row 20 0)" $((20 + 249 + 70)) $((20 + 18 + 153 + 20))
[ "$(count "$work/sa")" = 4 ] || fail "the list holds $(count "$work/sa") names after the drag onto Label3, not 4"
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
select_rows 20 80 0 9
drag 80 "$(row 20 0)" 700 "$(row 20 5)"
# The target refuses what would not fit whole (the source learns only the drag-over's answer).
[ "$(count "$work/sb")" = 31995 ] || fail "the full list holds $(count "$work/sb") after the drop, not 31995"
[ "$(count "$work/sc")" = 10 ] || fail "the source holds $(count "$work/sc") names after a drop that could not take them all, not 10"
# Five fit.
select_rows 20 80 0 4
drag 80 "$(row 20 0)" 700 "$(row 20 5)"
[ "$(count "$work/sb")" = 32000 ] || fail "the full list holds $(count "$work/sb") after a drop of five, not 32000"
[ "$(count "$work/sc")" = 5 ] || fail "the source holds $(count "$work/sc") names after five arrived, not 5"
# Onto the conversion area (1335, 2280 twips: 89, 152 pixels) of a Kesto without GV.
select_rows 20 80 0 4
drag 80 "$(row 20 0)" $((600 + 89 + 70)) $((20 + 18 + 152 + 20))
[ "$(count "$work/sc")" = 5 ] || fail "the source holds $(count "$work/sc") names after a drop on a Kesto without GV, not 5"

# ---- 3. the same list onto itself ----
kill "$pb"
start_kesto "$work/d" "$work/sd" 600 20
wd=$win pd=${pids[-1]}
xdotool windowsize --sync "$wd" 560 700
feed "$work/sd" "${big[@]}"
select_rows 20 640 0 9
drag 640 "$(row 20 0)" 640 "$(row 20 16)"
[ "$(count "$work/sd")" = 31995 ] || fail "the list holds $(count "$work/sd") after ten were dragged onto it, not 31995"
list=$(link "$work/sd" request List1 | tr -d '\r')
[ "$(echo "$list" | head -n 5 | tr '\n' ' ')" = "/big/6.jpg /big/7.jpg /big/8.jpg /big/9.jpg /big/10.jpg " ] || fail "the list begins: $(echo "$list" | head -n 5 | tr '\n' ' ')"
[ "$(echo "$list" | tail -n 5 | tr '\n' ' ')" = "/big/1.jpg /big/2.jpg /big/3.jpg /big/4.jpg /big/5.jpg " ] || fail "the list ends: $(echo "$list" | tail -n 5 | tr '\n' ' ')"
# ---- 4. a conversion in another Kesto: only what GV converted leaves the source ----
kill "$pd"
start_kesto "$work/e" "$work/se" 600 20 "/gv=$bin/gv"
we=$win pe=${pids[-1]}
mkdir -p "$work/pic"
cp "$(dirname "$0")/../../samples/photo.jpg" "$work/pic/photo.jpg"
feed "$work/sc" "$work/pic/photo.jpg"
label2_x=$((600 + 89 + 70)) label2_y=$((20 + 18 + 152 + 20))
xdotool mousemove 80 "$(row 20 5)" click 1
sleep 0.3
drag 80 "$(row 20 5)" "$label2_x" "$label2_y"
sleep 1
# GV shows its window at the end, at 0,0 (no window manager): out of the way with it.
for w in $(xdotool search --onlyvisible --class '^gv$' 2>/dev/null); do xdotool windowmove --sync "$w" 600 600; done
[ -f "$work/e/Convert/photo.bmp" ] || fail "the other Kesto converted nothing"
[ "$(count "$work/sc")" = 5 ] || fail "the source holds $(count "$work/sc") names after one was converted, not 5"
# Names of pictures that do not exist: GV cannot open them, the drop takes nothing.
select_rows 20 80 0 1
drag 80 "$(row 20 0)" "$label2_x" "$label2_y"
sleep 1
close_box "$pe" "$we" || fail "the other Kesto got no drop to convert"
[ "$(count "$work/sc")" = 5 ] || fail "the source holds $(count "$work/sc") names after a conversion that failed, not 5"
echo "list file: 2 names written, 4 kept; nearly full: ten refused and kept, five moved; onto itself: 5 moved, 5 kept; conversion elsewhere: 1 converted and gone, 2 failed and kept"
exit 0
