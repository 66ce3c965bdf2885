#include "grading/class_roll.h"

#include <gtest/gtest.h>

namespace {

TEST(ClassRoll, EveryStudentOnceWithTheGradedAttemptOrWhyNone) {
  ClassScores scores;
  Attempt graded;
  graded.Identifier = "bab001";
  graded.Graded = true;
  scores.Attempts = {Attempt(), graded};
  scores.Attempts[0].Identifier = "bab001";  // the other attempt
  std::vector<RollFile> files = {{"bab001", "Babbage, Charles", "whole", ""},
                                 {"bab001", "Babbage, Charles", "whole", "0:00:09"},
                                 {"cut123", "Cutter, A", "cut short: the file ends", ""},
                                 {"cut123", "Cutter, A", "damaged: a byte", ""},
                                 {"", "", "cannot be read", ""},
                                 {"off999", "Zed, Off", "of another exam", ""}};
  Roster roster;
  roster.Students = {{"nof111", "Nofile", "Nora", 2}, {"bab001", "Babbage", "C.", 3},
                     {"cut123", "", "", 4}};
  std::vector<RollStudent> roll = makeClassRoll(files, scores, &roster);
  ASSERT_EQ(roll.size(), 4u);
  EXPECT_EQ(roll[0].Identifier, "bab001");
  EXPECT_EQ(roll[0].FirstName, "C.");  // the roster's name comes first
  EXPECT_EQ(roll[0].Attempt, 1);
  EXPECT_EQ(roll[0].Files, (std::vector<size_t>{0, 1}));
  EXPECT_EQ(roll[1].LastName, "Cutter");
  EXPECT_EQ(roll[1].NoGrade, "not graded: damaged: a byte (and 1 other file)");
  EXPECT_EQ(roll[2].NoGrade, "no file handed in");
  EXPECT_TRUE(roll[2].OnRoster);
  EXPECT_EQ(roll[3].Identifier, "off999");
  EXPECT_FALSE(roll[3].OnRoster);
  EXPECT_EQ(roll[3].NoGrade, "not graded: of another exam");

  // One item of 3 points: 2 by the key, and then a second of 1 point left to mark.
  ExamKey key;
  key.Items.resize(1);
  key.Items[0].Points = 3;
  scores.Items = 1;
  scores.Marks = {Mark(), {2, MarkState::Key, 0}};
  scores.Attempts[1].File = 1;
  EXPECT_EQ(gradebookRow(key, scores, files, roll[0]),
            (std::vector<std::string>{"bab001", "Babbage", "C.", "2", "3", "66.67", "0:00:09", "whole"}));
  EXPECT_EQ(gradebookRow(key, scores, files, roll[2]),
            (std::vector<std::string>{"nof111", "Nofile", "Nora", "", "", "", "", "no file handed in"}));
  key.Items.resize(2);
  key.Items[1].Points = 1;
  scores.Items = 2;
  scores.Marks = {Mark(), Mark(), {2, MarkState::Key, 0}, {0, MarkState::ToMark, 0}};
  EXPECT_EQ(gradebookRow(key, scores, files, roll[0]),
            (std::vector<std::string>{"bab001", "Babbage", "C.", "", "4", "", "0:00:09",
                                      "whole; still to mark by hand: 1 point"}));
}

}  // namespace
