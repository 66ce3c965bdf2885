#include "grading/class_scores.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

// 1 (2 pts, keyed c), 2 (3 pts, by hand), 3.a (1 pt, 2 +- 0.5), 3.b (4 pts, pool 1).
ExamKey smallKey() {
  ExamKey key;
  auto add = [&](const char* number, double points, const char* keyLine, int pool = 0,
                 const char* letters = "") {
    KeyedItem item;
    item.Number = number;
    item.Points = points;
    item.Pool = pool;
    item.Choice = *letters != '\0';
    item.Letters = letters;
    if (keyLine) {
      KeyAnswer answer;
      std::string error;
      EXPECT_TRUE(parseKeyLine(keyLine, &answer, &error));
      item.Answers.push_back(answer);
    }
    key.Items.push_back(item);
  };
  add("1", 2, "= c", 0, "abc");
  add("2", 3, nullptr);
  add("3.a", 1, "= 2 +- 0.5");
  add("3.b", 4, "= 50% *x*", 1);
  return key;
}

size_t attemptOf(const ExamKey& key, ClassScores* scores, const char* id, int64_t start,
                 std::vector<ItemAnswer> answers) {
  Attempt attempt;
  attempt.File = static_cast<uint32_t>(scores->Attempts.size());
  attempt.Identifier = id;
  attempt.Start = start;
  size_t a = scores->addAttempt(attempt);
  scoreAnswers(key, answers, scores->marksOf(a));
  return a;
}

TEST(ClassScores, EachAnswerIsScoredLeftToAGraderOrNotAsked) {
  ExamKey key = smallKey();
  ClassScores scores;
  scores.Items = key.Items.size();
  size_t a = attemptOf(key, &scores, "abc123", 0,
                       {{true, "C)"}, {true, "because"}, {true, "2.5"}, {true, "a x b"}});
  size_t b = attemptOf(key, &scores, "abc124", 0, {{true, "b. 4"}, {true, ""}, {false, ""}, {true, "y"}});
  const Mark* ma = scores.marksOf(a);
  EXPECT_EQ(ma[0].State, MarkState::Key);
  EXPECT_EQ(ma[0].Points, 2);
  EXPECT_EQ(ma[0].Letter, 'c');
  EXPECT_EQ(ma[1].State, MarkState::ToMark);
  EXPECT_EQ(ma[2].Points, 1);
  EXPECT_EQ(ma[3].Points, 2);  // half of 4
  AttemptTotals ta = totalsOf(key, scores, a);
  EXPECT_EQ(ta.Key, 5);
  EXPECT_EQ(ta.ToMark, 3);
  EXPECT_EQ(ta.Max, 10);
  EXPECT_FALSE(ta.complete());

  const Mark* mb = scores.marksOf(b);
  EXPECT_EQ(mb[0].State, MarkState::ToMark);  // the key cannot tell "b. 4"
  EXPECT_EQ(mb[1].State, MarkState::NoAnswer);
  EXPECT_EQ(mb[2].State, MarkState::NotAsked);
  AttemptTotals tb = totalsOf(key, scores, b);
  EXPECT_EQ(tb.Max, 9);  // 3.a was not asked
  EXPECT_EQ(tb.score(), 0);
  EXPECT_EQ(tb.ToMark, 2);
  EXPECT_EQ(formatPoints(2.5), "2.5");
  EXPECT_EQ(formatPoints(3), "3");
  EXPECT_EQ(formatPoints(1.0 / 3), "0.33");
}

TEST(ClassScores, ASessionEndedEarlyIsPlacedByTheExamsStructure) {
  // 1 (2), 2.a and 2.b (1 each), 3 and 4 (2 each, a pool), 5 (3): five entries a session.
  ExamKey key;
  for (auto [number, points, pool] : {std::tuple{"1", 2.0, 0}, {"2.a", 1.0, 0}, {"2.b", 1.0, 0},
                                      {"3", 2.0, 1}, {"4", 2.0, 1}, {"5", 3.0, 0}}) {
    KeyedItem item;
    item.Number = number;
    item.Points = points;
    item.Pool = pool;
    key.Items.push_back(item);
  }
  auto asked = [](const SessionItems& s) {
    std::string out;
    for (bool a : s.Asked)
      out += a ? "A" : "-";
    return out;
  };
  SessionItems all = placeSession(key, {true, true, true, false, true, true}, 5);
  EXPECT_EQ(asked(all), "AAA-AA");
  EXPECT_TRUE(all.MaxKnown);
  // #done after the first question: 2 both parts, 5, and a question of the pool.
  SessionItems early = placeSession(key, {true, false, false, false, false, false}, 5);
  EXPECT_EQ(asked(early), "AAA--A");
  EXPECT_EQ(early.UnplacedMax, 2);
  EXPECT_TRUE(early.MaxKnown);
  // A part presented brings its sibling; a question limit of three entries leaves 5 or
  // the pool out, which the file cannot tell.
  EXPECT_EQ(asked(placeSession(key, {false, false, true, true, false, true}, 5)), "AAAA-A");
  EXPECT_FALSE(placeSession(key, {true, false, false, false, false, false}, 3).MaxKnown);
  // Without a summary, only a session that presented everything is placed.
  EXPECT_TRUE(placeSession(key, {true, true, true, false, true, true}, -1).MaxKnown);
  EXPECT_FALSE(placeSession(key, {true, true, true, false, true, false}, -1).MaxKnown);
}

TEST(ClassScores, OneAttemptOfEachIdentifierIsGradedByTheRule) {
  ExamKey key = smallKey();
  auto graded = [&](AttemptRule rule) {
    ClassScores scores;
    scores.Items = key.Items.size();
    std::vector<ItemAnswer> right = {{true, "c"}, {true, ""}, {true, "2"}, {true, "x"}};
    std::vector<ItemAnswer> wrong = {{true, "a"}, {true, ""}, {true, "9"}, {true, "q"}};
    attemptOf(key, &scores, "abc123", 300, wrong);  // 0: the last start
    attemptOf(key, &scores, "abc123", 100, right);  // 1: the first, and the best
    attemptOf(key, &scores, "abc123", 200, right);  // 2: as good, later
    attemptOf(key, &scores, "xyz999", 50, wrong);   // 3: alone
    chooseAttempts(key, rule, &scores);
    std::string out;
    for (const Attempt& a : scores.Attempts)
      out += a.Graded ? "G" : "-";
    EXPECT_EQ(scores.Attempts[3].NotGraded, "");
    return std::make_pair(out, scores.Attempts[out[0] == 'G' ? 1 : 0].NotGraded);
  };
  EXPECT_EQ(graded(AttemptRule::Last),
            std::make_pair(std::string("G--G"),
                           std::string("not graded: a later attempt of abc123 is (--attempt last)")));
  EXPECT_EQ(graded(AttemptRule::First).first, "-G-G");
  EXPECT_EQ(graded(AttemptRule::Best),
            std::make_pair(std::string("--GG"),
                           std::string("not graded: another attempt of abc123 scored a larger "
                                       "share (--attempt best)")));
  AttemptRule rule;
  EXPECT_TRUE(readAttemptRule("best", &rule));
  EXPECT_FALSE(readAttemptRule("Last", &rule));
}

}  // namespace
