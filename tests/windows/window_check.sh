#!/usr/bin/env bash
# The question window of veritor.exe, seen on the X display Wine draws on: the main menu's
# colour preview must be a window titled QUESTION whose client area (the black the frame
# surrounds) is 960 x 640, with the countdown rows in green and the test text in yellow.
# The pixels are those of the display, not what the program says it drew.
#
# Then the same at 150 % display scaling (Wine's DPI set to 144): the client area is
# 1440 x 960 and the rows 30 pixels high, the text drawn at that size; the unit tests of
# the window's DPI run there too. The screenshot of the window at 144 DPI is kept as
# question-window-144dpi.png in the build folder.
#
# Run by scripts/test-windows.sh (which sets up Wine and Xvfb); ends with
# "window: N passed, N failed".
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
windows=$(cd "${VERITOR_WINDOWS_BUILD:?the Windows build folder}" && pwd)
log="$windows/window.log"
: >"$log"
work=$(mktemp -d "${TMPDIR:-/tmp}/veritor-windows-window-XXXXXX")
[ -n "${VERITOR_KEEP_E2E:-}" ] || trap 'rm -rf "$work"' EXIT

source "$root/tests/windows/checks.sh"

# Wine takes its DPI from the prefix's LogPixels as each program starts.
set_dpi() {
  "$root/scripts/wine-run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
    /d "$1" /f >/dev/null 2>&1
}

# preview_check DPI: the colour preview of veritor.exe at that DPI, on the display.
preview_check() {
  local dpi=$1 at=""
  [ "$dpi" -ne 96 ] && at=" at $dpi DPI"
  # Lengths in 96-DPI units, in pixels at the DPI (rounded as the program rounds them).
  local width=$(((960 * dpi + 48) / 96)) height=$(((640 * dpi + 48) / 96))
  local row=$(((20 * dpi + 48) / 96))

  rm -f "$work/keys"
  mkfifo "$work/keys"
  (cd "$work" && timeout 120 "$root/scripts/wine-run" "$windows/veritor.exe" <"$work/keys" \
    >"$work/out.txt" 2>&1) &
  local program=$!
  exec 8>"$work/keys"
  # Identity, then menu item 2: the font colour menu opens the preview window.
  printf '%s\n' Doe Jane abc123 y 2 >&8

  # The window's place and outer size on the display, once it is there (30 s at most).
  local outer=""
  for _ in $(seq 300); do
    outer=$(xwininfo -name QUESTION 2>/dev/null | awk '
      /Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
      /Width:/ {w = $NF} /Height:/ {h = $NF} END {if (w) print w, h, x, y}')
    [ -n "$outer" ] && break
    sleep 0.1
  done
  check "a window titled QUESTION is on the display$at" test -n "$outer"
  local w h x y
  read -r w h x y <<<"${outer:-0 0 0 0}"

  # The preview's drawing is there within a few timer periods of 80 ms.
  sleep 1
  import -window root "$work/screen.png"
  read -r cw ch cx cy < <(convert "$work/screen.png" -crop "${w}x${h}+${x}+${y}" +repage \
    -fill white +opaque black -negate -trim -format '%w %h %X %Y\n' info: 2>/dev/null ||
    echo 0 0 0 0)
  cx=$((x + cx)) cy=$((y + cy))
  check "its client area is $width x $height$at" test "${cw}x${ch}" = "${width}x${height}"

  # colour_in_rows COLOUR FIRST COUNT: pixels of the colour in COUNT text rows of the
  # first font size, from row FIRST of the client area.
  colour_in_rows() {
    convert "$work/screen.png" -crop "${cw}x$(($3 * row))+${cx}+$((cy + $2 * row))" +repage \
      -format %c histogram:info: | awk -v c="$1" 'index($0, c) {n += $1} END {print n + 0}'
  }
  check "the countdown and separator rows are green$at" test "$(colour_in_rows '#00FF00' 0 2)" -gt 0
  check "the test text is yellow$at" bash -c '[ "$1" -gt 0 ] && [ "$2" -eq 0 ]' _ \
    "$(colour_in_rows '#FFFF00' 2 3)" "$(colour_in_rows '#00FF00' 2 3)"
  # The test text takes three rows of 80 columns at every DPI: nothing under them.
  check "the test text fills its rows of $row pixels and no more$at" bash -c \
    '[ "$1" -gt 0 ] && [ "$2" -eq 0 ]' _ "$(colour_in_rows '#FFFF00' 4 1)" \
    "$(colour_in_rows '#FFFF00' 5 $((height / row - 5)))"
  if [ "$dpi" -ne 96 ]; then
    convert "$work/screen.png" -crop "${w}x${h}+${x}+${y}" +repage \
      "$windows/question-window-${dpi}dpi.png"
  fi

  # Out of the colour menu and the program; a key for the last pause.
  printf '%s\n' 9 9 x >&8
  exec 8>&-
  wait "$program"
  local status=$?
  check "the window closes with the colour menu and veritor.exe ends with status 0$at" bash -c '
    [ "$1" -eq 0 ] && ! xwininfo -name QUESTION >/dev/null 2>&1' _ "$status"
}

preview_check 96

# At 150 %: the program, then the window's unit tests that read the DPI from the system.
set_dpi 144
preview_check 144
(cd "$work" && timeout 300 "$root/scripts/wine-run" "$windows/tests/veritor_tests.exe" \
  --gtest_filter='RealWindowTest.QuestionClassWindow*:RealWindowTest.MovedToAMonitorOfAnotherDpi*' \
  >"$work/dpi-tests.txt" 2>&1)
status=$?
cat "$work/dpi-tests.txt" >>"$log"
check "the window's unit tests pass at 144 DPI (client size, cells, rows, a move to 96 DPI)" \
  bash -c '[ "$1" -eq 0 ] && grep -q "PASSED.* 2 tests" "$2"' _ "$status" "$work/dpi-tests.txt"
set_dpi 96

echo "window: $passed passed, $failed failed" | tee -a "$log"
[ "$failed" -eq 0 ]
