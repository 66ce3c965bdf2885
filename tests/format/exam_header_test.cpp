#include "format/exam_header.h"

#include <string>

#include "console/console.h"
#include "support/scripted_test.h"

namespace {

class ExamHeaderTest : public ScriptedTest {
 protected:
  // Parses a header that must be accepted.
  void parse(const std::string& header) {
    std::string line = header;
    EXPECT_EQ(runProgram([&] { parseExamHeader(line.data()); }), NoExit) << header;
    EXPECT_EQ(console.takeText(), "") << header;
  }
  // Parses a header that must be refused; returns what was written.
  std::string refuse(const std::string& header) {
    std::string line = header;
    console.takeText();
    console.typeLine("");
    EXPECT_EQ(runProgram([&] { parseExamHeader(line.data()); }), -1) << header;
    return console.takeText();
  }
  static std::string syntaxError(const std::string& line, const std::string& message) {
    return "LineNumber: 0 --> Syntax Error - line=\"" + line + "\"\n\n" + message + "\n" +
           PressEnterBanner;
  }
};

const char* const ExampleHeader =
    ";Fall 2021;  CS 1234: Intro to Programming: (001) ---> Exam 1:  TimeLimit: 90 minutes  ---  "
    "Version 1.07";

// A header with the given fields, in the layout the exam-preparing side writes.
std::string header(const std::string& semester, const std::string& number,
                   const std::string& name, const std::string& section, const std::string& exam,
                   const std::string& minutes = "90") {
  return ";" + semester + ";  " + number + ": " + name + ": (" + section + ") ---> " + exam +
         ":  TimeLimit: " + minutes + " minutes  ---  Version 1.07\n";
}

TEST_F(ExamHeaderTest, ExampleHeaderFillsEveryFieldAndTimeMark) {
  State.LineNumber = 12;
  parse(ExampleHeader);
  const ExamHeader& h = State.Header;
  EXPECT_STREQ(h.Semester, "Fall 2021");
  EXPECT_STREQ(h.CourseNumber, "CS 1234");
  EXPECT_STREQ(h.CourseName, "Intro to Programming");
  EXPECT_STREQ(h.Section, "001");
  EXPECT_STREQ(h.ExamName, "Exam 1");
  EXPECT_EQ(h.TimeLimit, 90u);
  EXPECT_EQ(h.Version, 1.07f);
  EXPECT_EQ(State.TimeLimitSeconds, 5400u);
  EXPECT_EQ(State.Warn50Seconds, 2700u);
  EXPECT_EQ(State.Warn75Seconds, 4050u);
  EXPECT_EQ(State.Warn90Seconds, 4860u);
  EXPECT_EQ(State.LineNumber, 0);
}

TEST_F(ExamHeaderTest, MinimalHeaderAndUnexaminedCharacters) {
  parse(";F;C: N: (1) ---> E: TimeLimit: 1 minutes  ---  Version 1.07");
  EXPECT_STREQ(State.Header.Semester, "F");
  EXPECT_STREQ(State.Header.CourseNumber, "C");
  EXPECT_STREQ(State.Header.CourseName, "N");
  EXPECT_STREQ(State.Header.Section, "1");
  EXPECT_STREQ(State.Header.ExamName, "E");
  EXPECT_EQ(State.TimeLimitSeconds, 60u);

  // The lead character, the one after each ':' and the separators are passed unseen.
  parse("XF;C:xN:x(1)xxxxxxE:TimeLimitx1 minutes xxxxxxVersion1.00\r\n");
  EXPECT_STREQ(State.Header.Semester, "F");
  EXPECT_STREQ(State.Header.CourseName, "N");
  EXPECT_EQ(State.Header.Version, 1.0f);

  parse(";F;CS 1234:Intro: (1) ---> E: TimeLimit: 1 minutes  ---  Version 1.07");
  EXPECT_STREQ(State.Header.CourseName, "ntro");
  // The '(' may stand up to five characters after the one past the ':'.
  parse(";F;C: N:     (12) ---> E: TimeLimit: 1 minutes  ---  Version 1.07");
  EXPECT_STREQ(State.Header.Section, "12");
}

TEST_F(ExamHeaderTest, EachFieldAtItsLimitAndOnePast) {
  std::string s30(30, 's'), n14(14, 'n'), c126(126, 'c'), x6(6, 'x'), e30(30, 'e');
  parse(header(s30, n14, c126, x6, e30));
  EXPECT_EQ(State.Header.Semester, s30);
  EXPECT_EQ(State.Header.CourseNumber, n14);
  EXPECT_EQ(State.Header.CourseName, c126);
  EXPECT_EQ(State.Header.Section, x6);
  EXPECT_EQ(State.Header.ExamName, e30);

  struct Case {
    std::string Line;
    const char* Message;
  } cases[] = {
      {header(s30 + "s", "N", "C", "1", "E"),
       "Error - Semicolon not found after semester, corrupted file.\n\n"},
      {header("S", n14 + "n", "C", "1", "E"),
       "Error - Colon not found after course number, corrupted file.\n\n"},
      {header("S", "N", c126 + "c", "1", "E"),
       "Error - Colon not found after course name, corrupted file.\n\n"},
      {header("S", "N", "C", x6 + "x", "E"),
       "Close paren not found after course section, corrupted file.\n\n"},
      {header("S", "N", "C", "1", e30 + "e"),
       "Error - Colon not found after exam name, corrupted file.\n\n"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(refuse(c.Line), syntaxError(c.Line, c.Message));
}

TEST_F(ExamHeaderTest, RefusedHeadersShowTheLineAndTheirMessage) {
  const char* semicolon = "Error - Semicolon not found after semester, corrupted file.\n\n";
  const char* timeLimit = "TimeLimit not found - corrupted file\n\n";
  const char* version = "Version not found - old file?\n\n";
  struct Case {
    const char* Name;
    const char* Line;
    const char* Message;
  } cases[] = {
      // Headers cut short stop at their end, with the message of the field they were reading.
      {"empty", "", semicolon},
      {"lead only", ";", semicolon},
      {"cut after number", ";F;C:",
       "Error - Colon not found after course name, corrupted file.\n\n"},
      {"cut after name", ";F;C: N:",
       "Close paren not found after course section, corrupted file.\n\n"},
      {"cut in section", ";F;C: N:  ( 1",
       "Close paren not found after course section, corrupted file.\n\n"},
      {"cut after section", ";F;C: N: (1)",
       "Error - Colon not found after exam name, corrupted file.\n\n"},
      {"cut after exam", ";F;C: N: (1) ---> E:", timeLimit},
      {"cut after keyword", ";F;C: N: (1) ---> E: TimeLimit",
       "TimeLimit is less than 1 minute OR > 50 hours.\n\n"},
      {"cut after minutes", ";F;C: N: (1) ---> E: TimeLimit: 5", version},
      {"cut in unit", ";F;C: N: (1) ---> E: TimeLimit: 5 min", version},
      // Keywords are matched exactly, and so are the blanks and dashes between them.
      {"lower-case TimeLimit", ";F;C: N: (1) ---> E: timelimit: 1 minutes  ---  Version 1.07",
       timeLimit},
      {"one blank before dashes", ";F;C: N: (1) ---> E: TimeLimit: 1 minutes ---  Version 1.07",
       version},
      {"three blanks before dashes",
       ";F;C: N: (1) ---> E: TimeLimit: 1 minutes   ---  Version 1.07",
       version},
      {"two blanks before unit", ";F;C: N: (1) ---> E: TimeLimit: 1  minutes  ---  Version 1.07",
       version},
      {"lower-case Version", ";F;C: N: (1) ---> E: TimeLimit: 1 minutes  ---  version 1.07",
       version},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(refuse(c.Line), syntaxError(c.Line, c.Message));
  }
}

TEST_F(ExamHeaderTest, TimeLimitRange) {
  parse(header("S", "N", "C", "1", "E", "3000"));
  EXPECT_EQ(State.Header.TimeLimit, 3000u);
  EXPECT_EQ(State.TimeLimitSeconds, 180000u);

  const char* range = "TimeLimit is less than 1 minute OR > 50 hours.\n\n";
  for (const char* minutes : {"3001", "0", "-5", "x", "99999999999"}) {
    SCOPED_TRACE(minutes);
    std::string line = header("S", "N", "C", "1", "E", minutes);
    EXPECT_EQ(refuse(line), syntaxError(line, range));
  }
  EXPECT_EQ(State.Header.TimeLimit, 2147483647u);  // a number beyond int reads as the largest

  std::string negative = header("S", "N", "C", "1", "E", "-5");
  refuse(negative);
  EXPECT_EQ(State.Header.TimeLimit, 4294967291u);  // -5 taken as unsigned
}

TEST_F(ExamHeaderTest, VersionsUpTo107PassNewerAreRefused) {
  parse(";F;C: N: (1) ---> E: TimeLimit: 1 minutes  ---  Version   1.07 and more");
  EXPECT_EQ(State.Header.Version, 1.07f);
  parse(";F;C: N: (1) ---> E: TimeLimit: 1 minutes  ---  Version 1.00");
  EXPECT_EQ(State.Header.Version, 1.0f);

  std::string newer = ";F;C: N: (1) ---> E: TimeLimit: 1 minutes  ---  Version 1.08";
  EXPECT_EQ(refuse(newer),
            "Error! The exam version ( 1.08) is newer than the software's compatible version "
            "( 1.07) so it will not work.\n\nGet updated software.\n\n");
  EXPECT_EQ(attributeOf("Get updated software."), 12);

  std::string huge = ";F;C: N: (1) ---> E: TimeLimit: 1 minutes  ---  Version 1e300";
  EXPECT_EQ(refuse(huge),
            "Error! The exam version (  inf) is newer than the software's compatible version "
            "( 1.07) so it will not work.\n\nGet updated software.\n\n");
}

TEST_F(ExamHeaderTest, SyntaxErrorsShowLineNumberLineAndMessage) {
  State.LineNumber = 7;
  console.typeLine("");
  EXPECT_EQ(runProgram([] { reportSyntaxError("2. bad", "Some message.\n"); }), -1);
  EXPECT_EQ(err(), std::string("LineNumber: 7 --> Syntax Error - line=\"2. bad\"\n\nSome "
                               "message.\n\n") +
                       PressEnterBanner);
  EXPECT_EQ(out(), "");
}

}  // namespace
