// Identifiers, file names and answers are compared without regard to letter case, and
// only in ASCII: a student's abc123 is ABC123 wherever it is typed or written.
#pragma once

#include <string>
#include <string_view>

// The text with A to Z as a to z; every other byte as it is.
std::string lowered(std::string_view text);
