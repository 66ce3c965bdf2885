#include "result/record_text.h"

#include <cstdarg>
#include <cstdio>

int appendFormat(std::string* text, const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  char small[256];
  int length = vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (length < 0) {
    va_end(args);
    return 0;
  }
  if (static_cast<size_t>(length) < sizeof small) {
    text->append(small, length);
  } else {
    size_t at = text->size();
    text->resize(at + length + 1);
    vsnprintf(text->data() + at, length + 1, format, args);
    text->resize(at + length);
  }
  va_end(args);
  return length;
}
