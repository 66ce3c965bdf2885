// The exam header line and the stop on a malformed line.
#pragma once

#include <cstdint>

// The longest time limit a header may give, in minutes: 50 hours.
constexpr uint32_t LongestTimeLimit = 3000;

// Parses the header line (consumed in place: delimiters become NULs) into State.Header
// and the time marks, and sets LineNumber to 0. Ends the program on a bad header or a
// version above 1.07.
void parseExamHeader(char* line);

// Reports LineNumber, the line and the message, waits for ENTER and ends the program
// with status -1.
[[noreturn]] void reportSyntaxError(const char* line, const char* message);
// The same for a line read earlier, with its own line number.
[[noreturn]] void reportSyntaxErrorAt(int32_t lineNumber, const char* line, const char* message);
