#include "output_text.h"

#include <cstdint>
#include <cstdio>

std::string toUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    size_t length = (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    bool valid = length > 0 && i + length <= text.size();
    for (size_t k = 1; valid && k < length; ++k)
      valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
    // Overlong forms, surrogates and values past U+10FFFF are no text either.
    if (valid && length == 2)
      valid = c >= 0xC2;
    if (valid && length == 3) {
      unsigned char d = static_cast<unsigned char>(text[i + 1]);
      valid = !(c == 0xE0 && d < 0xA0) && !(c == 0xED && d >= 0xA0);
    }
    if (valid && length == 4) {
      unsigned char d = static_cast<unsigned char>(text[i + 1]);
      valid = c <= 0xF4 && !(c == 0xF0 && d < 0x90) && !(c == 0xF4 && d >= 0x90);
    }
    if (valid) {
      out.append(text, i, length);
      i += length;
      continue;
    }
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
    ++i;
  }
  return out;
}

namespace {

// The code point of the valid UTF-8 sequence at text[i], and its length.
uint32_t codePointAt(const std::string& text, size_t i, size_t* length) {
  unsigned char c = static_cast<unsigned char>(text[i]);
  if (c < 0x80) {
    *length = 1;
    return c;
  }
  *length = (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : 4;
  uint32_t value = c & (0x7F >> *length);
  for (size_t k = 1; k < *length; ++k)
    value = (value << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
  return value;
}

bool reordersText(uint32_t c) {
  return c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

std::string forTerminal(const std::string& text, bool keepLineFeeds) {
  std::string utf8 = toUtf8(text);
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    size_t length = 1;
    uint32_t c = codePointAt(utf8, i, &length);
    char escape[16];
    if ((c < 0x20 && !(c == '\n' && keepLineFeeds)) || (c >= 0x7F && c <= 0x9F)) {
      snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(c));
      out += escape;
    } else if (reordersText(c)) {
      snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
      out += escape;
    } else {
      out.append(utf8, i, length);
    }
    i += length;
  }
  return out;
}

size_t displayWidth(const std::string& utf8) {
  size_t width = 0;
  for (char c : utf8)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
      ++width;
  return width;
}
