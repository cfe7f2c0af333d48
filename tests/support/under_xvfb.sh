# SPDX-License-Identifier: GPL-2.0-or-later
# Sourced by the test scripts that drive real windows: runs the calling script again under a
# private Xvfb (1280 x 1024, not reset when its last client goes, so that the next program can
# connect at once) with xdotool and ImageMagick's import at hand, or exits 77 (skipped) without
# them. Inside, the window programs use the X server, and a sanitizer build keeps the strict
# string checks away from the X keyboard library, whose own string reads trip them. It gives the test a scratch
# folder $work, a list $pids of the programs to end, waits for commands, windows and selections,
# finds controls from their windows, and drags.
#   source "$(dirname "$0")/../support/under_xvfb.sh" "$@"
if [ -z "${SUITE_UNDER_XVFB:-}" ]; then
  command -v xvfb-run >/dev/null && command -v xdotool >/dev/null && command -v import >/dev/null ||
    { echo "no xvfb-run, xdotool or import (ImageMagick)"; exit 77; }
  SUITE_UNDER_XVFB=1 exec xvfb-run -a -s '-screen 0 1280x1024x24 -noreset' "$0" "$@"
fi
unset QT_QPA_PLATFORM
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}strict_string_checks=0"

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
  local t=$1; shift
  for _ in $(seq 1 $((t * 5))); do "$@" >/dev/null 2>&1 && return 0; sleep 0.2; done
  return 1
}
# Waits up to $1 seconds for the command after $2 to print $2; prints what it printed last when
# it never did:  got=$(wait_until_equal 10 3 count) || fail "3 expected, $got seen"
wait_until_equal() {
  local t=$1 want=$2 got=; shift 2
  for _ in $(seq 1 $((t * 5))); do got=$("$@" 2>/dev/null); [ "$got" = "$want" ] && return 0; sleep 0.2; done
  echo "$got"
  return 1
}
# A refused drop changes nothing and tells nothing back: once the drag has ended, the command
# after $2 must keep printing $2 for $1 seconds; prints the first other answer and fails at once.
stays_equal() {
  local t=$1 want=$2 got; shift 2
  for _ in $(seq 1 $((t * 5))); do
    got=$("$@" 2>/dev/null)
    [ "$got" = "$want" ] || { echo "$got"; return 1; }
    sleep 0.2
  done
}
# Prints the first visible window of process $1 whose name matches $2, waiting up to 15 s.
wait_window() {
  local w
  for _ in $(seq 1 75); do
    w=$(xdotool search --all --pid "$1" --onlyvisible --name "$2" 2>/dev/null | head -n 1)
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.2
  done
  return 1
}
# Whether process $1 is gone; whether the command after not fails.
ended() { ! kill -0 "$1" 2>/dev/null; }
not() { ! "$@"; }

# Ends the test as failed, saying why. A test that keeps screenshots ($shots) also gets one of
# the failure, named $shot_name-failure.png; a test may print more in its own on_failure.
fail() {
  echo "FAIL: $*"
  [ -n "${shots:-}" ] && import -window root "$shots/${shot_name:-x}-failure.png" 2>/dev/null
  declare -F on_failure >/dev/null && on_failure
  exit 1
}

# ---- Link ----
# Gives the programs the test starts, and linkctl, a Link folder of their own.
own_link_dir() {
  export SUITE_LINK_DIR=$work/link
  mkdir -p "$SUITE_LINK_DIR"
  chmod 700 "$SUITE_LINK_DIR"
}
# linkctl of the build under test ($bin), waiting up to 5 s for the server.
linkctl() { "$bin/linkctl" --open-wait 5000 "$@"; }
# How many names the Kesto of the test's Link folder holds, and whether that is $1.
kesto_count() { linkctl 'KESTO|KESTO' request Label1; }
count_is() { test "$(kesto_count)" = "$1"; }

