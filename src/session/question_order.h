// The order of the questions in a session (the QLIST), the skip list, and presenting one
// entry.
#pragma once

#include <cstdio>

#include "state/program_state.h"

// Builds the QLIST from the question store: shuffled (or in file order), one question per
// pool, up to QuestionLimit entries. Returns the first entry, or none.
QListEntry* buildQuestionList();
QListEntry* appendQListEntry(Question* question, SubQuestion* sub);
// The first open entry (no answer yet, or "#skip") from start on, start included, walking
// forwards or backwards around the list; none when every entry is answered.
QListEntry* findOpenEntry(bool forwards, QListEntry* start);
bool isOpenEntry(const QListEntry* entry);
void freeQuestionList();

// Checks the time, shows the entry in the question window, records it, and runs the
// answer entry. Returns enterAnswer's result, or -1 when the session is over.
int presentQuestion(bool* firstAnswerGiven, QListEntry* entry, FILE* stream);
