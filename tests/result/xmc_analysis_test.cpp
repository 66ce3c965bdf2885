#include "result/xmc_analysis.h"
#include "result/xmc_verdict.h"

#include "session/question_order.h"
#include "support/session_fixture.h"
#include "support/xmc_rewrite.h"

namespace {

// A pool, sub-questions and a skip, in the order of the file: the pool draws slot 2.
const char* const PoolExam =
    "QUESTIONS\n1. (2 pts) First?\n{\n2. (1 pt) P1\n3. (1 pt) P2\n}\n4. Parts.\n"
    "  4.a. (1 pt) A.\n  4.b. (1 pt) B.\n5. Last?\n";

class XmcAnalysisTest : public SessionTest {
 protected:
  void takePoolExam() {
    loadInFileOrder(PoolExam);
    if (!fakeName.empty())
      snprintf(State.StudentFullName, sizeof State.StudentFullName, "%s", fakeName.c_str());
    begin();
    answer("one", 30000);
    answer("#skip", 20000);
    console.typeLine("");  // the skip list notice
    answer("a", 10000);
    answer("b");
    answer("five");
    console.typeLine("#DONE", 5000);  // back at the skipped question
    console.typeLine("y");
    console.typeLine("");
    ASSERT_EQ(runSession(static_cast<int8_t>(0xFD)), NoExit);
    ASSERT_TRUE(reading.ok()) << reading.Problem;
    analysis = analyzeXmc(reading);
  }
  // The verdict on these bytes for the password, handed in under the program's name.
  static std::string verdictOf(const std::string& b, const std::string& password = "secret",
                               const std::string& name = FileName) {
    XmcReading r = readXmc(b);
    return xmcVerdictText(judgeXmc(b, r, analyzeXmc(r), &password, name));
  }
  static XmcVerdictKind kindOf(const std::string& b, const std::string& password = "secret") {
    XmcReading r = readXmc(b);
    return judgeXmc(b, r, analyzeXmc(r), &password, FileName).Kind;
  }
  static constexpr const char* FileName = "Fall_CS_Exam_00__XMC_abc123_CompletedBy.xmc";
  XmcAnalysis analysis;
  std::string fakeName;
};

TEST_F(XmcAnalysisTest, AWholeSessionIsReadBackWithTheExamsOwnNumbers) {
  takePoolExam();
  const XmcAnalysis& a = analysis;
  EXPECT_EQ(a.Semester + "|" + a.CourseNumber + "|" + a.CourseName + "|" + a.Section + "|" + a.ExamName,
            "Fall 2021|CS 1234|Intro to Programming|001|Exam 1");
  EXPECT_EQ(a.TimeLimitMinutes, 60u);
  EXPECT_EQ(a.StudentName + " " + a.StudentId, "Ada Lovelace abc123");
  EXPECT_EQ(a.ExamCount, 2);
  EXPECT_EQ(a.Presented, 5);
  EXPECT_EQ(a.Answered, 4);
  EXPECT_EQ(a.SkipsUsed, 1);
  EXPECT_EQ(xmcEndText(a), "#DONE");
  EXPECT_TRUE(a.Finished);
  // To the #DONE typed, every line typed a second after the one before; the confirmation
  // of #DONE is the second before the finish stamp.
  EXPECT_EQ(a.UsedSeconds, 73u);
  EXPECT_EQ(a.ClosedAfterSeconds, 1u);
  EXPECT_EQ(xmcLateText(a), "left 58:47");
  EXPECT_EQ(a.Mismatch, "");

  std::string numbers;
  for (const XmcEntry& e : a.Entries)
    numbers += e.Label + "=" + e.ExamNumber + ":" + e.Answer + "|";
  EXPECT_EQ(numbers, "01.=1:one|02.=2:#skip|03.a.=4.a:a|03.b.=4.b:b|04.=5:five|");
  std::string questions;
  for (const XmcExamQuestion& q : a.ExamQuestions)
    questions += q.Number + "(" + q.Points + ")" + q.FirstLine + "|";
  EXPECT_EQ(questions, "1(2.0)First?|2(1.0)P1|3(1.0)P2|4.a(1.0)Parts.|4.b(1.0)Parts.|5()Last?|");

  EXPECT_EQ(xmcNumberedSummary(reading, a),
            "Ques# 1. (exam 1)    ==> one\nQues# 2. (exam 2)    ==> #skip\n"
            "SubQ# 3.a. (exam 4.a) --> a\nSubQ# 3.b. (exam 4.b) --> b\nQues# 4. (exam 5)    ==> five\n");
  EXPECT_EQ(xmcEndLine(a),
            "The session ended with #DONE as typed.\n"
            "Time used: 1:13 of 1:00:00 allowed, left 58:47 (from the start stamp to the last "
            "session record).\n"
            "The finish stamp came 0:01 after that record; that wait is not time used.\n");

  EXPECT_EQ(verdictOf(bytes, "secret"), "whole, for this student and password");
  EXPECT_EQ(verdictOf(bytes, "Secret"), "not made with this password or not for this identifier");
}

TEST_F(XmcAnalysisTest, TimeAndAllAnsweredEndsAreTold) {
  loadInFileOrder("QUESTIONS\n1. (1 pt) One?\n2. (1 pt) Two?\n");
  begin();
  answer("one", 3700000);  // the next question comes up 100 s past the allowance
  console.typeLine("");    // the over-time warning
  console.typeLine("");
  ASSERT_EQ(runSession(), NoExit);
  XmcAnalysis late = analyzeXmc(reading);
  EXPECT_EQ(xmcEndText(late), "time");
  EXPECT_EQ(late.Presented, 1);
  // Late by the answer typed 1:40 past the allowance; the warning that ended the session
  // and its pause come after.
  EXPECT_EQ(xmcLateText(late), "late 1:40");
  EXPECT_EQ(late.ClosedAfterSeconds, 2u);

  loadInFileOrder("QUESTIONS\n1. (1 pt) One?\n");
  begin();
  answer("one", 2000);
  console.typeLine("");
  console.typeLine("");
  ASSERT_EQ(runSession(), NoExit);
  EXPECT_EQ(xmcEndText(analyzeXmc(reading)), "all answered");
}

// Every way a file goes wrong has its own verdict, and a file cut anywhere reads as cut
// short or damaged, never as whole.
TEST_F(XmcAnalysisTest, VerdictsOnCutChangedAndForeignFiles) {
  takePoolExam();
  std::string whole = bytes;
  size_t logEnd = whole.find("\r\n\r\n", whole.find("START:\r\n") + 8);
  EXPECT_EQ(verdictOf(whole.substr(0, logEnd)), "cut short: the file ends in the session records");
  XmcReading cutReading = readXmc(whole.substr(0, logEnd));
  XmcAnalysis cutAnalysis = analyzeXmc(cutReading);
  EXPECT_EQ(xmcEndText(cutAnalysis), "cut short");
  EXPECT_EQ(cutAnalysis.UsedSeconds, 73u);  // to the #DONE typed, the last record
  EXPECT_EQ(xmcEndLine(cutAnalysis),
            "The session was cut short: the file has no finish stamp.\n"
            "Its last record came 1:13 after the start, of 1:00:00 allowed.\n");
  EXPECT_EQ(xmcLateText(cutAnalysis), "");  // it may have gone on
  // Without an echo the entries take their numbers from another file of the exam.
  numberEntries(&cutAnalysis.Entries, analysis.ExamQuestions);
  EXPECT_EQ(cutAnalysis.Entries[2].ExamNumber, "4.a");

  for (size_t length = 1; length < whole.size(); length += 7)
    ASSERT_NE(kindOf(whole.substr(0, length)), XmcVerdictKind::Whole) << length;

  EXPECT_EQ(verdictOf(""), "cut short: the file is empty");
  EXPECT_EQ(verdictOf(std::string("\x7f" "ELF\x02\x01", 6)), "not a completed-exam (XMC) file");

  // One hex digit changed in the last session record, the #DONE typed: the records still
  // read, but the finish no longer follows from them.
  std::string changed = whole;
  char& digit = changed[logEnd - 1];
  digit = digit == '0' ? '1' : '0';
  EXPECT_EQ(kindOf(changed), XmcVerdictKind::Damaged) << verdictOf(changed);

  // An answer changed in the session records: the summary still holds the one typed.
  std::string answerChanged = whole;
  size_t runStart = whole.find("START:\r\n") + 8;
  size_t answerAt = runStart + 2 * (57 + reading.Log.find("CONFIRMED:\none") + 11);
  answerChanged[answerAt] = answerChanged[answerAt] == 'A' ? 'B' : 'A';
  EXPECT_EQ(verdictOf(answerChanged),
            "damaged: the summary's answer to 01. differs from the answer confirmed in the session "
            "records");

  // The echo holds each question and answer once more: a change there shows too.
  size_t echoStart = whole.rfind("\r\n\r\n") + 4;
  auto changeEcho = [&](const std::string& text) {
    std::string changedEcho = whole;
    size_t at = echoStart + 2 * reading.Echo.find(text);
    changedEcho[at] = changedEcho[at] == 'A' ? 'B' : 'A';
    return verdictOf(changedEcho);
  };
  EXPECT_EQ(changeEcho("one\n"), "damaged: the echo's answer to 01. differs from the summary's");
  EXPECT_EQ(changeEcho("First?"),
            "damaged: the echo of the exam lacks a question the session presented (byte " +
                std::to_string(echoStart) +
                ", in the echo of the exam)");

  // Another student's name on the plain name line: the stamps still carry the first.
  std::string renamed = whole;
  renamed.replace(renamed.find("Ada Lovelace"), 12, "Bob Lovelace");
  EXPECT_EQ(verdictOf(renamed), "damaged: the name line does not match the start stamp");
  // Another identifier: the key start values are not this identifier's.
  std::string otherId = whole;
  otherId.replace(otherId.find("(abc123)"), 8, "(abc124)");
  EXPECT_EQ(verdictOf(otherId), "not made with this password or not for this identifier");

  // The identifier taken out of the plain name line: nothing ties the file to the
  // password any more, so it is never genuine.
  std::string noId = whole;
  noId.replace(noId.find("Ada Lovelace (abc123)"), 21, "Ada Lovelace");
  EXPECT_EQ(kindOf(noId), XmcVerdictKind::Damaged) << verdictOf(noId);

  // Two runs swapped: the key stream no longer continues where the summary begins.
  size_t summaryEnd = whole.find("\r\n\r\n", logEnd + 4);
  std::string reordered = whole.substr(0, logEnd + 4) +
                          whole.substr(summaryEnd + 4, whole.find("\r\n", summaryEnd + 4) - summaryEnd - 4) +
                          "\r\n\r\n" + whole.substr(logEnd + 4, summaryEnd - logEnd - 4) +
                          whole.substr(whole.find("\r\n", summaryEnd + 4));
  EXPECT_EQ(kindOf(reordered), XmcVerdictKind::Damaged);
  EXPECT_NE(verdictOf(reordered).find("(byte "), std::string::npos) << verdictOf(reordered);
}

// The name is the student's own typing: one that copies the start stamp's marks changes
// neither the start tick, the start time nor the exam count read from the stamp.
TEST_F(XmcAnalysisTest, ANameWithTheStampsMarksReadsAsAName) {
  fakeName = "Eve (tck:00000001) ExamCount:05 @ 1999/01/01::00:00:00";
  takePoolExam();
  EXPECT_EQ(analysis.StudentName, fakeName);
  EXPECT_EQ(analysis.ExamCount, 2);  // the counter at 0xFD: opened twice, not the name's 05
  EXPECT_NE(analysis.StartTime.substr(0, 4), "1999");
  EXPECT_LT(analysis.UsedSeconds, 3600u);
  EXPECT_EQ(kindOf(bytes), XmcVerdictKind::Whole) << verdictOf(bytes);
}

}  // namespace

