// Stand-in for the exam text functions until the exam text work is merged; removed then.
#include "format/body_parser.h"
#include "format/exam_header.h"
#include "format/question_store.h"

void clearQuestionStore() {}
void parseExamHeader(char*) {}
int parseQuestions() { return -1; }
