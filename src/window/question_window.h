// The question window as the console side sees it.
//
// The console side never draws: it writes State.QuestionText and publishes its length;
// the window lays the text out and shows it with the countdown. Without a graphical
// display the window is replaced by the console view, which prints each published text,
// laid out at the terminal's width, on the console.
#pragma once

#include <cstdint>

enum class WindowView {
  Graphical,  // a real window (SDL2)
  Console,    // no display: texts are printed on the console
  Off,        // nothing is shown (tests that look at State.QuestionText only)
};

// Chooses the view for every later window; without a call the view is found by probing
// the display when the first window opens.
void setWindowView(WindowView view);
WindowView windowView();

// Starts the question window thread and returns at once. The session goes on without a
// window if it cannot be made.
void openQuestionWindow();
// Ends the window (the destroy message) and waits for its threads to end.
void closeQuestionWindow();
bool questionWindowOpen();

// Publishes the first length characters of State.QuestionText (already written): the
// window lays them out anew at its next timer period; the console view prints them now.
void publishQuestionText(uint32_t length);
