# The two blocks of data the program carries inside itself: the key data (65,537 bytes)
# and the table of the first 200,000 primes. On Linux both are assembled into veritor_core
# with .incbin, which costs nothing at compile time; on Windows they are resources. The
# program reaches them through platform().loadResource.

set(VERITOR_KEY_FILE "${CMAKE_SOURCE_DIR}/resources/key.bin" CACHE FILEPATH
  "Key data to embed (65,537 bytes). Exams can only be read by a program built with the key they were made with.")
get_filename_component(VERITOR_KEY_FILE_ABS "${VERITOR_KEY_FILE}" ABSOLUTE)
if(NOT EXISTS "${VERITOR_KEY_FILE_ABS}")
  message(FATAL_ERROR "VERITOR_KEY_FILE: no such file: ${VERITOR_KEY_FILE_ABS}")
endif()
file(SIZE "${VERITOR_KEY_FILE_ABS}" VERITOR_KEY_SIZE)
if(NOT VERITOR_KEY_SIZE EQUAL 65537)
  message(FATAL_ERROR "VERITOR_KEY_FILE must hold 65,537 bytes; ${VERITOR_KEY_FILE_ABS} holds ${VERITOR_KEY_SIZE}")
endif()

# The prime table is made at build time by a small generator, so the repository carries
# only the program that makes it. A cross build makes it with the build machine's own
# compiler: the table is the same bytes whoever makes it.
set(VERITOR_PRIMES_FILE "${CMAKE_BINARY_DIR}/resources/primes.bin")
if(CMAKE_CROSSCOMPILING)
  find_program(VERITOR_HOST_CXX NAMES c++ g++ clang++ REQUIRED)
  set(VERITOR_MAKE_PRIMES "${CMAKE_BINARY_DIR}/resources/make_primes-host")
  add_custom_command(OUTPUT "${VERITOR_PRIMES_FILE}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/resources"
    COMMAND ${VERITOR_HOST_CXX} -O2 -o "${VERITOR_MAKE_PRIMES}" "${CMAKE_SOURCE_DIR}/resources/make_primes.cpp"
    COMMAND "${VERITOR_MAKE_PRIMES}" "${VERITOR_PRIMES_FILE}"
    DEPENDS "${CMAKE_SOURCE_DIR}/resources/make_primes.cpp"
    COMMENT "Making the prime table")
else()
  add_executable(make_primes ${CMAKE_SOURCE_DIR}/resources/make_primes.cpp)
  add_custom_command(OUTPUT "${VERITOR_PRIMES_FILE}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/resources"
    COMMAND make_primes "${VERITOR_PRIMES_FILE}"
    DEPENDS make_primes
    COMMENT "Making the prime table")
endif()
add_custom_target(veritor_prime_table DEPENDS "${VERITOR_PRIMES_FILE}")

if(WIN32)
  # On Windows the two blocks are resources of the program's own file, found by type and
  # id. A resource in a static library is never pulled into a program (nothing refers to
  # it by name), so every program that links veritor_core compiles the script itself.
  set(VERITOR_RC_FILE "${CMAKE_BINARY_DIR}/resources/veritor.rc")
  file(WRITE "${VERITOR_RC_FILE}.in" [=[
// Made by cmake/resources.cmake: the key data and the prime table.
102 RAW "@VERITOR_KEY_FILE_ABS@"
103 PRIMES "@VERITOR_PRIMES_FILE@"
]=])
  configure_file("${VERITOR_RC_FILE}.in" "${VERITOR_RC_FILE}" @ONLY)
  set_source_files_properties("${VERITOR_RC_FILE}" PROPERTIES
    OBJECT_DEPENDS "${VERITOR_KEY_FILE_ABS};${VERITOR_PRIMES_FILE}")
  target_sources(veritor_core INTERFACE "${VERITOR_RC_FILE}")
  add_dependencies(veritor_core veritor_prime_table)
  return()
endif()

set(VERITOR_EMBED_SOURCE "${CMAKE_BINARY_DIR}/resources/embedded_data.cpp")
file(WRITE "${VERITOR_EMBED_SOURCE}.in" [=[
// Made by cmake/resources.cmake: the key data and the prime table, assembled in.
#include <cstddef>
#include <cstdint>

#define VERITOR_EMBED(name, file)                                  \
  __asm__(".section .rodata\n"                                     \
          ".balign 16\n"                                           \
          ".global " #name "\n" #name ":\n"                        \
          ".incbin \"" file "\"\n"                                 \
          ".global " #name "End\n" #name "End:\n"                  \
          ".byte 0\n"                                              \
          ".previous\n")

VERITOR_EMBED(VeritorEmbeddedKey, "@VERITOR_KEY_FILE_ABS@");
VERITOR_EMBED(VeritorEmbeddedPrimes, "@VERITOR_PRIMES_FILE@");

extern "C" const uint8_t VeritorEmbeddedKey[];
extern "C" const uint8_t VeritorEmbeddedKeyEnd[];
extern "C" const uint8_t VeritorEmbeddedPrimes[];
extern "C" const uint8_t VeritorEmbeddedPrimesEnd[];

bool embeddedData(int id, const uint8_t** data, size_t* size) {
  if (id == 102) {
    *data = VeritorEmbeddedKey;
    *size = size_t(VeritorEmbeddedKeyEnd - VeritorEmbeddedKey);
    return true;
  }
  if (id == 103) {
    *data = VeritorEmbeddedPrimes;
    *size = size_t(VeritorEmbeddedPrimesEnd - VeritorEmbeddedPrimes);
    return true;
  }
  return false;
}
]=])
configure_file("${VERITOR_EMBED_SOURCE}.in" "${VERITOR_EMBED_SOURCE}" @ONLY)
set_source_files_properties("${VERITOR_EMBED_SOURCE}" PROPERTIES
  OBJECT_DEPENDS "${VERITOR_KEY_FILE_ABS};${VERITOR_PRIMES_FILE}")
target_sources(veritor_core PRIVATE "${VERITOR_EMBED_SOURCE}")
add_dependencies(veritor_core veritor_prime_table)