// Sessions of a one-minute exam of three questions in the order of the file; each line
// typed a second after the one before unless the script says otherwise.
class SessionTimesTest : public XmcAnalysisTest {
 protected:
  void loadOneMinuteExam() {
    loadExam(";Fall 2021;  CS 1234: Intro: (001) ---> Quiz:  TimeLimit: 1 minutes  ---  Version 1.07",
             "QUESTIONS\n1. (1 pt) One?\n2. (1 pt) Two?\n3. (1 pt) Three?\n");
    State.OrderMode = '+';
    begin();
  }
  // Answers the three questions, the last answer typed lastAt seconds into the session.
  void answerAll(uint32_t lastAt = 8) {
    answer("one", 3000);
    answer("two", 2000);
    answer("three", (lastAt - 7) * 1000);
  }
  XmcAnalysis finish(int expectedStatus = NoExit) {
    EXPECT_EQ(runSession(), expectedStatus);
    // A session the script ended leaves its question list, as a killed program would.
    freeQuestionList();
    return analyzeXmc(reading);
  }
};

// A student who answered everything and left the last screen up: the wait there is
// "closed after", never time used, and never makes him late.
TEST_F(SessionTimesTest, TheLastScreenLeftOpenIsNeverTimeUsed) {
  for (uint32_t waitMs : {90000u, 240000u}) {
    loadOneMinuteExam();
    answerAll();
    console.typeLine("", waitMs);  // "Press ENTER to Complete the Exam"
    console.typeLine("");
    XmcAnalysis a = finish();
    EXPECT_EQ(a.UsedSeconds, 8u);
    EXPECT_EQ(a.ClosedAfterSeconds, 1 + waitMs / 1000);
    EXPECT_EQ(xmcLateText(a), "left 0:52");
    EXPECT_EQ(xmcEndText(a), "all answered");
    EXPECT_EQ(verdictOf(bytes), "whole, for this student and password");
  }
}

