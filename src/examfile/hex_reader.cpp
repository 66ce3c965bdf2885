#include "examfile/hex_reader.h"

namespace {

// The value of a hexadecimal digit, -1 for anything else.
int digitValue(int c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  return -1;
}

bool isWhiteSpace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

bool isEmptyLine(const char* line) {
  return line[0] == '\n' || (line[0] == '\r' && line[1] == '\n');
}

int HexReader::take() {
  if (at_ == length_) {
    offset_ += long(length_);
    length_ = fread(buffer_, 1, sizeof buffer_, file_);
    at_ = 0;
    if (length_ == 0)
      return EOF;
  }
  return buffer_[at_++];
}

HexReader::Result HexReader::next(uint8_t* byte, long* pairOffset) {
  int c = take();
  while (c != EOF && isWhiteSpace(c))
    c = take();
  if (c == EOF)
    return End;
  if (pairOffset)
    *pairOffset = offset_ + long(at_) - 1;
  int high = digitValue(c);
  int low = digitValue(take());
  if (high < 0 || low < 0)
    return Bad;
  *byte = uint8_t(high << 4 | low);
  return Byte;
}
