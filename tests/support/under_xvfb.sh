# SPDX-License-Identifier: GPL-2.0-or-later
# Sourced by the test scripts that drive real windows: runs the calling script again under a
# private Xvfb (1280 x 1024, not reset when its last client goes, so that the next program can
# connect at once) with xdotool at hand, or exits 77 (skipped) without them. Inside,
# the window programs use the X server, and a sanitizer build keeps the strict string checks
# away from the X keyboard library, whose own string reads trip them. It gives the test a scratch
# folder $work, a list $pids of the programs to end, and waits for commands and windows.
#   source "$(dirname "$0")/../support/under_xvfb.sh" "$@"
if [ -z "${SUITE_UNDER_XVFB:-}" ]; then
  command -v xvfb-run >/dev/null && command -v xdotool >/dev/null || { echo "no xvfb-run or xdotool"; exit 77; }
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
