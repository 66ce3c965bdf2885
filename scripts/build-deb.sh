#!/usr/bin/env bash
# Builds the Debian package: installs what the build needs when it is missing, builds
# Veritor for release in build-deb/ and leaves build-deb/veritor_VERSION_ARCH.deb, with
# both programs, their manual pages, the licence, the changelog and the demo exam.
# Options after the script's name go to CMake (-DVERITOR_MAINTAINER=..., or
# -DVERITOR_KEY_FILE=... for an institution's own key data). Check it with
#   lintian build-deb/veritor_*.deb
# and install it with
#   sudo apt-get install ./build-deb/veritor_*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-deb"

# dpkg-shlibdeps (dpkg-dev) and file find the libraries the package depends on.
"$root/scripts/install-deps.sh" --packages g++ make cmake pkg-config \
  libsdl2-dev libsdl2-ttf-dev libfontconfig-dev libx11-dev fonts-liberation dpkg-dev file

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# Debian's own flags for what it packages, with every hardening it offers (stack
# protector, fortified string calls, read-only relocations bound at start).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVERITOR_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr "${launcher[@]}" \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" "$@" >/dev/null
cmake --build "$build" -j"${VERITOR_JOBS:-2}"
rm -f "$build"/veritor_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/veritor_*.deb
