# Installing Veritor (cmake --install) and packaging it as a Debian package (cpack, or
# scripts/build-deb.sh): both programs, their manual pages, and under share/doc the
# README and the demo exam with its password and the text it was made from.
include(GNUInstallDirs)

install(TARGETS veritor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET veritor-author)
  install(TARGETS veritor-author RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# Manual pages go in compressed, as Debian's man finds them; the sources stay plain roff.
find_program(VERITOR_GZIP gzip)
foreach(page veritor.1 veritor-author.1)
  set(source "${CMAKE_SOURCE_DIR}/docs/man/${page}")
  if(VERITOR_GZIP)
    set(packed "${CMAKE_BINARY_DIR}/man/${page}.gz")
    add_custom_command(OUTPUT "${packed}"
      COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/man"
      COMMAND ${VERITOR_GZIP} -9n -c "${source}" > "${packed}"
      DEPENDS "${source}" VERBATIM)
    list(APPEND VERITOR_MAN_PAGES "${packed}")
  else()
    list(APPEND VERITOR_MAN_PAGES "${source}")
  endif()
endforeach()
add_custom_target(veritor_man_pages ALL DEPENDS ${VERITOR_MAN_PAGES})
install(FILES ${VERITOR_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(VERITOR_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/veritor)
install(FILES "${CMAKE_SOURCE_DIR}/README.md" DESTINATION ${VERITOR_DOC_DIR})
install(FILES "${CMAKE_SOURCE_DIR}/samples/DemoExam.txt" DESTINATION ${VERITOR_DOC_DIR}/examples)
if(TARGET veritor_samples)
  install(FILES "${VERITOR_SAMPLES_DIR}/DemoExam.exm" "${VERITOR_SAMPLES_DIR}/password.txt"
    DESTINATION ${VERITOR_DOC_DIR}/examples)
endif()

# The Debian package. The libraries' packages (SDL2, SDL2_ttf, fontconfig, the C++
# run-time) are found from the programs by dpkg-shlibdeps; the font the window asks
# fontconfig for, and fontconfig's own configuration, are declared by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veritor)
set(CPACK_PACKAGE_VERSION 1.19)
set(CPACK_PACKAGE_CONTACT "Veritor developers <veritor@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "offline exam program: the student's side and the instructor's tool")
set(CPACK_PACKAGE_DESCRIPTION
  "veritor lets a student take a timed exam from an enciphered .exm file and writes\neverything the student does into a completed .xmc file to hand in. veritor-author\nmakes the .exm files and reads the completed ones.")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fontconfig, fonts-liberation")
set(CPACK_STRIP_FILES ON)
include(CPack)
