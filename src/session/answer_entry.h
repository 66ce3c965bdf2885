// The console dialogue for one question or sub-question.
#pragma once

#include <cstdio>

#include "state/program_state.h"

// The exam lets the student move between questions with the arrow keys and change
// answers until the time is up; #skip is then disabled.
inline bool reviewModeOn() {
  return State.ReviewMode == 0x11;
}

// Results of enterAnswer besides the navigation keys (KeyUp, KeyDown, KeyPageUp,
// KeyPageDown, in review mode only).
constexpr int AnswerStored = 0;
constexpr int AnswerSkipped = 1;
constexpr int SessionOver = -1;

// Reads answers until one is confirmed, a skip is confirmed, the exam is ended or (review
// mode) a navigation key is pressed. confirmed ends true when the student confirmed an
// answer (or #skip) to the record in this call.
int enterAnswer(bool* confirmed, Question* record, FILE* stream);

// True when line is the command (written in lower case) as a whole line, in any letter
// case.
bool isCommand(const char* line, const char* command);

extern const char* const AllWhitespaceMessage;
