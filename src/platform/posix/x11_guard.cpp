#include "platform/posix/x11_guard.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <atomic>

namespace {

std::atomic<bool> g_displayLost{false};

// Xlib's own handlers print and end the process; the student's exam must go on.
int ignoreRequestError(Display*, XErrorEvent*) {
  return 0;
}

int noteLostConnection(Display*) {
  g_displayLost.store(true);
  return 0;
}

// Returning from here, rather than exiting, leaves the display marked as unusable and
// the process running.
void keepRunningAfterLostConnection(Display*, void*) {
  g_displayLost.store(true);
}

// The window manager's hints in the layout the _MOTIF_WM_HINTS property has.
struct MotifHints {
  unsigned long Flags;
  unsigned long Functions;
  unsigned long Decorations;
  long InputMode;
  unsigned long State;
};
constexpr unsigned long HintFunctions = 1, HintDecorations = 2;
constexpr unsigned long FunctionResize = 2, FunctionMove = 4, FunctionClose = 32;
constexpr unsigned long DecorBorder = 2, DecorResizeHandle = 4, DecorTitle = 8, DecorMenu = 16;

}  // namespace

void guardXDisplay() {
  XSetErrorHandler(ignoreRequestError);
  XSetIOErrorHandler(noteLostConnection);
}

int prepareXWindow(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
    return -1;
  Display* display = info.info.x11.display;
  XSetIOErrorExitHandler(display, keepRunningAfterLostConnection, nullptr);

  MotifHints hints = {HintFunctions | HintDecorations, FunctionResize | FunctionMove | FunctionClose,
                      DecorBorder | DecorResizeHandle | DecorTitle | DecorMenu, 0, 0};
  Atom property = XInternAtom(display, "_MOTIF_WM_HINTS", False);
  XChangeProperty(display, info.info.x11.window, property, property, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&hints), 5);
  XFlush(display);
  return ConnectionNumber(display);
}

bool xDisplayLost() {
  return g_displayLost.load();
}
