#include <chrono>

#include "state/program_state.h"
#include "window/window_test_support.h"

// The console side publishes texts as fast as it can while the window is being resized:
// the window must neither crash nor tear a text, and must end up showing the last one.
TEST_F(RealWindowTest, PublishingFlatOutWhileResizingEndsOnTheLastText) {
  QuestionWindowBackend* window = openPreview();
  ASSERT_NE(window, nullptr);

  using Clock = std::chrono::steady_clock;
  Clock::time_point end = Clock::now() + std::chrono::seconds(2);
  Clock::time_point nextResize = Clock::now();
  int published = 0;
  int resizes = 0;
  while (Clock::now() < end) {
    snprintf(State.QuestionText, sizeof State.QuestionText,
             "Question %d: (a group %d that moves) and \"quoted %d\" text\nsecond line", published,
             published, published);
    publishQuestionText(static_cast<uint32_t>(strlen(State.QuestionText)));
    ++published;
    if (Clock::now() >= nextResize) {
      window->requestResize(300 + resizes % 7 * 90, 200 + resizes % 5 * 80);
      ++resizes;
      nextResize += std::chrono::milliseconds(5);
    }
  }
  window->requestResize(960, 640);
  show("The last text\nhas\nfive\nlines\nhere");
  ASSERT_TRUE(syncQuestionWindow(WindowWaitMs));
  ASSERT_TRUE(waitForQuestionTextDrawn(WindowWaitMs));

  WindowFrame shown = frame();
  EXPECT_EQ(shown.Text, "The last text\nhas\nfive\nlines\nhere");
  for (int row = 2; row <= 6; ++row)
    EXPECT_GT(litPixelsInRow(shown, row, 20), 0) << row;
  EXPECT_EQ(litPixelsInRow(shown, 7, 20), 0);
  EXPECT_GT(published, 1000);
  EXPECT_GT(resizes, 10);
}
