// The hand-over of question texts from the console side to the window.
//
// The console side keeps writing State.QuestionText for the next question while the
// window may still be laying out the last one, so the window never reads it directly:
// publishing copies the text into a staging buffer of its own and then sets
// State.PendingTextLength with release order; the window takes the staged text with
// acquire order and sets the length back to 0. A text published while the window is
// busy replaces the one before, and none is lost between the window's check and its
// clearing of the length.
#pragma once

#include <cstdint>

// Console side: stages the first length characters of text (up to its terminator and
// at most 4095). PendingTextLength becomes the staged length, or 1 for an empty text so
// that it still counts as pending.
void storePublishedText(const char* text, uint32_t length);

// Window side: copies the newest staged text, terminated, into out (4096 characters)
// if one is pending, and gives its serial number (1 for the first text ever staged).
bool takePublishedText(char* out, uint64_t* serial);

// The serial number of the newest staged text.
uint64_t publishedTextSerial();
