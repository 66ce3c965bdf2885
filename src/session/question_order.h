// The order of the questions in a session (the QLIST), the skip list, and presenting one
// entry.
#pragma once

#include <cstdio>

#include "state/program_state.h"

// Builds the QLIST from the question store: shuffled (or in file order), one question per
// pool, up to QuestionLimit entries. Returns the first entry, or none.
QListEntry* buildQuestionList();
QListEntry* appendQListEntry(Question* question, SubQuestion* sub);
// The first open entry from start on, start included, walking forwards or backwards
// around the list; none when every entry is answered. An entry is open until the student
// confirms an answer to it, and again while that answer is "#skip" (any letter case).
QListEntry* findOpenEntry(bool forwards, QListEntry* start);
bool isOpenEntry(const QListEntry* entry);
uint32_t countQListEntries();
void freeQuestionList();

// Checks the time, shows the entry in the question window, records it, and runs the
// answer entry. Returns enterAnswer's result, or -1 when the session is over.
// firstAnswerGiven ends true when the student confirmed an answer (or #skip) to the
// entry for the first time in this session.
int presentQuestion(bool* firstAnswerGiven, QListEntry* entry, FILE* stream);
