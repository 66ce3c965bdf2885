#include "result/result_file_name.h"

#include <cstdio>
#include <cstring>

#include "console/console.h"
#include "state/program_state.h"

bool isForbiddenNameChar(unsigned char c) {
  if (c < 0x20 || c >= 0x80)
    return true;
  return strchr("\"*/:<>?\\|", c) != nullptr;
}

void sanitizeNamePart(char* text) {
  for (size_t i = strlen(text); i-- > 0;) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\n' || c == '\r')
      text[i] = '\0';
    else if (c == ' ' || c == '\t' || isForbiddenNameChar(c))
      text[i] = 'Z';
  }
}

void makeResultFileName(const char* tail, char* name, size_t capacity) {
  char semester[sizeof State.Header.Semester];
  char course[sizeof State.Header.CourseNumber];
  char exam[sizeof State.Header.ExamName];
  char shortTail[61];
  snprintf(semester, sizeof semester, "%s", State.Header.Semester);
  snprintf(course, sizeof course, "%s", State.Header.CourseNumber);
  snprintf(exam, sizeof exam, "%s", State.Header.ExamName);
  snprintf(shortTail, sizeof shortTail, "%s", tail);
  sanitizeNamePart(semester);
  sanitizeNamePart(course);
  sanitizeNamePart(exam);
  sanitizeNamePart(shortTail);

  for (int number = 0;; ++number) {
    snprintf(name, capacity, "%s_%s_%s_%02d_%s.%s", semester, course, exam, number, shortTail,
             "xmc");
    FILE* existing = platform().openFile(name, "rb");
    if (!existing)
      return;
    fclose(existing);
    char prompt[512];
    snprintf(prompt, sizeof prompt,
             "\n\nThe file \"%s\" already exists. Overwrite it? ( Y(y) / N(n) )\n\n", name);
    char answer = 0;
    askKeyChoice(&answer, "YyNn", 4, prompt, 12);
    if (answer == 'Y' || answer == 'y')
      return;
  }
}

bool identifierInResultFileName(const std::string& path, std::string* id) {
  // The file name alone, after the last separator of either system.
  size_t start = path.find_last_of("/\\");
  std::string name = path.substr(start == std::string::npos ? 0 : start + 1);
  size_t mark = name.rfind("_XMC_");
  if (mark == std::string::npos)
    return false;
  size_t end = name.find("_CompletedBy", mark + 5);
  if (end == std::string::npos || end == mark + 5)
    return false;
  *id = name.substr(mark + 5, end - mark - 5);
  return true;
}
