// The DPI of monitors and windows, for the windows the program sizes itself (the question
// window and the console's). The manifest makes the programs per-monitor DPI aware: their
// pixels are the monitor's own, and every length the program states for 96 DPI is scaled
// by the DPI these calls give.
#pragma once

#include <windows.h>

// The DPI of the monitor that holds the point (the primary monitor when none does).
int monitorDpiAt(POINT point);
// Widens a client rectangle to the window rectangle of a window of that style whose frame
// is drawn at dpi.
void adjustWindowRectForDpi(RECT* rect, DWORD style, DWORD extendedStyle, int dpi);

// For its lifetime, the calling thread sees pixels as the window of another process does
// (Windows 10 and later; elsewhere it changes nothing). A window whose program is not
// DPI aware is stretched by Windows: the lengths stated for 96 DPI are its own, and the
// DPI calls then answer 96. Moving such a window in the monitor's own pixels would put
// it in the wrong place.
class DpiAwarenessOfWindow {
 public:
  explicit DpiAwarenessOfWindow(HWND window);
  ~DpiAwarenessOfWindow();
  DpiAwarenessOfWindow(const DpiAwarenessOfWindow&) = delete;
  DpiAwarenessOfWindow& operator=(const DpiAwarenessOfWindow&) = delete;

 private:
  void* previous_ = nullptr;  // the thread's DPI_AWARENESS_CONTEXT before
};
