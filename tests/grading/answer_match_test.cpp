#include "grading/answer_match.h"

#include <gtest/gtest.h>

namespace {

KeyedItem itemOf(std::vector<const char*> lines, const char* letters = "") {
  KeyedItem item;
  item.Number = "1";
  item.Points = 2;
  item.Choice = *letters != '\0';
  item.Letters = letters;
  for (const char* line : lines) {
    KeyAnswer answer;
    std::string error;
    EXPECT_TRUE(parseKeyLine(line, &answer, &error)) << line << ": " << error;
    item.Answers.push_back(answer);
  }
  return item;
}

struct Case {
  const char* Answer;
  bool Decided;
  int Percent;
};

void expectMarks(const KeyedItem& item, std::vector<Case> cases) {
  for (const Case& c : cases) {
    KeyMark mark = markWithKey(item, c.Answer);
    EXPECT_EQ(mark.Decided, c.Decided) << '"' << c.Answer << '"';
    EXPECT_EQ(mark.Percent, c.Percent) << '"' << c.Answer << '"';
  }
}

TEST(AnswerMatch, TextKeysIgnoreCaseAndBlanksAndTakeWildcards) {
  EXPECT_EQ(normalizedAnswer("  The   Quick\tFOX "), "the quick fox");
  KeyedItem item = itemOf({"= The quick brown fox", "= 50% *brown fox*", "= 25% fox"});
  expectMarks(item, {{"the QUICK   brown fox", true, 100},
                     {" a brown fox ran ", true, 50},
                     {"brown fox", true, 50},   // '*' takes an empty run too
                     {"Fox", true, 25},
                     {"a brown dog", true, 0},  // a text key always decides
                     {"the quick brown foxes", true, 50}});
  // Wildcards backtrack; the answer's own '*' is just a character.
  EXPECT_TRUE(matchesKeyText("abcabcabd", "*abd"));
  EXPECT_TRUE(matchesKeyText("a*b", "a*b"));
  EXPECT_FALSE(matchesKeyText("ab", "a*c*"));
  EXPECT_TRUE(matchesKeyText("", "**"));
}

TEST(AnswerMatch, NumberKeysTakeOnlyAnAnswerThatIsANumberAlone) {
  double value = 0;
  for (const char* number : {"3", "-3", "+3.50", ".5", "5.", " 12 "})
    EXPECT_TRUE(readAnswerNumber(number, &value)) << number;
  for (const char* other : {"", "-", ".", "1e3", "1,5", "1.2.3", "3 cm", "--3", "three"})
    EXPECT_FALSE(readAnswerNumber(other, &value)) << other;

  // 3.47 - 3.46 is a little above 0.01 in binary: the bounds are inside.
  expectMarks(itemOf({"= 3.46 +- 0.01"}), {{"3.47", true, 100},
                                           {"3.45", true, 100},
                                           {"3.4701", true, 0},
                                           {"-3.46", true, 0},
                                           {"3.46 cm", false, 0},
                                           {"twelve", false, 0}});
  // A text alternative decides what the number cannot read; a full-credit match ends the
  // doubt, a partial one leaves it to a grader, who may give more.
  expectMarks(itemOf({"= 2.4", "= 12/5"}), {{"12/5", true, 100}, {"2.40", true, 100}, {"2.5", true, 0}});
  expectMarks(itemOf({"= 2.4", "= 50% *12*"}), {{"12 / 5", false, 0}, {"2.4", true, 100}});
}

TEST(AnswerMatch, ChoiceLettersAreTakenOnlyWhereTheyCannotMeanMore) {
  KeyedItem item = itemOf({"= c", "= 50% b"}, "abcd");
  expectMarks(item, {{"c", true, 100},
                     {" C ", true, 100},
                     {"c)", true, 100},
                     {"c.", true, 100},
                     {"(c)", true, 100},
                     {"b", true, 50},
                     {"z", true, 0},        // a letter, and no choice: wrong
                     {"c) 29", false, 0},   // the letter and words that may say otherwise
                     {"b. 4", false, 0},
                     {"c and d", false, 0},
                     {"29", false, 0},      // the choice's text, perhaps
                     {"(c", false, 0},
                     {"cd", false, 0}});
  char letter = 0;
  EXPECT_EQ(readChoiceLetter("b)", &letter), ChoiceReading::Letter);
  EXPECT_EQ(letter, 'b');
  EXPECT_EQ(markWithKey(item, "B.").Letter, 'b');
  EXPECT_EQ(markWithKey(item, "b) 4").Letter, 0);  // counted for no letter
  // A key that is no letter takes the choice's text; a letter may name it, or not.
  expectMarks(itemOf({"= 29"}, "abc"), {{"29", true, 100}, {"c", false, 0}});
  expectMarks(itemOf({"= twenty-nine"}, "abc"), {{"Twenty-Nine", true, 100}, {"c", false, 0}, {"30", true, 0}});
}

}  // namespace
