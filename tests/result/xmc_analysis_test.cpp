#include "result/xmc_analysis.h"

#include "support/session_fixture.h"

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
  EXPECT_EQ(a.UsedSeconds, 74u);  // every line typed takes a second more
  EXPECT_EQ(xmcLateText(a), "left 58:46");
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
  EXPECT_EQ(xmcEndLine(a), "The session ended with #DONE as typed, after 1:14 of 1:00:00 allowed: 58:46 left.\n");

  EXPECT_EQ(judgeXmc(bytes, reading, a, "secret").Text, "genuine and whole");
  EXPECT_EQ(judgeXmc(bytes, reading, a, "Secret").Text,
            "not made with this password or not for this identifier");
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
  EXPECT_EQ(xmcLateText(late), "late 1:42");
  EXPECT_EQ(xmcEndLine(late),
            "The session ended when the time allowance ran out, after 1:01:42 of 1:00:00 allowed: 1:42 late.\n");

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
  auto verdictOf = [](const std::string& b) {
    XmcReading r = readXmc(b);
    return judgeXmc(b, r, analyzeXmc(r), "secret");
  };
  size_t logEnd = whole.find("\r\n\r\n", whole.find("START:\r\n") + 8);
  XmcVerdict cut = verdictOf(whole.substr(0, logEnd));
  EXPECT_EQ(cut.Text, "cut short: the file ends in the session records");
  XmcReading cutReading = readXmc(whole.substr(0, logEnd));
  XmcAnalysis cutAnalysis = analyzeXmc(cutReading);
  EXPECT_EQ(xmcEndText(cutAnalysis), "cut short");
  EXPECT_EQ(cutAnalysis.UsedSeconds, 73u);  // to the #DONE typed, the last record
  EXPECT_EQ(xmcEndLine(cutAnalysis),
            "The session was cut short: the file has no finish stamp, its last record after 1:13 of "
            "1:00:00 allowed.\n");
  // Without an echo the entries take their numbers from another file of the exam.
  numberEntries(&cutAnalysis, analysis.ExamQuestions);
  EXPECT_EQ(cutAnalysis.Entries[2].ExamNumber, "4.a");

  for (size_t length = 1; length < whole.size(); length += 7)
    ASSERT_NE(verdictOf(whole.substr(0, length)).Kind, XmcVerdictKind::Genuine) << length;

  EXPECT_EQ(verdictOf("").Text, "damaged: the file is empty");
  EXPECT_EQ(verdictOf(std::string("\x7f" "ELF\x02\x01", 6)).Text, "damaged: not a completed-exam (XMC) file");

  // One hex digit changed in the last session record, the #DONE typed: the records still
  // read, but the finish no longer follows from them.
  std::string changed = whole;
  char& digit = changed[logEnd - 1];
  digit = digit == '0' ? '1' : '0';
  XmcVerdict flipped = verdictOf(changed);
  EXPECT_EQ(flipped.Kind, XmcVerdictKind::Damaged) << flipped.Text;

  // An answer changed in the session records: the summary still holds the one typed.
  std::string answerChanged = whole;
  size_t runStart = whole.find("START:\r\n") + 8;
  size_t answerAt = runStart + 2 * (57 + reading.Log.find("CONFIRMED:\none") + 11);
  answerChanged[answerAt] = answerChanged[answerAt] == 'A' ? 'B' : 'A';
  EXPECT_EQ(verdictOf(answerChanged).Text,
            "damaged: the summary's answer to 01. differs from the answer confirmed in the session "
            "records");

  // The echo holds each question and answer once more: a change there shows too.
  size_t echoStart = whole.rfind("\r\n\r\n") + 4;
  auto changeEcho = [&](const std::string& text) {
    std::string changedEcho = whole;
    size_t at = echoStart + 2 * reading.Echo.find(text);
    changedEcho[at] = changedEcho[at] == 'A' ? 'B' : 'A';
    return verdictOf(changedEcho).Text;
  };
  EXPECT_EQ(changeEcho("one\n"), "damaged: the echo's answer to 01. differs from the summary's");
  EXPECT_EQ(changeEcho("First?"),
            "damaged: the echo of the exam lacks a question the session presented (cut off "
            "between two questions, or changed) (byte " + std::to_string(echoStart) +
                ", in the echo of the exam)");

  // Another student's name on the plain name line: the stamps still carry the first.
  std::string renamed = whole;
  renamed.replace(renamed.find("Ada Lovelace"), 12, "Bob Lovelace");
  EXPECT_EQ(verdictOf(renamed).Text, "damaged: the name line does not match the start stamp");
  // Another identifier: the key start values are not this identifier's.
  std::string otherId = whole;
  otherId.replace(otherId.find("(abc123)"), 8, "(abc124)");
  EXPECT_EQ(verdictOf(otherId).Text, "not made with this password or not for this identifier");

  // The identifier taken out of the plain name line: nothing ties the file to the
  // password any more, so it is never genuine.
  std::string noId = whole;
  noId.replace(noId.find("Ada Lovelace (abc123)"), 21, "Ada Lovelace");
  EXPECT_EQ(verdictOf(noId).Kind, XmcVerdictKind::Damaged) << verdictOf(noId).Text;

  // Two runs swapped: the key stream no longer continues where the summary begins.
  size_t summaryEnd = whole.find("\r\n\r\n", logEnd + 4);
  std::string reordered = whole.substr(0, logEnd + 4) +
                          whole.substr(summaryEnd + 4, whole.find("\r\n", summaryEnd + 4) - summaryEnd - 4) +
                          "\r\n\r\n" + whole.substr(logEnd + 4, summaryEnd - logEnd - 4) +
                          whole.substr(whole.find("\r\n", summaryEnd + 4));
  XmcVerdict swapped = verdictOf(reordered);
  EXPECT_EQ(swapped.Kind, XmcVerdictKind::Damaged) << swapped.Text;
  EXPECT_NE(swapped.Text.find("(byte "), std::string::npos) << swapped.Text;
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
  XmcVerdict v = judgeXmc(bytes, reading, analysis, "secret");
  EXPECT_EQ(v.Kind, XmcVerdictKind::Genuine) << v.Text;
}

}  // namespace
