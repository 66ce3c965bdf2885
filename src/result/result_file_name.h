// The completed-exam file's name.
#pragma once

#include <cstddef>

// Builds "Semester_Course_Exam_NN_tail.xmc" into name, asking before an existing file is
// reused.
void makeResultFileName(const char* tail, char* name, size_t capacity);
void sanitizeNamePart(char* text);
bool isForbiddenNameChar(unsigned char c);
