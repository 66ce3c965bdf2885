#include "format/text_number.h"

#include <cfloat>
#include <climits>
#include <cstdlib>
#include <limits>

int textToInt(const char* text) {
  long long value = strtoll(text, nullptr, 10);
  if (value > INT_MAX)
    return INT_MAX;
  if (value < INT_MIN)
    return INT_MIN;
  return static_cast<int>(value);
}

float textToFloat(const char* text) {
  double value = strtod(text, nullptr);
  // Narrowing a double beyond the float range is undefined; the nearest float meaning
  // of such a value is an infinity.
  if (value > FLT_MAX)
    return std::numeric_limits<float>::infinity();
  if (value < -FLT_MAX)
    return -std::numeric_limits<float>::infinity();
  return static_cast<float>(value);
}
