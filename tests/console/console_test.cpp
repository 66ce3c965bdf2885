#include "console/console.h"

#include <string>
#include <vector>

#include "support/scripted_test.h"

namespace {

const char* const YesNo = "YyNn";
const char* const Complaint =
    "\nPlease enter ONE of the following keys and press ENTER:\n\n Y,  y,  N,  n\n\n";

}  // namespace

class ConsoleTest : public ScriptedTest {
 protected:
  char askYesNo(const char* prompt = "OK? ") {
    char answer = 'z';
    EXPECT_EQ(askKeyChoice(&answer, YesNo, 4, prompt, 14), 0);
    return answer;
  }
  char askAnyKey() {
    char answer = 'z';
    EXPECT_EQ(askKeyChoice(&answer, nullptr, 0, nullptr, 15), 0);
    return answer;
  }
};

TEST_F(ConsoleTest, PrintInColorSetsTheAttributeOnlyForItsText) {
  consoleWrite(ConsoleStream::Out, "before ");
  printInColor("green", 10);
  consoleWrite(ConsoleStream::Out, " after");
  EXPECT_EQ(out(), "before green after");
  EXPECT_EQ(attributeOf("green"), 10);
  EXPECT_EQ(attributeOf(" after"), 15);
}

TEST_F(ConsoleTest, AskKeyChoiceTakesTheFirstKeyOfTheLineAndDropsTheRest) {
  console.typeLine("y");
  console.typeLine("yes");
  console.typeLine("N");
  EXPECT_EQ(askYesNo(), 'y');
  EXPECT_EQ(askYesNo(), 'y');
  EXPECT_EQ(askYesNo(), 'N');
  EXPECT_TRUE(console.scriptDone());
  EXPECT_EQ(out(), "OK? OK? OK? ");
  EXPECT_EQ(attributeOf("OK? "), 14);
}

TEST_F(ConsoleTest, AskKeyChoiceComplainsOncePerRejectedCharacter) {
  // "xq": each character is judged on its own; the line feed right after them is the
  // stale end of the rejected line and is swallowed.
  console.typeLine("xq");
  console.typeLine("n");
  EXPECT_EQ(askYesNo(), 'n');
  EXPECT_EQ(out(), std::string("OK? ") + Complaint + "OK? " + Complaint + "OK? OK? ");
  EXPECT_EQ(attributeOf("Please enter ONE"), 15);
}

// A lone ENTER up to 199 ms after the prompt is the stale end of the line before it;
// from 200 ms on it is the student's answer, and not one of the keys.
TEST_F(ConsoleTest, AskKeyChoiceSwallowsANewlineOnlyWithin200Milliseconds) {
  struct Case {
    int ThinkMs;
    std::string Written;
  };
  const Case cases[] = {{199, "OK? OK? "}, {200, std::string("OK? ") + Complaint + "OK? "}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ThinkMs);
    console.typeLine("", c.ThinkMs);
    console.typeLine("Y");
    EXPECT_EQ(askYesNo(), 'Y');
    EXPECT_EQ(console.takeText(), c.Written);
  }
}

TEST_F(ConsoleTest, AskKeyChoiceWithoutKeysTakesEnterOrAPrintableCharacter) {
  console.typeLine("", 300);
  console.typeLine("abc");
  console.typeLine("\tb");  // the tab is ignored, b answers
  console.typeLine("", 50);  // stale, swallowed
  console.typeLine("", 500);
  EXPECT_EQ(askAnyKey(), '\n');
  EXPECT_EQ(askAnyKey(), 'a');
  EXPECT_EQ(askAnyKey(), 'b');
  EXPECT_EQ(askAnyKey(), '\n');
  EXPECT_TRUE(console.scriptDone());
  EXPECT_EQ(all(), "");
}

