#!/usr/bin/env bash
# Builds the Debian package: installs what the build needs when it is missing, builds
# Veritor for release in build-deb/ and leaves build-deb/veritor_VERSION_ARCH.deb, with
# both programs, their manual pages and the demo exam. Install it with
#   sudo apt-get install ./build-deb/veritor_*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-deb"

# dpkg-shlibdeps (dpkg-dev) and file find the libraries the package depends on.
"$root/scripts/install-deps.sh" --packages g++ make cmake pkg-config \
  libsdl2-dev libsdl2-ttf-dev libfontconfig-dev libx11-dev fonts-liberation dpkg-dev file

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVERITOR_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build" -j"${VERITOR_JOBS:-2}"
rm -f "$build"/veritor_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/veritor_*.deb
