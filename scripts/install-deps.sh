#!/usr/bin/env bash
# Installs the Debian packages Veritor needs, when any is missing, for one purpose:
#   install-deps.sh run    building and running the programs (what scripts/try.sh needs)
#   install-deps.sh test   that, and the test suite, the fuzzer and the benchmarks
#                          (what scripts/test.sh needs; the default)
#   install-deps.sh windows  the Windows build and its tests under Wine
#                          (what scripts/build-windows.sh and scripts/test-windows.sh need)
#   install-deps.sh windows64  the 64-bit cross compiler and 64-bit Wine, which the Windows
#                          suite uses instead on a machine that cannot run 32-bit programs
#   install-deps.sh --packages NAME...   those packages (scripts/build-deb.sh names its own)
set -euo pipefail

purpose=${1:-test}

# Building and running: the compiler and build tools, and the question window's
# libraries, font and X11 headers.
run_packages=(
  g++ make cmake pkg-config
  libsdl2-dev libsdl2-ttf-dev libfontconfig-dev libx11-dev fonts-liberation
)
# Testing: GoogleTest, the fuzzer's clang and runtime, a virtual X server and xprop for
# the window tests, strace to watch the program put its records on the disk, Google
# Benchmark and xxd for the benchmarks, and lintian, Debian's package checker, for the
# package.
test_packages=(
  libgtest-dev libgmock-dev
  clang-14 libclang-rt-14-dev
  xvfb x11-utils
  strace
  libbenchmark-dev xxd
  lintian
)
# Windows: the MinGW-w64 cross compiler (its posix thread model, for std::thread), 32-bit
# Wine to run the programs (the build runs veritor-author.exe to make the demo exam), zip,
# and for the tests Xvfb, tmux (a terminal for the console check), Debian's GoogleTest
# sources, built with the cross compiler, the X and image tools that look at the
# question window on the display, and strace to watch the program sync its file. Their
# recommendations (hundreds of megabytes for Wine) are not needed.
windows_packages=(
  g++-mingw-w64-i686-posix mingw-w64-i686-dev
  wine wine32:i386
  zip unzip
  xvfb xauth tmux x11-utils imagemagick strace
  googletest
  cmake make g++
)

# The same suite on a machine whose kernel cannot run 32-bit programs: a 64-bit build of
# the same sources under 64-bit Wine (scripts/test-windows.sh).
windows64_packages=(
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  wine64
)

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
install_options=()
case "$purpose" in
  --packages) shift; packages=("$@") ;;
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  windows)
    packages=("${windows_packages[@]}")
    install_options=(--no-install-recommends)
    # wine32 is an i386 package.
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      $sudo dpkg --add-architecture i386
    fi
    ;;
  windows64)
    packages=("${windows64_packages[@]}")
    install_options=(--no-install-recommends)
    ;;
  *) echo "usage: $0 [run|test|windows|windows64|--packages NAME...]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${install_options[@]}" "${missing[@]}" >/dev/null
