#include "state/program_state.h"
#include "window/frame_logging.h"
#include "window/window_test_support.h"

TEST_F(RealWindowTest, OpensTitledQuestionAtItsInitialSize) {
  State.TestScreenActive = 1;
  openQuestionWindow();
  ASSERT_TRUE(questionWindowOpen());
  WindowFrame shown = frame();
  EXPECT_EQ(shown.Title, "QUESTION");
  EXPECT_EQ(shown.Width, 960);
  EXPECT_EQ(shown.Height, 640);
  // The preview's countdown and separator rows, in green.
  EXPECT_GT(pixelsInRow(shown, 0, 20, ColorTable[ColorGreen]), 0);
  EXPECT_GT(pixelsInRow(shown, 1, 20, ColorTable[ColorGreen]), 0);
  EXPECT_EQ(litPixelsInRow(shown, 2, 20), 0);
  closeQuestionWindow();
  EXPECT_FALSE(questionWindowOpen());
}

TEST_F(RealWindowTest, PublishedTextIsDrawnWithinTwoTimerPeriods) {
  State.TestScreenActive = 1;
  State.ColorChoice = ColorCyan;
  openQuestionWindow();
  ASSERT_TRUE(questionWindowOpen());
  frame();

  uint64_t before = questionWindowTimerPeriods();
  show("First line of the question\nSecond line");
  WindowFrame shown = frame();
  for (int tries = 0; tries < 3 && shown.Text != State.QuestionText; ++tries)
    shown = frame();
  ASSERT_EQ(shown.Text, "First line of the question\nSecond line");
  EXPECT_LE(shown.TimerPeriod - before, 2u);
  EXPECT_GT(pixelsInRow(shown, 2, 20, ColorTable[ColorCyan]), 0);
  EXPECT_GT(pixelsInRow(shown, 3, 20, ColorTable[ColorCyan]), 0);
  EXPECT_EQ(litPixelsInRow(shown, 4, 20), 0);

  // A colour chosen in the menu shows at the next drawing.
  State.ColorChoice = ColorMagenta;
  shown = frame();
  EXPECT_GT(pixelsInRow(shown, 2, 20, ColorTable[ColorMagenta]), 0);
  EXPECT_EQ(pixelsInRow(shown, 2, 20, ColorTable[ColorCyan]), 0);
}

TEST_F(RealWindowTest, CountdownTurnsYellowThenRed) {
  State.TimeLimitSeconds = 600;
  State.Warn90Seconds = 540;
  uint32_t start = console.tickCount();
  State.SessionStartTick = start;
  State.SessionStartSeconds = start / 1000;
  State.SessionActive = 1;
  openQuestionWindow();
  ASSERT_TRUE(questionWindowOpen());

  console.setTick(start + 540000);
  WindowFrame shown = frame();
  EXPECT_GT(pixelsInRow(shown, 0, 20, ColorTable[ColorGreen]), 0);
  EXPECT_EQ(pixelsInRow(shown, 0, 20, ColorTable[ColorYellow]), 0);

  console.setTick(start + 600000);
  shown = frame();
  EXPECT_GT(pixelsInRow(shown, 0, 20, ColorTable[ColorYellow]), 0);
  EXPECT_GT(pixelsInRow(shown, 1, 20, ColorTable[ColorYellow]), 0);
  EXPECT_EQ(pixelsInRow(shown, 0, 20, ColorTable[ColorGreen]), 0);

  console.setTick(start + 601000);
  shown = frame();
  EXPECT_GT(pixelsInRow(shown, 0, 20, ColorTable[ColorRed]), 0);
  EXPECT_EQ(pixelsInRow(shown, 0, 20, ColorTable[ColorYellow]), 0);
}

TEST_F(RealWindowTest, ControlPlusAndMinusStepTheFontSizeWithinTheTable) {
  QuestionWindowBackend* window = openPreview();
  ASSERT_NE(window, nullptr);

  window->injectKey(WindowKey::Plus, true, false);  // without Control: nothing
  ASSERT_TRUE(syncQuestionWindow(WindowWaitMs));
  EXPECT_EQ(State.FontIndex, 5);

  window->injectKey(WindowKey::Control, true, true);
  for (int i = 0; i < 4; ++i)
    window->injectKey(WindowKey::Plus, true, true);
  ASSERT_TRUE(syncQuestionWindow(WindowWaitMs));
  EXPECT_EQ(State.FontIndex, 7);

  for (int i = 0; i < 9; ++i)
    window->injectKey(WindowKey::Minus, true, true);
  ASSERT_TRUE(syncQuestionWindow(WindowWaitMs));
  EXPECT_EQ(State.FontIndex, 0);

  window->injectKey(WindowKey::Control, false, false);
  window->injectKey(WindowKey::Plus, true, false);
  ASSERT_TRUE(syncQuestionWindow(WindowWaitMs));
  EXPECT_EQ(State.FontIndex, 0);

  // Drawn in the cells of the new size: 8 x 14, so the separator is row 1 from y 14.
  WindowFrame shown = frame();
  EXPECT_GT(pixelsInRow(shown, 1, 14, ColorTable[ColorGreen]), 0);
  EXPECT_EQ(litPixelsInRow(shown, 2, 14), 0);
}

