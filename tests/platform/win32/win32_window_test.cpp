// The question window as Windows itself shows it: the class, the frame and the pixels
// on the window, seen through the window system rather than through the backend.
#include <windows.h>

#include <string>

#include "platform/dpi_scale.h"
#include "state/program_state.h"
#include "window/window_test_support.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace {

// This process's question window: tests run side by side, each with a window of its own.
HWND findQuestionWindow() {
  for (HWND window = FindWindowExA(nullptr, nullptr, "QuestionClass", "QUESTION"); window;
       window = FindWindowExA(nullptr, window, "QuestionClass", "QUESTION")) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId())
      return window;
  }
  return nullptr;
}

// The window's client area as the window system holds it, as 0xRRGGBB pixels.
WindowFrame pixelsOnTheWindow(HWND window) {
  WindowFrame shown;
  RECT client = {};
  GetClientRect(window, &client);
  shown.Width = client.right;
  shown.Height = client.bottom;
  BITMAPINFO layout = {};
  layout.bmiHeader.biSize = sizeof layout.bmiHeader;
  layout.bmiHeader.biWidth = shown.Width;
  layout.bmiHeader.biHeight = -shown.Height;
  layout.bmiHeader.biPlanes = 1;
  layout.bmiHeader.biBitCount = 32;
  layout.bmiHeader.biCompression = BI_RGB;
  HDC windowDc = GetDC(window);
  HDC copyDc = CreateCompatibleDC(windowDc);
  void* bits = nullptr;
  HBITMAP copy = CreateDIBSection(copyDc, &layout, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(copyDc, copy);
  BitBlt(copyDc, 0, 0, shown.Width, shown.Height, windowDc, 0, 0, SRCCOPY);
  GdiFlush();
  const uint32_t* first = static_cast<const uint32_t*>(bits);
  shown.Pixels.assign(first, first + static_cast<size_t>(shown.Width) * shown.Height);
  SelectObject(copyDc, old);
  DeleteObject(copy);
  DeleteDC(copyDc);
  ReleaseDC(window, windowDc);
  return shown;
}

// The DPI this test program runs at: like the programs, it is per-monitor DPI aware (its
// manifest), so it sees the monitor's own. Under Wine, the LogPixels of the prefix.
int screenDpi() {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

}  // namespace

TEST_F(RealWindowTest, QuestionClassWindowHasItsFrameAndShowsTheColourPreview) {
  ASSERT_NE(openPreview(), nullptr);
  show("This is a test screen for you to determine an optimal FONT/SCREEN color.");
  ASSERT_TRUE(waitForQuestionTextDrawn(WindowWaitMs));
  HWND window = findQuestionWindow();
  ASSERT_NE(window, nullptr);

  EXPECT_EQ(GetClassLongA(window, GCL_STYLE),
            static_cast<DWORD>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_NOCLOSE));
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(GetClassLongPtrA(window, GCLP_HBRBACKGROUND)),
            GetStockObject(BLACK_BRUSH));
  LONG frameStyles = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & frameStyles,
            WS_CAPTION | WS_SYSMENU | WS_THICKFRAME);
  // In 96-DPI units, scaled by the monitor's DPI: (50, 50) and 960 x 640 at 100 %, (75, 75)
  // and 1440 x 960 at 150 %.
  int dpi = screenDpi();
  EXPECT_EQ(State.WindowDpi, dpi);
  RECT outer = {};
  GetWindowRect(window, &outer);
  EXPECT_EQ(outer.left, scaleToDpi(50, dpi));
  EXPECT_EQ(outer.top, scaleToDpi(50, dpi));

  // Green countdown and separator rows, the test text in the default yellow, on black, in
  // rows of the scaled cell.
  int rowHeight = scaleToDpi(20, dpi);
  WindowFrame shown = pixelsOnTheWindow(window);
  EXPECT_EQ(shown.Width, scaleToDpi(960, dpi));
  EXPECT_EQ(shown.Height, scaleToDpi(640, dpi));
  EXPECT_GT(pixelsInRow(shown, 0, rowHeight, ColorTable[ColorGreen]), 0);
  EXPECT_GT(pixelsInRow(shown, 1, rowHeight, ColorTable[ColorGreen]), 0);
  EXPECT_GT(pixelsInRow(shown, 2, rowHeight, ColorTable[ColorYellow]), 0);
  EXPECT_EQ(pixelsInRow(shown, 2, rowHeight, ColorTable[ColorGreen]), 0);
  EXPECT_EQ(litPixelsInRow(shown, 3, rowHeight), 0);
}

// Windows tells a per-monitor aware window that it went to a monitor of another DPI with
// WM_DPICHANGED and a suggested place: the window takes that place with its client area
// of the same size in 96-DPI units, and its text the cells of the new DPI.
TEST_F(RealWindowTest, MovedToAMonitorOfAnotherDpiTheWindowTakesItsScale) {
  ASSERT_NE(openPreview(), nullptr);
  // 81 letters: 80 columns at every DPI, so the 81st starts the next row.
  show(std::string(81, 'M').c_str());
  ASSERT_TRUE(waitForQuestionTextDrawn(WindowWaitMs));
  HWND window = findQuestionWindow();
  ASSERT_NE(window, nullptr);
  int was = State.WindowDpi;
  RECT client = {};
  GetClientRect(window, &client);

  // A monitor at 125 %, or back to 100 % from a scaled one.
  int dpi = was == 96 ? 120 : 96;
  RECT suggested = {100, 80, 100 + 800, 80 + 600};
  SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  ASSERT_TRUE(syncQuestionWindow(WindowWaitMs));
  EXPECT_EQ(State.WindowDpi, dpi);
  int width = scaleBetweenDpi(client.right, was, dpi);
  int height = scaleBetweenDpi(client.bottom, was, dpi);
  EXPECT_EQ(State.ClientWidth, width);
  EXPECT_EQ(State.ClientHeight, height);
  RECT outer = {};
  GetWindowRect(window, &outer);
  EXPECT_EQ(outer.left, 100);
  EXPECT_EQ(outer.top, 80);

  frame();  // a drawing after the move
  WindowFrame shown = pixelsOnTheWindow(window);
  EXPECT_EQ(shown.Width, width);
  EXPECT_EQ(shown.Height, height);
  CellSize cell = {scaleToDpi(12, dpi), scaleToDpi(20, dpi)};
  EXPECT_GT(pixelsInRow(shown, 0, cell.Height, ColorTable[ColorGreen]), 0);
  EXPECT_GE(lastLitX(shown, 2, cell.Height), cell.Width / 2 + 79 * cell.Width);
  EXPECT_GT(litPixelsInRow(shown, 3, cell.Height), 0);
  EXPECT_LT(lastLitX(shown, 3, cell.Height), cell.Width / 2 + cell.Width);
  EXPECT_EQ(litPixelsInRow(shown, 4, cell.Height), 0);
}

TEST_F(RealWindowTest, CloseBoxAndAltF4LeaveTheWindowOpen) {
  State.SessionActive = 1;
  openQuestionWindow();
  HWND window = findQuestionWindow();
  ASSERT_NE(window, nullptr);
  SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(syncQuestionWindow(WindowWaitMs));
  EXPECT_TRUE(questionWindowOpen());
  EXPECT_TRUE(IsWindow(window));

  closeQuestionWindow();
  EXPECT_FALSE(IsWindow(window));
}
