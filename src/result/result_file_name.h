// The completed-exam file's name.
#pragma once

#include <cstddef>
#include <string>

// Builds "Semester_Course_Exam_NN_tail.xmc" into name, asking before an existing file is
// reused.
void makeResultFileName(const char* tail, char* name, size_t capacity);
void sanitizeNamePart(char* text);
bool isForbiddenNameChar(unsigned char c);

// The identifier a completed-exam file's name carries, "abc123" in
// "..._00__XMC_abc123_CompletedBy.xmc", wherever the name stands in a path; false when
// the name is not of that form.
bool identifierInResultFileName(const std::string& path, std::string* id);
