#include "session/time_allowance.h"

#include "format/exam_header.h"
#include "state/program_state.h"
#include "support/scripted_test.h"
#include "window/question_window.h"

namespace {

class TimeAllowanceTest : public ScriptedTest {
 protected:
  void SetUp() override {
    ScriptedTest::SetUp();
    setWindowView(WindowView::Off);
    char header[] =
        ";S;  C: N: (1) ---> E:  TimeLimit: 60 minutes  ---  Version 1.07";
    parseExamHeader(header);
    console.setTick(5000000);
    State.SessionStartTick = 5000000;
    State.SessionStartSeconds = 5000;
    resetTimeWarnings();
  }
  // Checks at elapsed seconds; the ENTER that a warning waits for is typed ahead.
  void checkAt(uint32_t elapsed, bool warns = true) {
    console.setTick(5000000 + elapsed * 1000);
    if (warns)
      console.typeLine("");
    ASSERT_EQ(runProgram([] { checkTimeAllowance(); }), NoExit);
    EXPECT_TRUE(console.scriptDone());
  }
  std::string window() const { return State.QuestionText; }
};

TEST_F(TimeAllowanceTest, PercentWarningsOnceEachAndOnlyTheHighest) {
  checkAt(1800, false);  // exactly half: nothing yet
  EXPECT_EQ(err(), "");
  checkAt(1801);
  EXPECT_EQ(window(),
            "\n\n*** Warning - You have used 50% of your Allotted Test Time of (60 min) - 29 min remain.\n\n");
  checkAt(2701);
  EXPECT_EQ(window(),
            "\n\n*** Warning - You have used 75% of your Allotted Test Time of (60 min) - 14 min remain.\n\n");
  EXPECT_EQ(attributeOf("\n\n*** Warning - You have used 75% of your Allotted Test Time of (60 min) - 14 "
                        "min remain.\n\nPress ENTER\n\n"),
            14);
  console.takeText();
  checkAt(2800, false);
  EXPECT_EQ(console.takeText(), "");
  EXPECT_EQ(State.EndReason, 0);
}

TEST_F(TimeAllowanceTest, JumpPastAllThresholdsGivesOnlyTheNinetyPerCentWarning) {
  checkAt(3241);
  EXPECT_EQ(window(),
            "\n\n*** Warning - You have used 90% of your Allotted Test Time of (60 min) - 5 min remain.\n\n");
  EXPECT_TRUE(State.Warned50 && State.Warned75 && State.Warned90);
  console.takeText();
  checkAt(3500, false);
  EXPECT_EQ(console.takeText(), "");
}

TEST_F(TimeAllowanceTest, OverTimeWarningsFollowTheirScheduleAndTheGraceEnds) {
  checkAt(3602);
  EXPECT_EQ(window(), "\n\nWarning! You have exceeded the time allowed (60 min). Exiting ... \n");
  EXPECT_EQ(State.EndReason, 0);  // within the grace the question is still presented
  EXPECT_EQ(State.OverTimeWarnAt, 5400u);
  console.takeText();
  checkAt(5400, false);
  EXPECT_EQ(console.takeText(), "");
  EXPECT_EQ(State.EndReason, 1);
  checkAt(5401);
  EXPECT_EQ(window(),
            "Warning - you have exceeded (60 min) by 2.0 times the amount of time alloted for this exam.\n\n");
  EXPECT_EQ(attributeOf("Warning - you have exceeded (60 min) by 2.0 times the amount of time alloted "
                        "for this exam.\n\nPress ENTER\n\n"),
            12);
  EXPECT_EQ(State.OverTimeWarnAt, 9000u);
  checkAt(9001);
  EXPECT_NE(window().find("by 2.5 times"), std::string::npos);
  checkAt(10801);
  EXPECT_NE(window().find("by 3.0 times"), std::string::npos);
}

// The edges of the rules: more than nine tenths for the 90 % warning, four seconds past
// the allowance for the end, and the 75 % warning standing for the 50 % one too.
TEST_F(TimeAllowanceTest, ExactlyNineTenthsIsStillTheSeventyFivePerCentBand) {
  checkAt(3240);
  EXPECT_EQ(window(),
            "\n\n*** Warning - You have used 75% of your Allotted Test Time of (60 min) - 6 min remain.\n\n");
  checkAt(3241);
  EXPECT_EQ(window(),
            "\n\n*** Warning - You have used 90% of your Allotted Test Time of (60 min) - 5 min remain.\n\n");
}

TEST_F(TimeAllowanceTest, TheGraceEndsFourSecondsPastTheAllowance) {
  checkAt(3603);  // the first over-time warning, and the question is still presented
  EXPECT_EQ(State.EndReason, 0);
  checkAt(3604, false);
  EXPECT_EQ(State.EndReason, 1);
}

TEST_F(TimeAllowanceTest, AJumpIntoTheSeventyFivePerCentBandLeavesNoFiftyPerCentNoteBehind) {
  checkAt(2701);
  EXPECT_NE(window().find("used 75%"), std::string::npos);
  console.takeText();
  checkAt(3000, false);
  EXPECT_EQ(console.takeText(), "");
}

TEST_F(TimeAllowanceTest, TenSecondsOverWarnsAndEnds) {
  checkAt(3610);
  EXPECT_NE(err().find("\n\nWarning! You have exceeded the time allowed (60 min). Exiting ... \n\nPress "
                       "ENTER\n\n"),
            std::string::npos);
  EXPECT_EQ(State.EndReason, 1);
}

TEST_F(TimeAllowanceTest, ASecondExamStartsWithNoWarningGiven) {
  checkAt(3241);
  checkAt(3602);
  resetTimeWarnings();
  EXPECT_FALSE(State.Warned50 || State.Warned75 || State.Warned90);
  EXPECT_EQ(State.OverTimeWarnAt, 0u);
  EXPECT_EQ(State.OverTimeWarnCount, 1u);
}

TEST_F(TimeAllowanceTest, ElapsedTimeSurvivesTheTickWrap) {
  State.SessionStartTick = 0xFFFFF000u;
  State.SessionStartSeconds = 0xFFFFF000u / 1000;
  console.setTick(0x00001000u);  // 8 seconds later, past the wrap
  checkTimeAllowance();
  EXPECT_EQ(State.EndReason, 0);
  EXPECT_EQ(err(), "");
}

}  // namespace
