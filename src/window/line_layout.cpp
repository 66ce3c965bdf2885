#include "window/line_layout.h"

#include <algorithm>
#include <cstring>

namespace {

char closerOf(char opener) {
  switch (opener) {
    case '"': return '"';
    case '(': return ')';
    case '[': return ']';
    case '{': return '}';
    default: return 0;
  }
}

// Where the group opened at position open closes, or -1 when the text ends first.
int findCloser(const char* buffer, int open, char closer) {
  for (int i = open + 1; i < LayoutBufferSize && buffer[i]; ++i) {
    if (buffer[i] == closer)
      return i;
  }
  return -1;
}

// Ends the line at its last blank (breakPoint), or, when it has none, cuts it at
// position: a word longer than the line goes on where it was cut.
void endLineBefore(char* buffer, int breakPoint, int position, int* end, int* next) {
  if (breakPoint >= 0) {
    buffer[breakPoint] = '\0';
    *end = breakPoint;
    *next = breakPoint + 1;
  } else {
    *end = position;
    *next = position;
  }
}

}  // namespace

void layoutQuestionText(const char* text, int rows, int columns, QuestionLayout* layout) {
  for (int i = FirstTextLine; i < LineTableSize; ++i)
    layout->Lines[i] = LayoutLine();
  char* buffer = layout->Buffer;
  size_t length = strnlen(text, LayoutBufferSize - 1);
  memcpy(buffer, text, length);
  buffer[length] = '\0';

  int lastRow = std::min(rows, LineTableSize);
  if (lastRow <= FirstTextLine)
    return;
  columns = std::max(columns, 0);

  int start = 0;
  // Where scanning resumes on a new line that begins with characters already judged
  // on the line before (a group moved down whole, or one too long to keep together).
  int resumeAt = -1;
  for (int line = FirstTextLine; line < lastRow; ++line) {
    int position = resumeAt >= 0 ? resumeAt : start;
    resumeAt = -1;
    int breakPoint = -1;
    int end = -1;   // the line holds start .. end - 1
    int next = -1;  // where the next line starts; -1 when the text is done
    for (;;) {
      int count = position - start;
      if (count >= columns) {
        endLineBefore(buffer, breakPoint, position, &end, &next);
        break;
      }
      char c = buffer[position];
      if (c == '\0') {
        end = position;
        break;
      }
      if (c == ' ' || c == '\\' || c == '\t') {
        buffer[position] = ' ';
        breakPoint = position;
        ++position;
        continue;
      }
      if (c == '\n' || c == '\r') {
        // Each of CR and LF ends a line, so CR LF leaves an empty line between.
        buffer[position] = '\0';
        end = position;
        next = position + 1;
        break;
      }
      char closer = closerOf(c);
      int close = closer ? findCloser(buffer, position, closer) : -1;
      if (close < 0) {
        ++position;
        continue;
      }
      int groupLength = close - position + 1;
      if (groupLength < columns - count) {
        // The group fits: take it whole, its blanks are no break points.
        position = close + 1;
        continue;
      }
      if (count == 0) {
        // Already at the start of a line and still too long: break it as plain text.
        ++position;
        continue;
      }
      // The group does not fit on what is left of this line: end the line before it.
      endLineBefore(buffer, breakPoint, position, &end, &next);
      if (groupLength >= columns) {
        resumeAt = position + 1;
      } else if (position - next + groupLength <= columns) {
        resumeAt = close + 1;
      }
      // Otherwise the word before the group and the group together are wider than a
      // line; the new line is scanned afresh, which puts the group on a line of its own
      // instead of cutting off its end.
      break;
    }
    layout->Lines[line].Text = buffer + start;
    layout->Lines[line].Length = end - start;
    if (next < 0)
      return;
    start = next;
  }
}

int layoutLineCount(const QuestionLayout& layout) {
  int count = 0;
  for (int i = FirstTextLine; i < LineTableSize && layout.Lines[i].Text; ++i)
    ++count;
  return count;
}
