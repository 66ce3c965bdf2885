# Installing Veritor (cmake --install) and packaging it as a Debian package (cpack, or
# scripts/build-deb.sh): both programs, their manual pages, and under share/doc the
# README, the licence and the changelog, and the demo exam with its password and the
# text it was made from.
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

# Who answers for the package. An institution that builds its own (with its own key
# data) names itself here: -DVERITOR_MAINTAINER="IT Services <exams@example.edu>".
set(VERITOR_MAINTAINER "Veritor developers <veritor-developers@example.org>" CACHE STRING
  "The Debian package's maintainer and the contact in its copyright file")

# Debian's place for the licence and the changelog of a package of its own making:
# /usr/share/doc/veritor/copyright, made from LICENSE, and changelog.gz, made from
# CHANGELOG.md in Debian's changelog form, so that neither can fall behind its source.
find_program(VERITOR_AWK NAMES awk mawk gawk)
if(VERITOR_AWK AND VERITOR_GZIP)
  set(debian_dir "${CMAKE_BINARY_DIR}/debian")
  add_custom_command(OUTPUT "${debian_dir}/copyright"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${debian_dir}"
    COMMAND ${VERITOR_AWK} -v name=Veritor -v "contact=${VERITOR_MAINTAINER}"
            -f "${CMAKE_SOURCE_DIR}/cmake/debian/copyright.awk" "${CMAKE_SOURCE_DIR}/LICENSE"
            > "${debian_dir}/copyright"
    DEPENDS "${CMAKE_SOURCE_DIR}/LICENSE" "${CMAKE_SOURCE_DIR}/cmake/debian/copyright.awk"
    VERBATIM)
  add_custom_command(OUTPUT "${debian_dir}/changelog.gz"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${debian_dir}"
    COMMAND ${VERITOR_AWK} -v package=veritor -v "maintainer=${VERITOR_MAINTAINER}"
            -f "${CMAKE_SOURCE_DIR}/cmake/debian/changelog.awk" "${CMAKE_SOURCE_DIR}/CHANGELOG.md"
            > "${debian_dir}/changelog"
    COMMAND ${VERITOR_GZIP} -9nf "${debian_dir}/changelog"
    DEPENDS "${CMAKE_SOURCE_DIR}/CHANGELOG.md" "${CMAKE_SOURCE_DIR}/cmake/debian/changelog.awk"
    VERBATIM)
  add_custom_target(veritor_debian_files ALL
    DEPENDS "${debian_dir}/copyright" "${debian_dir}/changelog.gz")
  install(FILES "${debian_dir}/copyright" "${debian_dir}/changelog.gz"
    DESTINATION ${VERITOR_DOC_DIR})
endif()
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
include(${CMAKE_CURRENT_LIST_DIR}/version.cmake)
set(CPACK_PACKAGE_VERSION ${VERITOR_VERSION})
set(CPACK_PACKAGE_CONTACT "${VERITOR_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "offline exam program: the student's side and the instructor's tool")
# Each line of the long description within 80 columns, as Debian's tools show it.
set(CPACK_PACKAGE_DESCRIPTION [=[
veritor lets a student take a timed exam from an enciphered .exm file
and writes everything the student does, tick-stamped and enciphered,
into a completed .xmc file to hand in. veritor-author makes the .exm
files from plain exam texts, reads the completed files back, and checks
and grades a whole class's files at once.]=])
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fontconfig, fonts-liberation")
set(CPACK_STRIP_FILES ON)
include(CPack)
