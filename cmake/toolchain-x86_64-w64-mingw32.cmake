# Cross-building the same sources as 64-bit Windows programs. They are not shipped: they
# let the Windows suite run under 64-bit Wine on a machine whose kernel cannot run 32-bit
# programs, and so cannot start 32-bit Wine (scripts/test-windows.sh).
#
#   cmake -S . -B build-windows64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-w64-mingw32.cmake
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VERITOR_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
