// Taking an exam: list, choose, check, decipher, parse, open the completed-exam file.
#pragma once

void loadExam();
void countQuestionsAndPoints();
