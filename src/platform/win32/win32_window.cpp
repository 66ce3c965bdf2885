// The question window on Windows: a window of the class "QuestionClass", drawn with GDI
// in the eight "Courier New" fonts of the font size table.
//
// The window procedure does not act on anything itself: it turns the messages the
// window thread cares about into WindowEvents, queued for waitEvent, so that the thread
// logic shared with the other systems decides what a key, a wheel step or a resize does.
// Each frame is drawn into a bitmap of the client area's size and copied to the window
// in one piece, so the window never shows a half-drawn frame and a repaint after the
// window was uncovered needs no new drawing. The bitmap keeps the last frame, so a band
// of it (the countdown) can be drawn again and copied to the window alone.
//
// The program is per-monitor DPI aware (its manifest): the window's pixels are the
// monitor's own, the thread asks for sizes and cells scaled by the monitor's DPI, and
// the fonts are made at those cells, so the text is drawn sharp at any scaling. When the
// window is moved to a monitor of another DPI, it takes the same size in 96-DPI units
// there and tells the thread, whose cells follow.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/dpi_scale.h"
#include "platform/win32/win32_dpi.h"
#include "platform/window_backend.h"
#include "window/window_colors.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace {

const char ClassName[] = "QuestionClass";
// Caption, system menu and sizing border; no minimise or maximise box.
constexpr DWORD WindowStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;

// Private messages posted to the window (or, before it exists, to its thread).
constexpr UINT WakeMessage = WM_APP + 1;    // wParam: the wake() code
constexpr UINT ResizeMessage = WM_APP + 2;  // take the newest client size asked for

// One full notch of a mouse wheel.
constexpr int WheelNotch = WHEEL_DELTA;

std::atomic<bool> g_classRegistered{false};

LRESULT CALLBACK questionWindowProc(HWND window, UINT message, WPARAM first, LPARAM second);

