#!/usr/bin/env bash
# Installs what is missing, builds Veritor, and starts it in demo/, a folder that holds a
# fresh copy of the demo exam. Its password is printed first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" run
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target veritor veritor-author veritor_samples

demo="$root/demo"
mkdir -p "$demo"
# A fresh copy each time: every load of an exam lowers its open counter.
cp "$root/build/samples/DemoExam.exm" "$demo/DemoExam.exm"
echo
echo "Veritor starts in $demo with the demo exam DemoExam.exm."
echo "Its password is: $(cat "$root/build/samples/password.txt")"
echo "Completed-exam (.xmc) files are left there; read one with:"
echo "  $root/build/veritor-author read FILE.xmc"
echo
read -r -p "Press ENTER to start Veritor ... " _ || true
cd "$demo"
exec "$root/build/veritor"
