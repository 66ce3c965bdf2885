#!/usr/bin/env bash
# A whole session taken by veritor.exe under Wine, checked from Linux: the exam is made by
# the Linux veritor-author, the completed-exam file veritor.exe writes is read back whole
# by the Linux veritor-author, and it is compared with the file the Linux veritor writes
# for the same typed session. The two may differ only in ticks, clock times and the key
# stream's start values; layout and CR LF line ends are the same bytes.
#
# Run by scripts/test-windows.sh (which sets up Wine); ends with "e2e: N passed, N failed".
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
linux=$(cd "${VERITOR_LINUX_BUILD:?the Linux build folder}" && pwd)
windows=$(cd "${VERITOR_WINDOWS_BUILD:?the Windows build folder}" && pwd)
log="$windows/e2e.log"
: >"$log"
work=$(mktemp -d "${TMPDIR:-/tmp}/veritor-windows-e2e-XXXXXX")
[ -n "${VERITOR_KEEP_E2E:-}" ] || trap 'rm -rf "$work"' EXIT

source "$root/tests/windows/checks.sh"
contains() { grep -qF -- "$2" <<<"$1" || { echo "missing: $2"; return 1; }; }
without_cr() { tr -d '\r' <"$1"; }

# The student's keys, one line each. Pauses are answered with a key, not a lone ENTER: a
# line end within 200 ms of a pause is taken for a stale one, and here every line is there
# at once.
keys=(Doe Jane abc123 y 3 1 demo2026 x
      c y                 # 1: the prime
      '#skip' y x         # 2: skipped (and the pause that says so), to come back later
      3 y 1,2,3,4,6,12 y  # 3.a and 3.b
      done y              # 4
      'a value with a name' y  # 2 again, from the skip list
      x x 9 x)
printf '%s\n' "${keys[@]}" >"$work/keys.txt"

mkdir -p "$work/windows" "$work/linux"
check "the Linux veritor-author makes the exam" \
  "$linux/veritor-author" make "$root/samples/DemoExam.txt" --password demo2026 --order file \
  --expires 2099/12/31::23:59:00 -o "$work/DemoExam.exm"
cp "$work/DemoExam.exm" "$work/windows/"
cp "$work/DemoExam.exm" "$work/linux/"

# --- The session under Wine --------------------------------------------------------------
(cd "$work/windows" && timeout 120 "$root/scripts/wine-run" "$windows/veritor.exe" \
  <"$work/keys.txt" >"$work/win-out.txt" 2>"$work/win-err.txt")
win_status=$?
win_out=$(without_cr "$work/win-out.txt")
check "veritor.exe ends with status 0" test "$win_status" -eq 0
# A Wine that cannot run 32-bit programs ends "successfully" with no output at all.
check "veritor.exe says what the student must see" bash -c '
  for text in "  Name: Doe, Jane" "abc123: abc123" "Enter the exam password:" \
      "NOTE: You have chosen to SKIP this question" \
      "Congratulations! You have finished this exam with " "TURN IN THIS FILE: " \
      "DemoZ2026_VTZ101_DemoZExam_00__XMC_abc123_CompletedBy.xmc" "Great! Have a nice day!"; do
    grep -qF -- "$text" <<<"$1" || { echo "missing: $text"; exit 1; }
  done
  ! grep -q "Invalid" <<<"$1"' _ "$win_out"
check "the exam file changed only in its two counter digits" bash -c '
  diff=$(cmp -l "$1" "$2" | awk "{print \$1}")
  count=$(grep -c . <<<"$diff")
  [ "$count" -ge 1 ] && [ "$count" -le 2 ] &&
  [ $(( $(tail -1 <<<"$diff") - $(head -1 <<<"$diff") )) -le 1 ] &&
  [ "$(stat -c %s "$1")" = "$(stat -c %s "$2")" ]' _ "$work/DemoExam.exm" "$work/windows/DemoExam.exm"

xmc_name=DemoZ2026_VTZ101_DemoZExam_00__XMC_abc123_CompletedBy.xmc
win_xmc="$work/windows/$xmc_name"
"$linux/veritor-author" read --password demo2026 "$win_xmc" >"$work/win-read.txt" 2>"$work/win-read-err.txt"
read_status=$?
check "the Linux veritor-author reads the Windows file whole" bash -c '
  [ "$1" -eq 0 ] && grep -q ": whole, for this student and password ([0-9]* session records, ticks in order)" "$2"' \
  _ "$read_status" "$work/win-read-err.txt"
check "the reading holds the student and every answer" bash -c '
  for text in "; Name: Doe, Jane (abc123)" "#skip" "1,2,3,4,6,12" "a value with a name" \
      "EXAM COMPLETE:"; do
    grep -qF -- "$text" "$1" || { echo "missing: $text"; exit 1; }
  done' _ "$work/win-read.txt"

