// The blocks of the completed-exam file that are more than one record: the key start,
// the exam line, the answer summary and the echo of the whole exam.
#pragma once

#include <cstdio>
#include <string>

#include "state/program_state.h"

// The exam line that opens the file and opens the echo; the echo's has one blank less
// after "Version". Returns its length.
int formatExamLine(std::string* text, bool echo);
// The exam line, Plain.
void writeExamLine(FILE* stream);

// "START:" and the three start values of the key stream, not enciphered.
void writeKeyStart(FILE* stream);
// The final answer of every entry of the session, enciphered, between two plain breaks.
void writeAnswerSummary(FILE* stream);
// The exam line and every question of the store with the answers in place.
void writeExamEcho(FILE* stream);
void echoQuestion(const Question* question, unsigned slot, FILE* stream);
// Appends the answer lines of a record; wide indents them for a sub-question.
int formatAnswerLines(std::string* output, const Question* record, bool wide);