// A key beyond ASCII (u-umlaut in UTF-8, two bytes; 0xFF, -1 if taken signed) is a
// character like any other, never the end of input: no key of the list, so each byte draws
// the complaint (each line feed after one is stale and swallowed); no number for a menu.
TEST_F(ConsoleTest, LineInputJudgesNonAsciiBytesAsTheBytesTheyAre) {
  console.typeLine("\xc3\xbc");
  console.typeLine("\xff");
  console.typeLine("y");
  EXPECT_EQ(askYesNo(), 'y');
  EXPECT_EQ(console.takeText(), std::string("OK? ") + Complaint + "OK? " + Complaint +
                                    "OK? OK? " + Complaint + "OK? OK? ");
  console.typeLine("\xff\xe9x");  // without keys, passed over like any unprintable byte
  EXPECT_EQ(askAnyKey(), 'x');
  console.typeLine("\xff");
  console.typeLine("4\xe9");
  EXPECT_EQ(readNumber("? ", 9), 4);
  EXPECT_EQ(console.takeText(),
            "? \nInvalid Input: No decimal number found - try again.\n\n? Warning - Non-numeric "
            "input (E9), found, truncating, check your input carefully.\n\n");
}

TEST_F(ConsoleTest, ShowMessageAndWaitWritesTheMessageOrTheBannerOnTheErrorStream) {
  console.typeLine("");
  console.typeLine("");
  showMessageAndWait("Trouble", 12);
  EXPECT_EQ(err(), "Trouble\n\n");
  EXPECT_EQ(attributeOf("Trouble"), 12);
  showMessageAndWait(nullptr, 11);
  EXPECT_EQ(err(), "Trouble\n\n\n ***** PRESS ENTER TO CONTINUE ... \n");
  EXPECT_EQ(attributeOf("PRESS ENTER"), 11);
  EXPECT_EQ(out(), "");
  EXPECT_TRUE(console.scriptDone());
}

TEST_F(ConsoleTest, WaitForEnterShowsTheBannerInBrightWhite) {
  console.typeLine("");
  waitForEnter();
  EXPECT_EQ(err(), "\n ***** PRESS ENTER TO CONTINUE ... \n");
  EXPECT_EQ(attributeOf("PRESS ENTER"), 15);
  EXPECT_TRUE(console.scriptDone());
}

TEST_F(ConsoleTest, FatalErrorShowsAt127CharactersInRedAndEndsWithMinusOne) {
  std::string message(127, 'a');
  message += "BEYOND";
  console.typeLine("");
  EXPECT_EQ(runProgram([&] { fatalError(message.c_str()); }), -1);
  EXPECT_EQ(out(), std::string(127, 'a'));
  EXPECT_EQ(attributeOf(std::string(127, 'a')), 12);
  EXPECT_EQ(err(), "\n\n\n ***** PRESS ENTER TO CONTINUE ... \n");
  EXPECT_EQ(attributeOf("PRESS ENTER"), 12);
  std::vector<WrittenPiece> pieces = console.pieces();
  ASSERT_FALSE(pieces.empty());
  EXPECT_EQ(pieces[0].Stream, ConsoleStream::Err);
  EXPECT_EQ(pieces[0].Text, "\n\n");
  EXPECT_EQ(pieces[0].Attribute, 15);
}

class ReadNumberTest : public ScriptedTest {
 protected:
  // Types the line, then a 3 that ends the reading; returns what was written after
  // the first prompt, up to the last prompt.
  std::string answerTo(const std::string& line, int* value) {
    console.takeText();
    console.typeLine(line);
    console.typeLine("3");
    *value = readNumber("? ", 9);
    std::string text = console.takeText();
    EXPECT_EQ(text.substr(0, 2), "? ");
    EXPECT_EQ(text.substr(text.size() - 2), "? ");
    return text.substr(2, text.size() - 4);
  }
};

TEST_F(ReadNumberTest, AcceptsNumbersFromMinusOneToTheMaximum) {
  console.typeLine("3");
  console.typeLine("  7");
  console.typeLine("-1");
  console.typeLine("\t+9");
  console.typeLine("0");
  EXPECT_EQ(readNumber("? ", 9), 3);
  EXPECT_EQ(readNumber("? ", 9), 7);
  EXPECT_EQ(readNumber("? ", 9), -1);
  EXPECT_EQ(readNumber("? ", 9), 9);
  EXPECT_EQ(readNumber(nullptr, 9), 0);
  EXPECT_EQ(out(), "? ? ? ? ");
}

