# What the Windows backend needs from the build: the system's libraries (the console's
# system menu and window place in user32, the user's folders in shell32) and a lean
# <windows.h>.
if(WIN32)
  target_compile_definitions(veritor_core PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  target_link_libraries(veritor_core PUBLIC user32 shell32 kernel32)
  # GCC 12 for 32-bit targets warns of overlapping copies inside std::string that cannot
  # happen (assigning a literal to a string); the warning says nothing about our code.
  target_compile_options(veritor_core PUBLIC -Wno-restrict)
endif()
