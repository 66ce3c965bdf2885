#include "grading/integrity_flags.h"

#include <gtest/gtest.h>

namespace {

// Items 0..5 keyed "right" (1 pt each), item 6 marked by hand.
struct FlagClass {
  ExamKey key;
  ClassScores scores;
  std::vector<std::vector<std::string>> answers;

  FlagClass() {
    for (int i = 0; i < 7; ++i) {
      KeyedItem item;
      item.Number = std::to_string(i + 1);
      item.Points = 1;
      if (i < 6) {
        KeyAnswer right;
        right.Text = "right";
        item.Answers.push_back(right);
      }
      key.Items.push_back(item);
    }
    scores.Items = key.Items.size();
  }
  void student(std::vector<std::string> given, bool graded = true) {
    size_t a = scores.addAttempt({});
    scores.Attempts[a].Graded = graded;
    std::vector<ItemAnswer> items;
    for (const std::string& g : given)
      items.push_back({true, g});
    answers.push_back(given);
    scoreAnswers(key, items, scores.marksOf(a));
  }
  std::vector<SharedAnswers> flagged() {
    return findSharedAnswers(key, scores, [&](size_t a, size_t i) -> std::string_view {
      return answers[a][i];
    });
  }
};

const std::string Essay = "A long essay answer, shared word for word";

TEST(IntegrityFlags, PairsShareRareWrongOrLongAnswersNeverRightOrCommonOnes) {
  FlagClass c;
  c.student({"right", "w1", "w2", "right", "common", "x", "short"});          // 0
  c.student({"right", "W1", " w2 ", "right", "common", "y", "short"});        // 1: 2 with 0
  c.student({"right", "w1", "right", "w3", "common", "z", Essay});            // 2
  c.student({"right", "w1 ", "q", "W3", "common", "p", "  " + Essay + " "});  // 3: 3 with 2
  c.student({"right", "a", "b", "right", "common", "r", "short"});            // 4
  c.student({"right", "c", "d", "right", "common", "s", "short"});            // 5
  c.student({"right", "w1", "w2", "w3", "v", "x", Essay}, false);             // not graded
  // "right" is right (never counted); "common" is wrong but given by six; "w1" by four of
  // the graded. 0 and 1 share w1 and w2 only; 2 and 3 share w1, w3 and the essay.
  std::vector<SharedAnswers> flagged = c.flagged();
  ASSERT_EQ(flagged.size(), 1u);
  EXPECT_EQ(flagged[0].First, 2u);
  EXPECT_EQ(flagged[0].Second, 3u);
  EXPECT_EQ(flagged[0].Items, (std::vector<uint32_t>{1, 3, 6}));

  // Two more graded "w1" make it common (six): the pair drops below three.
  c.student({"right", "w1", "e", "right", "f", "g", "short"});
  EXPECT_EQ(c.flagged().size(), 1u);
  c.student({"right", "w1", "h", "right", "i", "j", "short"});
  EXPECT_TRUE(c.flagged().empty());
}

TEST(IntegrityFlags, EveryPairOfALargeClassIsFoundThroughItsAnswers) {
  // Pairs that share four rare wrong answers, and one answer all of them gave: each pair
  // once, with its questions, and no pair of the common answer.
  FlagClass c;
  for (int s = 0; s < 4000; ++s) {
    std::string mine = std::to_string(s / 2);
    c.student({"right", "a" + mine, "b" + mine, "c" + mine, "d" + mine, "common", "short"});
  }
  std::vector<SharedAnswers> flagged = c.flagged();
  ASSERT_EQ(flagged.size(), 2000u);
  EXPECT_EQ(flagged[1234].First + 1, flagged[1234].Second);
  EXPECT_EQ(flagged[1234].Items, (std::vector<uint32_t>{1, 2, 3, 4}));
}

TEST(IntegrityFlags, FileFlagsSayWhyTheyWereRaised) {
  int64_t median = 0, start = 0;
  ASSERT_TRUE(readStampSeconds("2026/03/02 13:00:00", &median));
  SittingWindow window;
  std::string error;
  ASSERT_TRUE(readSittingWindow("2026/03/02", "2026/03/03", &window, &error));
  EXPECT_FALSE(readSittingWindow("2026/02/30", "2026/03/03", &window, &error));
  EXPECT_EQ(error, "'2026/02/30' is not a date of the form YYYY/MM/DD or YYYY/MM/DD::HH:MM:SS");
  EXPECT_FALSE(readSittingWindow("2026/03/03", "2026/03/02::10:00:00", &window, &error));
  ClassContext context{&window, true, median};

  FileFacts file;
  file.HasStart = true;
  ASSERT_TRUE(readStampSeconds("2026/02/28 10:00:00", &file.Start));
  file.Identifier = "gar101";
  file.NameIdentifier = "kim112";
  file.HasExamCount = true;
  file.ExamCount = 2;
  file.OffRoster = true;
  EXPECT_EQ(fileFlags(file, context),
            (std::vector<std::string>{
                "started 2026/02/28 10:00:00, outside the dates the exam was sat (2026/03/02 to "
                "2026/03/03)",
                "started 2 days 3:00:00 before the class's median start (2026/03/02 13:00:00): "
                "more than a day apart",
                "its file name carries the identifier kim112, the file inside is written for gar101",
                "exam count 2: the student's copy of the exam had been opened 2 times, this "
                "session included",
                "the identifier gar101 is not on the roster"}));
  // The last second of the window's last day, and a day from the median exactly: nothing.
  FileFacts inside;
  inside.HasStart = true;
  ASSERT_TRUE(readStampSeconds("2026/03/03 13:00:00", &inside.Start));
  window.To = inside.Start;
  EXPECT_TRUE(fileFlags(inside, context).empty());
  EXPECT_FALSE(readStampSeconds("2026/02/29 10:00:00", &start));  // not a leap year
  ASSERT_TRUE(medianStart({30, 10, 20, 40}, &start));
  EXPECT_EQ(start, 20);
}

}  // namespace