TEST_F(RealWindowTest, ControlWheelStepsTheFontSizeOnlyWithControlAlone) {
  QuestionWindowBackend* window = openPreview();
  ASSERT_NE(window, nullptr);

  window->injectWheel(1, true, false);
  ASSERT_TRUE(syncQuestionWindow(WindowWaitMs));
  EXPECT_EQ(State.FontIndex, 6);
  window->injectWheel(-1, true, false);
  window->injectWheel(-1, true, false);
  ASSERT_TRUE(syncQuestionWindow(WindowWaitMs));
  EXPECT_EQ(State.FontIndex, 4);

  window->injectWheel(1, true, true);   // Shift as well
  window->injectWheel(1, false, false); // no Control
  window->injectWheel(3, true, false);  // not a single notch
  ASSERT_TRUE(syncQuestionWindow(WindowWaitMs));
  EXPECT_EQ(State.FontIndex, 4);

  for (int i = 0; i < 6; ++i)
    window->injectWheel(1, true, false);
  ASSERT_TRUE(syncQuestionWindow(WindowWaitMs));
  EXPECT_EQ(State.FontIndex, 7);
}

TEST_F(RealWindowTest, EscapeClosesThePreviewButNotAnExamWindow) {
  State.SessionActive = 1;
  openQuestionWindow();
  ASSERT_NE(questionWindowBackend(), nullptr);
  questionWindowBackend()->injectKey(WindowKey::Escape, true, false);
  ASSERT_TRUE(syncQuestionWindow(WindowWaitMs));
  EXPECT_TRUE(questionWindowOpen());
  closeQuestionWindow();

  State.SessionActive = 0;
  State.TestScreenActive = 1;
  openQuestionWindow();
  ASSERT_NE(questionWindowBackend(), nullptr);
  // An Escape held down from before (the window system repeats it) is no press here.
  questionWindowBackend()->injectKey(WindowKey::Escape, true, false, true);
  ASSERT_TRUE(syncQuestionWindow(WindowWaitMs));
  EXPECT_TRUE(questionWindowOpen());
  questionWindowBackend()->injectKey(WindowKey::Escape, true, false);
  EXPECT_TRUE(waitForQuestionWindowEnd(WindowWaitMs));
  EXPECT_FALSE(questionWindowOpen());
  // The menu still closes it afterwards, and can open a new one.
  closeQuestionWindow();
  openQuestionWindow();
  EXPECT_TRUE(questionWindowOpen());
}

TEST_F(RealWindowTest, ResizingLaysTheTextOutAgain) {
  QuestionWindowBackend* window = openPreview();
  ASSERT_NE(window, nullptr);
  show("This is a test screen for you to determine an optimal FONT/SCREEN color.");
  ASSERT_TRUE(waitForQuestionTextDrawn(WindowWaitMs));
  WindowFrame wide = frame();
  EXPECT_GT(litPixelsInRow(wide, 2, 20), 0);
  EXPECT_EQ(litPixelsInRow(wide, 3, 20), 0);

  window->requestResize(480, 320);
  ASSERT_TRUE(syncQuestionWindow(WindowWaitMs));
  EXPECT_EQ(State.ClientWidth, 480);
  EXPECT_EQ(State.ClientHeight, 320);
  WindowFrame narrow = frame();
  EXPECT_EQ(narrow.Width, 480);
  EXPECT_EQ(narrow.Height, 320);
  // 40 columns: the sentence takes two rows now.
  EXPECT_GT(litPixelsInRow(narrow, 3, 20), 0);
  EXPECT_EQ(litPixelsInRow(narrow, 4, 20), 0);
}

// The colour preview's countdown never changes, so nothing else would draw the window
// again: a zoom must show in the new size by itself, as the student presses the keys.
TEST_F(WindowRedrawTest, AZoomIsDrawnWithoutWaitingForTheCountdown) {
  QuestionWindowBackend* window = openPreview();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(frameDrawnInCellsOf(12));

  window->injectKey(WindowKey::Control, true, true);
  window->injectKey(WindowKey::Plus, true, true);
  EXPECT_TRUE(frameDrawnInCellsOf(14));
  window->injectWheel(-1, true, false);
  window->injectWheel(-1, true, false);
  EXPECT_TRUE(frameDrawnInCellsOf(12));
}