// Each rejected line gets its message in the attribute in force, and the prompt again.
TEST_F(ReadNumberTest, RejectedLinesGetTheirMessageAndThePromptAgain) {
  struct Case {
    std::string Line;
    const char* Message;
  };
  const char* const NoNumber = "\nInvalid Input: No decimal number found - try again.\n\n";
  const char* const AllBlank = "\nInvalid Input: All whitespace - try again.\n\n";
  const Case cases[] = {
      {"10", "Your answer of 10 is not from -1 to 9\n\n"},
      {"-2", "Your answer of -2 is not from -1 to 9\n\n"},
      {"", NoNumber},
      {"x", NoNumber},
      {"+", NoNumber},
      {"-", NoNumber},
      {"5-", NoNumber},
      {"-+3", NoNumber},
      {"   ", AllBlank},
      {std::string(40, ' '), AllBlank},  // blanks filling the whole line
      {std::string(40, '1'), "Invalid Input: Decimal number truncated - try again.\n\n"},
      // Out of range, not a value wrapped round to something that would pass.
      {std::string(31, '9'), "Your answer of 2147483647 is not from -1 to 9\n\n"},
  };
  setConsoleAttribute(ConsoleStream::Out, 11);
  for (const Case& c : cases) {
    SCOPED_TRACE("line \"" + c.Line + "\"");
    int value = 0;
    EXPECT_EQ(answerTo(c.Line, &value), c.Message);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(attributeOf(c.Message), 11);
  }
}

TEST_F(ReadNumberTest, WarnsAboutTextAfterTheNumberAndKeepsIt) {
  console.typeLine("4x");
  EXPECT_EQ(readNumber("? ", 9), 4);
  EXPECT_EQ(out(),
            "? Warning - Non-numeric input (78), found, truncating, check your input "
            "carefully.\n\n");
}

class ReadConsoleLineTest : public ScriptedTest {
 protected:
  char buffer[8];
  int read(const char* prompt = "P: ", bool navigation = false) {
    return readConsoleLine(buffer, sizeof buffer, prompt, navigation);
  }
};

TEST_F(ReadConsoleLineTest, EndsAtEnterWithoutEchoingIt) {
  console.typeLine("Doe");
  EXPECT_EQ(read(), 0);
  EXPECT_STREQ(buffer, "Doe");
  EXPECT_EQ(out(), "P: ");
  EXPECT_EQ(console.echoed(), "Doe");
}

TEST_F(ReadConsoleLineTest, SevenCharactersEndTheLineWithoutEnter) {
  console.typeKeys("abcdefgh");
  EXPECT_EQ(read(), 0);
  EXPECT_STREQ(buffer, "abcdefg");
  EXPECT_FALSE(console.scriptDone());  // the eighth key is left for whoever reads next
}

TEST_F(ReadConsoleLineTest, BackspaceStepsBackAndIsHarmlessOnAnEmptyLine) {
  console.typeKeys("\bab\b\b\b");
  console.typeLine("c");
  EXPECT_EQ(read(), 0);
  EXPECT_STREQ(buffer, "c");
  EXPECT_EQ(console.echoed(), "\b \bab\b \b\b \b\b \b" "c");
}

TEST_F(ReadConsoleLineTest, ArrowsLeftAndRightEditWhenNavigationIsOff) {
  console.typeKeys("ab");
  console.pressKey(0xE0, 75);
  console.pressKey(0xE0, 77);
  console.typeLine("c");
  EXPECT_EQ(read(), 0);
  EXPECT_STREQ(buffer, "a c");
  EXPECT_EQ(err(), "");
}

TEST_F(ReadConsoleLineTest, OtherSpecialKeysAreRefusedAndTheLineShownAgain) {
  for (int code : {71, 79, 82, 83, 72, 80, 73, 81}) {
    SCOPED_TRACE(code);
    console.typeKeys("ab");
    console.pressKey(0xE0, code);
    console.typeLine("c");
    EXPECT_EQ(read(), 0);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(console.takeText(), "P: \n --- Special Keys Disabled --- \nP: \nab");
  }
}

