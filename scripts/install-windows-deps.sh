#!/usr/bin/env bash
# Installs what the Windows build and its tests need, when any is missing: the MinGW-w64
# cross compiler (its posix thread model, for std::thread), 32-bit Wine to run the programs
# (the build runs veritor-author.exe to make the demo exam), zip, and for the tests Xvfb,
# tmux (a terminal for the console check), Debian's GoogleTest sources, built with the
# cross compiler, and the X and image tools that look at the question window on the display.
set -euo pipefail

packages=(
  g++-mingw-w64-i686-posix mingw-w64-i686-dev
  wine wine32:i386
  zip unzip
  xvfb xauth tmux x11-utils imagemagick
  googletest
  cmake make g++
)

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

# wine32 is an i386 package.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
