// The question store: questions, sub-questions, their texts and answers.
#pragma once

#include <cstdint>

#include "state/program_state.h"

Question* newQuestion(uint16_t slotIndex, char* text, float points);
SubQuestion* newSubQuestion(const char* text, float points);
void appendQuestionLine(Question* record, const char* line);
void appendChoiceBlock(Question* record, const char* block);
// replace 0: the parser adds an answer line ('&' or '!'); replace 1: the student's
// answer replaces whatever was stored. text may be changed (the no-answer mark).
void addAnswer(Question* record, char* text, uint8_t replace);
int trimTrailingBlanks(char* text, int length);
void clearQuestionStore();

// The first answer of a record ("" when none).
const char* firstAnswer(const Question* record);
