# The demo exam: samples/DemoExam.txt enciphered by veritor-author into build/samples/,
# with a fixed password (written beside it), a far expiry date and review on (its text
# asks the student to check the answers before #done), so that a fresh clone
# can take an exam right after building.
if(TARGET veritor-author)
  set(VERITOR_DEMO_PASSWORD "demo2026")
  set(VERITOR_SAMPLES_DIR "${CMAKE_BINARY_DIR}/samples")
  add_custom_command(
    OUTPUT "${VERITOR_SAMPLES_DIR}/DemoExam.exm" "${VERITOR_SAMPLES_DIR}/password.txt"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${VERITOR_SAMPLES_DIR}"
    COMMAND veritor-author make "${CMAKE_SOURCE_DIR}/samples/DemoExam.txt"
            --password "${VERITOR_DEMO_PASSWORD}" --expires "2099/12/31::23:59:00" --review on
            -o "${VERITOR_SAMPLES_DIR}/DemoExam.exm"
    COMMAND ${CMAKE_COMMAND} -E echo "${VERITOR_DEMO_PASSWORD}" > "${VERITOR_SAMPLES_DIR}/password.txt"
    DEPENDS veritor-author "${CMAKE_SOURCE_DIR}/samples/DemoExam.txt"
    COMMENT "Making the demo exam samples/DemoExam.exm"
    VERBATIM)
  add_custom_target(veritor_samples ALL
    DEPENDS "${VERITOR_SAMPLES_DIR}/DemoExam.exm" "${VERITOR_SAMPLES_DIR}/password.txt")
endif()

# The session end-to-end tests take the demo exam, so building them builds it too.
if(TARGET veritor_samples AND TARGET veritor_e2e_tests)
  add_dependencies(veritor_e2e_tests veritor_samples)
endif()
