// The line reader under the body parser: raw lines of the deciphered body, and the
// significant lines that the parser's contexts classify.
#include <cstdint>
#include <cstring>

#include "format/body_parser.h"

BodyWatch ParseWatch;

void readTextLine(char* buffer, size_t capacity) {
  if (capacity == 0)
    return;
  BodyText& body = State.Body;
  size_t copied = 0;
  while (copied + 1 < capacity && body.Text && body.Position < body.End) {
    char c = body.Text[body.Position++];
    buffer[copied++] = c;
    if (c == '\0' || c == '\n')
      break;
  }
  buffer[copied] = '\0';
}

void nextExamLine(char* buffer, size_t capacity) {
  if (capacity == 0)
    return;
  for (;;) {
    buffer[0] = '\0';
    ParseWatch.LineBegin = State.Body.Position;
    readTextLine(buffer, capacity);
    ParseWatch.LineEnd = State.Body.Position;
    if (State.LineNumber < INT32_MAX)
      ++State.LineNumber;
    if (buffer[0] != ';' && buffer[0] != '\n' && buffer[0] != '\r')
      break;
    if (ParseWatch.Observer) {
      BodyLine skipped;
      skipped.Kind = BodyLineKind::Skipped;
      skipped.Number = State.LineNumber;
      skipped.Text = buffer;
      skipped.Begin = ParseWatch.LineBegin;
      skipped.End = ParseWatch.LineEnd;
      ParseWatch.Observer->lineTaken(skipped);
    }
  }
  size_t length = strlen(buffer);
  while (length > 0 && (buffer[length - 1] == '\n' || buffer[length - 1] == '\r'))
    buffer[--length] = '\0';
}
