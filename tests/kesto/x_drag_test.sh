#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Real drags under an X server: two Kestos side by side; a right-button drag of two items from
# the first one's list onto the second one's list moves them over, and a file dragged from the
# first one's file list onto its own list joins it. Driven with xdotool, checked over Link.
#   x_drag_test.sh BIN-DIR            (starts its own Xvfb)
# Exits 77 (skipped) without xvfb-run, xdotool or import.
set -uo pipefail
bin=$1
source "$(dirname "$0")/../support/under_xvfb.sh" "$@"

mkdir -p "$work/a/pics" "$work/b" "$work/sa" "$work/sb"
chmod 700 "$work/sa" "$work/sb"
for n in alpha beta gamma; do : > "$work/a/pics/$n.jpg"; done

# The first window at 20,20; the second at 600,20 (without a window manager both open at 0,0).
(cd "$work/a/pics" && SUITE_LINK_DIR=$work/sa exec "$bin/kesto") & pids+=($!)
wa=$(wait_window "${pids[0]}" '^KESTO$') || fail "the first Kesto shows no window"
kesto_menu "$wa"
xdotool windowmove --sync "$wa" 20 20
(cd "$work/b" && SUITE_LINK_DIR=$work/sb exec "$bin/kesto") & pids+=($!)
wb=$(wait_window "${pids[1]}" '^KESTO$') || fail "the second Kesto shows no window"
xdotool windowmove --sync "$wb" 600 20
count() { SUITE_LINK_DIR=$work/$1 linkctl 'KESTO|KESTO' request Label1; }
SUITE_LINK_DIR=$work/sa linkctl 'KESTO|KESTO' \
  execute /p/one.jpg execute /p/two.jpg execute /p/three.jpg execute /p/four.jpg >/dev/null || fail "no Link to the first Kesto"
kesto_measure "$wa" || fail "no row of the first Kesto's list shows as selected"

# The second and third names, dragged with the right button onto the second window's list.
kesto_click "$wa" List1 1 || fail "a click does not select the second row"
kesto_click "$wa" List1 2 shift || fail "a shift-click does not select the third row"
kesto_row "$wa" List1 1
from_x=$CX from_y=$CY
kesto_middle "$wb" List1
drag "${pids[0]}" 3 "$from_x" "$from_y" "$CX" "$CY" || fail "the drag between the windows"
a=$(wait_until_equal 10 2 count sa) || fail "the first list holds $a items after the drag, not 2"
b=$(wait_until_equal 10 2 count sb) || fail "the second list holds $b items after the drag, not 2"

# beta.jpg, the second file of the first window's file list, onto its own collector list.
kesto_click "$wa" File1 1 || fail "a click does not select beta.jpg"
from_x=$CX from_y=$CY
kesto_middle "$wa" List1
drag "${pids[0]}" 3 "$from_x" "$from_y" "$from_x" "$CY" || fail "the drag from the file list"
a=$(wait_until_equal 10 3 count sa) || fail "the first list holds $a items after the file drag, not 3"
echo "two windows: 2 items moved over; one file from the browser joined the list"
exit 0
