// Reading one line of exam text in fixed-width windows. The header and the body are both
// scanned this way, and an instructor's line may end anywhere, so no step goes past the
// line's terminator.
#pragma once

#include <cstddef>

bool isBlank(char c);

size_t skipBlanks(const char* line, size_t pos);

// The position of the next blank from pos on, or of the end of the line.
size_t skipToBlank(const char* line, size_t pos);

// Moves count characters on, but never past the end of the line: fixed-width separators
// are passed unexamined, and a line cut short must not send the parser beyond its
// terminator.
size_t passCharacters(const char* line, size_t pos, size_t count);

// The position of c among the count characters from pos on, or -1 when the line ends
// first or c is not there.
long findWithin(const char* line, size_t pos, char c, size_t count);
