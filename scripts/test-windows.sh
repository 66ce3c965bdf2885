#!/usr/bin/env bash
# The Windows suite: cross-builds the 32-bit programs and their unit tests and runs them
# under 32-bit Wine, with an Xvfb display for windows. Then a whole session: veritor.exe
# takes an exam made by the Linux veritor-author, the Linux veritor-author reads the
# completed-exam file back, and that file is compared with the one the Linux veritor
# writes for the same typed session.
#
#   scripts/test-windows.sh [LINUX_BUILD]     (default build: where the Linux programs are)
#
# Then veritor.exe on a console (Wine's, on a tmux terminal): keys, colours, Ctrl+C; and
# a session under strace, for the syncs that put each record on the disk.
#
# Prints its counts like the Linux suite: ctest's summary for the unit tests, and a last
# line "N passed, N failed" over everything it ran.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
linux=$(cd "${1:-build}" && pwd)
jobs=$(nproc)

scripts/install-windows-deps.sh

# A kernel built without 32-bit support cannot start 32-bit Wine ("Exec format error").
# There the shipped 32-bit programs are still cross-built, so that they are known to build,
# and the suite runs on a 64-bit build of the same sources under 64-bit Wine: the same
# tests and checks, on the same Windows calls, with wider pointers. It says so plainly.
# Where 64-bit Wine cannot start either, the suite says that it ran nothing.
arch=i686
if [ -x /usr/lib/wine/wine ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "test-windows: this machine's kernel cannot run 32-bit programs, so 32-bit Wine"
  echo "test-windows: cannot start; the 32-bit programs are built, not run"
  build32=${VERITOR_WINDOWS_BUILD:-$root/build-windows}
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  cmake -S "$root" -B "$build32" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DVERITOR_TESTS=OFF "${launcher[@]}" >/dev/null
  cmake --build "$build32" -j"$jobs" --target veritor veritor-author
  scripts/install-deps.sh windows64
  if ! /usr/lib/wine/wine64 --version >/dev/null 2>&1; then
    echo "test-windows: 64-bit Wine cannot start either: no Windows test ran"
    echo "windows: 0 passed, 0 failed"
    exit 0
  fi
  echo "test-windows: the suite runs a 64-bit build of the same sources under 64-bit Wine"
  arch=x86_64
  export VERITOR_WINE_ARCH=win64
  build=${VERITOR_WINDOWS64_BUILD:-$root/build-windows64}
else
  build=${VERITOR_WINDOWS_BUILD:-$root/build-windows}
fi
export WINEPREFIX=${WINEPREFIX:-$build/wine}
mkdir -p "$build"

VERITOR_JOBS=$jobs VERITOR_WINDOWS_ARCH=$arch VERITOR_WINDOWS_BUILD=$build \
  scripts/build-windows.sh -DVERITOR_TESTS=ON
cmake --build "$build" -j"$jobs" --target veritor_tests

# --- Wine, set up once for the run ------------------------------------------------------
# The build ran Wine without a display; a Wine server started so cannot make windows
# later, so it is ended before the display is given.
wineserver -k 2>/dev/null || true
display=""
xvfb_pid=""
for n in $(seq 90 140); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
    # Room for the question window at 150 % scaling (1440 x 960 and its frame), which
    # the window check looks at with Wine's DPI set to 144.
    Xvfb ":$n" -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 &
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

export VERITOR_LINUX_BUILD=$linux VERITOR_WINDOWS_BUILD=$build
passed=0
failed=0
started=$(date +%s)

# run_checks NAME SCRIPT: runs one of the check scripts and adds its "NAME: N passed, N
# failed" to the counts; a script that fails without saying so counts as one failure.
run_checks() {
  local name=$1 script=$2 status ok bad
  set +e
  bash "$script"
  status=$?
  set -e
  ok=$(sed -n "s/^$name: \([0-9]*\) passed, \([0-9]*\) failed\$/\1/p" "$build/$name.log" | tail -1)
  bad=$(sed -n "s/^$name: \([0-9]*\) passed, \([0-9]*\) failed\$/\2/p" "$build/$name.log" | tail -1)
  passed=$((passed + ${ok:-0}))
  failed=$((failed + ${bad:-0}))
  if [ "$status" -ne 0 ] && [ "${bad:-0}" -eq 0 ]; then
    failed=$((failed + 1))
  fi
}

# --- Unit tests -------------------------------------------------------------------------
# VERITOR_WINDOWS_EXCLUDE: a regular expression of tests to leave out.
exclude=()
[ -n "${VERITOR_WINDOWS_EXCLUDE:-}" ] && exclude=(-E "$VERITOR_WINDOWS_EXCLUDE")
echo "== Windows unit tests under Wine (in $build)"
set +e
# A test that fails is run once more before it counts: Wine itself, busy with two test
# programs starting at once, has been seen to crash a program as it starts. A real fault
# fails both times.
(cd "$build" && ctest --output-on-failure -j"$jobs" --repeat until-pass:2 "${exclude[@]}") | tee "$build/ctest.log"
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
run_checks e2e tests/windows/session_e2e.sh

echo "== veritor.exe on a console under Wine"
run_checks console tests/windows/console_e2e.sh

echo "== The question window of veritor.exe on Wine's display"
run_checks window tests/windows/window_check.sh

echo "== veritor.exe under strace: each record on the disk before the next prompt"
run_checks sync tests/windows/sync_trace.sh

echo "== Windows suite: $(( $(date +%s) - started )) s under Wine ($arch programs)"
echo "windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
