#!/usr/bin/env bash
# The question window of veritor.exe, seen on the X display Wine draws on: the main menu's
# colour preview must be a window titled QUESTION whose client area (the black the frame
# surrounds) is 960 x 640, with the countdown rows in green and the test text in yellow.
# The pixels are those of the display, not what the program says it drew.
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

mkfifo "$work/keys"
(cd "$work" && timeout 120 "$root/scripts/wine-run" "$windows/veritor.exe" <"$work/keys" \
  >"$work/out.txt" 2>&1) &
program=$!
exec 8>"$work/keys"
# Identity, then menu item 2: the font colour menu opens the preview window.
printf '%s\n' Doe Jane abc123 y 2 >&8

# The window's place and outer size on the display, once it is there (30 s at most).
outer=""
for _ in $(seq 300); do
  outer=$(xwininfo -name QUESTION 2>/dev/null | awk '
    /Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
    /Width:/ {w = $NF} /Height:/ {h = $NF} END {if (w) print w, h, x, y}')
  [ -n "$outer" ] && break
  sleep 0.1
done
check "a window titled QUESTION is on the display" test -n "$outer"
read -r w h x y <<<"${outer:-0 0 0 0}"

# The preview's drawing is there within a few timer periods of 80 ms.
sleep 1
import -window root "$work/screen.png"
read -r cw ch cx cy < <(convert "$work/screen.png" -crop "${w}x${h}+${x}+${y}" +repage \
  -fill white +opaque black -negate -trim -format '%w %h %X %Y\n' info: 2>/dev/null ||
  echo 0 0 0 0)
cx=$((x + cx)) cy=$((y + cy))
check "its client area is 960 x 640" test "${cw}x${ch}" = 960x640

# colour_in_rows COLOUR FIRST COUNT: pixels of the colour in COUNT text rows of 20 pixels
# (the first font size), from row FIRST of the client area.
colour_in_rows() {
  convert "$work/screen.png" -crop "${cw}x$(($3 * 20))+${cx}+$((cy + $2 * 20))" +repage \
    -format %c histogram:info: | awk -v c="$1" 'index($0, c) {n += $1} END {print n + 0}'
}
check "the countdown and separator rows are green" test "$(colour_in_rows '#00FF00' 0 2)" -gt 0
check "the test text is yellow" bash -c '[ "$1" -gt 0 ] && [ "$2" -eq 0 ]' _ \
  "$(colour_in_rows '#FFFF00' 2 3)" "$(colour_in_rows '#00FF00' 2 3)"

# Out of the colour menu and the program; a key for the last pause.
printf '%s\n' 9 9 x >&8
exec 8>&-
wait "$program"
status=$?
check "the window closes with the colour menu and veritor.exe ends with status 0" bash -c '
  [ "$1" -eq 0 ] && ! xwininfo -name QUESTION >/dev/null 2>&1' _ "$status"

echo "window: $passed passed, $failed failed" | tee -a "$log"
[ "$failed" -eq 0 ]
