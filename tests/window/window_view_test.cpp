#include <cstdlib>
#include <cstring>
#include <string>

#include "console/console.h"
#include "support/scripted_test.h"
#include "window/published_text.h"
#include "window/question_window.h"
#include "window/question_window_testing.h"

namespace {

// A window system that refuses to give a window.
class RefusingBackend : public QuestionWindowBackend {
 public:
  explicit RefusingBackend(bool refuseEarly) : refuseEarly_(refuseEarly) {}
  bool prepare() override { return !refuseEarly_; }
  bool create(const char*, int, int, int, int) override { return false; }
  bool waitEvent(WindowEvent*, int) override { return false; }
  bool eventsPending() override { return false; }
  void beginFrame() override {}
  bool beginBand(int, int) override { return false; }
  void drawCells(int, int, const char*, int, int, int, uint8_t, uint8_t, uint8_t) override {}
  bool readFrame(std::vector<uint32_t>*, int*, int*) override { return false; }
  void endFrame() override {}
  std::string title() override { return ""; }
  void destroy() override {}
  void threadDone() override {}
  bool wake(int) override { return false; }
  void injectKey(WindowKey, bool, bool, bool) override {}
  void injectWheel(int, bool, bool) override {}
  void requestResize(int, int) override {}

 private:
  bool refuseEarly_;
};

class WindowViewTest : public ScriptedTest {
 protected:
  void TearDown() override {
    closeQuestionWindow();
    setQuestionWindowBackendFactory(nullptr);
    ScriptedTest::TearDown();
  }
  void show(const char* text) {
    snprintf(State.QuestionText, sizeof State.QuestionText, "%s", text);
    publishQuestionText(static_cast<uint32_t>(strlen(State.QuestionText)));
  }
};

}  // namespace

TEST_F(WindowViewTest, ConsoleViewPrintsTheTextLaidOutAtTheTerminalWidth) {
  setWindowView(WindowView::Console);
  console.setConsoleColumns(20);
  State.ColorChoice = 2;
  show("--->  Questions Answered #0 of 3\n\n01. (  5.0 pts) Name (in full) the capital city");
  EXPECT_EQ(out(),
            "--->  Questions\nAnswered #0 of 3\n\n01. (  5.0 pts)\nName (in full) the\ncapital city\n");
  EXPECT_EQ(attributeOf("capital city"), 10);  // green, as chosen in the font colour menu
  EXPECT_EQ(State.PendingTextLength, strlen(State.QuestionText));
  openQuestionWindow();  // nothing to open on a plain terminal
  EXPECT_FALSE(questionWindowOpen());
}

TEST_F(WindowViewTest, OffViewOnlyStoresTheText) {
  setWindowView(WindowView::Off);
  show("Question one");
  EXPECT_EQ(all(), "");
  EXPECT_EQ(State.PendingTextLength, 12u);
}

TEST_F(WindowViewTest, PublishedTextIsHandedOverWholeAndOnlyOnce) {
  setWindowView(WindowView::Off);
  char taken[4096];
  uint64_t serial = 0;
  snprintf(State.QuestionText, sizeof State.QuestionText, "first text and more");
  publishQuestionText(10);
  // The console side may write the next text before the window took this one.
  snprintf(State.QuestionText, sizeof State.QuestionText, "second");
  ASSERT_TRUE(takePublishedText(taken, &serial));
  EXPECT_STREQ(taken, "first text");
  EXPECT_EQ(State.PendingTextLength, 0u);
  EXPECT_FALSE(takePublishedText(taken, &serial));

  publishQuestionText(6);
  publishQuestionText(3);  // the newer of two texts wins
  ASSERT_TRUE(takePublishedText(taken, &serial));
  EXPECT_STREQ(taken, "sec");
  EXPECT_EQ(serial, publishedTextSerial());

  // An empty text still counts as published: it clears the window.
  State.QuestionText[0] = '\0';
  publishQuestionText(0);
  EXPECT_NE(State.PendingTextLength, 0u);
  ASSERT_TRUE(takePublishedText(taken, &serial));
  EXPECT_STREQ(taken, "");

  memset(State.QuestionText, 'q', sizeof State.QuestionText);  // no terminator at all
  publishQuestionText(100000);
  EXPECT_EQ(State.PendingTextLength, 4095u);
  ASSERT_TRUE(takePublishedText(taken, &serial));
  EXPECT_EQ(strlen(taken), 4095u);
}

TEST_F(WindowViewTest, WindowSystemRefusingIsReportedAndTheSessionGoesOn) {
  struct Case {
    bool RefuseClass;
    const char* Message;
  } cases[] = {
      {true, "Error! Failed to Register Window Class for questions.\n\n"},
      {false, "Error! Failed to Create Window for questions.\n\n"},
  };
  setWindowView(WindowView::Graphical);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Message);
    setQuestionWindowBackendFactory(
        [&c] { return std::make_unique<RefusingBackend>(c.RefuseClass); });
    console.takeText();
    console.typeLine("");
    EXPECT_EQ(runProgram([] { openQuestionWindow(); }), NoExit);
    EXPECT_EQ(console.takeText(), std::string(c.Message) + "\n\n");
    EXPECT_EQ(attributeOf(c.Message), 15);
    EXPECT_FALSE(questionWindowOpen());
    EXPECT_TRUE(console.scriptDone());
    closeQuestionWindow();
  }
}
