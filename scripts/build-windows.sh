#!/usr/bin/env bash
# Builds the 32-bit Windows programs on Linux and packs them, one zip for students and one
# for instructors, so that no student is handed the instructor's tool:
#   build-windows/veritor.exe, build-windows/veritor-author.exe,
#   build-windows/veritor-student-windows-i686.zip: veritor.exe, the demo exam and
#     HowTo.txt for students;
#   build-windows/veritor-instructor-windows-i686.zip: veritor-author.exe, the guide
#     (writing-exams.txt), HowTo.txt for instructors and the demo exam's text.
# Installs the cross compiler (and Wine, which makes the demo exam) when missing. Options
# after the script's name go to CMake, for example -DVERITOR_KEY_FILE=/path/key.bin to
# build with an institution's own key data, or -DVERITOR_TESTS=ON for the Windows tests.
#
# VERITOR_WINDOWS_ARCH=x86_64 builds the same sources as 64-bit programs instead, without
# the zip (nothing 64-bit ships): scripts/test-windows.sh does so on a machine that cannot
# run 32-bit programs, to test them under 64-bit Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=${VERITOR_WINDOWS_ARCH:-i686}
case "$arch" in
  i686|x86_64) ;;
  *) echo "build-windows: VERITOR_WINDOWS_ARCH is i686 or x86_64, not $arch" >&2; exit 2 ;;
esac
build=${VERITOR_WINDOWS_BUILD:-$root/build-windows}
"$root/scripts/install-windows-deps.sh"
if [ "$arch" = x86_64 ]; then
  "$root/scripts/install-deps.sh" windows64
  export VERITOR_WINE_ARCH=win64
fi
# The Wine prefix that runs veritor-author.exe for the demo exam (and the tests) lives in
# the build folder, made there on first use.
export WINEPREFIX=${WINEPREFIX:-$build/wine}

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch-w64-mingw32.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DVERITOR_TESTS=OFF "${launcher[@]}" "$@" >/dev/null

# The demo exam is made by veritor-author.exe under Wine. Where this machine's kernel
# cannot run 32-bit programs, 32-bit Wine cannot start: the Linux veritor-author, built
# from the same sources with the same options (the same key data), makes the same exam.
samples="$build/samples"
targets=(veritor veritor-author veritor_samples)
if [ "$arch" = i686 ] && [ -x /usr/lib/wine/wine ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "build-windows: 32-bit Wine cannot start here: the Linux veritor-author makes the demo exam"
  "$root/scripts/install-deps.sh" run
  host="$build/host"
  cmake -S "$root" -B "$host" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" "$@" -DVERITOR_TESTS=OFF >/dev/null
  cmake --build "$host" -j"${VERITOR_JOBS:-$(nproc)}" --target veritor_samples
  samples="$host/samples"
  targets=(veritor veritor-author)
fi
cmake --build "$build" -j"${VERITOR_JOBS:-$(nproc)}" --target "${targets[@]}"

# Both programs carry their version information (resource type 16) and their manifest
# (type 24): Windows would otherwise stretch the question window on a scaled display.
for exe in veritor.exe veritor-author.exe; do
  resources=$("$arch-w64-mingw32-objdump" -p "$build/$exe" | sed -n '/Resource Directory section/,$p')
  if ! grep -q 'Entry: ID: 0x000010,' <<<"$resources" || ! grep -q 'Entry: ID: 0x000018,' <<<"$resources"; then
    echo "build-windows: $exe lacks its version information or its manifest" >&2
    exit 1
  fi
done

if [ "$arch" != i686 ]; then
  echo "Built (for tests, not to hand out): $build/veritor.exe, $build/veritor-author.exe"
  exit 0
fi

# The zips. Texts get Windows line ends, for Notepad; how-tos get the demo's password.
password=$(cat "$samples/password.txt")
windows_text() {  # SOURCE DESTINATION
  sed -e "s/@DEMO_PASSWORD@/$password/" -e 's/\r$//' -e 's/$/\r/' "$1" >"$2"
}
student="$build/zip/veritor-student"
instructor="$build/zip/veritor-instructor"
rm -rf "$build/zip" "$build"/veritor-*-windows-i686.zip "$build/veritor-windows-i686.zip"
mkdir -p "$student" "$instructor"
cp "$build/veritor.exe" "$samples/DemoExam.exm" "$student/"
windows_text "$root/samples/HowTo-Windows-Student.txt" "$student/HowTo.txt"
windows_text "$root/LICENSE" "$student/LICENSE.txt"
cp "$build/veritor-author.exe" "$instructor/"
windows_text "$root/samples/HowTo-Windows-Instructor.txt" "$instructor/HowTo.txt"
windows_text "$root/docs/writing-exams.md" "$instructor/writing-exams.txt"
windows_text "$root/samples/DemoExam.txt" "$instructor/DemoExam.txt"
windows_text "$root/LICENSE" "$instructor/LICENSE.txt"
for who in student instructor; do
  (cd "$build/zip" && zip -q -r -X "$build/veritor-$who-windows-i686.zip" "veritor-$who")
done
# A student must never be handed the instructor's tool, which prints whole exam texts.
if unzip -Z1 "$build/veritor-student-windows-i686.zip" | grep -qi 'author'; then
  echo "build-windows: the students' zip holds the instructor's tool" >&2
  exit 1
fi

echo "Built:"
for f in veritor.exe veritor-author.exe veritor-student-windows-i686.zip \
  veritor-instructor-windows-i686.zip; do
  printf '  %s (%s bytes)\n' "$build/$f" "$(stat -c %s "$build/$f")"
done
