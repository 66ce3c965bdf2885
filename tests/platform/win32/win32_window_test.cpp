// The question window as Windows itself shows it: the class, the frame and the pixels
// on the window, seen through the window system rather than through the backend.
#include <windows.h>

#include "state/program_state.h"
#include "window/window_test_support.h"

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
  RECT outer = {};
  GetWindowRect(window, &outer);
  EXPECT_EQ(outer.left, 50);
  EXPECT_EQ(outer.top, 50);

  // Green countdown and separator rows, the test text in the default yellow, on black.
  WindowFrame shown = pixelsOnTheWindow(window);
  EXPECT_EQ(shown.Width, 960);
  EXPECT_EQ(shown.Height, 640);
  EXPECT_GT(pixelsInRow(shown, 0, 20, ColorTable[ColorGreen]), 0);
  EXPECT_GT(pixelsInRow(shown, 1, 20, ColorTable[ColorGreen]), 0);
  EXPECT_GT(pixelsInRow(shown, 2, 20, ColorTable[ColorYellow]), 0);
  EXPECT_EQ(pixelsInRow(shown, 2, 20, ColorTable[ColorGreen]), 0);
  EXPECT_EQ(litPixelsInRow(shown, 3, 20), 0);
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
