// Reading an exam file's container: the empty line after the header, and the hexadecimal
// section pair by pair, through a buffer of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Line 2 of an exam file is empty: a line feed, or a carriage return and a line feed.
bool isEmptyLine(const char* line);

class HexReader {
 public:
  enum Result { Byte, End, Bad };

  // offset: the position in the file where reading starts.
  HexReader(FILE* file, long offset) : file_(file), offset_(offset) {}

  // The next pair as a byte. White space before a pair is skipped; either case of digit is
  // taken. End at the end of the file; Bad for any other character, or a pair cut short.
  // *pairOffset (when given) receives the file position of the pair's first digit.
  Result next(uint8_t* byte, long* pairOffset);

 private:
  int take();

  FILE* file_;
  long offset_;  // file position of buffer_[0]
  unsigned char buffer_[65536];
  size_t length_ = 0;
  size_t at_ = 0;
};
