#include "app/main_menu.h"

#include <string>
#include <vector>

#include "state/program_state.h"
#include "support/scripted_test.h"
#include "window/question_window.h"

namespace {

const std::string Banner =
    "************************************************************\n"
    "*  Student Version  1.19    -> Exam Version  1.07          *\n"
    "*  Choose from the following options:                      *\n"
    "************************************************************\n\n";
const std::string MainItems =
    "1 - Help!\n\n2 - Select Font Colors\n\n3 - Take Exam\n\n9 - Exit Program\n\n";
const std::string ColorItems =
    "1 - Blue\n\n2 - Green\n\n3 - Red\n\n4 - Cyan\n\n5 - Magenta\n\n6 - Yellow\n\n"
    "7 - White\n\n9 - Exit Menu\n\n";
const std::string Prompt = "Enter your choice: ";
const std::string MainMenu = Banner + MainItems + Prompt;
const std::string ColorMenu = Banner + ColorItems + Prompt;
const std::string PressEnter = "\n ***** PRESS ENTER TO CONTINUE ... \n";
const std::string Goodbye = "\n\nGreat! Have a nice day!\n\n";

}  // namespace

class MainMenuTest : public ScriptedTest {};

TEST_F(MainMenuTest, NineAndMinusOneLeaveTheMenu) {
  console.typeLine("9");
  console.typeLine("-1");
  EXPECT_EQ(mainMenu(), 9);
  EXPECT_EQ(mainMenu(), -1);
  EXPECT_EQ(out(), MainMenu + "\n\n" + MainMenu + "\n\n");
  EXPECT_EQ(console.clearCount(), 2);
}

TEST_F(MainMenuTest, ChoicesThatAreNoItemDrawTheMenuAgain) {
  console.typeLine("5");
  console.typeLine("10");
  console.typeLine("1");
  EXPECT_EQ(mainMenu(), 1);
  EXPECT_EQ(out(), MainMenu + "\n\nInvalid Choice - Try Again.\n\n" + MainMenu +
                       "Your answer of 10 is not from -1 to 9\n\n" + Prompt + "\n\n");
  EXPECT_EQ(console.clearCount(), 2);
}

TEST_F(MainMenuTest, ZeroAndThreeAreHandedBack) {
  console.typeLine("0");
  console.typeLine("3");
  EXPECT_EQ(mainMenu(), 0);
  EXPECT_EQ(mainMenu(), 3);
}

TEST_F(MainMenuTest, TheColourMenuStoresTheChoiceAndReturnsToTheMainMenu) {
  console.typeLine("2");
  console.typeLine("3");
  console.typeLine("8");
  console.typeLine("0");
  console.typeLine("9");
  console.typeLine("-1");
  EXPECT_EQ(mainMenu(), -1);
  EXPECT_EQ(State.ColorChoice, 3);
  EXPECT_EQ(State.TestScreenActive, 0);
  EXPECT_STREQ(State.QuestionText,
               "This is a test screen for you to determine an optimal FONT/SCREEN color. "
               "(stuff in parentheses will be kept together) as well as \"quotes\" and "
               "<one>,{ braces }, and [brackets ]  0123456789 00 11 22 AA BB CC !@#$%^&*+");
  std::string colour = ColorMenu + "\n\n";
  EXPECT_EQ(out(), MainMenu + "\n\n" + colour + colour + colour + colour + MainMenu + "\n\n");
  EXPECT_EQ(console.clearCount(), 6);
}

TEST_F(MainMenuTest, TheColourMenuLeavesOnMinusOneWithTheColourUnchanged) {
  console.typeLine("-1");
  EXPECT_EQ(fontColorMenu(), 0);
  EXPECT_EQ(State.ColorChoice, 6);
  EXPECT_EQ(State.TestScreenActive, 0);
}

TEST_F(MainMenuTest, WithoutADisplayTheColourMenuShowsTheTestTextInTheChosenColour) {
  setWindowView(WindowView::Console);
  console.setConsoleColumns(250);
  console.typeLine("3");
  console.typeLine("9");
  EXPECT_EQ(fontColorMenu(), 0);
  const std::string testText =
      "This is a test screen for you to determine an optimal FONT/SCREEN color. (stuff in "
      "parentheses will be kept together) as well as \"quotes\" and <one>,{ braces }, and "
      "[brackets ]  0123456789 00 11 22 AA BB CC !@#$%^&*+\n";
  std::string text = out();
  size_t second = text.rfind(ColorItems + testText + "\n" + Prompt);
  ASSERT_NE(second, std::string::npos);
  EXPECT_NE(text.rfind(ColorItems + testText, second - 1), std::string::npos);
  // Yellow at first, then red once 3 is chosen.
  std::vector<int> colours;
  for (const WrittenPiece& piece : console.pieces())
    if (piece.Text.find("This is a test screen") != std::string::npos)
      colours.push_back(piece.Attribute);
  EXPECT_EQ(colours, (std::vector<int>{14, 14, 12}));
}

TEST_F(MainMenuTest, HelpShowsItsTextAndWaitsForEnter) {
  console.typeLine("");
  showHelp();
  EXPECT_EQ(out(),
            "From your menu, you can alter the font color. During the exam, you may resize the "
            "question window as needed.\n\nBe advised that the window can be made too small for "
            "all the text, so make sure you can see all of the question.\n\nYou may press "
            "control+ to increase font size as well as control- to decrease font size. You may "
            "also use the Control Key and the Mousewheel to resize the text.\n\nFinally, to "
            "skip a question, MAXIMUM of 3, enter '#skip' as your answer, then confirm the "
            "skip.\n\n\n\n");
  EXPECT_EQ(err(), PressEnter);
  EXPECT_EQ(console.clearCount(), 2);
  EXPECT_TRUE(console.scriptDone());
}

TEST_F(MainMenuTest, TheLoopAnswersZeroAsNoChoiceAndGoesOn) {
  console.typeLine("0");
  console.typeLine("-1");
  console.typeLine("");
  EXPECT_EQ(runProgram([] { runMainMenuLoop(); }), 0);
  EXPECT_EQ(out(), MainMenu + "\n\nInvalid Choice - Try Again.\n\n" + MainMenu + "\n\n" +
                       Goodbye);
}

TEST_F(MainMenuTest, LeavingWaitsForEnterThenEndsWithZero) {
  console.typeLine("", 150);  // the end of the menu's line, still waiting: not the answer
  console.typeLine("");
  EXPECT_EQ(runProgram([] { leaveProgram(); }), 0);
  EXPECT_EQ(out(), Goodbye);
  EXPECT_EQ(err(), PressEnter);
  EXPECT_TRUE(console.scriptDone());
}
