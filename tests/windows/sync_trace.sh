#!/usr/bin/env bash
# veritor.exe takes a whole session under Wine, watched with strace: what the program's
# FlushFileBuffers becomes on the disk (an fsync of the file) must come after each record
# of the completed-exam file that follows what the student did or saw, and before the
# program writes its next prompt; the exam file's lowered counter is synced before the
# exam begins. The Windows twin of the Linux end-to-end test of the same name.
#
# Run by scripts/test-windows.sh (which sets up Wine); ends with "sync: N passed, N failed".
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
linux=$(cd "${VERITOR_LINUX_BUILD:?the Linux build folder}" && pwd)
windows=$(cd "${VERITOR_WINDOWS_BUILD:?the Windows build folder}" && pwd)
log="$windows/sync.log"
: >"$log"
work=$(mktemp -d "${TMPDIR:-/tmp}/veritor-windows-sync-XXXXXX")
[ -n "${VERITOR_KEEP_E2E:-}" ] || trap 'rm -rf "$work"' EXIT

source "$root/tests/windows/checks.sh"

# The demo exam with an answer, a skip, two sub-questions, the skipped one again, and the
# last answer; every line is there at once, so pauses are answered with a key.
keys=(Doe Jane abc123 y 3 1 demo2026 x
      c y '#skip' y x 3 y 1,2,3,4,6,12 y done y 'a value with a name' y
      x x 9 x)
printf '%s\n' "${keys[@]}" >"$work/keys.txt"
"$linux/veritor-author" make "$root/samples/DemoExam.txt" --password demo2026 --order file \
  --expires 2099/12/31::23:59:00 -o "$work/DemoExam.exm" >>"$log" 2>&1

(cd "$work" && timeout 300 strace -f -y -s 200 -e trace=write,pwrite64,fsync,fdatasync \
  -o "$work/trace.txt" "$root/scripts/wine-run" "$windows/veritor.exe" \
  <keys.txt >out.txt 2>err.txt)
check "veritor.exe ends with status 0 under strace" test $? -eq 0

# Reads strace -y's lines ("PID write(FD</path>, "text", N) = N") in order.
check "each record is on the disk before the next prompt, the lowered counter before the exam" \
  awk '
    /^[0-9]+ <\.\.\. / { next }
    {
      call = $2; sub(/\(.*/, "", call)
      path = $0; sub(/^[^<]*</, "", path); sub(/>.*/, "", path)
      text = $0; sub(/^[^>]*>, "/, "", text); sub(/", [0-9]+\) += .*$/, "", text)
      sync = call == "fsync" || call == "fdatasync"
      write = call == "write" || call == "pwrite64"
      if (path ~ /\.xmc$/) {
        if (sync) { if (unsynced && confirmed > synced) synced = confirmed; unsynced = 0; syncs++ }
        else if (write) { unsynced++; if (confirming) { confirmed++; confirming = 0 } }
      } else if (path ~ /\.exm$/) {
        if (sync) exam = 0; else if (write) exam = 1
      } else if (write && path ~ /\/(out|err)\.txt$/ &&
                 text ~ /Answer\?|Enter .Y. or .y. if correct|PRESS ENTER|Press ENTER|if you are SURE/) {
        prompts++
        if (unsynced) { print "a prompt comes before " unsynced " records are synced: " text; bad = 1 }
        if (exam) { print "the lowered counter is not synced at: " text; bad = 1 }
        confirming = text ~ /Enter .Y. or .y. if correct/
      }
    }
    END {
      print prompts " prompts, " syncs " syncs of the completed file, " confirmed \
            " confirmed answers, " synced " synced before the next prompt"
      if (unsynced) { print "the program ended with records not synced"; bad = 1 }
      exit bad || confirmed < 5 || synced != confirmed || syncs < 15
    }' "$work/trace.txt"

echo "sync: $passed passed, $failed failed" | tee -a "$log"
[ "$failed" -eq 0 ]