// Late only from the first second past the allowance: an answer at the allowance itself
// leaves no time, and is not late.
TEST_F(SessionTimesTest, LateFromTheFirstSecondPastTheAllowance) {
  for (uint32_t lastAt : {60u, 61u}) {
    loadOneMinuteExam();
    answer("one", 3000);
    answer("two", 2000);
    answer("three", (lastAt - 7) * 1000);
    console.typeLine("");
    console.typeLine("");
    XmcAnalysis a = finish();
    EXPECT_EQ(a.UsedSeconds, lastAt);
    EXPECT_EQ(xmcLateText(a), lastAt == 60 ? "left 0:00" : "late 0:01");
  }
}

// The program ends a session on time when a question comes up 4 seconds or more past the
// allowance. A session ended so exactly 4 s past is whole; a finish stamp less than 4 s
// past cannot follow a time end, so such a file was changed.
TEST_F(SessionTimesTest, ATimeEndComesFourSecondsOrMorePastTheAllowance) {
  loadOneMinuteExam();
  answer("one", 63000);   // the second question comes up at 1:04
  console.typeLine("", 500);  // the warning that ends it, dismissed in the same second
  console.typeLine("");
  XmcAnalysis a = finish();
  EXPECT_EQ(xmcEndText(a), "time");
  EXPECT_EQ(a.UsedSeconds + a.ClosedAfterSeconds, 64u);
  EXPECT_EQ(a.Mismatch, "");
  EXPECT_EQ(verdictOf(bytes), "whole, for this student and password");

  // The same file, its finish tick a second earlier: 3 s past the allowance.
  char earlier[9];
  snprintf(earlier, sizeof earlier, "%08X", reading.EndTick - 1000);
  std::string changed = bytes;
  rewriteInRun(&changed, XmcSection::Closing, reading.Closing, reading.Closing.rfind("(tck:") + 5,
               earlier);
  EXPECT_EQ(readXmc(changed).EndTick, reading.EndTick - 1000);
  EXPECT_EQ(verdictOf(changed),
            "damaged: the session ended on time, but its finish stamp is less than 4 s past the "
            "allowance");
}

