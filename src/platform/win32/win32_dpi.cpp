// The DPI calls came with later versions of Windows (per monitor with 8.1, per window and
// per thread with 10): each is looked up by name, so that the programs still start on Windows 7, where
// the system's one DPI is the answer.
#include "platform/win32/win32_dpi.h"

namespace {

// MONITOR_DPI_TYPE's MDT_EFFECTIVE_DPI: the DPI the user's scaling asks for.
constexpr int EffectiveDpi = 0;

using GetDpiForMonitorCall = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using AdjustWindowRectExForDpiCall = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
// DPI_AWARENESS_CONTEXT is a handle of its own type, passed here as a pointer.
using GetWindowDpiAwarenessContextCall = void*(WINAPI*)(HWND);
using SetThreadDpiAwarenessContextCall = void*(WINAPI*)(void*);

template <typename Call>
Call lookUp(const char* library, const char* name) {
  HMODULE module = GetModuleHandleA(library);
  if (!module)
    module = LoadLibraryA(library);  // kept for the life of the process
  return module ? reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

GetDpiForMonitorCall getDpiForMonitor() {
  static const GetDpiForMonitorCall call = lookUp<GetDpiForMonitorCall>("shcore.dll", "GetDpiForMonitor");
  return call;
}

AdjustWindowRectExForDpiCall adjustWindowRectExForDpi() {
  static const AdjustWindowRectExForDpiCall call =
      lookUp<AdjustWindowRectExForDpiCall>("user32.dll", "AdjustWindowRectExForDpi");
  return call;
}

GetWindowDpiAwarenessContextCall getWindowDpiAwarenessContext() {
  static const GetWindowDpiAwarenessContextCall call =
      lookUp<GetWindowDpiAwarenessContextCall>("user32.dll", "GetWindowDpiAwarenessContext");
  return call;
}

SetThreadDpiAwarenessContextCall setThreadDpiAwarenessContext() {
  static const SetThreadDpiAwarenessContextCall call =
      lookUp<SetThreadDpiAwarenessContextCall>("user32.dll", "SetThreadDpiAwarenessContext");
  return call;
}

int systemDpi() {
  HDC screen = GetDC(nullptr);
  int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen)
    ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

int dpiOfMonitor(HMONITOR monitor) {
  UINT x = 0;
  UINT y = 0;
  if (monitor && getDpiForMonitor() && SUCCEEDED(getDpiForMonitor()(monitor, EffectiveDpi, &x, &y)) && y > 0)
    return static_cast<int>(y);
  return systemDpi();
}

}  // namespace

int monitorDpiAt(POINT point) {
  return dpiOfMonitor(MonitorFromPoint(point, MONITOR_DEFAULTTOPRIMARY));
}

void adjustWindowRectForDpi(RECT* rect, DWORD style, DWORD extendedStyle, int dpi) {
  // Where the frame is drawn at the window's DPI (Windows 10's per-monitor awareness) its
  // metrics are those of that DPI; before, the system's.
  if (adjustWindowRectExForDpi() &&
      adjustWindowRectExForDpi()(rect, style, FALSE, extendedStyle, static_cast<UINT>(dpi)))
    return;
  AdjustWindowRectEx(rect, style, FALSE, extendedStyle);
}

DpiAwarenessOfWindow::DpiAwarenessOfWindow(HWND window) {
  if (!window || !getWindowDpiAwarenessContext() || !setThreadDpiAwarenessContext())
    return;
  void* context = getWindowDpiAwarenessContext()(window);
  if (context)
    previous_ = setThreadDpiAwarenessContext()(context);
}

DpiAwarenessOfWindow::~DpiAwarenessOfWindow() {
  if (previous_)
    setThreadDpiAwarenessContext()(previous_);
}
