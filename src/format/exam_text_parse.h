// A whole exam text through the student program's own body parser, for the instructor's
// tools: where veritor would stop, the parse returns instead, with what veritor would
// have said kept as text.
#pragma once

#include <cstdint>
#include <string>

#include "format/body_parser.h"

struct ExamTextParse {
  bool Read = false;         // the parser read the text to its end
  std::string Messages;      // everything the parser wrote, as veritor writes it
  // When the parser stopped: the line it names and its message, on one line
  // ("No closing parenethesis found after getting points.").
  int32_t StopLine = 0;
  std::string StopMessage;
};

// Parses text as an exam body into the question store, which it clears first; the
// caller clears it when done. A header line at the top of the text is one more line of
// the preamble to the parser, so every line number is the text's own. observer, when
// given, is told of every line.
ExamTextParse parseExamText(const std::string& text, BodyObserver* observer);

// An editor on Windows may begin a text with a UTF-8 byte order mark, which veritor
// would take for the first characters of the header: it is not part of the exam.
void dropByteOrderMark(std::string* text);
