# The question window. On Linux SDL2 draws it, SDL2_ttf renders its font and fontconfig
# finds the font by name; on Windows it is a plain Win32 window drawn with GDI. Only the
# backend under src/platform/ includes their headers.
if(WIN32)
  target_link_libraries(veritor_core PUBLIC user32 gdi32)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(VERITOR_WINDOW REQUIRED IMPORTED_TARGET sdl2 SDL2_ttf fontconfig)
  target_link_libraries(veritor_core PRIVATE PkgConfig::VERITOR_WINDOW)
endif()
