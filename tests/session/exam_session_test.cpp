#include "support/session_fixture.h"

#include "session/exam_session.h"

namespace {

const char* const ThreeQuestions =
    "QUESTIONS\n"
    "1. (5 pts) First question?\n"
    "2. (1 pt) Second question?\n"
    "3. Third with parts.\n"
    "  3.a. (2 pts) Part a.\n"
    "  3.b. (1 pt) Part b.\n";

TEST_F(SessionTest, AnswersInFileOrderAndReadsBack) {
  loadExam(DemoHeader, ThreeQuestions);
  State.OrderMode = '+';
  begin();
  answer("alpha");
  answer("beta");
  answer("gamma");
  answer("delta");
  console.typeLine("");  // all answered
  console.typeLine("");  // final pause
  EXPECT_EQ(runSession(), NoExit);
  ASSERT_TRUE(reading.ok()) << reading.Problem << " at " << reading.ProblemOffset;
  EXPECT_EQ(events(), "Q:01.|C:alpha|Q:02.|C:beta|Q:03.a.|C:gamma|Q:03.b.|C:delta|");
  EXPECT_NE(reading.Log.find("tck:000F4628\n01. (  5.0 pts) First question?\n"), std::string::npos)
      << reading.Log;
  EXPECT_NE(reading.Log.find("02. (  1.0 pt) Second question?\n"), std::string::npos);
  EXPECT_NE(reading.Log.find("03. Third with parts.\ntck:"), std::string::npos);
  EXPECT_NE(reading.Log.find("\n03.b. (  1.0 pt) Part b.\n"), std::string::npos);
  EXPECT_EQ(reading.Summary,
            "Ques# 1.    ==> alpha\nQues# 2.    ==> beta\nSubQ# 3.a. --> gamma\nSubQ# 3.b. --> delta\n");
  std::string all = xmcTranscript(reading);
  EXPECT_NE(all.find("You have"), std::string::npos) << all;
}

}  // namespace