TEST_F(ReadConsoleLineTest, SpecialKeysWithoutAPromptShowOnlyTheText) {
  console.pressKey(0xE0, 83);
  console.typeLine("");
  EXPECT_EQ(readConsoleLine(buffer, sizeof buffer, nullptr, false), 0);
  EXPECT_EQ(out(), "\n");
}

TEST_F(ReadConsoleLineTest, NavigationKeysEndTheLineWhenNavigationIsOn) {
  for (int code : {72, 80, 73, 81}) {
    SCOPED_TRACE(code);
    console.typeKeys("ab");
    console.pressKey(0xE0, 75);  // ignored: no editing keys while navigating
    console.pressKey(0xE0, 71);
    console.pressKey(0xE0, code);
    EXPECT_EQ(read("P: ", true), code);
    EXPECT_STREQ(buffer, "ab");
    EXPECT_EQ(console.takeText(), "P: ");
    EXPECT_TRUE(console.scriptDone());
  }
}

TEST_F(ReadConsoleLineTest, FunctionKeysAndControlBytesDoNothing) {
  console.pressKey(0x00, 59);  // F1: its code is not typed as a semicolon
  console.typeKeys("a\x01\t\x1b\x7f\xe9");
  console.typeLine("b");
  EXPECT_EQ(read(), 0);
  EXPECT_STREQ(buffer, "ab");
  EXPECT_EQ(console.echoed(), "ab");
}

// Every byte from 0x80 up but the extended-key prefix, in whatever code page the name was
// typed (Latin-1, the console's own, UTF-8): ignored, never echoed, never the end.
TEST_F(ReadConsoleLineTest, NonAsciiBytesAreIgnoredAndReadingGoesOn) {
  std::string everyByte;
  for (int c = 0x80; c <= 0xFF; ++c)
    if (c != 0xE0)
      everyByte += static_cast<char>(c);
  const std::string names[] = {"M\xfcller", "M\x81ller", "M\xc3\xbc" "ller", everyByte + "Mller"};
  for (const std::string& typed : names) {
    console.typeLine(typed);
    EXPECT_EQ(read(), 0);
    EXPECT_STREQ(buffer, "Mller");
  }
  EXPECT_EQ(console.echoed(), "MllerMllerMllerMller");
  EXPECT_TRUE(console.scriptDone());
}

TEST_F(ReadConsoleLineTest, ACapacityOfOneReturnsAtOnce) {
  console.typeLine("x");
  char one[1] = {'q'};
  EXPECT_EQ(readConsoleLine(one, 1, "P: ", false), 0);
  EXPECT_EQ(one[0], '\0');
  EXPECT_FALSE(console.scriptDone());
}

class EndOfInputTest : public ScriptedTest {};

TEST_F(EndOfInputTest, EveryReaderEndsTheProgramWithMinusOne) {
  const std::string message =
      "\n\nError - The keyboard input has ended, so the program cannot go on.\n\n";
  char buffer[8];
  char answer;
  console.typeKeys("4");  // a line cut off before its line feed
  EXPECT_EQ(runProgram([] { readNumber("? ", 9); }), -1);
  EXPECT_EQ(console.takeText(), "? " + message);
  EXPECT_EQ(attributeOf("keyboard input has ended"), 15);

  console.typeKeys("ye");
  EXPECT_EQ(runProgram([&] { askKeyChoice(&answer, YesNo, 4, "? ", 14); }), -1);
  EXPECT_EQ(console.takeText(), "? " + message);

  EXPECT_EQ(runProgram([&] { readConsoleLine(buffer, 8, "? ", false); }), -1);
  EXPECT_EQ(console.takeText(), "? " + message);

  EXPECT_EQ(runProgram([] { fatalError("bad"); }), -1);
  EXPECT_EQ(console.takeText(), "\n\nbad\n ***** PRESS ENTER TO CONTINUE ... \n" + message);
}
