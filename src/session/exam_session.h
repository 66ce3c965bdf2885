// The timed session, from the instructions screen to the final message.
#pragma once

#include <cstdint>
#include <cstdio>

// stream: the completed-exam file, open and empty; resultFileName: its name relative to
// the current directory; counter: the exam's lowered open counter.
void runExamSession(FILE* stream, const char* resultFileName, int8_t counter);
