// The exam body parser: fills the question store from State.Body.
#pragma once

#include <cstddef>

#include "state/program_state.h"

// 0 when the body was read to its end, -1 when it holds no QUESTIONS line.
int parseQuestions();
void readTextLine(char* buffer, size_t capacity);
void nextExamLine(char* buffer, size_t capacity);