bool registerQuestionClass() {
  if (g_classRegistered.load())
    return true;
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_NOCLOSE;
  windowClass.lpfnWndProc = questionWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  windowClass.hIconSm = LoadIcon(nullptr, IDI_APPLICATION);
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = ClassName;
  if (!RegisterClassExA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    return false;
  g_classRegistered.store(true);
  return true;
}

WindowKey keyOf(WPARAM virtualKey) {
  switch (virtualKey) {
    case VK_CONTROL: return WindowKey::Control;
    case VK_ESCAPE: return WindowKey::Escape;
    case VK_OEM_PLUS: return WindowKey::Plus;  // the plus/equals key of the main keyboard
    case VK_OEM_MINUS: return WindowKey::Minus;
    default: return WindowKey::Other;
  }
}

WPARAM virtualKeyOf(WindowKey key) {
  switch (key) {
    case WindowKey::Control: return VK_CONTROL;
    case WindowKey::Escape: return VK_ESCAPE;
    case WindowKey::Plus: return VK_OEM_PLUS;
    case WindowKey::Minus: return VK_OEM_MINUS;
    default: return 'A';
  }
}

// The outer size that gives the window a client area of width x height, its frame
// drawn at dpi.
SIZE outerSizeFor(int width, int height, int dpi) {
  RECT frame = {0, 0, width, height};
  adjustWindowRectForDpi(&frame, WindowStyle, 0, dpi);
  return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

// Makes the client area exactly width x height whatever frame the window system drew
// (its metrics differ with the DPI, the version of Windows and its awareness of DPI).
void fitClientArea(HWND window, int width, int height) {
  RECT client = {};
  RECT outer = {};
  if (!GetClientRect(window, &client) || !GetWindowRect(window, &outer) ||
      (client.right == width && client.bottom == height))
    return;
  SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + width - client.right,
               outer.bottom - outer.top + height - client.bottom,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

class Win32QuestionWindow : public QuestionWindowBackend {
 public:
  ~Win32QuestionWindow() override { destroy(); }

  bool prepare() override {
    // A thread gets its message queue with its first look at it; wakes posted before
    // the window exists then have somewhere to wait.
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
    threadId_.store(GetCurrentThreadId());
    return registerQuestionClass();
  }

  int dpi() override {
    // A new window opens where the thread places it, near the top-left corner of the
    // primary monitor.
    HWND window = window_.load();
    return window ? dpi_ : monitorDpiAt(POINT{0, 0});
  }

  bool create(const char* title, int x, int y, int width, int height) override {
    dpi_ = monitorDpiAt(POINT{x, y});
    SIZE outer = outerSizeFor(width, height, dpi_);
    HWND window = CreateWindowExA(0, ClassName, title, WindowStyle, x, y, outer.cx, outer.cy,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), this);
    if (!window)
      return false;
    window_.store(window);
    fitClientArea(window, width, height);
    // The student types the answers in the console: showing the question must not take
    // the keyboard away from it.
    ShowWindow(window, SW_SHOWNOACTIVATE);
    return true;
  }

  bool waitEvent(WindowEvent* event, int timeoutMs) override {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      MSG message;
      while (events_.empty() && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (!message.hwnd)
          takeThreadMessage(message);
        else
          DispatchMessageA(&message);  // no key translation: the window reads key codes
      }
      if (!events_.empty()) {
        *event = events_.front();
        events_.pop_front();
        return true;
      }
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0)
        return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()), QS_ALLINPUT);
    }
  }

  bool eventsPending() override {
    MSG message;
    return !events_.empty() || PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  }

  void beginFrame() override {
    HWND window = window_.load();
    RECT client = {};
    if (window)
      GetClientRect(window, &client);
    band_ = RECT{0, 0, 0, 0};
    banded_ = false;
    frameKept_ = false;
    if (!frameFor(client.right, client.bottom))
      return;
    RECT all = {0, 0, frameWidth_, frameHeight_};
    FillRect(frameDc_, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    frameKept_ = true;
  }

  bool beginBand(int y, int height) override {
    HWND window = window_.load();
    RECT client = {};
    if (!window || !frameDc_ || !frameKept_ || !GetClientRect(window, &client) ||
        client.right != frameWidth_ || client.bottom != frameHeight_)
      return false;
    RECT wanted = {0, y, frameWidth_, y + height};
    RECT all = {0, 0, frameWidth_, frameHeight_};
    if (!IntersectRect(&band_, &wanted, &all))
      band_ = RECT{0, 0, 0, 0};
    banded_ = true;
    FillRect(frameDc_, &band_, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    return true;
  }

  void drawCells(int x, int y, const char* text, int length, int cellWidth, int cellHeight,
                 uint8_t red, uint8_t green, uint8_t blue) override {
    if (!frameDc_ || length <= 0)
      return;
    RECT cells = {x, y, x + length * cellWidth, y + cellHeight};
    // What lies outside the band must not change the kept frame: the window is sent the
    // band alone.
    if (banded_ && !IntersectRect(&cells, &cells, &band_))
      return;
    SelectObject(frameDc_, fontFor(cellWidth, cellHeight));
    SetTextColor(frameDc_, RGB(red, green, blue));
    SetBkColor(frameDc_, RGB(0, 0, 0));
    SetBkMode(frameDc_, OPAQUE);
    // One call for the row, each character advanced by exactly one cell: whatever font
    // the system gives for "Courier New", the columns are those the layout counted.
    row_.assign(text, static_cast<size_t>(length));
    for (char& c : row_)
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
        c = ' ';
    advances_.assign(static_cast<size_t>(length), cellWidth);
    ExtTextOutA(frameDc_, x, y, ETO_CLIPPED | ETO_OPAQUE, &cells, row_.data(),
                static_cast<UINT>(length), advances_.data());
  }

  bool readFrame(std::vector<uint32_t>* pixels, int* width, int* height) override {
    if (!frameDc_)
      return false;
    GdiFlush();
    BITMAPINFO layout = bitmapLayout(frameWidth_, frameHeight_);
    pixels->assign(static_cast<size_t>(frameWidth_) * frameHeight_, 0);
    if (GetDIBits(frameDc_, frameBitmap_, 0, frameHeight_, pixels->data(), &layout,
                  DIB_RGB_COLORS) != frameHeight_)
      return false;
    for (uint32_t& pixel : *pixels)
      pixel |= 0xFF000000u;
    *width = frameWidth_;
    *height = frameHeight_;
    return true;
  }

  void endFrame() override {
    if (banded_)
      showBand(band_);
    else
      showFrame(nullptr);
    banded_ = false;
  }

  std::string title() override {
    char text[256] = {};
    HWND window = window_.load();
    if (window)
      GetWindowTextA(window, text, sizeof text);
    return text;
  }

  void destroy() override {
    // Only the window thread can destroy its window; a backend let go of elsewhere has
    // had its window closed already.
    HWND window = window_.exchange(nullptr);
    if (window && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
      DestroyWindow(window);
    // The frame first: it puts back the font selected into it, which could not be
    // deleted while selected.
    releaseFrame();
    deleteFonts();
    events_.clear();
  }

  void threadDone() override {}

  bool wake(int code) override { return post(WakeMessage, static_cast<WPARAM>(code), 0); }

  void injectKey(WindowKey key, bool down, bool /*control*/, bool repeat) override {
    // The window follows the Control key from its own key messages, as it does for the
    // student's keyboard; the test sends the Control key first. Bit 30 of a key message
    // says the key was down already: a repeat.
    post(down ? WM_KEYDOWN : WM_KEYUP, virtualKeyOf(key),
         down ? (repeat ? 0x40000001 : 1) : 0xC0000001);
  }

  void injectWheel(int steps, bool control, bool shift) override {
    WORD keys = static_cast<WORD>((control ? MK_CONTROL : 0) | (shift ? MK_SHIFT : 0));
    post(WM_MOUSEWHEEL, MAKEWPARAM(keys, static_cast<WORD>(static_cast<short>(steps * WheelNotch))),
         MAKELPARAM(100, 100));
  }

  void requestResize(int width, int height) override {
    // Only the newest size asked for counts, as when a student drags the frame: the window
    // takes the sizes at its own pace, one at a time, not one message per movement. (A
    // message per request piled up hundreds of size changes behind each other, each a
    // round trip to the display, that the window worked off long after the last one.)
    uint32_t packed = (static_cast<uint32_t>(width) & 0xFFFF) << 16 |
                      (static_cast<uint32_t>(height) & 0xFFFF);
    if (pendingSize_.exchange(packed, std::memory_order_acq_rel) == 0)
      post(ResizeMessage, 0, 0);
  }

  // On the window thread, from questionWindowProc.
  LRESULT handle(HWND window, UINT message, WPARAM first, LPARAM second) {
    WindowEvent event;
    switch (message) {
      case WM_CREATE:
        createFonts();
        break;
      case WM_SIZE:
        // A minimised window keeps its layout for when it comes back.
        if (first == SIZE_MINIMIZED)
          break;
        event.Type = WindowEvent::Kind::Resized;
        event.Width = LOWORD(second);
        event.Height = HIWORD(second);
        events_.push_back(event);
        break;
      case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        showFrame(dc);
        EndPaint(window, &paint);
        event.Type = WindowEvent::Kind::Exposed;
        events_.push_back(event);
        return 0;
      }
      case WM_CLOSE:
        return 0;  // the close box and Alt+F4 do nothing: only the program ends the window
      case WM_KILLFOCUS:
        event.Type = WindowEvent::Kind::FocusLost;
        events_.push_back(event);
        break;
      case WM_KEYDOWN:
      case WM_KEYUP:
        event.Type = message == WM_KEYDOWN ? WindowEvent::Kind::KeyDown : WindowEvent::Kind::KeyUp;
        event.Key = keyOf(first);
        // Escape closes the colour preview only when pressed in this window: a key held
        // down from before, which repeats here, does not count.
        if (message == WM_KEYDOWN && event.Key == WindowKey::Escape && (second & 0x40000000))
          break;
        events_.push_back(event);
        break;
      case WM_MOUSEWHEEL: {
        int delta = GET_WHEEL_DELTA_WPARAM(first);
        if (delta == 0)
          break;
        event.Type = WindowEvent::Kind::Wheel;
        // Only whole notches zoom; a part of one (a fine-grained wheel) lays the text out
        // again at the same size.
        event.WheelSteps = delta % WheelNotch == 0 ? delta / WheelNotch : 0;
        event.OnlyControlHeld = GET_KEYSTATE_WPARAM(first) == MK_CONTROL;
        events_.push_back(event);
        break;
      }
      case WakeMessage:
        event.Type = WindowEvent::Kind::Wake;
        event.Code = static_cast<int>(first);
        events_.push_back(event);
        return 0;
      case ResizeMessage: {
        uint32_t packed = pendingSize_.exchange(0, std::memory_order_acq_rel);
        if (packed == 0)
          return 0;
        int width = static_cast<int>(packed >> 16);
        int height = static_cast<int>(packed & 0xFFFF);
        SIZE outer = outerSizeFor(width, height, dpi_);
        // The size message comes back inside this call and queues the Resized event.
        SetWindowPos(window, nullptr, 0, 0, outer.cx, outer.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        fitClientArea(window, width, height);
        return 0;
      }
      case WM_DPICHANGED:
        takeNewDpi(window, HIWORD(first), reinterpret_cast<const RECT*>(second));
        return 0;
      default:
        break;
    }
    return DefWindowProcA(window, message, first, second);
  }

 private:
  bool post(UINT message, WPARAM first, LPARAM second) {
    HWND window = window_.load();
    if (window)
      return PostMessageA(window, message, first, second) != 0;
    DWORD thread = threadId_.load();
    return thread && PostThreadMessageA(thread, message, first, second) != 0;
  }

  // Messages posted to the thread before the window existed.
  void takeThreadMessage(const MSG& message) {
    if (message.message != WakeMessage)
      return;
    WindowEvent event;
    event.Type = WindowEvent::Kind::Wake;
    event.Code = static_cast<int>(message.wParam);
    events_.push_back(event);
  }

  // The window is on a monitor of another DPI: the same client area in 96-DPI units
  // there, placed where Windows suggests, and fonts for the new cells.
  void takeNewDpi(HWND window, int newDpi, const RECT* suggested) {
    if (newDpi <= 0 || newDpi == dpi_)
      return;
    RECT client = {};
    GetClientRect(window, &client);
    int width = scaleBetweenDpi(client.right, dpi_, newDpi);
    int height = scaleBetweenDpi(client.bottom, dpi_, newDpi);
    dpi_ = newDpi;
    // The fonts of the old cells are not drawn with again.
    if (frameDc_)
      SelectObject(frameDc_, GetStockObject(ANSI_FIXED_FONT));
    deleteFonts();
    createFonts();
    WindowEvent event;
    event.Type = WindowEvent::Kind::DpiChanged;
    event.Dpi = newDpi;
    events_.push_back(event);
    // The size message comes back inside these calls and queues the Resized event.
    SIZE outer = outerSizeFor(width, height, newDpi);
    RECT place = {0, 0, 0, 0};
    if (suggested)
      place = *suggested;
    else
      GetWindowRect(window, &place);
    SetWindowPos(window, nullptr, place.left, place.top, outer.cx, outer.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    fitClientArea(window, width, height);
  }

  // The fonts of the eight sizes at the window's DPI, made once the window is.
  void createFonts() {
    for (const CellSize& cell : FontSizeTable)
      fontFor(scaleToDpi(cell.Width, dpi_), scaleToDpi(cell.Height, dpi_));
  }

  void deleteFonts() {
    for (MadeFont& made : fonts_)
      DeleteObject(made.Font);
    fonts_.clear();
  }

  // The "Courier New" of those cells: each font is made once, at the size the thread
  // draws with, so no text is ever scaled as pixels.
  HFONT fontFor(int cellWidth, int cellHeight) {
    for (const MadeFont& made : fonts_)
      if (made.Width == cellWidth && made.Height == cellHeight)
        return made.Font;
    HFONT font = CreateFontA(cellHeight, cellWidth, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, FF_MODERN | DEFAULT_PITCH, "Courier New");
    if (!font)
      return static_cast<HFONT>(GetStockObject(ANSI_FIXED_FONT));
    fonts_.push_back(MadeFont{cellWidth, cellHeight, font});
    return font;
  }

  static BITMAPINFO bitmapLayout(int width, int height) {
    BITMAPINFO layout = {};
    layout.bmiHeader.biSize = sizeof layout.bmiHeader;
    layout.bmiHeader.biWidth = width;
    layout.bmiHeader.biHeight = -height;  // top row first
    layout.bmiHeader.biPlanes = 1;
    layout.bmiHeader.biBitCount = 32;
    layout.bmiHeader.biCompression = BI_RGB;
    return layout;
  }

  // A frame bitmap of the size, kept while the size stays; false when none can be had.
  bool frameFor(int width, int height) {
    if (width <= 0 || height <= 0)
      return false;
    if (frameDc_ && width == frameWidth_ && height == frameHeight_)
      return true;
    releaseFrame();
    BITMAPINFO layout = bitmapLayout(width, height);
    void* bits = nullptr;
    frameBitmap_ = CreateDIBSection(nullptr, &layout, DIB_RGB_COLORS, &bits, nullptr, 0);
    frameDc_ = CreateCompatibleDC(nullptr);
    if (!frameBitmap_ || !frameDc_) {
      releaseFrame();
      return false;
    }
    oldBitmap_ = SelectObject(frameDc_, frameBitmap_);
    oldFont_ = SelectObject(frameDc_, GetStockObject(ANSI_FIXED_FONT));
    frameWidth_ = width;
    frameHeight_ = height;
    return true;
  }

  void releaseFrame() {
    if (frameDc_) {
      SelectObject(frameDc_, oldBitmap_);
      SelectObject(frameDc_, oldFont_);
      DeleteDC(frameDc_);
    }
    if (frameBitmap_)
      DeleteObject(frameBitmap_);
    frameDc_ = nullptr;
    frameBitmap_ = nullptr;
    oldBitmap_ = nullptr;
    oldFont_ = nullptr;
    frameWidth_ = 0;
    frameHeight_ = 0;
    frameKept_ = false;
  }

  // Copies the last frame to the window (to dc when painting, else to the window's own).
  void showFrame(HDC dc) {
    HWND window = window_.load();
    if (!frameDc_ || !window)
      return;
    HDC target = dc ? dc : GetDC(window);
    if (!target)
      return;
    BitBlt(target, 0, 0, frameWidth_, frameHeight_, frameDc_, 0, 0, SRCCOPY);
    if (!dc)
      ReleaseDC(window, target);
  }

  // Copies one band of the last frame to the window.
  void showBand(const RECT& band) {
    HWND window = window_.load();
    if (!frameDc_ || !window || band.bottom <= band.top)
      return;
    HDC target = GetDC(window);
    if (!target)
      return;
    BitBlt(target, band.left, band.top, band.right - band.left, band.bottom - band.top, frameDc_,
           band.left, band.top, SRCCOPY);
    ReleaseDC(window, target);
  }

  struct MadeFont {
    int Width;
    int Height;
    HFONT Font;
  };

  std::atomic<HWND> window_{nullptr};
  std::atomic<DWORD> threadId_{0};
  // The client size the newest resize request asks for, width in the high half; 0: none.
  std::atomic<uint32_t> pendingSize_{0};
  // Filled by the window procedure, emptied by waitEvent: both on the window thread.
  std::deque<WindowEvent> events_;
  // The DPI of the window's monitor; the window thread's alone.
  int dpi_ = BaseDpi;
  std::vector<MadeFont> fonts_;
  HDC frameDc_ = nullptr;
  HBITMAP frameBitmap_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  HGDIOBJ oldFont_ = nullptr;
  int frameWidth_ = 0;
  int frameHeight_ = 0;
  // A whole frame is in the bitmap for a band to be drawn over; the frame in progress
  // is the band alone.
  bool frameKept_ = false;
  bool banded_ = false;
  RECT band_ = {0, 0, 0, 0};
  std::string row_;
  std::vector<INT> advances_;
};

LRESULT CALLBACK questionWindowProc(HWND window, UINT message, WPARAM first, LPARAM second) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(second);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* backend = reinterpret_cast<Win32QuestionWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!backend)
    return DefWindowProcA(window, message, first, second);
  return backend->handle(window, message, first, second);
}

}  // namespace

std::unique_ptr<QuestionWindowBackend> makeQuestionWindowBackend() {
  return std::make_unique<Win32QuestionWindow>();
}

// Windows always has a desktop, but it may be one nobody sees (a service's window
// station), and a system that only imitates Windows may have no display to put windows
// on: then the question is shown on the console instead.
bool graphicalDisplayAvailable() {
  USEROBJECTFLAGS flags = {};
  HWINSTA station = GetProcessWindowStation();
  if (station && GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags, nullptr) &&
      !(flags.dwFlags & WSF_VISIBLE))
    return false;
  // A window that is never shown, made only to see whether windows can be made at all.
  HWND probe = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  if (!probe)
    return false;
  DestroyWindow(probe);
  return true;
}