// The terminal closed at the last screen loses only the closing part: every answer is
// there, and how late the student was is known. Cut off before that, the session may
// have gone on: cut short, and no lateness.
TEST_F(SessionTimesTest, AFileEndingAfterTheLastAnswerIsNotCutShort) {
  loadOneMinuteExam();
  answerAll(70);  // the script ends at "Press ENTER to Complete the Exam"
  XmcAnalysis a = finish(-1);
  EXPECT_EQ(xmcEndText(a), "after last answer");
  EXPECT_TRUE(a.EndKnown);
  EXPECT_EQ(xmcLateText(a), "late 0:10");
  EXPECT_EQ(verdictOf(bytes),
            "closing part missing: the file ends after an answer to each of the 3 questions it "
            "presented");
  EXPECT_EQ(xmcEndLine(a),
            "The file ends after an answer to each of the 3 questions it presented, without its "
            "closing part.\n"
            "Time used: 1:10 of 1:00 allowed, late 0:10 (from the start stamp to the last session "
            "record).\n");

  // Killed with the summary written but not the finish stamp: the summary holds every
  // answer.
  loadOneMinuteExam();
  answerAll();
  console.typeLine("");
  console.typeLine("");
  finish();
  size_t closing = runStartOf(bytes, XmcSection::Closing);
  EXPECT_EQ(verdictOf(bytes.substr(0, closing + 10)),
            "closing part missing: every answer is in its summary, but the file ends before its "
            "finish stamp");

  // Cut at the third question, before its answer; or at a skip.
  for (const char* last : {"", "#skip"}) {
    loadOneMinuteExam();
    answer("one", 3000);
    answer("two", 2000);
    if (*last)
      answer(last);
    a = finish(-1);
    EXPECT_EQ(xmcEndText(a), "cut short") << last;
    EXPECT_FALSE(a.EndKnown);
    EXPECT_EQ(xmcLateText(a), "");
    EXPECT_EQ(verdictOf(bytes), "cut short: the file ends in the session records") << last;
  }
}

