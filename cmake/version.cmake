# The program's version, read from the constant the program prints, so that the package,
# the changelog check and the Windows version resource can never name another one.
#   VERITOR_VERSION        1.19
#   VERITOR_VERSION_MAJOR  1
#   VERITOR_VERSION_MINOR  19
include_guard(GLOBAL)

file(STRINGS "${CMAKE_SOURCE_DIR}/src/state/program_state.h" VERITOR_VERSION_LINE
  REGEX "^constexpr double ProgramVersion = [0-9]+\\.[0-9][0-9]")
if(NOT VERITOR_VERSION_LINE MATCHES "= ([0-9]+)\\.([0-9][0-9])")
  message(FATAL_ERROR "no ProgramVersion in src/state/program_state.h")
endif()
set(VERITOR_VERSION "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}")
set(VERITOR_VERSION_MAJOR ${CMAKE_MATCH_1})
# Printed with two decimals ("%5.2f"): 1.19 is minor 19, and 1.05 is minor 5.
math(EXPR VERITOR_VERSION_MINOR "${CMAKE_MATCH_2}")
