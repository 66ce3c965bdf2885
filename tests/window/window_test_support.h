// Shared pieces of the tests that open the real question window: on Linux under SDL's
// offscreen video driver (or whatever SDL_VIDEODRIVER names, such as x11 under Xvfb), on
// Windows on the desktop (under Wine, the X display it runs on).
#pragma once

#include <cstdlib>
#include <cstring>

#include "support/system_calls.h"
#include "support/scripted_test.h"
#include "window/question_window.h"
#include "window/question_window_testing.h"
#include "window/window_colors.h"

// Generous: these only bound how long a broken window can keep a test waiting.
constexpr int WindowWaitMs = 10000;

class RealWindowTest : public ScriptedTest {
 protected:
  void SetUp() override {
    ScriptedTest::SetUp();
    setEnvironmentDefault("SDL_VIDEODRIVER", "offscreen");
    setWindowView(WindowView::Graphical);
  }
  void TearDown() override {
    closeQuestionWindow();
    ScriptedTest::TearDown();
  }

  // Opens the colour menu's preview window; returns its backend, null if it did not open.
  QuestionWindowBackend* openPreview() {
    State.TestScreenActive = 1;
    openQuestionWindow();
    return questionWindowBackend();
  }

  void show(const char* text) {
    snprintf(State.QuestionText, sizeof State.QuestionText, "%s", text);
    publishQuestionText(static_cast<uint32_t>(strlen(State.QuestionText)));
  }

  WindowFrame frame() {
    WindowFrame captured;
    EXPECT_TRUE(captureQuestionWindowFrame(&captured, WindowWaitMs));
    return captured;
  }
};

inline uint32_t rgbOf(RgbColor color) {
  return (uint32_t{color.Red} << 16) | (uint32_t{color.Green} << 8) | color.Blue;
}

// Pixels of exactly that colour in text row `row` of cells cellHeight high.
inline int pixelsInRow(const WindowFrame& frame, int row, int cellHeight, RgbColor color) {
  int count = 0;
  for (int y = row * cellHeight; y < (row + 1) * cellHeight && y < frame.Height; ++y)
    for (int x = 0; x < frame.Width; ++x)
      count += frame.rgbAt(x, y) == rgbOf(color);
  return count;
}

// Pixels that are not background in that row.
inline int litPixelsInRow(const WindowFrame& frame, int row, int cellHeight) {
  int count = 0;
  for (int y = row * cellHeight; y < (row + 1) * cellHeight && y < frame.Height; ++y)
    for (int x = 0; x < frame.Width; ++x)
      count += frame.rgbAt(x, y) != 0;
  return count;
}

// The rightmost pixel that is not background in that row; -1 if none.
inline int lastLitX(const WindowFrame& frame, int row, int cellHeight) {
  int last = -1;
  for (int y = row * cellHeight; y < (row + 1) * cellHeight && y < frame.Height; ++y)
    for (int x = last + 1; x < frame.Width; ++x)
      if (frame.rgbAt(x, y) != 0)
        last = x;
  return last;
}
