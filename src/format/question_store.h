// The question store: questions, sub-questions, their texts and answers.
//
// Texts are heap strings owned by their record, at most QuestionTextLimit characters
// each; answers live in the record's 32 inline bytes until they outgrow them. A cleared
// record (Answers none) reads as a record without answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "state/program_state.h"

// The longest question or sub-question text, its added lines and choice block included.
constexpr int QuestionTextLimit = 4095;
// The largest answer storage: grown in 16-byte steps, always below 65,532 bytes.
constexpr int AnswerStorageLimit = 65532;
constexpr int MaxAnswersPerRecord = 255;

Question* newQuestion(uint16_t slotIndex, char* text, float points);
SubQuestion* newSubQuestion(const char* text, float points);
void appendQuestionLine(Question* record, const char* line);
void appendChoiceBlock(Question* record, const char* block);
// replace 0: the parser adds an answer line ('&' or '!'); replace 1: the student's
// answer replaces whatever was stored. Trailing blanks of text are cut in place.
void addAnswer(Question* record, char* text, uint8_t replace);
int trimTrailingBlanks(char* text, int length);

// The parser notes each question or sub-question line (with LineNumber) before it makes
// the record, so that a text that outgrows QuestionTextLimit later is reported there.
void noteRecordLine(const char* line);
// Stops the load: the record begun at the noted line (or, when none was noted, the line
// being read) is longer than QuestionTextLimit.
[[noreturn]] void reportRecordTooLong(const char* lineBeingRead);
// Frees every text and answer block, zeroes the store and empties the skip list.
void clearQuestionStore();

// The first answer of a record ("" when none).
const char* firstAnswer(const Question* record);

// Everything a parse left in the store, as one text: two parses that fill the store
// alike describe it alike, to the last bit of every number and byte of every text.
std::string describeQuestionStore();

