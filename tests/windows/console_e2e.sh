#!/usr/bin/env bash
# veritor.exe on a console: Wine gives a program started on a terminal a console of its
# own, so keys come through the console-character read (_getch) with their 0xE0 prefixes,
# colours through the console's attributes and Ctrl+C through its control handling. tmux
# is the terminal; the checks wait for what the program shows, never for time to pass.
#
# Run by scripts/test-windows.sh; ends with "console: N passed, N failed".
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
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

tmux new-session -d -s "$session" -x 132 -y 50 \
  "cd '$work' && '$root/scripts/wine-run' '$windows/veritor.exe'; echo \"ended with \$?\"; sleep 600"

# (The screen is read without the blanks at the ends of its lines.)
check "the console shows the first prompt" shows "Enter your Last Name:"
# Ctrl+C does nothing; the Left arrow rubs out like Backspace; Up is refused here.
keys C-c
keys "Dox" Left "e" Up
check "Up draws the special-keys message and the text so far again" \
  shows "--- Special Keys Disabled ---"
keys Enter
check "the First Name is asked" shows "Enter your First Name:"
keys "Jane" Enter
check "the identifier is asked" shows "Enter your abc123:"
keys "ABC123" Enter
check "the name and the lowered identifier are shown" bash -c '
  for _ in $(seq 300); do
    s=$(tmux capture-pane -p -t "$1" -S -200)
    grep -qF "  Name: Doe, Jane" <<<"$s" && grep -qF "abc123: abc123" <<<"$s" &&
      grep -qF "Y(y) / N(n):" <<<"$s" && ! grep -q "Dox" <<<"$s" && exit 0
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
keys "9" Enter
check "leaving pauses" shows "PRESS ENTER TO CONTINUE"
check "leaving says goodbye" shows "Great! Have a nice day!"
# A key for the pause: an ENTER within 200 ms of it would be taken for a stale one.
keys "x" Enter
check "the program ends with status 0" shows "ended with 0"

echo "console: $passed passed, $failed failed" | tee -a "$log"
[ "$failed" -eq 0 ]
