// Text from completed-exam files (names, answers, question texts) is typed by students
// and by instructors: before it reaches a terminal it is made harmless there, in one
// place. The CSV and page writers escape for their media in theirs (report_csv.cpp,
// report_html.cpp), all from the UTF-8 that toUtf8 makes.
#pragma once

#include <string>

// Text as valid UTF-8: valid sequences pass, any other byte is read as Latin-1 (the
// single-byte code page of a Windows console).
std::string toUtf8(const std::string& text);

// The text as UTF-8 with every control character shown as an escape, "\x1B", so that
// nothing from a file can steer the terminal: C0 controls and DEL, the C1 controls
// (U+0080 to U+009F), and the marks that reorder text on the screen (U+200E, U+200F,
// U+202A to U+202E, U+2066 to U+2069) as "\u202E". Line feeds stay when keepLineFeeds.
std::string forTerminal(const std::string& text, bool keepLineFeeds = false);

// The columns the UTF-8 text takes: one per character.
size_t displayWidth(const std::string& utf8);
