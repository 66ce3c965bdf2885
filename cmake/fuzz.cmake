# The fuzz targets (libFuzzer), off by default: they need clang.
#   exam_text_fuzz    the exam header and body parsers
#   xmc_reader_fuzz   the completed-file reader and its analysis
#   scripts/fuzz.sh SECONDS [TARGET]   configures build-fuzz with ASan and UBSan and runs one.
option(VERITOR_FUZZ "Build the fuzz targets (clang with libFuzzer)" OFF)

if(VERITOR_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "VERITOR_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++-14")
  endif()
  # Coverage feedback from the code under test; the fuzzer's own main comes with the target.
  target_compile_options(veritor_core PRIVATE -fsanitize=fuzzer-no-link)
  foreach(target exam_text_fuzz xmc_reader_fuzz)
    add_executable(${target}
      ${CMAKE_SOURCE_DIR}/tests/fuzz/${target}.cpp
      ${CMAKE_SOURCE_DIR}/src/platform/scripted/scripted_platform.cpp)
    target_link_libraries(${target} PRIVATE veritor_core)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  endforeach()
endif()
