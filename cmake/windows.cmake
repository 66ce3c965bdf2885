# What the Windows backend needs from the build: the system's libraries (the console's
# system menu and window place in user32, the user's folders in shell32) and a lean
# <windows.h>.
if(WIN32)
  target_compile_definitions(veritor_core PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  target_link_libraries(veritor_core PUBLIC user32 shell32 kernel32)
  # GCC 12 for 32-bit targets warns of overlapping copies inside std::string that cannot
  # happen (assigning a literal to a string); the warning says nothing about our code.
  target_compile_options(veritor_core PUBLIC -Wno-restrict)

  # Each program carries its version information and the application manifest; the
  # test programs carry the manifest alone, so that they see the system as the programs
  # do (the monitors' DPI above all). The programs are made after this file is read:
  # the resources are added once the whole project has been read.
  include(${CMAKE_CURRENT_LIST_DIR}/version.cmake)
  set(VERITOR_MANIFEST "${CMAKE_SOURCE_DIR}/resources/windows/veritor.manifest")

  function(veritor_program_resources target name description)
    set(VERITOR_RC_NAME "${name}")
    set(VERITOR_RC_FILE_NAME "${name}.exe")
    set(VERITOR_RC_DESCRIPTION "${description}")
    set(rc "${CMAKE_BINARY_DIR}/resources/${name}-program.rc")
    configure_file("${CMAKE_SOURCE_DIR}/resources/windows/program.rc.in" "${rc}" @ONLY)
    set_source_files_properties("${rc}" PROPERTIES OBJECT_DEPENDS "${VERITOR_MANIFEST}")
    target_sources(${target} PRIVATE "${rc}")
  endfunction()

  function(veritor_windows_resources)
    veritor_program_resources(veritor veritor "Veritor: take an exam")
    if(TARGET veritor-author)
      veritor_program_resources(veritor-author veritor-author
        "Veritor Author: make exams and read completed ones")
    endif()
    if(TARGET veritor_tests)
      set(rc "${CMAKE_BINARY_DIR}/resources/tests-manifest.rc")
      configure_file("${CMAKE_SOURCE_DIR}/resources/windows/manifest.rc.in" "${rc}" @ONLY)
      set_source_files_properties("${rc}" PROPERTIES OBJECT_DEPENDS "${VERITOR_MANIFEST}")
      target_sources(veritor_tests PRIVATE "${rc}")
    endif()
  endfunction()
  cmake_language(DEFER CALL veritor_windows_resources)
endif()
