#include "format/line_scan.h"

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

size_t skipBlanks(const char* line, size_t pos) {
  while (isBlank(line[pos]))
    ++pos;
  return pos;
}

size_t skipToBlank(const char* line, size_t pos) {
  while (line[pos] != '\0' && !isBlank(line[pos]))
    ++pos;
  return pos;
}

size_t passCharacters(const char* line, size_t pos, size_t count) {
  while (count > 0 && line[pos] != '\0') {
    ++pos;
    --count;
  }
  return pos;
}

long findWithin(const char* line, size_t pos, char c, size_t count) {
  for (size_t k = 0; k < count && line[pos + k] != '\0'; ++k)
    if (line[pos + k] == c)
      return static_cast<long>(pos + k);
  return -1;
}
