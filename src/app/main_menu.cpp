#include "app/main_menu.h"

#include <cstdio>

#include "console/console.h"
#include "examfile/exam_loader.h"
#include "state/program_state.h"
#include "window/question_window.h"

namespace {

const char* const HelpText =
    "From your menu, you can alter the font color. During the exam, you may resize the "
    "question window as needed.\n\n"
    "Be advised that the window can be made too small for all the text, so make sure you can "
    "see all of the question.\n\n"
    "You may press control+ to increase font size as well as control- to decrease font size. "
    "You may also use the Control Key and the Mousewheel to resize the text.\n\n"
    "Finally, to skip a question, MAXIMUM of 3, enter '#skip' as your answer, then confirm "
    "the skip.\n\n";

// A text that makes the question window break lines around every kind of group it keeps
// together, so the student judges the colour on what a question looks like.
const char* const ColorTestFormat =
    "This is a test screen for you to determine an optimal FONT/SCREEN color. (stuff in "
    "parentheses will be kept together) as well as \"quotes\" and <one>,{ braces }, and "
    "[brackets ]  0123456789 00 11 22 AA BB CC !@#$%%^&*+";

void writeMenuBanner() {
  consoleWrite(ConsoleStream::Out,
               "************************************************************\n");
  consolePrintf(ConsoleStream::Out,
                "*  Student Version %5.2f    -> Exam Version %5.2f          *\n",
                ProgramVersion, static_cast<double>(ExamFormatVersion));
  consoleWrite(ConsoleStream::Out,
               "*  Choose from the following options:                      *\n");
  consoleWrite(ConsoleStream::Out,
               "************************************************************\n\n");
}

}  // namespace

int mainMenu() {
  for (;;) {
    clearScreen();
    writeMenuBanner();
    consoleWrite(ConsoleStream::Out, "1 - Help!\n\n");
    consoleWrite(ConsoleStream::Out, "2 - Select Font Colors\n\n");
    consoleWrite(ConsoleStream::Out, "3 - Take Exam\n\n");
    consoleWrite(ConsoleStream::Out, "9 - Exit Program\n\n");
    int choice = readNumber("Enter your choice: ", 9);
    consoleWrite(ConsoleStream::Out, "\n\n");
    if (choice == 9 || choice == -1)
      return choice;
    if (choice >= 4 && choice <= 8) {
      consoleWrite(ConsoleStream::Out, "Invalid Choice - Try Again.\n\n");
      continue;
    }
    if (choice == 2) {
      fontColorMenu();
      continue;
    }
    return choice;
  }
}

void runMainMenuLoop() {
  for (;;) {
    switch (mainMenu()) {
      case -1:
      case 9:
        leaveProgram();
      case 1:
        showHelp();
        break;
      case 3:
        loadExam();
        break;
      default:
        // 0 is no item of the menu: it is answered like any other number that is not,
        // and the menu comes back.
        consoleWrite(ConsoleStream::Out, "Invalid Choice - Try Again.\n\n");
        break;
    }
  }
}

void showHelp() {
  clearScreen();
  consolePrintf(ConsoleStream::Out, "%s\n\n", HelpText);
  waitForEnter();
  clearScreen();
}

int fontColorMenu() {
  State.TestScreenActive = 1;
  int length = snprintf(State.QuestionText, sizeof State.QuestionText, ColorTestFormat);
  publishQuestionText(static_cast<uint32_t>(length));
  openQuestionWindow();

  for (;;) {
    clearScreen();
    writeMenuBanner();
    consoleWrite(ConsoleStream::Out, "1 - Blue\n\n");
    consoleWrite(ConsoleStream::Out, "2 - Green\n\n");
    consoleWrite(ConsoleStream::Out, "3 - Red\n\n");
    consoleWrite(ConsoleStream::Out, "4 - Cyan\n\n");
    consoleWrite(ConsoleStream::Out, "5 - Magenta\n\n");
    consoleWrite(ConsoleStream::Out, "6 - Yellow\n\n");
    consoleWrite(ConsoleStream::Out, "7 - White\n\n");
    consoleWrite(ConsoleStream::Out, "9 - Exit Menu\n\n");
    // Without a display there is no window to try the colours in: the test text is
    // shown under the menu instead, in the colour chosen.
    if (windowView() == WindowView::Console) {
      publishQuestionText(static_cast<uint32_t>(length));
      consoleWrite(ConsoleStream::Out, "\n");
    }
    int choice = readNumber("Enter your choice: ", 9);
    consoleWrite(ConsoleStream::Out, "\n\n");
    if (choice == 9 || choice == -1)
      break;
    // The open window shows the new colour at once; 0 and 8 change nothing.
    if (choice >= 1 && choice <= 7) {
      State.ColorChoice = static_cast<uint8_t>(choice);
      refreshQuestionWindow();
    }
  }

  closeQuestionWindow();
  State.TestScreenActive = 0;
  return 0;
}

void leaveProgram() {
  consoleWrite(ConsoleStream::Out, "\n\nGreat! Have a nice day!\n\n");
  waitForEnter();
  endProgram(0);
}