// With review on, a session ends only by an end command or the time, also when every
// question has its answer; without it, a session whose questions all have answers ends
// there. How a review is seen: a question comes up again after its answer.
TEST_F(SessionTimesTest, ASessionWithReviewEndsOnlyByCommandOrTime) {
  loadOneMinuteExam();
  State.ReviewMode = 0x11;
  answerAll();
  console.typeLine("");  // may review until the time expires
  answer("one again", 60000);  // the first question once more, changed past the allowance
  console.typeLine("");  // the warning that ends it
  console.typeLine("");
  XmcAnalysis a = finish();
  EXPECT_EQ(xmcEndText(a), "time");
  EXPECT_EQ(xmcLateText(a), "late 0:10");
  EXPECT_EQ(verdictOf(bytes), "whole, for this student and password");
  EXPECT_EQ(a.Entries[0].Answer, "one again");
}

// The verdict says only what the file proves: a renamed copy, a file without its
// password check, a file that is not a completed one.
TEST_F(XmcAnalysisTest, VerdictsOnNamesPasswordsAndOtherFiles) {
  takePoolExam();
  // Veritor names the file after the identifier it writes into it.
  EXPECT_EQ(verdictOf(bytes, "secret", "x/Fall_CS_Exam_00__XMC_kim112_CompletedBy.xmc"),
            "renamed: written for abc123, not for kim112 as its file name says");
  EXPECT_EQ(verdictOf(bytes, "secret", "Fall_CS_Exam_01__XMC_ABC123_CompletedBy (1).xmc"),
            "whole, for this student and password");
  EXPECT_EQ(verdictOf(bytes, "secret", "ada.xmc"), "whole, for this student and password");
  size_t logEnd = bytes.find("\r\n\r\n", bytes.find("START:\r\n"));
  EXPECT_EQ(verdictOf(bytes.substr(0, logEnd), "secret", "F_00__XMC_kim112_CompletedBy.xmc"),
            "renamed: written for abc123, not for kim112 as its file name says; and cut short: "
            "the file ends in the session records");
  // Another student's password and identifier do not rename it: the key says whose it is.
  EXPECT_EQ(verdictOf(bytes, "other", "F_00__XMC_kim112_CompletedBy.xmc"),
            "not made with this password or not for this identifier");

  // Without a password the key start values are not checked, and the verdict says so.
  XmcAnalysis a = analyzeXmc(reading);
  XmcVerdict unchecked = judgeXmc(bytes, reading, a, nullptr, FileName);
  EXPECT_EQ(xmcVerdictText(unchecked),
            "whole, but not checked against the exam's password (give --password)");

  // Foreign only once the start stamp has deciphered with the key start values: before
  // that, those values may be what is damaged.
  size_t stampDigits = runStartOf(bytes, XmcSection::Log) + 20;
  EXPECT_EQ(verdictOf(bytes.substr(0, stampDigits), "other"),
            "damaged: the key start values (byte " + std::to_string(stampDigits) +
                ", in the session records)");
  EXPECT_EQ(verdictOf(bytes.substr(0, logEnd), "other"),
            "not made with this password or not for this identifier");

  std::string exam = std::string(DemoHeader) + "\n\n" + std::string(64, 'A') + "\n";
  EXPECT_EQ(verdictOf(exam), "not a completed-exam (XMC) file: it is an exam (.exm) file, which "
                             "'veritor-author show' prints");
  EXPECT_EQ(verdictOf(std::string(DemoHeader) + "\r\n\r\n0A1B\r\n"),
            "not a completed-exam (XMC) file: it is an exam (.exm) file, which 'veritor-author "
            "show' prints");
}

// The timeline tells a skip from an answer.
TEST_F(XmcAnalysisTest, TheTimelineCallsASkipASkip) {
  takePoolExam();
  std::string timeline = xmcTimeline(reading);
  EXPECT_NE(timeline.find("  02.        skipped after 20.000 s\n"), std::string::npos) << timeline;
  EXPECT_NE(timeline.find("  01.        answered after 30.000 s\n"), std::string::npos) << timeline;
  EXPECT_NE(timeline.find("  02.        ended with #DONE after 5.000 s\n"), std::string::npos)
      << timeline;
}