# ---- what the screen shows ----
# Sets X, Y, WIDTH and HEIGHT to where window $1 is (its client area: there is no window manager).
window_at() { eval "$(xdotool getwindowgeometry --shell "$1")"; }
# Twips of a form's design to pixels (15 twips to a pixel on this screen).
px() { echo $(($1 / 15)); }
# Whether the screen at $1,$2 shows a list's selection: the highlight is blue, unlike the
# white of a list, its text and the forms' other colours.
selected_at() {
  local c
  c=$(import -window root -crop "1x1+$1+$2" txt:- 2>/dev/null | sed -n '2s/.*#\([0-9A-Fa-f]\{12\}\).*/\1/p')
  [ -n "$c" ] && [ $((16#${c:8:4})) -gt $((16#${c:0:4} + 16384)) ]
}
# The rows of a list, measured: with its first row selected (clicked near its top edge $2, at
# column $1), sets ROW_TOP (the first row's offset below the top edge) and ROW_H (a row's height)
# from the highlighted band. All lists of the suite use the same font.
measure_rows() {
  local band
  wait_for 10 selected_at "$1" $(($2 + 3)) || return 1
  band=$(import -window root -crop "1x80+$1+$2" txt:- 2>/dev/null | tail -n +2 | while IFS= read -r l; do
    y=${l#0,}; y=${y%%:*}; c=$(echo "$l" | sed 's/.*#\([0-9A-Fa-f]\{12\}\).*/\1/')
    [ $((16#${c:8:4})) -gt $((16#${c:0:4} + 16384)) ] && echo "$y"
  done | awk 'NR == 1 { s = $1; e = $1 } NR > 1 && $1 == e + 1 { e = $1 } END { if (NR) print s, e - s + 1 }')
  [ -n "$band" ] || return 1
  read -r ROW_TOP ROW_H <<<"$band"
  [ "$ROW_H" -ge 8 ] && [ "$ROW_H" -le 40 ] || { echo "a selected band of $ROW_H pixels is no row" >&2; return 1; }
}

# ---- a drag with the mouse ----
# Whether process $1 runs a drag: the toolkit shows a window of 1 x 1 pixels under the pointer
# (an icon without a picture) for as long as the drag lasts.
dragging() {
  local w
  for w in $(xdotool search --all --pid "$1" --onlyvisible --name '' 2>/dev/null); do
    xdotool getwindowgeometry "$w" 2>/dev/null | grep -q 'Geometry: 1x1$' && return 0
  done
  return 1
}
# Process $1 drags with button $2 from $3,$4 to $5,$6 and drops there; returns once the drag has
# ended (fails when none began or it does not end). The pauses only pace the pointer: the window
# system must see a motion, not a jump, and the target answer the last motion before the release.
drag() {
  local pid=$1 b=$2 x1=$3 y1=$4 x2=$5 y2=$6 s
  xdotool mousemove "$x1" "$y1" mousedown "$b"
  for s in $(seq 1 20); do xdotool mousemove $((x1 + (x2 - x1) * s / 20)) $((y1 + (y2 - y1) * s / 20)); sleep 0.05; done
  wait_for 10 dragging "$pid" || { xdotool mouseup "$b"; echo "no drag began at $x1,$y1" >&2; return 1; }
  sleep 0.3
  xdotool mousemove $((x2 + 3)) "$y2"
  sleep 0.3
  xdotool mouseup "$b"
  wait_for 15 not dragging "$pid" || { echo "the drag did not end" >&2; return 1; }
}

# A scratch folder, and the programs the test starts (add their ids to pids): both go when the
# test ends, with any other child of the test.
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  pkill -P $$ 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# ---- Kesto's window ----
# Its controls as its form code (kesto/Form1.cpp) places them, in twips below its menu bar:
# left, top, width, height.
# shellcheck disable=SC2034 # read by name in the functions below
kesto_File1=(120 390 2535 1170) kesto_Label2=(1335 2280 2175 615) \
  kesto_Label3=(3735 2295 2175 630) kesto_List1=(135 2985 5775 1500)
# The menu bar's height: the window's height less the client area of the design (4650 twips),
# read off window $1 while it still has the size it opened with.
kesto_menu() { window_at "$1"; KESTO_MENU=$((HEIGHT - $(px 4650))); }
# Sets CX, CY to the middle of control $2 (a name above, without kesto_) of Kesto window $1.
kesto_middle() {
  local -n c=kesto_$2
  window_at "$1"
  CX=$((X + $(px $((c[0] + c[2] / 2))))) CY=$((Y + KESTO_MENU + $(px $((c[1] + c[3] / 2)))))
}
# Sets CX, CY to row $3 of list $2 (List1 or File1) of Kesto window $1, 30 pixels in from the
# list's right edge: past the names and clear of a scroll bar, where only a selection colours
# the row. List1 grows with the window and ends 100 twips short of its right edge.
kesto_row() {
  local -n c=kesto_$2
  local right
  window_at "$1"
  if [ "$2" = List1 ]; then right=$((WIDTH - $(px 100))); else right=$(px $((c[0] + c[2]))); fi
  CX=$((X + right - 30)) CY=$((Y + KESTO_MENU + $(px "${c[1]}") + ROW_TOP + ROW_H * $3 + ROW_H / 2))
}
# Measures the rows on List1 of Kesto window $1 (see measure_rows): selects its first row.
kesto_measure() {
  local -n c=kesto_List1
  window_at "$1"
  local x=$((X + WIDTH - $(px 100) - 30)) top=$((Y + KESTO_MENU + $(px "${c[1]}")))
  xdotool mousemove "$x" $((top + 3)) click 1
  measure_rows "$x" "$top"
}
# Clicks row $3 of list $2 of Kesto window $1 (with shift held when $4 is shift) and waits up to
# 10 s for the row to show as selected.
kesto_click() {
  kesto_row "$1" "$2" "$3"
  if [ "${4:-}" = shift ]; then xdotool keydown shift mousemove "$CX" "$CY" click 1 keyup shift
  else xdotool mousemove "$CX" "$CY" click 1; fi
  wait_for 10 selected_at "$CX" "$CY"
}
