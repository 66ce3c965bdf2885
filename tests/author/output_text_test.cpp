#include "output_text.h"

#include <gtest/gtest.h>

namespace {

// Names, answers and question texts come from files that students hand in: nothing of
// them may steer the terminal the instructor reads them on, and each is still legible.
TEST(OutputText, ControlCharactersReachTheTerminalAsVisibleEscapes) {
  // A title change, a colour, a bell; DEL and the eight-bit CSI of a Latin-1 byte.
  EXPECT_EQ(forTerminal("\x1b]0;owned\x07" "A\x1b[31mB\tC\x7f" "D\x9b" "2J"),
            "\\x1B]0;owned\\x07A\\x1B[31mB\\x09C\\x7FD\\x9B2J");
  // C1 controls written as UTF-8, and the marks that reorder a line on the screen.
  EXPECT_EQ(forTerminal("a\xc2\x9b" "b\xe2\x80\xae" "c\xe2\x81\xa6" "d"), "a\\x9Bb\\u202Ec\\u2066d");
  // Line feeds stay where the text is laid out in lines, and only there.
  EXPECT_EQ(forTerminal("one\ntwo\r\n", true), "one\ntwo\\x0D\n");
  EXPECT_EQ(forTerminal("one\ntwo"), "one\\x0Atwo");
  // Letters pass: UTF-8 as it is, a single-byte code page's as UTF-8.
  EXPECT_EQ(forTerminal("J\xc3\xb6rg M\xfcller \xe2\x82\xac"), "J\xc3\xb6rg M\xc3\xbcller \xe2\x82\xac");
  EXPECT_EQ(displayWidth(forTerminal("M\xfcller")), 6u);
}

TEST(OutputText, InvalidUtf8IsReadAsLatin1) {
  EXPECT_EQ(toUtf8("caf\xe9"), "caf\xc3\xa9");
  // Overlong forms, surrogates and a sequence cut short are no text.
  EXPECT_EQ(toUtf8("\xc0\xaf"), "\xc3\x80\xc2\xaf");
  EXPECT_EQ(toUtf8("\xed\xa0\x80"), "\xc3\xad\xc2\xa0\xc2\x80");
  EXPECT_EQ(toUtf8("\xe2\x82"), "\xc3\xa2\xc2\x82");
  EXPECT_EQ(toUtf8("\xf0\x9f\x98\x80"), "\xf0\x9f\x98\x80");
}

}  // namespace
