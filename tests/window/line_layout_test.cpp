#include "window/line_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> layOut(const std::string& text, int columns, int rows = 40) {
  static QuestionLayout layout;
  layoutQuestionText(text.c_str(), rows, columns, &layout);
  std::vector<std::string> lines;
  for (int i = FirstTextLine; i < LineTableSize && layout.Lines[i].Text; ++i)
    lines.emplace_back(layout.Lines[i].Text, layout.Lines[i].Length);
  return lines;
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(LineLayout, BreaksAtTheLastBlankThatFits) {
  EXPECT_EQ(layOut("the quick brown fox", 10), (Lines{"the quick", "brown fox"}));
  EXPECT_EQ(layOut("short", 80), (Lines{"short"}));
  EXPECT_EQ(layOut("", 80), (Lines{""}));
}

TEST(LineLayout, GroupThatFitsMovesWholeToTheNextLine) {
  EXPECT_EQ(layOut("one two (three four) five", 16), (Lines{"one two", "(three four)", "five"}));
  EXPECT_EQ(layOut("say \"a b c\" now", 8), (Lines{"say", "\"a b c\"", "now"}));
  EXPECT_EQ(layOut("set {x y} and [p q]", 12), (Lines{"set {x y}", "and [p q]"}));
  // The group must be shorter than what is left of the line to stay on it.
  EXPECT_EQ(layOut("abcd (xy)", 10), (Lines{"abcd (xy)"}));
  EXPECT_EQ(layOut("abcd (xyz)", 10), (Lines{"abcd", "(xyz)"}));
}

// A group must be shorter than what is left of the line, and shorter than a line, to be
// kept together; one exactly as wide does neither.
TEST(LineLayout, GroupExactlyAsWideAsWhatIsLeftOrAsALineIsNotKeptThere) {
  // Exactly what is left, with no blank before it to break at: the group starts the next
  // line.
  EXPECT_EQ(layOut("abcde(xyz)", 10), (Lines{"abcde", "(xyz)"}));
  EXPECT_EQ(layOut("abcde(xy)", 10), (Lines{"abcde(xy)"}));
  // Exactly a line wide: broken at its blank like ordinary text.
  EXPECT_EQ(layOut("ab (cd ef)", 7), (Lines{"ab", "(cd", "ef)"}));
  EXPECT_EQ(layOut("ab (cd e)", 7), (Lines{"ab", "(cd e)"}));
}

TEST(LineLayout, GroupWithoutABreakPointStartsItsOwnLineWithoutRepeatingText) {
  EXPECT_EQ(layOut("abcdefgh(ijklm)", 10), (Lines{"abcdefgh", "(ijklm)"}));
  // A word and a group that together are wider than a line: the group is not cut short.
  EXPECT_EQ(layOut("a bcdefgh(ij)", 10), (Lines{"a", "bcdefgh", "(ij)"}));
}

TEST(LineLayout, GroupLongerThanALineBreaksAsOrdinaryText) {
  EXPECT_EQ(layOut("ab (cdef ghij klm) n", 10), (Lines{"ab", "(cdef", "ghij klm)", "n"}));
  // Already at the start of a line: no empty line is made first.
  EXPECT_EQ(layOut("(abc def ghi jkl)", 8), (Lines{"(abc", "def ghi", "jkl)"}));
}

TEST(LineLayout, UnmatchedOpeningCharacterIsOrdinary) {
  EXPECT_EQ(layOut("a (bc de fg", 10), (Lines{"a (bc de", "fg"}));
  EXPECT_EQ(layOut("a [bc) de fg", 10), (Lines{"a [bc) de", "fg"}));
  EXPECT_EQ(layOut("x \"y z", 4), (Lines{"x", "\"y", "z"}));
}

TEST(LineLayout, WordLongerThanTheColumnsIsCutHard) {
  EXPECT_EQ(layOut("abcdefghijkl", 5), (Lines{"abcde", "fghij", "kl"}));
  EXPECT_EQ(layOut("ab abcdefghijkl", 5), (Lines{"ab", "abcde", "fghij", "kl"}));
}

