# What both Windows cross builds share; the toolchain file of each architecture sets
# VERITOR_MINGW_PREFIX and CMAKE_SYSTEM_PROCESSOR and includes this.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model compiler is the one whose libstdc++ has std::thread.
set(CMAKE_C_COMPILER ${VERITOR_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VERITOR_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VERITOR_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VERITOR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything linked in, so that the programs run on a bare Windows machine: without this
# they need libstdc++-6, libgcc_s_dw2-1 and libwinpthread-1 beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# A release build is stripped: the libraries linked in carry symbols a student never needs.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")

# Programs built here run under Wine: the tests, and the tool that makes the demo exam.
find_program(VERITOR_WINE_RUN wine-run PATHS ${CMAKE_CURRENT_LIST_DIR}/../scripts NO_DEFAULT_PATH)
if(VERITOR_WINE_RUN)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    # 64-bit programs need 64-bit Wine, whoever runs the build.
    set(CMAKE_CROSSCOMPILING_EMULATOR env VERITOR_WINE_ARCH=win64 ${VERITOR_WINE_RUN})
  else()
    set(CMAKE_CROSSCOMPILING_EMULATOR ${VERITOR_WINE_RUN})
  endif()
endif()
