#!/usr/bin/env bash
# veritor.exe on a console: Wine gives a program started on a terminal a console of its
# own, so keys come through the console's input records, lines through its line read,
# colours through its attributes and Ctrl+C through its control handling. tmux is the
# terminal; the checks wait for what the program shows, never for time to pass.
#
# A student's whole run: a name with a letter beyond ASCII, three exams in a row, each
# with an answer of some 2,000 keys typed as fast as a paste, then the menu's leave
# choice. The console's input mode, read from outside by a probe, must stay the mode the
# program reads lines in all along; each completed file must read back whole on Linux.
#
# Run by scripts/test-windows.sh; ends with "console: N passed, N failed".
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
linux=$(cd "${VERITOR_LINUX_BUILD:?the Linux build folder}" && pwd)
windows=$(cd "${VERITOR_WINDOWS_BUILD:?the Windows build folder}" && pwd)
log="$windows/console.log"
: >"$log"
work=$(mktemp -d "${TMPDIR:-/tmp}/veritor-windows-console-XXXXXX")
session="veritor-console-$$"
cleanup() {
  tmux kill-session -t "$session" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

source "$root/tests/windows/checks.sh"
screen() { tmux capture-pane -p -t "$session" -S -200 2>/dev/null; }
# Waits up to 30 s for the text on the screen.
shows() {
  for _ in $(seq 300); do
    screen | grep -qF -- "$1" && return 0
    sleep 0.1
  done
  echo "not shown: $1"
  screen
  return 1
}
keys() { tmux send-keys -t "$session" "$@"; }
# Waits up to 60 s for the text on the screen as it stands now, without what has scrolled
# off or been cleared: texts a run shows again and again (the menu's prompt) are then
# the new ones. With a second text, that one must be gone from the screen too.
now_shows() {
  for _ in $(seq 600); do
    s=$(tmux capture-pane -p -t "$session" 2>/dev/null)
    if grep -qF -- "$1" <<<"$s" && { [ -z "${2:-}" ] || ! grep -qF -- "$2" <<<"$s"; }; then
      return 0
    fi
    sleep 0.1
  done
  echo "not shown: $1${2:+ (without: $2)}"
  tmux capture-pane -p -t "$session"
  return 1
}
# The input mode of the program's console, read from outside.
input_mode() {
  "$root/scripts/wine-run" "$windows/tests/console_mode_probe.exe" veritor.exe 2>>"$log" | tr -d '\r'
}
same_mode() {  # same_mode EXPECTED: the mode now is the one found at the first prompt
  local now
  now=$(input_mode)
  echo "input mode $now, expected $1"
  [ -n "$1" ] && [ "$now" = "$1" ]
}

# The exam of the run: one question, taken three times.
cat >"$work/ConsoleExam.txt" <<'TEXT'
;Check 2026;  VT 101: Console Check: (001) ---> Console Exam:  TimeLimit: 20 minutes  ---  Version 1.07
QUESTIONS
1. (5 pts) Type everything you know.
TEXT
"$linux/veritor-author" make "$work/ConsoleExam.txt" --password mode2026 \
  --expires 2099/12/31::23:59:00 -o "$work/ConsoleExam.exm" >>"$log" 2>&1
xmc() { echo "CheckZ2026_VTZ101_ConsoleZExam_0${1}__XMC_abc123_CompletedBy.xmc"; }
# The answer of exam N: "cafe" with an accent (which the console drops, being beyond
# ASCII), then 250 numbered words of 8 characters, 2,004 keys in all.
typed_answer() {
  local words="" i
  for i in $(seq -f '%04g' 0 249); do words+=" e${1}w$i"; done
  printf 'caf\xc3\xa9%s' "$words"
}
kept_answer() { typed_answer "$1" | sed 's/\xc3\xa9//'; }

tmux new-session -d -s "$session" -x 132 -y 50 \
  "cd '$work' && '$root/scripts/wine-run' '$windows/veritor.exe'; echo \"ended with \$?\"; sleep 600"

# (The screen is read without the blanks at the ends of its lines.)
check "the console shows the first prompt" shows "Enter your Last Name:"
# Read while the program waits for a key of the name: the key read leaves the mode alone.
found_mode=$(input_mode)
check "waiting for a key, the console is in line mode with insert on and QuickEdit off" \
  bash -c 'echo "input mode $1"; [ -n "$1" ] && (( ($1 & 0x67) == 0x27 ))' _ "$found_mode"
# Ctrl+C does nothing; the u-umlaut is no key of a name, and no end of input either; the
# Left arrow rubs out like Backspace; Up is refused here.
keys C-c
keys "M"
keys -l "$(printf '\xc3\xbc')"
keys "llex" Left "r" Up
check "Up draws the special-keys message and the text so far again" \
  shows "--- Special Keys Disabled ---"
check "the name goes on past the u-umlaut" shows "Mller"
keys Enter
check "the First Name is asked" shows "Enter your First Name:"
keys "Jane" Enter
check "the identifier is asked" shows "Enter your abc123:"
keys "ABC123" Enter
check "the name and the lowered identifier are shown" bash -c '
  for _ in $(seq 300); do
    s=$(tmux capture-pane -p -t "$1" -S -200)
    grep -qF "  Name: Mller, Jane" <<<"$s" && grep -qF "abc123: abc123" <<<"$s" &&
      grep -qF "Y(y) / N(n):" <<<"$s" && ! grep -q "Mllex" <<<"$s" && exit 0
    sleep 0.1
  done; tmux capture-pane -p -t "$1" -S -200; exit 1' _ "$session"
check "the confirmation is in yellow" bash -c '
  for _ in $(seq 300); do
    tmux capture-pane -p -e -t "$1" | grep -q $'"'"'\e\[93mIs the information correct?'"'"' && exit 0
    sleep 0.1
  done; tmux capture-pane -p -e -t "$1" | cat -v; exit 1' _ "$session"
# Each answer is typed once its prompt is there, as a student would.
keys "y" Enter
check "the main menu follows" shows "Enter your choice:"
# A key beyond ASCII in a menu choice is a character that is no number, not the end.
keys -l "$(printf '\xc3\xbc')"
keys Enter
check "a u-umlaut for a menu choice is no number" \
  now_shows "Invalid Input: No decimal number found - try again."

for exam in 1 2 3; do
  keys "3" Enter
  check "exam $exam: the exam is listed" now_shows "enter 1 to continue."
  keys "1" Enter
  check "exam $exam: the password is asked" now_shows "Enter the exam password:"
  keys "mode2026" Enter
  # The completed files of the exams before are kept: each exam writes the next name.
  for kept in $(seq 0 $((exam - 2))); do
    check "exam $exam: the file of exam $((kept + 1)) is not overwritten" \
      now_shows "\"$(xmc "$kept")\" already exists. Overwrite it?"
    keys "n" Enter
  done
  check "exam $exam: the exam begins" now_shows "PRESS ENTER TO BEGIN EXAM"
  keys "x" Enter
  check "exam $exam: the answer is asked" now_shows "Answer?"
  # As a paste: every key at once.
  keys -l "$(typed_answer "$exam")"
  keys Enter
  check "exam $exam: the whole answer is confirmed" now_shows "e${exam}w0249\""
  if [ "$exam" = 2 ]; then
    keys -l "$(printf '\xc3\xa9')"
    keys Enter
    check "exam 2: an e-acute for a yes or no draws the list of keys" \
      now_shows "Please enter ONE of the following keys and press ENTER:"
  fi
  keys "y" Enter
  check "exam $exam: every question is answered" now_shows "Press ENTER to Complete the Exam"
  keys "x" Enter
  check "exam $exam: the file to turn in is named" now_shows "$(xmc $((exam - 1)))"
  keys "x" Enter
  check "exam $exam: the main menu follows" now_shows "Enter your choice:" "TURN IN THIS FILE"
  check "exam $exam: the console's input mode is still the one found" same_mode "$found_mode"
done

keys "9" Enter
check "leaving pauses" shows "PRESS ENTER TO CONTINUE"
check "leaving says goodbye" shows "Great! Have a nice day!"
# A key for the pause: an ENTER within 200 ms of it would be taken for a stale one.
keys "x" Enter
check "the program ends with status 0" shows "ended with 0"

# Each completed file, read on Linux: whole, and the answer in it to the last word.
for exam in 1 2 3; do
  check "exam $exam: the Linux veritor-author reads the file whole, with the whole answer" bash -c '
    out=$("$1" read --password mode2026 "$2" 2>"$2.err"); status=$?
    cat "$2.err"
    [ "$status" -eq 0 ] && grep -q ": whole, for this student and password ([0-9]* session records, ticks in order)" "$2.err" &&
      grep -qF -- "==> $3" <<<"$out" && grep -qF "; Name: Mller, Jane (abc123)" <<<"$out"' \
    _ "$linux/veritor-author" "$work/$(xmc $((exam - 1)))" "$(kept_answer "$exam")"
done

echo "console: $passed passed, $failed failed" | tee -a "$log"
[ "$failed" -eq 0 ]
