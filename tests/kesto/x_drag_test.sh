#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Real drags under an X server: two Kestos side by side; a right-button drag of two items from
# the first one's list onto the second one's list moves them over, and a file dragged from the
# first one's file list onto its own list joins it. Driven with xdotool, checked over Link.
#   x_drag_test.sh BIN-DIR            (starts its own Xvfb)
# Exits 77 (skipped) without xvfb-run or xdotool.
set -uo pipefail
bin=$1
source "$(dirname "$0")/../support/under_xvfb.sh" "$@"
fail() { echo "FAIL: $*"; exit 1; }

mkdir -p "$work/a/pics" "$work/b" "$work/sa" "$work/sb"
chmod 700 "$work/sa" "$work/sb"
for n in alpha beta gamma; do : > "$work/a/pics/$n.jpg"; done

# The first window at 20,20; the second at 600,20 (without a window manager both open at 0,0).
(cd "$work/a/pics" && SUITE_LINK_DIR=$work/sa exec "$bin/kesto") & pids+=($!)
wa=$(wait_window "${pids[0]}" '^KESTO$') || fail "the first Kesto shows no window"
xdotool windowmove --sync "$wa" 20 20
(cd "$work/b" && SUITE_LINK_DIR=$work/sb exec "$bin/kesto") & pids+=($!)
wb=$(wait_window "${pids[1]}" '^KESTO$') || fail "the second Kesto shows no window"
xdotool windowmove --sync "$wb" 600 20
count() { SUITE_LINK_DIR=$work/$1 "$bin/linkctl" --open-wait 5000 'KESTO|KESTO' request Label1; }
SUITE_LINK_DIR=$work/sa "$bin/linkctl" --open-wait 5000 'KESTO|KESTO' \
  execute /p/one.jpg execute /p/two.jpg execute /p/three.jpg execute /p/four.jpg >/dev/null || fail "no Link to the first Kesto"
sleep 0.5

# The list sits 217 pixels below the window's top (the menu bar and 2985 twips), rows 13 apart.
list_y=$((20 + 217))
row() { echo $((list_y + 6 + 13 * $1)); }
xdotool mousemove 80 "$(row 1)" click 1
sleep 0.3
xdotool keydown shift mousemove 80 "$(row 2)" click 1 keyup shift
sleep 0.3
xdotool mousemove 80 "$(row 1)" mousedown 3
for s in $(seq 1 20); do xdotool mousemove $((80 + s * 30)) $(($(row 1) + s * 3)); sleep 0.05; done
xdotool mouseup 3
sleep 1
a=$(count sa) b=$(count sb)
[ "$a" = 2 ] || fail "the first list holds $a items after the drag, not 2"
[ "$b" = 2 ] || fail "the second list holds $b items after the drag, not 2"

# beta.jpg, the second file of the first window's file list, onto its own collector list.
file_y=$((20 + 18 + 26 + 6 + 13))
xdotool mousemove 60 "$file_y" click 1
sleep 0.3
xdotool mousedown 3
for s in $(seq 1 20); do xdotool mousemove 60 $((file_y + s * 9)); sleep 0.05; done
xdotool mouseup 3
sleep 1
a=$(count sa)
[ "$a" = 3 ] || fail "the first list holds $a items after the file drag, not 3"
echo "two windows: 2 items moved over; one file from the browser joined the list"
exit 0
