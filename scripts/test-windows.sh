#!/usr/bin/env bash
# The Windows suite: cross-builds the 32-bit programs and their unit tests and runs them
# under 32-bit Wine, with an Xvfb display for windows. Then a whole session: veritor.exe
# takes an exam made by the Linux veritor-author, the Linux veritor-author reads the
# completed-exam file back, and that file is compared with the one the Linux veritor
# writes for the same typed session.
#
#   scripts/test-windows.sh [LINUX_BUILD]     (default build: where the Linux programs are)
#
# Prints its counts like the Linux suite: ctest's summary for the unit tests, and a last
# line "N passed, N failed" over everything it ran.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
linux=$(cd "${1:-build}" && pwd)
build=${VERITOR_WINDOWS_BUILD:-$root/build-windows}
jobs=$(nproc)

scripts/install-windows-deps.sh
export WINEPREFIX=${WINEPREFIX:-$build/wine}
VERITOR_JOBS=$jobs VERITOR_WINDOWS_BUILD=$build scripts/build-windows.sh -DVERITOR_TESTS=ON
cmake --build "$build" -j"$jobs" --target veritor_tests

# --- Wine, set up once for the run ------------------------------------------------------
# The build ran Wine without a display; a Wine server started so cannot make windows
# later, so it is ended before the display is given.
wineserver -k 2>/dev/null || true
display=""
xvfb_pid=""
for n in $(seq 90 140); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    display=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    break
  fi
done
[ -n "$display" ] || { echo "test-windows: no free X display for Xvfb"; exit 1; }
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=$display
# A Wine server kept running for the whole run: a cold start costs seconds per program.
wineserver -p
scripts/wine-run cmd /c exit 0 >/dev/null 2>&1 || true

passed=0
failed=0
started=$(date +%s)

# --- Unit tests -------------------------------------------------------------------------
# VERITOR_WINDOWS_EXCLUDE: a regular expression of tests to leave out.
exclude=()
[ -n "${VERITOR_WINDOWS_EXCLUDE:-}" ] && exclude=(-E "$VERITOR_WINDOWS_EXCLUDE")
echo "== Windows unit tests under Wine (in $build)"
set +e
(cd "$build" && ctest --output-on-failure -j"$jobs" "${exclude[@]}") | tee "$build/ctest.log"
unit_status=${PIPESTATUS[0]}
set -e
ran=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\2/p' "$build/ctest.log")
bad=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1/p' "$build/ctest.log")
passed=$((passed + ${ran:-0} - ${bad:-0}))
failed=$((failed + ${bad:-0}))
if [ "$unit_status" -ne 0 ] && [ "${bad:-0}" -eq 0 ]; then
  failed=$((failed + 1))
fi

# --- End to end: a session on Windows, read on Linux ------------------------------------
echo "== A session under Wine, read back by the Linux veritor-author"
set +e
VERITOR_LINUX_BUILD=$linux VERITOR_WINDOWS_BUILD=$build bash tests/windows/session_e2e.sh
e2e_status=$?
set -e
e2e_passed=$(sed -n 's/^e2e: \([0-9]*\) passed, \([0-9]*\) failed$/\1/p' "$build/e2e.log" | tail -1)
e2e_failed=$(sed -n 's/^e2e: \([0-9]*\) passed, \([0-9]*\) failed$/\2/p' "$build/e2e.log" | tail -1)
passed=$((passed + ${e2e_passed:-0}))
failed=$((failed + ${e2e_failed:-0}))
if [ "$e2e_status" -ne 0 ] && [ "${e2e_failed:-0}" -eq 0 ]; then
  failed=$((failed + 1))
fi

# The question window of the real veritor.exe, seen on the X display Wine draws on: the
# main menu's colour preview must be a window titled QUESTION whose client area (the
# black inside the frame) is 960 x 640, with green countdown rows and yellow text.
check_question_window() {
  local exe=$1 work problem="" outer="" tries
  work=$(mktemp -d)
  mkfifo "$work/keys"
  (cd "$work" && "$root/scripts/wine-run" "$exe" <"$work/keys" >"$work/out.txt" 2>&1) &
  local program=$!
  exec 8>"$work/keys"
  # Identity, then menu item 2: the font colour menu opens the preview window.
  printf '%s\n' Doe Jane abc123 y 2 >&8

  for tries in $(seq 150); do
    outer=$(xwininfo -name QUESTION 2>/dev/null | awk '
      /Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
      /Width:/ {w = $NF} /Height:/ {h = $NF} END {if (w) print w, h, x, y}')
    [ -n "$outer" ] && break
    sleep 0.1
  done
  if [ -z "$outer" ]; then
    problem="no window titled QUESTION"
  else
    sleep 1  # drawn within a few timer periods
    import -window root "$work/screen.png"
    local w h x y cw ch cx cy
    read -r w h x y <<<"$outer"
    # The client area: the black the frame surrounds.
    read -r cw ch cx cy < <(convert "$work/screen.png" -crop "${w}x${h}+${x}+${y}" +repage \
      -fill white +opaque black -negate -trim -format '%w %h %X %Y\n' info:-)
    cx=$((x + cx)) cy=$((y + cy))
    # Pixels of the colour in `count` text rows of 20 pixels from row `first`.
    colour_in_rows() {
      convert "$work/screen.png" -crop "${cw}x$(($3 * 20))+${cx}+$((cy + $2 * 20))" +repage \
        -format %c histogram:info:- | awk -v c="$1" 'index($0, c) {n += $1} END {print n + 0}'
    }
    if [ "${cw}x${ch}" != 960x640 ]; then
      problem="client area ${cw}x${ch}, not 960x640"
    elif [ "$(colour_in_rows '#00FF00' 0 2)" -eq 0 ]; then
      problem="no green countdown rows"
    elif [ "$(colour_in_rows '#FFFF00' 2 1)" -eq 0 ]; then
      problem="no yellow text"
    fi
  fi
  # Out of the colour menu and the program; a key for the last pause.
  printf '%s\n' 9 9 x >&8
  exec 8>&-
  wait "$program" || true
  if [ -n "$problem" ]; then
    echo "question window under Wine: $problem (screen in $work)"
    return 1
  fi
  echo "question window under Wine: QUESTION, client area 960x640, green countdown, yellow text"
  rm -rf "$work"
}

echo "== The question window of veritor.exe on the display"
if check_question_window "$build/veritor.exe"; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi

echo "== Windows suite: $(( $(date +%s) - started )) s under Wine"
echo "windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
