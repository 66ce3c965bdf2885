// Line breaking of the question text.
//
// The question window cuts its text into lines of at most the column count, keeping
// "quoted", (parenthesised), [bracketed] and {braced} groups on one line when they fit,
// so that a formula or a choice list is not torn apart. The same layout serves the
// console view. Nothing here knows about windows or fonts: rows and columns come in,
// a line table comes out.
#pragma once

#include <cstdint>

// Entries 0 and 1 are the countdown and separator rows; the text starts at entry 2.
constexpr int LineTableSize = 320;
constexpr int FirstTextLine = 2;
// The text, its terminator included, fits this many characters.
constexpr int LayoutBufferSize = 4096;

struct LayoutLine {
  const char* Text = nullptr;  // none: the text has ended before this entry
  int Length = 0;              // characters of the line, never more than the columns
};

struct QuestionLayout {
  // Working copy of the text, cut into lines in place: tabs and backslashes become
  // blanks, line ends and the blanks the lines break at become terminators.
  char Buffer[LayoutBufferSize] = {};
  LayoutLine Lines[LineTableSize];
};

// Lays text (at most LayoutBufferSize - 1 characters are taken) out over
// min(rows, LineTableSize) rows of the given columns. Entries from FirstTextLine on are
// filled; entries 0 and 1 are left alone. With fewer than 3 rows nothing is laid out.
void layoutQuestionText(const char* text, int rows, int columns, QuestionLayout* layout);

// Lines the text fills, counted from FirstTextLine.
int layoutLineCount(const QuestionLayout& layout);
