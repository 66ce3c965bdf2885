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

// Starts the question window thread and returns once the window is up. If the window
// system refuses the window, the reason is shown on the console with a press-ENTER
// pause and the session goes on without a window. Does nothing in the console and off
// views, or while a window is open.
void openQuestionWindow();
// Ends the window (the destroy message) and waits for its threads to end.
void closeQuestionWindow();
bool questionWindowOpen();

// Publishes the first length characters of State.QuestionText (already written; at most
// 4095, fewer if its terminator comes first). The text is copied at once, so the console
// side may write the next text straight away. The window is woken to lay it out anew
// and draw it at once; the console view prints it now, laid out at the terminal's width,
// in the console colour nearest the chosen text colour; the off view only stores it.
// State.PendingTextLength becomes the length (1 for an empty text) until the window has
// taken it.
void publishQuestionText(uint32_t length);

// Has the open window show at once what the console side changed in the program state
// besides the text: a colour chosen in the font colour menu, or the session clock
// started. Without the call the window sees it at the countdown's next second.
void refreshQuestionWindow();

// In the console view during an exam, prints the countdown row (the window's own text)
// on the console; the window shows it all the time, so elsewhere this does nothing.
void printCountdownInConsoleView();
