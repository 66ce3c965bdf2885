#!/usr/bin/env bash
# Builds the 32-bit Windows programs on Linux and packs them for students and instructors:
#   build-windows/veritor.exe, build-windows/veritor-author.exe and
#   build-windows/veritor-windows-i686.zip (the two programs, the demo exam, a how-to).
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
cmake --build "$build" -j"${VERITOR_JOBS:-$(nproc)}" --target veritor veritor-author veritor_samples

if [ "$arch" != i686 ]; then
  echo "Built (for tests, not to hand out): $build/veritor.exe, $build/veritor-author.exe"
  exit 0
fi

# The zip: what a student and an instructor need, with Windows line ends in the how-to.
stage="$build/zip/veritor"
rm -rf "$build/zip" "$build/veritor-windows-i686.zip"
mkdir -p "$stage"
cp "$build/veritor.exe" "$build/veritor-author.exe" "$build/samples/DemoExam.exm" "$stage/"
sed -e "s/@DEMO_PASSWORD@/$(cat "$build/samples/password.txt")/" -e 's/$/\r/' \
  "$root/samples/HowTo-Windows.txt" >"$stage/HowTo.txt"
(cd "$build/zip" && zip -q -r -X "$build/veritor-windows-i686.zip" veritor)

echo "Built:"
for f in veritor.exe veritor-author.exe veritor-windows-i686.zip; do
  printf '  %s (%s bytes)\n' "$build/$f" "$(stat -c %s "$build/$f")"
done
