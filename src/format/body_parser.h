// The exam body parser: fills the question store from State.Body.
//
// Three nested contexts read the body: the questions, the sub-questions of a question
// without points, and a multiple-choice block. Each reads into a line buffer of its own;
// a context that meets a line it does not own copies it into its caller's buffer and
// returns, and the caller classifies it without reading it again.
#pragma once

#include <cstddef>

#include "state/program_state.h"

// Every line buffer of the parser, and the choice block text, hold this many bytes.
constexpr size_t ExamLineCapacity = 4096;

// 0 when the body was read to its end, -1 when it holds no QUESTIONS line.
int parseQuestions();
// Collects the sub-questions numbered number of question; leaves in line (a buffer of
// ExamLineCapacity bytes) the line that ended them, empty at the end of the body.
void parseSubQuestions(Question* question, int number, char* line);
// Reads the choice block whose first line is in line, starting at index first; leaves
// in line the line that ended the block, empty at the end of the body.
void parseChoiceBlock(Question* owner, const char* indent, char* line, int first);
// The next significant line (comment and empty lines skipped, line end removed), or an
// empty buffer at the end of the body. Counts every line taken in LineNumber.
void nextExamLine(char* buffer, size_t capacity);
// The next raw line of the body, at most capacity - 1 characters, always terminated.
void readTextLine(char* buffer, size_t capacity);
