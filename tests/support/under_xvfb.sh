# Sourced by the test scripts that drive real windows: runs the calling script again under a
# private Xvfb (1280 x 1024) with xdotool at hand, or exits 77 (skipped) without them. Inside,
# the window programs use the X server, and a sanitizer build keeps the strict string checks
# away from the X keyboard library, whose own string reads trip them.
#   source "$(dirname "$0")/../support/under_xvfb.sh" "$@"
if [ -z "${SUITE_UNDER_XVFB:-}" ]; then
  command -v xvfb-run >/dev/null && command -v xdotool >/dev/null || { echo "no xvfb-run or xdotool"; exit 77; }
  SUITE_UNDER_XVFB=1 exec xvfb-run -a -s '-screen 0 1280x1024x24' "$0" "$@"
fi
unset QT_QPA_PLATFORM
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}strict_string_checks=0"
