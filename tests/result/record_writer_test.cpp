#include "result/record_writer.h"

#include <cstring>

#include "console/console.h"
#include "examfile/cipher.h"
#include "result/result_blocks.h"
#include "result/stamped_time.h"
#include "format/question_store.h"
#include "session/exam_session.h"
#include "support/session_fixture.h"

namespace {

class RecordWriterTest : public SessionTest {
 protected:
  FILE* open() {
    stream_ = fopen(folder.file("out.xmc").c_str(), "w+b");
    return stream_;
  }
  std::string written() {
    fclose(stream_);
    return folder.read("out.xmc");
  }
  FILE* stream_ = nullptr;
};

TEST_F(RecordWriterTest, PlainLineFeedsReachTheDiskAsCrLfAndHexIsUpperCase) {
  FILE* stream = open();
  char plain[] = "a\nb\n\nc";
  writeRecord(RecordMode::Plain, plain, 0, stream, false);
  // Plain stops at a NUL; the exam lines pass their NUL in the length.
  char cut[] = "xy\0z";
  writeRecord(RecordMode::Plain, cut, 4, stream, false);
  char hex[] = "abc\n";
  writeRecord(RecordMode::Hex, hex, 3, stream, false);
  char withNul[] = {'\0', '\xFF'};
  writeRecord(RecordMode::Hex, withNul, 2, stream, false);
  EXPECT_EQ(written(), "a\r\nb\r\n\r\ncxy61626300FF");
}

TEST_F(RecordWriterTest, EncipheredRecordsContinueOneKeyStream) {
  deriveCipherState(&State.ResultCipherState);
  CipherState start = State.ResultCipherState;
  FILE* stream = open();
  char first[] = "abc";
  char second[] = "defg";
  writeRecord(RecordMode::Plain, first, 0, stream, true);  // enciphered means Hex
  writeRecord(RecordMode::Hex, second, 0, stream, true);
  std::string file = written();
  ASSERT_EQ(file.size(), 14u);
  EXPECT_EQ(file.find_first_not_of("0123456789ABCDEF"), std::string::npos);
  EXPECT_EQ(fromHex(file, &start), "abcdefg");
  EXPECT_EQ(memcmp(start.Positions, State.ResultCipherState.Positions, sizeof start.Positions), 0);
}

TEST_F(RecordWriterTest, KeyStartWritesStepThenPosition) {
  State.ResultCipherState.Steps[0] = 1;
  State.ResultCipherState.Positions[0] = 0;
  State.ResultCipherState.Steps[1] = 0xABCDEF01;
  State.ResultCipherState.Positions[1] = 0x10;
  State.ResultCipherState.Steps[2] = 2;
  State.ResultCipherState.Positions[2] = 3;
  FILE* stream = open();
  writeKeyStart(stream);
  std::string file = written();
  EXPECT_EQ(file.substr(0, 8), "START:\r\n");
  EXPECT_EQ(fromHex(file.substr(8)), "0:0000000100000000:1:ABCDEF0100000010:2:0000000200000003:");
}

TEST_F(RecordWriterTest, StampsInLongAndShortForm) {
  SystemTime time;
  time.Year = 2021;
  time.Month = 9;
  time.DayOfWeek = 3;
  time.Day = 8;
  time.Hour = 7;
  time.Minute = 5;
  time.Second = 9;
  char out[192];
  int length = formatStampedTime("START TIME:", time, out, sizeof out, true);
  EXPECT_STREQ(out, "Ada Lovelace (abc123) START TIME: Wednesday, Sep 08, 2021::07:05:09");
  EXPECT_EQ(length, static_cast<int>(strlen(out)));
  formatStampedTime("@", time, out, sizeof out, false);
  EXPECT_STREQ(out, "Ada Lovelace (abc123) @ 2021/09/08::07:05:09");
  time.Month = 0;
  formatStampedTime("X", time, out, sizeof out, true);
  EXPECT_STREQ(out, "Ada Lovelace (abc123) X Wednesday, NULL 08, 2021::07:05:09");
}

TEST_F(RecordWriterTest, AFailedWriteIsReportedOnceAndTheSessionGoesOn) {
  // Every flush to this device fails as a full disk does.
  FILE* full = fopen("/dev/full", "w+b");
  ASSERT_NE(full, nullptr);
  char first[] = "one\n";
  char second[] = "two\n";
  console.typeLine("");  // the pause of the first failure only
  EXPECT_FALSE(writeRecord(RecordMode::Plain, first, 0, full, false));
  EXPECT_FALSE(writeRecord(RecordMode::Plain, second, 0, full, false));
  fclose(full);
  EXPECT_EQ(err(),
            "\n\nWARNING - The XMC file could not be written (is the disk full or removed?).\n"
            "Answers from now on may be missing from it. Tell your instructor at once.\n\n" +
                std::string(PressEnterBanner));
  EXPECT_EQ(attributeOf("WARNING - The XMC file could not be written"), 12);
  EXPECT_EQ(attributeOf(PressEnterBanner), 12);
  EXPECT_TRUE(resultFileIncomplete());
}

TEST_F(RecordWriterTest, SessionOnAFullDiskWarnsOnceAndFinishes) {
  loadExam(DemoHeader, "QUESTIONS\n1. (1 pt) One?\n");
  FILE* full = fopen("/dev/full", "w+b");
  ASSERT_NE(full, nullptr);
  begin();
  console.typeLine("");  // the warning's pause, at the first record
  answer("one");
  console.typeLine("");
  console.typeLine("");
  EXPECT_EQ(runProgram([&] { runExamSession(full, "result.xmc", -2); }), NoExit);
  fclose(full);
  size_t first = err().find("WARNING - The XMC file could not be written");
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(err().find("WARNING - The XMC file could not be written", first + 1), std::string::npos);

  // The final screen says it again, in light red, before the file to turn in, and so
  // does the window.
  const std::string incomplete =
      "\nWARNING - The XMC file below is INCOMPLETE: some of this exam could not be written to "
      "it.\nTell your instructor before you turn it in.\n\n";
  size_t again = out().find(incomplete);
  ASSERT_NE(again, std::string::npos);
  EXPECT_LT(again, out().find("\nTURN IN THIS FILE: \n\n \"result.xmc\".\n\n"));
  EXPECT_EQ(attributeOf(incomplete), 12);
  EXPECT_NE(std::string(State.QuestionText).find(incomplete + "\nTURN IN THIS FILE: "),
            std::string::npos);
}

TEST_F(RecordWriterTest, EchoFormatsPoolsPointsAndAnswerLines) {
  loadExam(DemoHeader,
           "QUESTIONS\n"
           "1. (1 pt) Worth one.\n"
           "&seed\n"
           "{\n"
           "2. (2 pts) In the pool.\n"
           "}\n"
           "3. Parts.\n"
           "  3.a. (1 pt) Part one point.\n"
           "  3.b. (2 pts) Part two points.\n"
           "!not an answer\n"
           "{\n"
           "4. (0.5 pts) Last pool.\n");
  char answer[] = "student answer";
  addAnswer(&State.QuestionSlots[2], answer, 1);
  deriveCipherState(&State.ResultCipherState);
  CipherState start = State.ResultCipherState;
  // A simple question followed by another keeps a line feed at the end of its text.
  FILE* stream = open();
  writeExamEcho(stream);
  std::string file = written();

  std::string line =
      ";Fall 2021;  CS 1234: Intro to Programming: (001) ---> Exam 1:  TimeLimit: 60 minutes  ---  "
      "Version  1.07\r\n\r\n";
  ASSERT_EQ(file.substr(0, line.size()), line);
  EXPECT_EQ(fromHex(file.substr(line.size()), &start),
            "\n\nQUESTIONS:  (5)  Total Points:  (  6.5)\n\n"
            "1. (  1.0 pts) Worth one.\n\n &seed\n\n\n"
            "\n;  ***** OPEN POOL *****  [#1]\n{\n\n"
            "2. (  2.0 pts) In the pool.\n\n &student answer\n\n\n"
            "}\n;  ***** CLOSE POOL *****  [#1]\n\n\n"
            "3. Parts.\n\n"
            "   3.a. (1 pt) Part one point.\n\n"
            "   3.b. (  2.0 pts) Part two points.\n   !not an answer\n\n\n"
            "\n"
            "\n;  ***** OPEN POOL *****  [#2]\n{\n\n"
            "4. (  0.5 pts) Last pool.\n\n"
            "}\n;  ***** CLOSE POOL *****  [#2]\n\n\n");
}

}  // namespace