# --- The same session on Linux, and the two files compared ----------------------------------
# Both show the questions in their question window, not on the console: the Windows
# one on Wine's display, the Linux one in SDL's offscreen window.
(cd "$work/linux" && NO_COLOR=1 SDL_VIDEODRIVER=offscreen timeout 60 "$linux/veritor" \
  <"$work/keys.txt" >"$work/linux-out.txt" 2>"$work/linux-err.txt")
check "the Linux veritor takes the same session" test $? -eq 0
lin_xmc="$work/linux/$xmc_name"
"$linux/veritor-author" read "$lin_xmc" >"$work/linux-read.txt" 2>/dev/null
check "both print the same texts to the student, times aside" bash -c '
  mask() { sed -E "s#[0-9]{4}/[0-9]{2}/[0-9]{2}::[0-9]{2}:[0-9]{2}:[0-9]{2}#DATE#g;
    s#TIME: [A-Za-z]+, [A-Za-z]+ [0-9]+, [0-9]+::[0-9:]+#TIME: T#g;
    s#[0-9]+ minutes and [0-9]+ seconds#N minutes and N seconds#g;
    s#^.*veritor(\.exe)?  Version#PROGRAM  Version#;
    s#[A-Z]:\\\\[^ ]*\\\\#FOLDER/#g; s#/[^ ]*/#FOLDER/#g"; }
  [ -s "$1" ] && [ -s "$2" ] && diff <(tr -d "\r" <"$1" | mask) <(mask <"$2") &&
  diff <(tr -d "\r" <"$3") "$4"' _ "$work/win-out.txt" "$work/linux-out.txt" \
  "$work/win-err.txt" "$work/linux-err.txt"
check "each line feed of both files has exactly one CR before it" bash -c '
  for f in "$1" "$2"; do
    lf=$(tr -cd "\n" <"$f" | wc -c); cr=$(tr -cd "\r" <"$f" | wc -c)
    crlf=$(grep -c $'"'"'\r$'"'"' "$f")
    [ "$lf" -gt 0 ] && [ "$lf" = "$cr" ] && [ "$lf" = "$crlf" ] || { echo "$f: $lf LF, $cr CR"; exit 1; }
  done' _ "$win_xmc" "$lin_xmc"
check "both files have the same plain parts and hex runs in the same places" bash -c '
  layout() { sed -E "s/^[0-9A-F]+\r?\$/<hex>/" "$1"; }
  [ -s "$1" ] && [ -s "$2" ] && diff <(layout "$1") <(layout "$2")' _ "$win_xmc" "$lin_xmc"
check "both readings are the same, ticks, times and the key stream start aside" bash -c '
  mask() { sed -E "s/tck:[0-9A-F]{8}/tck:T/g;
    s#[0-9]{4}/[0-9]{2}/[0-9]{2}::[0-9]{2}:[0-9]{2}:[0-9]{2}#DATE#g;
    s/^0:[0-9A-F]{16}:1:[0-9A-F]{16}:2:[0-9A-F]{16}:\$/KEY START/;
    s#[0-9]+ minutes and [0-9]+ seconds#N minutes and N seconds#g" "$1"; }
  [ -s "$1" ] && [ -s "$2" ] && diff <(mask "$1") <(mask "$2")' _ "$work/win-read.txt" "$work/linux-read.txt"

# --- A key file, and typed lines that end in CR LF --------------------------------------
# An institution's key given with -k, as veritor-author make --key used it; the lines of
# a file written on Windows end in CR LF, and the input ends before the session begins.
mkdir -p "$work/keyed"
{ cat "$root/resources/key.bin"; printf 'more'; } >"$work/keyed/key.bin"
"$linux/veritor-author" make "$root/samples/DemoExam.txt" --password demo2026 \
  --key "$work/keyed/key.bin" -o "$work/keyed/KeyedExam.exm" >>"$log" 2>&1
printf '%s\r\n' Doe Jane abc123 y 3 1 demo2026 >"$work/keyed/keys.txt"
(cd "$work/keyed" && timeout 60 "$root/scripts/wine-run" "$windows/veritor.exe" -k key.bin \
  <keys.txt >out.txt 2>err.txt)
keyed_status=$?
check "veritor.exe -k takes an exam made with that key" bash -c '
  grep -qF "PRESS ENTER TO BEGIN EXAM" "$1" && ! grep -q "Memory Error\|password is incorrect" "$1" "$2"' \
  _ "$work/keyed/out.txt" "$work/keyed/err.txt"
check "CR LF lines are one line end each, and the end of input an orderly end" bash -c '
  [ "$1" -eq 255 ] && grep -qF "  Name: Doe, Jane" "$2" && ! grep -q "Invalid\|Please enter ONE" "$2" &&
  tr -d "\r" <"$3" | grep -qF "Error - The keyboard input has ended, so the program cannot go on."' \
  _ "$keyed_status" "$work/keyed/out.txt" "$work/keyed/err.txt"

echo "e2e: $passed passed, $failed failed" | tee -a "$log"
[ "$failed" -eq 0 ]
