// What the window draws again, and when: a countdown tick its row alone, anything else
// the whole window, at once.
#include <thread>
#include <vector>

#include "state/program_state.h"
#include "window/frame_logging.h"
#include "window/window_test_support.h"

namespace {

class CountdownRedrawTest : public WindowRedrawTest {
 protected:
  // An exam of ten minutes whose clock started at the scripted tick; only the passes the
  // test asks for draw.
  void openExamWindow() {
    log.DropTimerWakes = true;
    State.TimeLimitSeconds = 600;
    State.Warn90Seconds = 540;
    start = console.tickCount();
    State.SessionStartTick = start;
    State.SessionStartSeconds = start / 1000;
    State.SessionActive = 1;
    State.ColorChoice = ColorCyan;
    openQuestionWindow();
  }
  LoggedFrame last() {
    std::lock_guard<std::mutex> lock(log.Lock);
    return log.Last;
  }

  uint32_t start = 0;
};

}  // namespace

TEST_F(CountdownRedrawTest, ATickRedrawsTheCountdownRowAloneOverTheQuestion) {
  openExamWindow();
  ASSERT_TRUE(questionWindowOpen());
  show("First line of the question\nSecond line");
  ASSERT_TRUE(waitForQuestionTextDrawn(WindowWaitMs));
  EXPECT_FALSE(last().Band);

  // On a real display the window may still be asked to draw itself whole once it is
  // mapped, which a tick then joins: a few seconds are enough for that to be over.
  LoggedFrame drawn;
  WindowFrame shown;
  for (int second = 1; second <= 3 && !drawn.Band; ++second) {
    console.setTick(start + second * 1000);
    shown = nextFrame(&drawn);
  }
  EXPECT_TRUE(drawn.Band);
  EXPECT_EQ(drawn.BandY, 0);
  EXPECT_EQ(drawn.BandHeight, 20);
  EXPECT_EQ(drawn.RowsY, std::vector<int>{0});
  // The rest of the window still shows what was drawn before.
  EXPECT_GT(pixelsInRow(shown, 0, 20, ColorTable[ColorGreen]), 0);
  EXPECT_GT(pixelsInRow(shown, 1, 20, ColorTable[ColorGreen]), 0);
  EXPECT_GT(pixelsInRow(shown, 2, 20, ColorTable[ColorCyan]), 0);
  EXPECT_GT(pixelsInRow(shown, 3, 20, ColorTable[ColorCyan]), 0);
  EXPECT_EQ(litPixelsInRow(shown, 4, 20), 0);

  // Past nine tenths the colour moves on, and the separator goes with the countdown.
  console.setTick(start + 541000);
  shown = nextFrame(&drawn);
  EXPECT_TRUE(drawn.Band);
  EXPECT_EQ(drawn.BandHeight, 40);
  EXPECT_EQ(drawn.RowsY, (std::vector<int>{0, 20}));
  EXPECT_GT(pixelsInRow(shown, 0, 20, ColorTable[ColorYellow]), 0);
  EXPECT_GT(pixelsInRow(shown, 1, 20, ColorTable[ColorYellow]), 0);
  EXPECT_EQ(pixelsInRow(shown, 1, 20, ColorTable[ColorGreen]), 0);
  EXPECT_GT(pixelsInRow(shown, 2, 20, ColorTable[ColorCyan]), 0);
}

// The timer's wakes are dropped: texts and colours reach the window by themselves.
TEST_F(CountdownRedrawTest, TextsAndColoursAreDrawnWholeWithoutTheTimer) {
  openExamWindow();
  ASSERT_TRUE(questionWindowOpen());
  show("One line");
  ASSERT_TRUE(waitForQuestionTextDrawn(WindowWaitMs));
  show("Another question\nof two lines");
  ASSERT_TRUE(waitForQuestionTextDrawn(WindowWaitMs));
  LoggedFrame drawn = last();
  EXPECT_FALSE(drawn.Band);
  EXPECT_EQ(drawn.RowsY, (std::vector<int>{0, 20, 40, 60}));

  int frames = framesSoFar();
  State.ColorChoice = ColorMagenta;
  refreshQuestionWindow();
  ASSERT_TRUE(frameAfter(frames, &drawn));
  EXPECT_FALSE(drawn.Band);
  WindowFrame shown = frame();
  EXPECT_GT(pixelsInRow(shown, 3, 20, ColorTable[ColorMagenta]), 0);
  EXPECT_EQ(pixelsInRow(shown, 3, 20, ColorTable[ColorCyan]), 0);
}

// The door's band, on this system's own backend: drawn over the last whole frame of the
// same size and nowhere else.
TEST_F(RealWindowTest, ABandIsDrawnOverTheLastWholeFrameOfItsSize) {
  struct Seen {
    bool BandBeforeAnyFrame = true;
    bool BandOverFrame = false;
    bool BandAfterResize = true;
    WindowFrame Frame;
  } seen;
  // On a thread of its own, as the window thread would.
  std::thread window([&seen] {
    std::unique_ptr<QuestionWindowBackend> backend = makeQuestionWindowBackend();
    if (backend->prepare() && backend->create("QUESTION", 50, 50, 480, 320)) {
      const RgbColor green = ColorTable[ColorGreen];
      const RgbColor cyan = ColorTable[ColorCyan];
      const RgbColor red = ColorTable[ColorRed];
      seen.BandBeforeAnyFrame = backend->beginBand(0, 20);
      backend->beginFrame();
      backend->drawCells(6, 0, "Time", 4, 12, 20, green.Red, green.Green, green.Blue);
      backend->drawCells(6, 40, "Text", 4, 12, 20, cyan.Red, cyan.Green, cyan.Blue);
      backend->endFrame();
      seen.BandOverFrame = backend->beginBand(0, 20);
      if (seen.BandOverFrame) {
        backend->drawCells(6, 0, "Time", 4, 12, 20, red.Red, red.Green, red.Blue);
        backend->drawCells(6, 40, "Over", 4, 12, 20, red.Red, red.Green, red.Blue);
        backend->readFrame(&seen.Frame.Pixels, &seen.Frame.Width, &seen.Frame.Height);
        backend->endFrame();
      }
      backend->requestResize(400, 300);
      WindowEvent event;
      // (Windows reports the size the window was made with first.)
      while (backend->waitEvent(&event, WindowWaitMs) &&
             !(event.Type == WindowEvent::Kind::Resized && event.Width == 400)) {
      }
      seen.BandAfterResize = backend->beginBand(0, 20);
    }
    backend->destroy();
    backend->threadDone();
  });
  window.join();

  EXPECT_FALSE(seen.BandBeforeAnyFrame);
  ASSERT_TRUE(seen.BandOverFrame);
  ASSERT_EQ(seen.Frame.Width, 480);
  EXPECT_GT(pixelsInRow(seen.Frame, 0, 20, ColorTable[ColorRed]), 0);
  EXPECT_EQ(pixelsInRow(seen.Frame, 0, 20, ColorTable[ColorGreen]), 0);
  EXPECT_GT(pixelsInRow(seen.Frame, 2, 20, ColorTable[ColorCyan]), 0);
  EXPECT_EQ(pixelsInRow(seen.Frame, 2, 20, ColorTable[ColorRed]), 0);
  EXPECT_FALSE(seen.BandAfterResize);
}
