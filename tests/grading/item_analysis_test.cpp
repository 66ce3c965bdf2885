// The figures against values worked out by hand (and with a spreadsheet's CORREL and
// VAR.P) for a small class.
#include "grading/item_analysis.h"

#include <gtest/gtest.h>

#include <cmath>

#include "grading/statistics.h"

namespace {

TEST(Statistics, TextbookFiguresAndWhereTheyAreNotDefined) {
  EXPECT_DOUBLE_EQ(medianOf({5, 1, 3}), 3);
  EXPECT_DOUBLE_EQ(medianOf({4, 1, 3, 2}), 2.5);
  EXPECT_DOUBLE_EQ(populationVariance({2, 4, 4, 4, 5, 5, 7, 9}), 4);
  double r = 0;
  ASSERT_TRUE(pearsonCorrelation({1, 2, 3, 4}, {2, 4, 5, 9}, &r));
  EXPECT_NEAR(r, 11 / std::sqrt(130), 1e-12);  // sxy 11, sxx 5, syy 26
  EXPECT_FALSE(pearsonCorrelation({1, 1, 1}, {1, 2, 3}, &r));
  EXPECT_FALSE(pearsonCorrelation({0.1 + 0.2, 0.3, 0.3}, {1, 2, 3}, &r));  // rounding is no variance
  EXPECT_FALSE(pearsonCorrelation({1}, {2}, &r));
  double alpha = 0;
  // Parts 1,1,0,0 / 1,0,1,0 / 1,1,1,0: variances .25,.25,.1875; totals 3,2,2,0 var 1.1875.
  ASSERT_TRUE(cronbachAlpha({{1, 1, 0, 0}, {1, 0, 1, 0}, {1, 1, 1, 0}}, &alpha));
  EXPECT_NEAR(alpha, 1.5 * (1 - 0.6875 / 1.1875), 1e-12);
  EXPECT_FALSE(cronbachAlpha({{1, 2}}, &alpha));
  EXPECT_FALSE(cronbachAlpha({{1, 1}, {2, 2}}, &alpha));
}

// Items: 1 (1 pt, choice abcd keyed b), 2 and 3 (2 pts each, one pool), 4 (1 pt, by hand).
TEST(ItemAnalysis, FiguresOverGradedAttemptsPoolsAsOnePartUnmarkedLeftOut) {
  ExamKey key;
  key.Items.resize(4);
  key.Items[0] = {"1", 1, true, "abcd", 0, {}, 0};
  KeyAnswer b;
  b.Text = "b";
  key.Items[0].Answers.push_back(b);
  key.Items[1] = {"2", 2, false, "", 1, {b}, 0};
  key.Items[2] = {"3", 2, false, "", 1, {b}, 0};
  key.Items[3] = {"4", 1, false, "", 0, {}, 0};
  ClassScores scores;
  scores.Items = 4;
  auto student = [&](char letter, float q1, int pooled, float pool, bool graded = true) {
    size_t a = scores.addAttempt({});
    scores.Attempts[a].Graded = graded;
    Mark* m = scores.marksOf(a);
    m[0] = {q1, MarkState::Key, letter};
    m[pooled] = {pool, MarkState::Key, 0};
    m[3] = {0, MarkState::ToMark, 0};
  };
  student('b', 1, 1, 2);
  student('b', 1, 2, 1);
  student('a', 0, 1, 2);
  student('c', 0, 2, 0);
  student('b', 1, 1, 0, false);  // another attempt: counts nowhere

  ClassFigures f = analyzeItems(key, scores);
  const ItemFigures& q1 = f.Items[0];
  EXPECT_EQ(q1.Asked, 4);
  EXPECT_DOUBLE_EQ(q1.Facility, 0.5);
  // Item 1 against the rest (the pool): x 1,1,0,0 y 2,1,2,0 -> r = 0.3015.
  ASSERT_TRUE(q1.HasDiscrimination);
  EXPECT_NEAR(q1.Discrimination, 0.3015, 1e-4);
  EXPECT_EQ(q1.Chosen, (std::vector<int>{1, 2, 1, 0}));
  EXPECT_EQ(q1.KeyedLetters, "b");
  EXPECT_EQ(q1.Hints, (std::vector<std::string>{"asked of 4 students only: too few to judge it by"}));
  EXPECT_EQ(f.Items[1].Asked, 2);
  EXPECT_DOUBLE_EQ(f.Items[1].Mean, 2);
  EXPECT_FALSE(f.Items[1].HasDiscrimination);  // both scored 2
  EXPECT_EQ(f.Items[1].Note, "every student asked scored the same on it: no discrimination");
  EXPECT_EQ(f.Items[3].Note, "4 of 4 still to mark: mean and facility over the 0 marked, no "
                             "discrimination until every mark is given");

  const TestFigures& t = f.Test;
  EXPECT_EQ(t.Graded, 4);
  EXPECT_EQ(t.Unmarked, std::vector<size_t>{3});
  EXPECT_DOUBLE_EQ(t.Mean, 7.0 / 4);  // totals 3, 2, 2, 0
  EXPECT_DOUBLE_EQ(t.Median, 2);
  EXPECT_NEAR(t.Deviation, std::sqrt(1.1875), 1e-12);
  // Two parts: item 1, and the pool; parts 1,1,0,0 and 2,1,2,0.
  ASSERT_TRUE(t.HasAlpha);
  EXPECT_EQ(t.AlphaParts, 2);
  EXPECT_NEAR(t.Alpha, 2 * (1 - (0.25 + 0.6875) / 1.1875), 1e-12);
  EXPECT_EQ(t.HistogramToMark, 4);
  std::vector<std::vector<std::string>> table = itemTable(key, f);
  EXPECT_EQ(table[0], (std::vector<std::string>{"question", "points", "asked", "mean", "facility",
                                                "discrimination", "a", "b", "c", "d", "note"}));
  EXPECT_EQ(table[1], (std::vector<std::string>{"1", "1", "4", "0.50", "0.50", "0.30", "1", "2", "1",
                                                "0", "keyed: b; asked of 4 students only: too few "
                                                "to judge it by"}));
  EXPECT_EQ(table[2][6], "");  // no letters for a question without choices
  std::vector<FigureLine> lines = testFigureLines(key, t);
  EXPECT_EQ(lines[1].Value, "1.75");
  EXPECT_NE(lines[1].How.find("left out until their marks are given: 4"), std::string::npos);
}

TEST(ItemAnalysis, HintsWhereAQuestionLooksWrong) {
  // 0: choice abcd keyed a, got right only by a student who missed 1; 1: plain; 2: all right.
  ExamKey key;
  KeyAnswer a;
  a.Text = "a";
  key.Items = {{"1", 1, true, "abcd", 0, {a}, 0}, {"2", 1, false, "", 0, {}, 0}, {"3", 1, false, "", 0, {}, 0}};
  ClassScores scores;
  scores.Items = 3;
  const char letters[] = "bbcabb";
  const float second[] = {1, 1, 1, 0, 1, 0};
  for (int s = 0; s < 6; ++s) {
    size_t at = scores.addAttempt({});
    scores.Attempts[at].Graded = true;
    Mark* m = scores.marksOf(at);
    m[0] = {letters[s] == 'a' ? 1.0f : 0.0f, MarkState::Key, letters[s]};
    m[1] = {second[s], MarkState::Grader, 0};
    m[2] = {1, MarkState::Key, 0};
  }
  ClassFigures f = analyzeItems(key, scores);
  EXPECT_LT(f.Items[0].Discrimination, 0);
  EXPECT_EQ(f.Items[0].Hints,
            (std::vector<std::string>{"students with a higher total on the rest of the test scored "
                                      "lower on it (negative discrimination): check the key and the "
                                      "wording",
                                      "nobody chose d: a distractor that draws no one"}));
  EXPECT_EQ(f.Items[2].Hints, (std::vector<std::string>{"nearly everybody scored on it (facility "
                                                        "0.90 or more): it tells students apart little"}));
  EXPECT_EQ(f.Items[2].Note, "every student asked scored the same on it: no discrimination");
}

}  // namespace
