// The question window on a monitor scaled to another DPI: its client area, its cells and
// its place are lengths in 96-DPI units, scaled by the monitor's DPI, so the layout is
// the same at every scaling; and a window moved to a monitor of another DPI takes that
// one's scale.
#include <atomic>
#include <string>

#include "platform/dpi_scale.h"
#include "state/program_state.h"
#include "window/frame_logging.h"
#include "window/window_test_support.h"

namespace {

// The platform's own window, on a monitor of the DPI the test chooses; moveTo() has the
// backend tell the thread what a window system tells it when the window goes to a
// monitor of another DPI, and ask for the same client area in 96-DPI units there.
class ScaledMonitor : public FrameLogging {
 public:
  ScaledMonitor(FrameLog* log, std::atomic<int>* dpi, std::atomic<int>* movedTo)
      : FrameLogging(log), dpi_(dpi), movedTo_(movedTo) {}
  int dpi() override { return dpi_->load(); }
  bool waitEvent(WindowEvent* event, int timeoutMs) override {
    int moved = movedTo_->exchange(0);
    if (moved <= 0)
      return FrameLogging::waitEvent(event, timeoutMs);
    int was = dpi_->exchange(moved);
    event->Type = WindowEvent::Kind::DpiChanged;
    event->Dpi = moved;
    requestResize(scaleBetweenDpi(State.ClientWidth.load(), was, moved),
                  scaleBetweenDpi(State.ClientHeight.load(), was, moved));
    return true;
  }

 private:
  std::atomic<int>* dpi_;
  std::atomic<int>* movedTo_;
};

class WindowDpiTest : public WindowRedrawTest {
 protected:
  void SetUp() override {
    WindowRedrawTest::SetUp();
    setQuestionWindowBackendFactory(
        [this] { return std::make_unique<ScaledMonitor>(&log, &monitorDpi, &movedTo); });
  }

  // Moves the open window to a monitor of dpi; true once the thread has its new size.
  bool moveTo(int dpi, int width, int height) {
    movedTo = dpi;
    for (int tries = 0; tries < 50; ++tries) {
      if (!syncQuestionWindow(WindowWaitMs))
        return false;
      if (State.WindowDpi == dpi && State.ClientWidth == width && State.ClientHeight == height)
        return true;
    }
    return false;
  }

  // A word of 81 letters: 80 of them fill the first text row when the window has 80
  // columns, the last one starts the next.
  void showEightyOneLetters() {
    show(std::string(81, 'M').c_str());
    ASSERT_TRUE(waitForQuestionTextDrawn(WindowWaitMs));
  }

  // The frame at the cell size, with 80 columns of that cell and rows in their place.
  void expectEightyColumnsOf(const WindowFrame& shown, const LoggedFrame& drawn, CellSize cell) {
    int x0 = cell.Width / 2;
    EXPECT_GT(pixelsInRow(shown, 0, cell.Height, ColorTable[ColorGreen]), 0);
    EXPECT_GT(pixelsInRow(shown, 1, cell.Height, ColorTable[ColorGreen]), 0);
    EXPECT_GT(pixelsInRow(shown, 2, cell.Height, ColorTable[ColorYellow]), 0);
    // The 80th letter is drawn in the 80th cell, the 81st in the first of the next row.
    EXPECT_GE(lastLitX(shown, 2, cell.Height), x0 + 79 * cell.Width);
    EXPECT_GT(pixelsInRow(shown, 3, cell.Height, ColorTable[ColorYellow]), 0);
    EXPECT_LT(lastLitX(shown, 3, cell.Height), x0 + cell.Width);
    EXPECT_EQ(litPixelsInRow(shown, 4, cell.Height), 0);
    EXPECT_EQ(drawn.CellWidth, cell.Width);
    for (int y : drawn.RowsY)
      EXPECT_EQ(y % cell.Height, 0) << y;
  }

  std::atomic<int> monitorDpi{144};
  std::atomic<int> movedTo{0};
};

}  // namespace

TEST(DpiScale, LengthsInNinetySixDpiUnitsOnScaledMonitors) {
  EXPECT_EQ(scaleToDpi(960, 144), 1440);
  // 125 %: a half pixel goes up, as Windows rounds (a cell of 8 x 14 is 10 x 18).
  EXPECT_EQ(scaleToDpi(14, 120), 18);
  EXPECT_EQ(scaleBetweenDpi(1441, 144, 96), 961);
  EXPECT_EQ(scaleBetweenDpi(-3, 96, 144), -5);
  // A DPI that is no DPI leaves lengths as stated.
  EXPECT_EQ(scaleBetweenDpi(960, 0, -1), 960);
}

TEST_F(WindowDpiTest, OpensAtItsSizeAndCellsScaledByTheMonitorsDpi) {
  ASSERT_NE(openPreview(), nullptr);
  EXPECT_EQ(State.WindowDpi, 144);
  EXPECT_EQ(State.ClientWidth, 1440);
  EXPECT_EQ(State.ClientHeight, 960);
  showEightyOneLetters();
  LoggedFrame drawn;
  WindowFrame shown = nextFrame(&drawn);
  EXPECT_EQ(shown.Width, 1440);
  EXPECT_EQ(shown.Height, 960);
  // Cells of 18 x 30: the same 80 columns and 32 rows as at 96 DPI.
  expectEightyColumnsOf(shown, drawn, CellSize{18, 30});
}

TEST_F(WindowDpiTest, AWindowOpenedAgainKeepsItsSizeInNinetySixDpiUnits) {
  // Made smaller by the student at 96 DPI, opened again on a monitor scaled to 150 %.
  State.ClientWidth = 480;
  State.ClientHeight = 320;
  ASSERT_NE(openPreview(), nullptr);
  EXPECT_EQ(State.ClientWidth, 720);
  EXPECT_EQ(State.ClientHeight, 480);
  WindowFrame shown = frame();
  EXPECT_EQ(shown.Width, 720);
  EXPECT_EQ(shown.Height, 480);
  closeQuestionWindow();

  // The same monitor again: not scaled twice.
  ASSERT_NE(openPreview(), nullptr);
  EXPECT_EQ(State.ClientWidth, 720);
  EXPECT_EQ(State.ClientHeight, 480);
}

TEST_F(WindowDpiTest, MovedToAMonitorOfAnotherDpiItTakesThatScale) {
  ASSERT_NE(openPreview(), nullptr);
  showEightyOneLetters();

  ASSERT_TRUE(moveTo(96, 960, 640));
  LoggedFrame drawn;
  WindowFrame shown = nextFrame(&drawn);
  EXPECT_EQ(shown.Width, 960);
  EXPECT_EQ(shown.Height, 640);
  expectEightyColumnsOf(shown, drawn, CellSize{12, 20});

  // A zoom on the new monitor steps through its own cells: 14 x 20 at 96 DPI, and at
  // 125 % 18 x 25.
  questionWindowBackend()->injectKey(WindowKey::Control, true, true);
  questionWindowBackend()->injectKey(WindowKey::Plus, true, true);
  EXPECT_TRUE(frameDrawnInCellsOf(14));
  ASSERT_TRUE(moveTo(120, 1200, 800));
  EXPECT_TRUE(frameDrawnInCellsOf(18));
}
