// The DPI of monitors and windows, for the windows the program sizes itself (the question
// window and the console's). The manifest makes the programs per-monitor DPI aware: their
// pixels are the monitor's own, and every length the program states for 96 DPI is scaled
// by the DPI these calls give.
#pragma once

#include <windows.h>

// The DPI of the monitor that holds the point (the primary monitor when none does).
int monitorDpiAt(POINT point);
// The DPI of the monitor the window is on.
int windowDpi(HWND window);
// Widens a client rectangle to the window rectangle of a window of that style whose frame
// is drawn at dpi.
void adjustWindowRectForDpi(RECT* rect, DWORD style, DWORD extendedStyle, int dpi);
