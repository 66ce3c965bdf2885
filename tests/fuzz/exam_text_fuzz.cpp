// Fuzz target over the exam text: the header line, the author's explanation of it, and
// the body parser.
//
// An input is an exam text as the loader sees it once deciphered: its first line goes to
// parseExamHeader, the rest to parseQuestions as the body. Whatever the bytes, the
// parsers must stay inside their buffers, free what they take and end through
// endProgram. The scripted backend turns every end of the program into a ProgramExit
// (its script is empty, so any press-ENTER pause ends too), caught here so that the
// fuzzer runs on.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "format/body_parser.h"
#include "format/exam_header.h"
#include "format/header_layout.h"
#include "format/question_store.h"
#include "fuzz/fuzz_support.h"
#include "state/program_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t lineEnd = input.find('\n');
  size_t bodyStart = lineEnd == std::string::npos ? size : lineEnd + 1;

  freshPlatform();

  std::vector<char> header(input.begin(), input.begin() + static_cast<long>(bodyStart));
  header.push_back('\0');
  bool headerTaken = true;
  try {
    parseExamHeader(header.data());
  } catch (const ProgramExit&) {
    headerTaken = false;
  }

  // The explanation walks the same line as the author's tool hands it over (up to its
  // line end or a NUL). Where it finds nothing to point at, the parser must have taken
  // the line, or an instructor would be told nothing about a refused header.
  std::string line = input.substr(0, lineEnd).c_str();
  if (!line.empty() && line.back() == '\r')
    line.pop_back();
  HeaderDiagnosis diagnosis = diagnoseExamHeader(line);
  composeExamHeader(diagnosis.Values);
  if (diagnosis.Faults.empty() && !headerTaken && line.size() < 1023)
    __builtin_trap();

  // The store is empty here: every input leaves it cleared.
  State.LineNumber = 0;
  std::string body = input.substr(bodyStart);
  State.Body.Text = body.c_str();
  State.Body.Position = 0;
  State.Body.End = body.size();
  runToEnd([] { parseQuestions(); });
  clearQuestionStore();
  State.Body = BodyText{};

  setPlatform(nullptr);
  return 0;
}
