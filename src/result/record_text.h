// A record composed whole before it is written. Answers and question texts run to
// thousands of characters, so the text grows to whatever the format needs.
#pragma once

#include <string>

#include "platform/printf_format.h"

// Appends the printf-formatted text; returns the length of what was appended.
int appendFormat(std::string* text, const char* format, ...) PRINTF_FORMAT(2, 3);
