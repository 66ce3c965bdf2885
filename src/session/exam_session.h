// The timed session, from the instructions screen to the final message.
#pragma once

#include <cstdint>
#include <cstdio>

// stream: the completed-exam file, open and empty; resultFileName: its name relative to
// the current directory; counter: the exam's lowered open counter.
void runExamSession(FILE* stream, const char* resultFileName, int8_t counter);

// Gives every entry of the session still without an answer the no-answer text of the
// way the session ended (EndReason 1: time, else #done/#exit or all answered).
void markUnanswered();
