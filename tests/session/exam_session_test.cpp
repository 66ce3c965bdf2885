// Whole sessions: the script types what a student types, the clock moves with the
// student's think times, and the completed-exam file is read back after each session.
#include <set>

#include "format/question_store.h"
#include "session/exam_session.h"
#include "session/question_order.h"
#include "state/program_state.h"
#include "support/session_fixture.h"
#include "window/countdown.h"
#include "window/question_window.h"
#include "window/question_window_testing.h"
#include "window/window_colors.h"
#include "support/system_calls.h"

namespace {

const char* const FiveQuestions =
    "QUESTIONS\n"
    "1. (1 pt) One?\n"
    "2. (1 pt) Two?\n"
    "3. (1 pt) Three?\n"
    "4. (1 pt) Four?\n"
    "5. (1 pt) Five?\n";

const char* const AllAnswered =
    "\n\nYou have answered all the questions.\n\nPress ENTER to Complete the Exam\n\n";

TEST_F(SessionTest, AnswersInFileOrderWithInstructionsRecordsAndFinalMessage) {
  loadInFileOrder(ThreeQuestions);
  begin();
  answer("alpha");
  answer("beta");
  answer("gamma");
  answer("delta");
  console.typeLine("");  // all answered
  console.typeLine("");  // the final pause
  EXPECT_EQ(runSession(), NoExit);
  ASSERT_TRUE(reading.ok()) << reading.Problem << " at " << reading.ProblemOffset;

  // The instructions screen, piece by piece in its colours.
  std::string hashes(72, '#');
  std::string stars(72, '*');
  std::string folderPath = folder.path() + pathSeparator();
  EXPECT_EQ(attributeOf(hashes + "\n\nYour completed Exam XMC file will be here:\n\n"), 10);
  EXPECT_EQ(attributeOf("--> " + folderPath + "\n\n"), 14);
  EXPECT_EQ(attributeOf("*** Submit this XMC file: \n\n"), 10);
  EXPECT_EQ(attributeOf("-->  " + folder.file("result.xmc") + "\n\n"), 14);
  EXPECT_EQ(attributeOf("Do NOT submit the .exm file and do NOT change the XMC file's name.\n\n"), 12);
  EXPECT_EQ(attributeOf("To EXIT early, type #exit as your answer and confirm.\n\n"), 15);
  EXPECT_EQ(attributeOf("If you wish to SKIP a question (save for later), type #skip and confirm.\n\n"), 15);
  EXPECT_EQ(attributeOf("*****                  PRESS ENTER TO BEGIN EXAM                   *****\n"
                        "*****      The clock starts when the question window pops up       *****\n"),
            11);
  EXPECT_EQ(countOf(out(), stars + "\n"), 2u);
  EXPECT_NE(out().find("\n\n   Ada Lovelace (abc123) START TIME: Monday, Mar 02, 2026::13:00:00\n\n"),
            std::string::npos);

  // The plain head of the file, with CR LF line ends.
  std::string head =
      ";Fall 2021;  CS 1234: Intro to Programming: (001) ---> Exam 1:  TimeLimit: 60 minutes  "
      "---  Version   1.07\r\n\r\n; Name: Ada Lovelace (abc123)\r\n\r\nSTART:\r\n";
  EXPECT_EQ(bytes.substr(0, head.size()), head);

  EXPECT_EQ(events(), "Q:01.|C:alpha|Q:02.|C:beta|Q:03.a.|C:gamma|Q:03.b.|C:delta|");
  EXPECT_EQ(reading.Log.substr(0, reading.Log.find("\n\n") + 2),
            "; Ada Lovelace (abc123) @ 2026/03/02::13:00:00 (tck:000F4628) ExamCount:01\n\n");
  EXPECT_NE(reading.Log.find("tck:000F4628\n01. (  5.0 pts) First question?\n"), std::string::npos);
  EXPECT_NE(reading.Log.find("02. (  1.0 pt) Second question?\n"), std::string::npos);
  EXPECT_NE(reading.Log.find("beta\n03. Third with parts.\ntck:000F55C8\n03.a. (  2.0 pts) Part a.\n"
                             "tck:000F59B0 - ANSWER CONFIRMED:\ngamma\n"),
            std::string::npos);
  EXPECT_EQ(reading.Summary,
            "Ques# 1.    ==> alpha\nQues# 2.    ==> beta\nSubQ# 3.a. --> gamma\nSubQ# 3.b. --> delta\n");
  EXPECT_EQ(reading.Closing,
            "\n\nEXAM COMPLETE:\n\n; Ada Lovelace (abc123) @ 2026/03/02::13:00:10  (tck:000F6950)\n\n");
  EXPECT_EQ(reading.EchoLine,
            ";Fall 2021;  CS 1234: Intro to Programming: (001) ---> Exam 1:  TimeLimit: 60 minutes  "
            "---  Version  1.07\n\n");

  EXPECT_EQ(attributeOf(AllAnswered), 10);
  std::string finish = "Congratulations! You have finished this exam with 59 minutes and 51 seconds left! "
                       "\n\n   Ada Lovelace (abc123) FINISH TIME: Monday, Mar 02, 2026::13:00:10\n\n";
  EXPECT_EQ(attributeOf(finish), 10);
  std::string turnIn = "\nTURN IN THIS FILE: \n\n \"" + folder.file("result.xmc") + "\".\n\n";
  EXPECT_EQ(attributeOf(turnIn), 14);
  EXPECT_EQ(attributeOf("Do NOT turn in the file with the \".exm\" extension.\n\n"), 12);
  // The window shows the whole closing message.
  EXPECT_EQ(std::string(State.QuestionText),
            finish + turnIn + "Do NOT turn in the file with the \".exm\" extension.\n\n");
  EXPECT_EQ(State.QListHead, nullptr);
  EXPECT_EQ(State.SessionActive.load(), 0);
  EXPECT_EQ(out().find("INCOMPLETE"), std::string::npos);
}

TEST_F(SessionTest, ShuffledOrderAsksEveryQuestionOnceAndOneQuestionPerPool) {
  loadExam(DemoHeader,
           "QUESTIONS\n"
           "1. (1 pt) Alone one.\n"
           "{\n"
           "2. (2 pts) Pool first.\n"
           "3. (2 pts) Pool second.\n"
           "4. (2 pts) Pool third.\n"
           "}\n"
           "5. (1 pt) Alone five.\n"
           "6. With parts.\n"
           "  6.a. (1 pt) Part a.\n"
           "  6.b. (1 pt) Part b.\n");
  State.OrderMode = 0;
  begin();
  for (int i = 0; i < 5; ++i)
    answer("x");
  console.typeLine("");
  console.typeLine("");
  EXPECT_EQ(runSession(), NoExit);
  ASSERT_TRUE(reading.ok()) << reading.Problem;

  for (const char* text : {"Alone one.", "Alone five.", "Part a.", "Part b."})
    EXPECT_EQ(countOf(reading.Log, text), 1u) << text;
  EXPECT_EQ(countOf(reading.Log, "Pool first.") + countOf(reading.Log, "Pool second.") +
                countOf(reading.Log, "Pool third."),
            1u);
  // Numbers run 1 to 4 in the order asked; the parts share theirs.
  std::set<std::string> labels;
  for (const XmcEvent& e : reading.Events)
    if (e.What == XmcEvent::Question)
      labels.insert(e.Label.substr(0, 3));
  EXPECT_EQ(labels, (std::set<std::string>{"01.", "02.", "03.", "04."}));
  EXPECT_EQ(countOf(reading.Summary, "\n"), 5u);
}

TEST_F(SessionTest, QuestionLimitCapsTheShuffledList) {
  std::string body = FiveQuestions;
  body.replace(0, 9, "QUESTIONS 2");
  loadExam(DemoHeader, body);
  begin();
  answer("x");
  answer("y");
  console.typeLine("");
  console.typeLine("");
  EXPECT_EQ(runSession(), NoExit);
  ASSERT_TRUE(reading.ok()) << reading.Problem;
  EXPECT_EQ(events(), "Q:01.|C:x|Q:02.|C:y|");
  EXPECT_EQ(countOf(reading.Summary, "Ques# "), 2u);
}

TEST_F(SessionTest, SkippedQuestionComesBackAfterTheWrap) {
  loadInFileOrder(ThreeQuestions);
  begin();
  answer("#skip");
  console.typeLine("");  // after the skip-list note
  answer("b");
  answer("c");
  answer("d");
  answer("a");  // question 1 again, its prior answer shown
  console.typeLine("");
  console.typeLine("");
  EXPECT_EQ(runSession(), NoExit);
  ASSERT_TRUE(reading.ok()) << reading.Problem;
  EXPECT_EQ(events(), "Q:01.|C:#skip|Q:02.|C:b|Q:03.a.|C:c|Q:03.b.|C:d|Q:01.|C:a|");
  EXPECT_EQ(attributeOf("\n\nNOTE: You have chosen to SKIP this question - if you are SURE, answer "
                        "'Y' or 'y'\n\n"),
            14);
  EXPECT_NE(out().find("Added 1st question to SkipList - 2 remaining.\n\n"), std::string::npos);
  EXPECT_NE(out().find("\nPrior Answer:\n\n#skip\n\n"), std::string::npos);
  EXPECT_EQ(attributeOf("\nPrior Answer:\n\n#skip\n\n"), 10);
  EXPECT_EQ(State.SkipCount, 1);
}

TEST_F(SessionTest, BlankPaddedSkipIsTheSkipCommandWithItsCount) {
  // Stored trimmed, these would be "#skip" and reopen their questions without a skip used.
  loadInFileOrder(ThreeQuestions);
  begin();
  answer(" #skip");
  console.typeLine("");
  answer("#Skip\t ");
  console.typeLine("");
  answer("c");
  answer("d");
  answer("a");
  answer("b");
  console.typeLine("");
  console.typeLine("");
  EXPECT_EQ(runSession(), NoExit);
  ASSERT_TRUE(reading.ok()) << reading.Problem;
  EXPECT_EQ(events(), "Q:01.|C:#skip|Q:02.|C:#Skip|Q:03.a.|C:c|Q:03.b.|C:d|Q:01.|C:a|Q:02.|C:b|");
  EXPECT_EQ(countOf(out(), "\n\nNOTE: You have chosen to SKIP this question"), 2u);
  EXPECT_NE(out().find("Added 1st question to SkipList - 2 remaining.\n\n"), std::string::npos);
  EXPECT_NE(out().find("Added 2nd question to SkipList - 1 remaining.\n\n"), std::string::npos);
  EXPECT_EQ(State.SkipCount, 2);
}

TEST_F(SessionTest, ExamAnswerIsATemplateAndItsQuestionIsStillAsked) {
  loadInFileOrder(
      "QUESTIONS\n"
      "1. (1 pt) Plain?\n"
      "2. (2 pts) Fill in the template.\n"
      "&name: ...\n"
      "3. (1 pt) Last?\n");
  begin();
  answer("one");
  answer("name: Ada");
  answer("three");
  console.typeLine("");
  console.typeLine("");
  EXPECT_EQ(runSession(), NoExit);
  ASSERT_TRUE(reading.ok()) << reading.Problem;
  EXPECT_EQ(events(), "Q:01.|C:one|Q:02.|C:name: Ada|Q:03.|C:three|");
  EXPECT_NE(out().find("\nPrior Answer:\n\n&name: ...\n\n"), std::string::npos);
  EXPECT_EQ(reading.Summary, "Ques# 1.    ==> one\nQues# 2.    ==> name: Ada\nQues# 3.    ==> three\n");
}

TEST_F(SessionTest, ConsoleViewShowsTheCountdownAndTheSessionsEntryCount) {
  // Without a display the console is the window: the countdown row comes above each
  // question and above the prompt after a rejected answer. The count promised is that of
  // the entries asked (two), not of the exam's questions (five).
  std::string body = FiveQuestions;
  body.replace(0, 9, "QUESTIONS 2");
  loadInFileOrder(body);
  setWindowView(WindowView::Console);
  begin();
  console.typeLine("wrong", 65000);
  console.typeLine("n");
  answer("right");
  answer("two");
  console.typeLine("");
  console.typeLine("");
  EXPECT_EQ(runSession(), NoExit);
  EXPECT_EQ(countOf(out(), "Time Remaining: "), 3u);
  EXPECT_NE(out().find("Time Remaining: 01:00:00 ... \n\n--->  Questions Answered #0 of 2\n\n01. "),
            std::string::npos)
      << out();
  EXPECT_NE(out().find("\n\nTime Remaining: 00:58:54 ... \n\n\nAnswer?\n"), std::string::npos)
      << out();
  EXPECT_NE(out().find("--->  Questions Answered #1 of 2\n\n02. "), std::string::npos);
  EXPECT_EQ(attributeOf("Time Remaining: 01:00:00 ... \n\n"), 10);
}

TEST_F(SessionTest, FourthSkipIsRefusedAndTheQuestionAskedAgain) {
  loadInFileOrder(FiveQuestions);
  begin();
  for (int i = 0; i < 3; ++i) {
    answer("#SKIP");
    console.typeLine("");
  }
  answer("#skip");       // the fourth: stored, recorded, refused
  console.typeLine("");  // the warning's pause
  answer("four");
  answer("five");
  answer("one");
  answer("two");
  answer("three");
  console.typeLine("");
  console.typeLine("");
  EXPECT_EQ(runSession(), NoExit);
  ASSERT_TRUE(reading.ok()) << reading.Problem;
  EXPECT_NE(out().find("Added 3rd question to SkipList - 0 remaining.\n\n"), std::string::npos);
  EXPECT_EQ(attributeOf("Warning - Skip list is full. Take another shot at this question.\n\nPress "
                        "ENTER to continue ... \n\n"),
            15);
  EXPECT_EQ(events(),
            "Q:01.|C:#SKIP|Q:02.|C:#SKIP|Q:03.|C:#SKIP|Q:04.|C:#skip|C:four|Q:05.|C:five|"
            "Q:01.|C:one|Q:02.|C:two|Q:03.|C:three|");
  EXPECT_EQ(State.SkipCount, 3);
}

TEST_F(SessionTest, SkipWithoutHashIsAnOrdinaryAnswerAndRejectionsAreRecorded) {
  loadInFileOrder(FiveQuestions);
  begin();
  answer("Skip");
  console.typeLine("wrong");
  console.typeLine("n");
  answer("right");
  console.typeLine("   \t ");  // all blanks: refused
  console.typeLine("");
  answer("3");
  answer("4");
  answer("5");
  console.typeLine("");
  console.typeLine("");
  EXPECT_EQ(runSession(), NoExit);
  ASSERT_TRUE(reading.ok()) << reading.Problem;
  EXPECT_EQ(attributeOf("\n\nWARNING! You have entered 'skip' and not '#skip' - if you intended to "
                        "SKIP this question, answer 'N' or 'n' then answer '#skip' instead.\n\n"),
            11);
  EXPECT_NE(out().find("\n\nYour Answer: \"wrong\"\n\n --- Enter 'Y' or 'y' if correct."),
            std::string::npos);
  EXPECT_NE(err().find("\n\n Your answer is invalid because it is ALL whitespace. Enter at least one "
                       "character.\n\n\n\n"),
            std::string::npos);
  EXPECT_EQ(events(), "Q:01.|C:Skip|Q:02.|R:|C:right|Q:03.|C:3|Q:04.|C:4|Q:05.|C:5|");
  EXPECT_EQ(State.SkipCount, 0);
}

TEST_F(SessionTest, DoneInCapitalsAfterADeclinedEndMarksTheRestUnanswered) {
  loadInFileOrder(ThreeQuestions);
  begin();
  answer("first");
  console.typeLine("#DONE");
  console.typeLine("n");  // declined: the record stays, the answer is asked again
  console.typeLine("#Exit");
  console.typeLine("y");
  console.typeLine("");
  EXPECT_EQ(runSession(), NoExit);
  ASSERT_TRUE(reading.ok()) << reading.Problem;
  EXPECT_EQ(attributeOf("\n\nNOTE: You have chosen to EXIT this exam - if you are SURE, answer 'Y' or "
                        "'y'\n\n"),
            12);
  EXPECT_EQ(events(), "Q:01.|C:first|Q:02.|E:#DONE|E:#Exit|");
  EXPECT_NE(reading.Log.find("\n****** #DONE *****\n\n"), std::string::npos);
  EXPECT_EQ(reading.Summary,
            "Ques# 1.    ==> first\nQues# 2.    ==> <<<(EXIT DONE)>>>: No Answer.\n"
            "SubQ# 3.a. --> <<<(EXIT DONE)>>>: No Answer.\nSubQ# 3.b. --> <<<(EXIT DONE)>>>: No Answer.\n");
  EXPECT_EQ(State.EndReason, 0);
}

// Where the session puts its records on the disk, on every system: once the file is made
// (and its name), after each question and answer attempt, after the summary and after the
// closing part. When each sync must come is what the crash-state test checks.
TEST_F(SessionTest, TheFileIsSyncedAfterEachRecordTheStudentReliesOn) {
  loadInFileOrder(ThreeQuestions);
  begin();
  answer("alpha");
  console.typeLine("wrong");
  console.typeLine("n");
  answer("beta");
  answer("gamma");
  answer("delta");
  console.typeLine("");  // all answered
  console.typeLine("");  // the final pause
  EXPECT_EQ(runSession(), NoExit);
  ASSERT_TRUE(reading.ok()) << reading.Problem;
  EXPECT_EQ(console.folderSyncs(), 1);
  EXPECT_EQ(console.fileSyncs(), 1 + 4 + 5 + 1 + 1);
}

TEST_F(SessionTest, ReviewModeNavigatesAndShowsTheNoticeOnce) {
  loadInFileOrder("QUESTIONS\n1. (1 pt) One?\n2. (1 pt) Two?\n3. (1 pt) Three?\n");
  State.ReviewMode = 0x11;
  begin();
  answer("a1");
  answer("a2");
  answer("a3");
  console.typeLine("");             // the review notice
  console.pressKey(0xE0, 80);       // Down: 1 -> 2
  console.pressKey(0xE0, 72);       // Up: 2 -> 1
  console.pressKey(0xE0, 72);       // Up from the head: the tail
  console.pressKey(0xE0, 81);       // Page Down: nothing open
  console.typeLine("");
  console.typeLine("");             // an empty line keeps the answer
  answer("new1");                   // question 1 again
  console.typeLine("#skip");        // disabled in review mode
  console.typeLine("");
  console.pressKey(0xE0, 73);       // Page Up: nothing open
  console.typeLine("");
  console.typeLine("#done");
  console.typeLine("y");
  console.typeLine("");
  EXPECT_EQ(runSession(), NoExit);
  ASSERT_TRUE(reading.ok()) << reading.Problem;
  EXPECT_EQ(events(),
            "Q:01.|C:a1|Q:02.|C:a2|Q:03.|C:a3|Q:01.|Q:02.|Q:01.|Q:03.|Q:03.|Q:01.|C:new1|Q:02.|Q:02.|"
            "E:#done|");
  std::string notice =
      "\n\nYou have answered all questions but may review (and change answers) until time "
      "expires.\n\nAt any question, Enter '#done' to complete the exam.\n\nPress ENTER to Continue "
      "... \n\n";
  EXPECT_EQ(countOf(err(), notice), 1u);
  EXPECT_EQ(attributeOf(notice), 10);
  std::string allDone =
      "All questions have been answered, but you can review with up/down arrows.\n\nAt any "
      "question, Enter '#done' to complete the exam.\n\nPress ENTER to Continue ... \n\n";
  EXPECT_EQ(countOf(err(), allDone), 2u);
  EXPECT_EQ(attributeOf(allDone), 13);
  EXPECT_EQ(attributeOf("\n\nNOTE: You have attempted to SKIP this question - since you can up/dn "
                        "arrow between questions #skip is disabled.\n\nPress ENTER\n\n"),
            14);
  EXPECT_EQ(reading.Summary, "Ques# 1.    ==> new1\nQues# 2.    ==> a2\nQues# 3.    ==> a3\n");
}

TEST_F(SessionTest, PageDownFindsTheOpenQuestionInReviewMode) {
  loadInFileOrder("QUESTIONS\n1. (1 pt) One?\n2. (1 pt) Two?\n3. (1 pt) Three?\n");
  State.ReviewMode = 0x11;
  begin();
  console.pressKey(0xE0, 81);  // question 1 is open itself: stays
  console.pressKey(0xE0, 80);  // to 2
  answer("two");               // then 3, the next open one
  console.pressKey(0xE0, 73);  // Page Up from 3 (open): stays
  answer("three");
  answer("one");
  console.typeLine("");
  console.typeLine("#exit");
  console.typeLine("y");
  console.typeLine("");
  EXPECT_EQ(runSession(), NoExit);
  EXPECT_EQ(events(), "Q:01.|Q:01.|Q:02.|C:two|Q:03.|Q:03.|C:three|Q:01.|C:one|Q:02.|E:#exit|");
}

TEST_F(SessionTest, TimeWarningsOverTimeAndTheEndOfTheAllowance) {
  loadInFileOrder(FiveQuestions);
  begin();                     // the clock starts at 1001 s of ticks: elapsed 0
  answer("one", 1800000);      // next question at 1801 s
  console.typeLine("");        // 50 %
  answer("two", 1438000);      // next at 3241 s: only the 90 % warning
  console.typeLine("");
  answer("three", 359000);     // next at 3602 s: 2 s over, still presented
  console.typeLine("");
  answer("four");              // next at 3605 s: the session ends
  console.typeLine("");
  EXPECT_EQ(runSession(), NoExit);
  ASSERT_TRUE(reading.ok()) << reading.Problem;
  EXPECT_EQ(attributeOf("\n\n*** Note: - You have used 50% of your Allotted Test Time of (60 min) - "
                        "29 min remain.\n\nPress ENTER\n\n"),
            11);
  EXPECT_EQ(attributeOf("\n\n*** Warning - You have used 90% of your Allotted Test Time of (60 min) - "
                        "5 min remain.\n\nPress ENTER\n\n"),
            12);
  EXPECT_EQ(err().find("75%"), std::string::npos);
  EXPECT_EQ(attributeOf("\n\nWarning! You have exceeded the time allowed (60 min). Exiting ... "
                        "\n\nPress ENTER\n\n"),
            12);
  EXPECT_EQ(events(), "Q:01.|C:one|Q:02.|C:two|Q:03.|C:three|Q:04.|C:four|");
  EXPECT_NE(reading.Summary.find("Ques# 5.    ==> <<<(OTime)>>>: No Answer.\n"), std::string::npos);
  EXPECT_NE(all().find("You have finished this exam 0 minutes and 5 seconds late, but at least "
                       "you're done! \n\n   Ada Lovelace (abc123) FINISH TIME: "),
            std::string::npos);
}

TEST_F(SessionTest, LaterOverTimeWarningShowsTheFactor) {
  loadInFileOrder(FiveQuestions);
  begin();
  answer("one", 3601000);  // next at 3602 s: the first over-time warning
  console.typeLine("");
  answer("two", 1798000);  // next at 5402 s, past L + L/2: factor 2.0, then the end
  console.typeLine("");
  console.typeLine("");
  EXPECT_EQ(runSession(), NoExit);
  EXPECT_EQ(attributeOf("Warning - you have exceeded (60 min) by 2.0 times the amount of time "
                        "alloted for this exam.\n\nPress ENTER\n\n"),
            12);
  EXPECT_EQ(events(), "Q:01.|C:one|Q:02.|C:two|");
}

struct FinishCase {
  uint32_t ThinkMs;
  const char* Message;
};

class FinishTimeTest : public SessionTest, public ::testing::WithParamInterface<FinishCase> {};

TEST_P(FinishTimeTest, FinalMessageCountsFromTheSessionClock) {
  loadInFileOrder(FiveQuestions);
  begin();
  console.typeLine("#done", GetParam().ThinkMs - 1000);
  console.typeLine("y");
  console.typeLine("");
  EXPECT_EQ(runSession(), NoExit);
  EXPECT_NE(out().find(GetParam().Message), std::string::npos) << out();
}

INSTANTIATE_TEST_SUITE_P(
    EarlyOnTimeLate, FinishTimeTest,
    ::testing::Values(
        FinishCase{2000, "Congratulations! You have finished this exam with 59 minutes and 58 seconds left! "},
        FinishCase{3600000, "Congratulations! You have finished this exam with 0 minutes and 0 seconds left! "},
        FinishCase{3661000,
                   "You have finished this exam 1 minutes and 1 seconds late, but at least you're done! "}));

TEST_F(SessionTest, TickWrapDuringTheSessionIsNotOverTime) {
  loadInFileOrder("QUESTIONS\n1. (1 pt) One?\n2. (1 pt) Two?\n");
  console.setTick(0xFFFFFFFFu - 1500);
  begin();
  answer("one", 2000);  // the tick count wraps here
  answer("two");
  console.typeLine("");
  console.typeLine("");
  EXPECT_EQ(runSession(), NoExit);
  ASSERT_TRUE(reading.ok()) << reading.Problem;
  EXPECT_EQ(events(), "Q:01.|C:one|Q:02.|C:two|");
  EXPECT_NE(out().find("Congratulations! You have finished this exam with 59 minutes and 54 seconds left! "),
            std::string::npos);
  EXPECT_EQ(err().find("Warning"), std::string::npos);
}

TEST_F(SessionTest, ExamCountIsComputedInThirtyTwoBits) {
  loadExam(DemoHeader, "QUESTIONS\n1. (1 pt) One?\n");
  begin();
  console.typeLine("#exit");
  console.typeLine("y");
  console.typeLine("");
  runSession(5);
  EXPECT_NE(reading.Log.find(") ExamCount:FFFFFFFA\n\n"), std::string::npos) << reading.Log;
}

// The window opens before the exam's clock starts. What it would draw then is read as it
// is made: the whole allowance in green, not the clock of what came before.
TEST_F(SessionTest, TheWindowOpensOnTheWholeAllowanceBeforeTheClockStarts) {
  setEnvironmentDefault("SDL_VIDEODRIVER", "offscreen");
  setWindowView(WindowView::Graphical);
  Countdown atOpening = {{}, ColorGreen};
  setQuestionWindowBackendFactory([this, &atOpening] {
    atOpening = formatSessionCountdown(console.tickCount(), ColorGreen);
    return makeQuestionWindowBackend();
  });
  struct Case {
    const char* Before;
    uint32_t StartTick;  // of the clock left from before this exam
  } cases[] = {
      {"no exam yet", 0},
      {"an earlier exam of the run, out of time", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Before);
    console.setTick(c.StartTick ? 7300000 : 3700000);
    State.SessionStartTick = c.StartTick;
    loadExam(DemoHeader, "QUESTIONS\n1. (1 pt) One?\n");
    begin();
    console.typeLine("#exit");
    console.typeLine("y");
    console.typeLine("");
    runSession();
    EXPECT_STREQ(atOpening.Text, "Time Remaining: 01:00:00 ... ");
    EXPECT_EQ(atOpening.Color, ColorGreen);
  }
  setQuestionWindowBackendFactory(nullptr);
}

TEST_F(SessionTest, ExamWithoutQuestionsEndsAfterTheOpeningRecords) {
  loadExam(DemoHeader, "QUESTIONS\n");
  begin();
  console.typeLine("");
  EXPECT_EQ(runSession(), -1);
  EXPECT_EQ(attributeOf("Fatal Error - Did not find any questions. Press ENTER to Exit.\n\n"), 12);
  EXPECT_FALSE(reading.ok());
  EXPECT_EQ(reading.Reached, XmcSection::Log);
  EXPECT_EQ(reading.Problem, "the file ends in the session records: the session did not finish");
  EXPECT_TRUE(reading.Events.empty());
  EXPECT_NE(reading.Log.find("ExamCount:01\n\n"), std::string::npos);
}

// An open question gets the text of how the session ended; an answered one keeps its answer.
TEST_F(SessionTest, MarkUnansweredUsesTheTextOfTheEnd) {
  struct Case {
    int EndReason;
    const char* Text;
  } cases[] = {{1, "<<<(OTime)>>>: No Answer."}, {2, "<<<(EXIT DONE)>>>: No Answer."}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    loadInFileOrder("QUESTIONS\n1. (1 pt) One?\n2. (1 pt) Two?\n");
    ASSERT_NE(buildQuestionList(), nullptr);
    char kept[] = "kept";
    addAnswer(&State.QuestionSlots[2], kept, 1);
    State.EndReason = c.EndReason;
    markUnanswered();
    EXPECT_STREQ(firstAnswer(&State.QuestionSlots[1]), c.Text);
    EXPECT_STREQ(firstAnswer(&State.QuestionSlots[2]), "kept");
    freeQuestionList();
  }
}

}  // namespace
