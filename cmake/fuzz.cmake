# The exam text fuzz target (libFuzzer), off by default: it needs clang.
#   scripts/fuzz.sh SECONDS   configures build-fuzz with ASan and UBSan and runs it.
option(VERITOR_FUZZ "Build the exam text fuzz target (clang with libFuzzer)" OFF)

if(VERITOR_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "VERITOR_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++-14")
  endif()
  # Coverage feedback from the code under test; the fuzzer's own main comes with the target.
  target_compile_options(veritor_core PRIVATE -fsanitize=fuzzer-no-link)
  add_executable(exam_text_fuzz
    ${CMAKE_SOURCE_DIR}/tests/fuzz/exam_text_fuzz.cpp
    ${CMAKE_SOURCE_DIR}/src/platform/scripted/scripted_platform.cpp)
  target_link_libraries(exam_text_fuzz PRIVATE veritor_core)
  target_compile_options(exam_text_fuzz PRIVATE -fsanitize=fuzzer)
  target_link_options(exam_text_fuzz PRIVATE -fsanitize=fuzzer)
  set_target_properties(exam_text_fuzz PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
endif()
