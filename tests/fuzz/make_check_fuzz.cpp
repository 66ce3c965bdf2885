// Fuzz target over make's check of an exam text: the check watches veritor's own parse of
// the whole text, and the body make would encipher (the text without the lines veritor
// does not use) must fill the question store exactly as the whole text does, whatever
// the text holds. The only texts excused are those make refuses for lines veritor would
// cut: a NUL, or a line longer than veritor's buffer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "format/exam_text_check.h"
#include "format/exam_text_parse.h"
#include "format/question_store.h"
#include "fuzz/fuzz_support.h"
#include "state/program_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  freshPlatform();

  ExamTextCheck check(input);
  ExamTextParse whole = parseExamText(input, &check);
  size_t longest = 0;
  for (size_t begin = 0; begin < input.size();) {
    size_t end = input.find('\n', begin);
    end = end == std::string::npos ? input.size() : end + 1;
    longest = std::max(longest, end - begin);
    begin = end;
  }
  if (whole.Read && longest < 4094 && input.find('\0') == std::string::npos) {
    std::string store = describeQuestionStore();
    ExamTextParse again = parseExamText(check.studentBody(), nullptr);
    if (!again.Read || describeQuestionStore() != store)
      __builtin_trap();
  }
  check.finish();
  check.notes();
  clearQuestionStore();

  setPlatform(nullptr);
  return 0;
}
