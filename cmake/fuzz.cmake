# The fuzz targets (libFuzzer), off by default: they need clang. tests/fuzz/targets.txt
# lists them, one a line; scripts/fuzz.sh builds them in build-fuzz with ASan and UBSan,
# replays their corpora or fuzzes each for a while.
option(VERITOR_FUZZ "Build the fuzz targets (clang with libFuzzer)" OFF)

if(VERITOR_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "VERITOR_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++-14")
  endif()
  # Coverage feedback from the code under test; the fuzzer's own main comes with each target.
  target_compile_options(veritor_core PRIVATE -fsanitize=fuzzer-no-link)
  # Tracing every comparison would cost more than the work and tell the fuzzer nothing in
  # two places that loop over bytes or slots for every input: the store's clear, which
  # walks the filled slots, and the record writer, which writes every answer record out as
  # hex digits, byte by byte (it keeps its edges, for its failure paths).
  set_source_files_properties(${CMAKE_SOURCE_DIR}/src/format/question_store.cpp
    ${CMAKE_SOURCE_DIR}/src/result/record_writer.cpp
    TARGET_DIRECTORY veritor_core PROPERTIES COMPILE_OPTIONS -fno-sanitize-coverage=trace-cmp)
  # Branches inside the key stream, which every record runs through, follow the key and not
  # the input; counting them took most of the time of a long console input.
  set_source_files_properties(${CMAKE_SOURCE_DIR}/src/examfile/cipher.cpp
    TARGET_DIRECTORY veritor_core PROPERTIES COMPILE_OPTIONS -fno-sanitize=fuzzer-no-link)

  add_library(veritor_fuzz_support STATIC
    ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_support.cpp
    ${CMAKE_SOURCE_DIR}/tests/fuzz/memory_folder.cpp
    ${CMAKE_SOURCE_DIR}/src/platform/scripted/scripted_platform.cpp)
  target_include_directories(veritor_fuzz_support PUBLIC ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(veritor_fuzz_support PUBLIC veritor_core)

  file(STRINGS ${CMAKE_SOURCE_DIR}/tests/fuzz/targets.txt VERITOR_FUZZ_TARGETS REGEX "^[a-z_]+$")
  foreach(name IN LISTS VERITOR_FUZZ_TARGETS)
    add_executable(${name}_fuzz ${CMAKE_SOURCE_DIR}/tests/fuzz/${name}_fuzz.cpp)
    target_link_libraries(${name}_fuzz PRIVATE veritor_fuzz_support)
    target_compile_options(${name}_fuzz PRIVATE -fsanitize=fuzzer)
    target_link_options(${name}_fuzz PRIVATE -fsanitize=fuzzer)
    set_target_properties(${name}_fuzz PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  endforeach()
  add_custom_target(veritor_fuzz_targets)
  list(TRANSFORM VERITOR_FUZZ_TARGETS APPEND _fuzz OUTPUT_VARIABLE VERITOR_FUZZ_EXECUTABLES)
  add_dependencies(veritor_fuzz_targets ${VERITOR_FUZZ_EXECUTABLES})
endif()
