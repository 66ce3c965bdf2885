// The main menu and what it leads to: help, font colours, taking an exam, leaving.
#pragma once

// Shows the main menu until the student makes a choice it hands back: -1 or 9 (leave),
// 0, 1 (help) or 3 (take an exam). The font colour menu (2) runs from here.
int mainMenu();

// Acts on the main menu's choices for the rest of the run; ends the program when the
// student leaves.
[[noreturn]] void runMainMenuLoop();

// The help screen, left with ENTER.
void showHelp();

// Lets the student pick the question window's text colour, on a preview of a test text.
// Returns 0.
int fontColorMenu();

// Says goodbye, waits for ENTER and ends the program with status 0.
[[noreturn]] void leaveProgram();
