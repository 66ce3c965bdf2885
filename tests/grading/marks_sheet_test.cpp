#include "grading/marks_sheet.h"

#include <gtest/gtest.h>

#include "grading/roster.h"

namespace {

TEST(CsvTable, ReadsWhatSpreadsheetsWrite) {
  CsvTable t;
  std::string error;
  ASSERT_TRUE(readCsvTable("\xEF\xBB\xBFidentifier,\"a, \"\"b\"\"\"\r\nx,\"two\nlines\"\n \"q\" ,", &t, &error));
  EXPECT_EQ(t.Separator, ',');
  EXPECT_EQ(t.Rows, (std::vector<std::vector<std::string>>{
                        {"identifier", "a, \"b\""}, {"x", "two\nlines"}, {"q ", ""}}));
  ASSERT_TRUE(readCsvTable("a;b,c;d\r\n1,5;2", &t, &error));
  EXPECT_EQ(t.Separator, ';');
  EXPECT_EQ(t.Rows[1], (std::vector<std::string>{"1,5", "2"}));
  EXPECT_FALSE(readCsvTable("a,b\n1,\"open\n", &t, &error));
  EXPECT_EQ(error, "line 2: a quoted field is never closed");
  EXPECT_EQ(columnLetters(0) + columnLetters(25) + columnLetters(26) + columnLetters(701), "AZAAZZ");
}

TEST(Roster, IdentifiersAndNamesOrEveryProblemByRowAndColumn) {
  CsvTable t;
  std::string error;
  ASSERT_TRUE(readCsvTable("Name,Identifier\n\"Lovelace, Ada\",ABC123\n,,\nkim,kim112\n", &t, &error));
  Roster roster;
  std::vector<std::string> errors;
  ASSERT_TRUE(readRoster(t, &roster, &errors));
  ASSERT_EQ(roster.Students.size(), 2u);
  EXPECT_EQ(roster.Students[0].Identifier, "abc123");
  EXPECT_EQ(roster.Students[0].FirstName, "Ada");
  EXPECT_EQ(roster.Students[1].LastName, "kim");
  EXPECT_EQ(roster.Students[1].Row, 4u);
  ASSERT_TRUE(readCsvTable("id,identifier\n1,abc1234\n2,kim112\n3,KIM112\n", &t, &error));
  EXPECT_FALSE(readRoster(t, &roster, &errors));
  EXPECT_EQ(errors, (std::vector<std::string>{
                        "row 2, column B: \"abc1234\" is not an identifier as students type it "
                        "(three letters, three digits)",
                        "row 4, column B: kim112 is on row 3 already"}));
}

// Items 1 (2 pts, keyed), 2 (3 pts, by hand), 3 (1 pt, by hand); two scored files and one
// that is not.
struct SheetClass {
  ExamKey key;
  ClassScores scores;
  std::vector<SheetFile> files;
  SheetClass() {
    for (auto [number, points] : {std::pair{"1", 2.0}, {"2", 3.0}, {"3", 1.0}}) {
      KeyedItem item;
      item.Number = number;
      item.Points = points;
      key.Items.push_back(item);
    }
    KeyAnswer a;
    a.Text = "yes";
    key.Items[0].Answers.push_back(a);
    scores.Items = 3;
    for (int s = 0; s < 2; ++s) {
      size_t at = scores.addAttempt({});
      scoreAnswers(key, {{true, "no"}, {true, "words"}, {s == 0, "more"}}, scores.marksOf(at));
    }
    files = {{"in/ada.xmc", "abc123", 0, ""}, {"in/kim.xmc", "kim112", 1, ""},
             {"in/cut.xmc", "kim112", -1, "not graded: cut short"}};
  }
  bool take(const std::string& csv, SheetReading* reading, std::vector<std::string>* errors) {
    CsvTable t;
    std::string error;
    EXPECT_TRUE(readCsvTable(csv, &t, &error));
    return takeMarksSheet(t, key, files, &scores, reading, errors);
  }
};

const char* const Head = "student,identifier,file,verdict,1,1 points,2,2 points,3,3 points\n";

TEST(MarksSheet, GradersMarksComeBackInAnyOrderAndForm) {
  SheetClass c;
  SheetReading reading;
  std::vector<std::string> errors;
  // Reordered rows, another folder, ';' and a decimal comma, CR LF, a mark the key gave
  // changed, and a mark for a file not graded.
  std::string sheet = "identifier;file;1 points;2 points;3 points;comments\r\n;;2,0;3,0;1,0\r\n"
                      "KIM112;elsewhere/kim.xmc;0;1,5;;fine\r\nabc123;in/ada.xmc;2;\"3\";0,5;\r\n"
                      "kim112;in/cut.xmc;;2;;\r\n";
  ASSERT_TRUE(c.take(sheet, &reading, &errors)) << errors[0];
  EXPECT_EQ(reading.Taken, 3);
  EXPECT_EQ(totalsOf(c.key, c.scores, 0).score(), 3.5);
  EXPECT_TRUE(totalsOf(c.key, c.scores, 0).complete());
  EXPECT_EQ(totalsOf(c.key, c.scores, 1).score(), 1.5);
  EXPECT_EQ(reading.Notes, (std::vector<std::string>{
                               "row 4, column C (1 points): 2 is not the 0 the key gave: the key's "
                               "mark stands (change the key to change it)",
                               "row 5, column D (2 points): not taken: not graded: cut short"}));
}

TEST(MarksSheet, ASheetWithAnyWrongMarkOrOfAnotherExamIsRefusedWhole) {
  SheetClass c;
  SheetReading reading;
  std::vector<std::string> errors;
  EXPECT_FALSE(c.take(std::string(Head) + ",abc123,in/ada.xmc,,,,,4,,x\n"
                                          ",kim112,in/kim.xmc,,,,,-1,,1\n"
                                          ",xyz999,in/x.xmc,,,,,1,,\n"
                                          ",abc123,in/other.xmc,,,,,1,,\n"
                                          ",abc123,in/ada.xmc,,,,,1,,\n",
                      &reading, &errors));
  EXPECT_EQ(errors, (std::vector<std::string>{
                        "row 2, column H (2 points): 4 is more than the question's 3 points",
                        "row 2, column J (3 points): \"x\" is not a number of points",
                        "row 3, column H (2 points): -1 is below 0",
                        "row 3, column J (3 points): a mark for a question kim112 was not asked",
                        "row 4, column B (identifier): no file read is of xyz999",
                        "row 5, column C (file): no file of abc123 read is other.xmc",
                        "row 6: its file is on row 2 already"}));
  EXPECT_EQ(c.scores.marksOf(1)[1].State, MarkState::ToMark);  // nothing taken

  errors.clear();
  EXPECT_FALSE(c.take("identifier,file,1 points,2 points,4.a points,4.a\n", &reading, &errors));
  EXPECT_EQ(errors, (std::vector<std::string>{
                        "the sheet is not of this exam's questions: it has columns for questions "
                        "the exam text has not (4.a points, 4.a); it has no column 3 points; "
                        "nothing was taken from it"}));
}

}  // namespace
