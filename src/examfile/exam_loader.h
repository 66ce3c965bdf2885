// Taking an exam: list, choose, check, decipher, parse, open the completed-exam file.
#pragma once

#include <cstdint>
#include <cstdio>

void loadExam();
// Counts the questions of the store (a pool counts once) into QuestionCount and their
// points into TotalPoints.
void countQuestionsAndPoints();

// What runs the session once the completed-exam file is open: runExamSession, or a
// stand-in that a test puts in its place to look at the load on its own.
extern void (*ExamSessionRunner)(FILE* stream, const char* resultFileName, int8_t counter);
