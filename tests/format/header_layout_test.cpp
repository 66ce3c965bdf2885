#include "format/header_layout.h"

#include <string>
#include <vector>

#include "format/exam_header.h"
#include "support/scripted_test.h"

namespace {

class HeaderLayoutTest : public ScriptedTest {
 protected:
  // True when the header parser takes the line without a word.
  bool accepted(const std::string& header) {
    std::string line = header;
    console.typeLine("");
    bool passed = runProgram([&] { parseExamHeader(line.data()); }) == NoExit;
    console.takeText();
    return passed;
  }
};

HeaderFields exampleFields() {
  return {"Fall 2021", "CS 1234", "Intro to Programming", "001", "Exam 1", "90"};
}

const char* const ExampleHeader =
    ";Fall 2021;  CS 1234: Intro to Programming: (001) ---> Exam 1:  TimeLimit: 90 minutes  ---  "
    "Version 1.07";

// A composed header reads back as its values, at every field's limit, and has nothing
// the diagnosis would point at.
TEST_F(HeaderLayoutTest, ComposedHeaderReadsBackAsItsFields) {
  EXPECT_EQ(composeExamHeader(exampleFields()), ExampleHeader);
  HeaderFields padded = {"  Fall 2021 ", " CS 1234", "Intro to Programming  ", " 001 ",
                         "\tExam 1", " 90 "};
  EXPECT_EQ(composeExamHeader(padded), ExampleHeader);

  HeaderFields longest = {std::string(30, 's'), std::string(14, 'n'), std::string(126, 'c'),
                          std::string(6, '9'),  std::string(30, 'e'), "3000"};
  HeaderFields least = {"", "", "", "", "", "1"};
  for (const HeaderFields& fields : {exampleFields(), longest, least}) {
    EXPECT_EQ(checkHeaderFields(fields, true), "");
    std::string line = composeExamHeader(fields);
    SCOPED_TRACE(line);
    EXPECT_TRUE(diagnoseExamHeader(line).Faults.empty());
    std::string parsed = line;
    ASSERT_EQ(runProgram([&] { parseExamHeader(parsed.data()); }), NoExit) << err();
    EXPECT_EQ(State.Header.Semester, fields.Semester);
    EXPECT_EQ(State.Header.CourseNumber, fields.CourseNumber);
    EXPECT_EQ(State.Header.CourseName, fields.CourseName);
    EXPECT_EQ(State.Header.Section, fields.Section);
    EXPECT_EQ(State.Header.ExamName, fields.ExamName);
    EXPECT_EQ(std::to_string(State.Header.TimeLimit), fields.Minutes);
  }
}

TEST_F(HeaderLayoutTest, FieldsThatCannotMakeAHeaderAreNamedWithTheirLimit) {
  struct Case {
    HeaderFields Fields;
    bool OptionNames;
    std::string Message;
  };
  HeaderFields f = exampleFields();
  auto with = [&](std::string HeaderFields::*field, const std::string& value) {
    HeaderFields changed = f;
    changed.*field = value;
    return changed;
  };
  const Case cases[] = {
      {with(&HeaderFields::Semester, std::string(31, 's')), true,
       "--semester has 31 characters; the header holds at most 30"},
      {with(&HeaderFields::CourseNumber, std::string(15, 'n')), true,
       "--course-number has 15 characters; the header holds at most 14"},
      {with(&HeaderFields::CourseName, std::string(127, 'c')), false,
       "the course name has 127 characters; the header holds at most 126"},
      {with(&HeaderFields::Section, "0012345"), true,
       "--section has 7 characters; the header holds at most 6"},
      {with(&HeaderFields::Semester, "Fall; 2021"), true,
       "--semester may not hold a ';', which closes it in the header"},
      {with(&HeaderFields::Section, "(1)"), true,
       "--section may not hold a ')', which closes it in the header"},
      {with(&HeaderFields::CourseName, "Intro\nto"), true,
       "--course-name may hold only characters that can be typed on one line"},
      {with(&HeaderFields::Minutes, "0"), true,
       "--minutes must be a whole number of minutes from 1 to 3000, not '0'"},
      {with(&HeaderFields::Minutes, "1.5"), true,
       "--minutes must be a whole number of minutes from 1 to 3000, not '1.5'"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(checkHeaderFields(c.Fields, c.OptionNames), c.Message);
}

// Each line departs from the layout in one place. The diagnosis names that place, and
// the values it makes out compose a header the parser reads as the writer meant.
TEST_F(HeaderLayoutTest, DiagnosisPointsAtTheWrongPieceAndRecoversTheValues) {
  struct Case {
    std::string Line;
    size_t Column;
    std::string Problem;
    bool ParserAccepts;  // some departures are read, but not as meant
  };
  const std::string course = "  CS 1234: Intro to Programming: (001) ---> Exam 1:  ";
  const Case cases[] = {
      {";Fall 2021;" + course + "TimeLimit: 90 minutes --- Version 1.07", 86,
       "\" --- \" stands between the unit and \"Version\"; it must be \"  ---  \": two "
       "blanks, three dashes, two blanks",
       false},
      {";Fall 2021;" + course + "TimeLimit: 90  minutes  ---  Version 1.07", 78,
       "one blank, no more and no fewer, separates the minutes from the word \"minutes\"",
       false},
      {";Fall 2021;" + course + "TimeLimit: 90  ---  Version 1.07", 79,
       "the word \"minutes\" follows the number of minutes", false},
      {";Fall 2021;" + course + "timelimit: 90 minutes  ---  Version 1.07", 65,
       "\"TimeLimit\" is written with a capital T and a capital L", false},
      {";Fall 2021;" + course + "TimeLimit: 0 minutes  ---  Version 1.07", 76,
       "the time limit is a whole number of minutes, from 1 to 3000", false},
      {";Fall 2021;" + course + "TimeLimit: 90 minutes  ---  Version 1.08", 101,
       "the version is 1.07, the exam format veritor reads", false},
      {";Fall 2021;" + course + "TimeLimit: 90 minutes", 86,
       "no \"Version 1.07\" follows the time limit", false},
      {";Fall 2021;  CS 1234:Intro to Programming: (001) ---> Exam 1:  TimeLimit: 90 minutes  "
       "---  Version 1.07",
       22, "a blank follows the ':' after the course number (the character there is passed "
           "unread, so the course name would lose its first letter)",
       true},
      {"Fall 2021;" + course + "TimeLimit: 90 minutes  ---  Version 1.07", 1,
       "the header begins with ';' (the first character is passed unread, so 'F' would be "
       "lost)",
       true},
      {";Fall 2021;  CS 1234: Intro to Programming: (001) -> Exam 1:  TimeLimit: 90 minutes  "
       "---  Version 1.07",
       50, "\" ---> \" follows the section's ')': a blank, three dashes, '>' and a blank (these 6 "
           "characters are passed unread)",
       true},
      {";Fall 2021;  CS 1234: Intro to Programming:(001) ---> Exam 1:  TimeLimit: 90 minutes  "
       "---  Version 1.07",
       44, "the '(' of the section follows the course name's ':' and one blank", false},
      {";Fall 2021;  CS 1234: Intro to Programming: (001) ---> Exam 1  TimeLimit: 90 minutes  "
       "---  Version 1.07",
       64, "no ':' closes the exam name before \"TimeLimit\"", false},
      {";" + std::string(31, 's') + ";" + course + "TimeLimit: 90 minutes  ---  Version 1.07",
       32, "the semester has 31 characters; the header holds at most 30", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Line);
    EXPECT_EQ(accepted(c.Line), c.ParserAccepts);
    HeaderDiagnosis diagnosis = diagnoseExamHeader(c.Line);
    ASSERT_EQ(diagnosis.Faults.size(), 1u) << diagnosis.Faults[1].Problem;
    EXPECT_EQ(diagnosis.Faults[0].Column, c.Column);
    EXPECT_EQ(diagnosis.Faults[0].Problem, c.Problem);
    if (c.Problem.find("semester") != std::string::npos || c.Problem.find("time limit is") !=
                                                               std::string::npos)
      continue;  // a value that is itself wrong cannot compose a good header
    EXPECT_EQ(composeExamHeader(diagnosis.Values), ExampleHeader);
  }
}

// Lines cut short, or with a closing character missing or doubled: the last fault names
// what stopped the walk.
TEST_F(HeaderLayoutTest, RefusedLinesAreNeverLeftUnexplained) {
  struct Case {
    std::string Line;
    std::string LastProblem;
  };
  const std::string time = "  TimeLimit: 90 minutes  ---  Version 1.07";
  const Case cases[] = {
      {"", "the header line is empty: the exam text must begin with its header"},
      {"; Exam text for the midterm, header to follow",
       "this line is not a header (it has no \"--->\", \"TimeLimit\" or \"Version\"): the "
       "exam text begins with its header line, unless make is given the header options"},
      {";Fall 2021  CS 1234" + time, "no ';' closes the semester"},
      {";Fall 2021;  CS 1234 Intro" + time, "no ':' closes the course number"},
      {";Fall 2021;  CS 1234: Intro (001) ---> Exam 1" + time, "no ':' closes the course name"},
      {";Fall 2021;  CS 1234: Intro: 001 ---> Exam 1:" + time,
       "no '(' opens the section after the course name's ':'"},
      {";Fall 2021;  CS 1234: Intro: (001 ---> Exam 1:" + time, "no ')' closes the section"},
      {";Fall 2021;  CS 1234: Intro: (001) ---> Exam: 1:" + time,
       "only blanks stand between the exam name's ':' and \"TimeLimit\" (an exam "
       "name cannot hold a ':')"},
      {";Fall 2021;  CS 1234: Intro: (001) ---> Exam 1:",
       "no \"TimeLimit: MINUTES minutes\" follows the exam name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Line);
    EXPECT_FALSE(accepted(c.Line));
    HeaderDiagnosis diagnosis = diagnoseExamHeader(c.Line);
    ASSERT_FALSE(diagnosis.Faults.empty());
    EXPECT_EQ(diagnosis.Faults.back().Problem, c.LastProblem);
  }
}

// Lines veritor reads, but with other values than written: each difference is named,
// and would make make refuse the line. A departure that changes no value names none.
TEST_F(HeaderLayoutTest, ValuesReadOtherwiseThanWrittenAreNamed) {
  struct Case {
    std::string Line;
    std::vector<std::string> Differences;
  };
  const std::string tail = ":  TimeLimit: 30 minutes  ---  Version 1.07";
  const Case cases[] = {
      {";Fall 2026;  CS 101: Intro: (002) -> Midterm 1" + tail,
       {"veritor would read the exam name as \"dterm 1\", not \"Midterm 1\""}},
      {";Fall 2026;  CS 101: Intro: (002) ---> Midterm 1:  TimeLimit: 2.5 minutes  ---  "
       "Version 1.07",
       {"veritor would read the time limit as 2 minutes, not 2.5"}},
      {";Fall 2026;  CS 101:Intro: (002) ---> Midterm 1" + tail,
       {"veritor would read the course name as \"ntro\", not \"Intro\""}},
      {"Fall 2026;  CS 101: Intro: (002) ---> Midterm 1" + tail,
       {"veritor would read the semester as \"all 2026\", not \"Fall 2026\""}},
      // The character after "TimeLimit" is passed unread: a '=' there changes nothing.
      {";Fall 2026;  CS 101: Intro: (002) ---> Midterm 1:  TimeLimit= 30 minutes  ---  "
       "Version 1.07",
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Line);
    ASSERT_TRUE(accepted(c.Line));
    std::string line = c.Line;
    ASSERT_EQ(runProgram([&] { parseExamHeader(line.data()); }), NoExit);
    HeaderDiagnosis diagnosis = diagnoseExamHeader(c.Line);
    EXPECT_FALSE(diagnosis.Faults.empty());
    EXPECT_EQ(valuesReadOtherwise(diagnosis, State.Header), c.Differences);
  }
  // "2.5" is not taken for a time limit the line could be mended with.
  HeaderDiagnosis fraction = diagnoseExamHeader(cases[1].Line);
  ASSERT_EQ(fraction.Faults.size(), 1u);
  EXPECT_EQ(fraction.Faults[0].Column, 63u);
  EXPECT_EQ(fraction.Faults[0].Problem,
            "the time limit is a whole number of minutes, from 1 to 3000");
  EXPECT_EQ(fraction.WrittenMinutes, "2.5");
  EXPECT_EQ(fraction.Values.Minutes, "");
}

// "Time Limit" in two words is found where it stands, and the minutes after it are kept
// for the mended line.
TEST_F(HeaderLayoutTest, TimeLimitInTwoWordsIsPointedAt) {
  const std::string line =
      ";Fall 2026;  CS 101: Intro: (001) ---> Exam 1:  Time Limit: 30 minutes  ---  Version 1.07";
  EXPECT_FALSE(accepted(line));
  HeaderDiagnosis diagnosis = diagnoseExamHeader(line);
  ASSERT_EQ(diagnosis.Faults.size(), 1u);
  EXPECT_EQ(diagnosis.Faults[0].Column, 49u);
  EXPECT_EQ(diagnosis.Faults[0].Problem,
            "\"TimeLimit\" is one word, written with a capital T and a capital L");
  EXPECT_EQ(composeExamHeader(diagnosis.Values),
            ";Fall 2026;  CS 101: Intro: (001) ---> Exam 1:  TimeLimit: 30 minutes  ---  "
            "Version 1.07");
}

TEST_F(HeaderLayoutTest, HeaderLinesAreToldFromNotes) {
  EXPECT_TRUE(looksLikeExamHeader(ExampleHeader));
  EXPECT_TRUE(looksLikeExamHeader(";F;C: N: (1) -> E:  Time Limit: 1 minutes  ---  version"));
  EXPECT_TRUE(looksLikeExamHeader("Fall 2021 ---> Exam 1: TimeLimit: 90"));
  EXPECT_FALSE(looksLikeExamHeader("Notes: version 2 of the quiz, for the evening section"));
  EXPECT_FALSE(looksLikeExamHeader("QUESTIONS 10"));
  EXPECT_FALSE(looksLikeExamHeader(""));
}

}  // namespace