TEST(LineLayout, LineFeedsAndCarriageReturnsEndLines) {
  EXPECT_EQ(layOut("one\ntwo", 20), (Lines{"one", "two"}));
  EXPECT_EQ(layOut("one\r\ntwo", 20), (Lines{"one", "", "two"}));
  EXPECT_EQ(layOut("\n\nQ1\n", 20), (Lines{"", "", "Q1", ""}));
  // Inside a group that is kept together a line end stays as it is.
  EXPECT_EQ(layOut("x (a\nb) y", 20), (Lines{"x (a\nb) y"}));
}

TEST(LineLayout, BackslashesAndTabsBecomeBlanksAndBreakPoints) {
  EXPECT_EQ(layOut("ab\\cd\tefgh", 6), (Lines{"ab cd", "efgh"}));
  EXPECT_EQ(layOut("(a\tb\\c)", 20), (Lines{"(a\tb\\c)"}));
}

TEST(LineLayout, ZeroColumnsGivesEmptyLinesUpToTheLastRow) {
  QuestionLayout layout;
  layoutQuestionText("abc", 6, 0, &layout);
  EXPECT_EQ(layoutLineCount(layout), 4);
  for (int i = FirstTextLine; i < 6; ++i) {
    EXPECT_EQ(layout.Lines[i].Text, layout.Buffer);
    EXPECT_EQ(layout.Lines[i].Length, 0);
  }
}

TEST(LineLayout, FewerThanThreeRowsLaysOutNothing) {
  QuestionLayout layout;
  layoutQuestionText("first text", 40, 80, &layout);
  for (int rows : {2, 1, 0, -5}) {
    layoutQuestionText("abc", rows, 80, &layout);
    EXPECT_EQ(layoutLineCount(layout), 0) << rows;
    EXPECT_STREQ(layout.Buffer, "abc");
  }
}

TEST(LineLayout, StopsAtTheLastRowAndAtTheTableEnd) {
  EXPECT_EQ(layOut("a\nb\nc\nd", 20, 4), (Lines{"a", "b"}));
  std::string many;
  for (int i = 0; i < 400; ++i)
    many += "x\n";
  QuestionLayout layout;
  layoutQuestionText(many.c_str(), 100000, 80, &layout);
  EXPECT_EQ(layoutLineCount(layout), LineTableSize - FirstTextLine);
}

TEST(LineLayout, TakesAtMost4095CharactersAndKeepsThemAll) {
  std::string text(4095, 'x');
  text[0] = '(';  // unmatched: the search for its closer must stop at the end of the text
  QuestionLayout layout;
  layoutQuestionText(text.c_str(), LineTableSize, 80, &layout);
  std::string joined;
  for (int i = FirstTextLine; i < LineTableSize && layout.Lines[i].Text; ++i)
    joined.append(layout.Lines[i].Text, layout.Lines[i].Length);
  EXPECT_EQ(joined, text);
  EXPECT_EQ(layoutLineCount(layout), 52);

  std::string longer(5000, 'y');
  layoutQuestionText(longer.c_str(), LineTableSize, 100, &layout);
  EXPECT_EQ(strlen(layout.Buffer), 4095u);
}

TEST(LineLayout, ColourMenuTestTextAtEightyColumns) {
  const char* text =
      "This is a test screen for you to determine an optimal FONT/SCREEN color. (stuff in "
      "parentheses will be kept together) as well as \"quotes\" and <one>,{ braces }, and "
      "[brackets ]  0123456789 00 11 22 AA BB CC !@#$%^&*+";
  EXPECT_EQ(layOut(text, 80, 32),
            (Lines{
                "This is a test screen for you to determine an optimal FONT/SCREEN color.",
                "(stuff in parentheses will be kept together) as well as \"quotes\" and",
                "<one>,{ braces }, and [brackets ]  0123456789 00 11 22 AA BB CC !@#$%^&*+",
            }));
}
