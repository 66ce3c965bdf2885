// Fuzz target over the exam file as it lies on disk, through the loader.
//
// An input is the whole file: the header line, the empty line, and the hexadecimal
// pairs of the protected block and the body. It is put into a folder held in memory
// (MemoryFolder) as the only exam there, and loadExam picks it, types FuzzPassword and
// reads it through the platform door as it would read a file on the disk: the pairs,
// the block and its checks, the counter written back, the body deciphered and handed to
// the parser. The seeds are exams enciphered under FuzzPassword, so a mutation of a pair
// changes one byte of the deciphered text and the fuzzer gets past the password check
// into the body. Whatever the bytes, the loader must stay inside its buffers, never read
// past the end of the file, change the file in its two counter digits at most, and end
// either back at the menu or through endProgram.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "crypto/key_data.h"
#include "examfile/exam_discovery.h"
#include "examfile/exam_loader.h"
#include "examfile/expiry_check.h"
#include "format/question_store.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/memory_folder.h"
#include "state/program_state.h"

namespace {

const char* const FuzzPassword = "fuzz";
const char* const ExamName = "FuzzExam.exm";
constexpr FileTime Hour = 36000000000ULL;

// The session is not under test: the load ends once the completed-exam file is open.
void skipSession(FILE*, const char*, int8_t) {}

// Puts back, as a program just started has them, the fields a load reads or writes, so
// that every input runs as it would alone. The question store is empty already: loadExam
// clears it first, and every input ends with clearing it. resetProgramState would do the
// same for all of ProgramState, but it also rebuilds the store's 3,072 empty slots, a
// quarter of a megabyte, which cost more than most loads.
void resetLoadState() {
  resetExamLoadFields();

  State.RecentFileTimes = RecentFileList();
  State.ScanFolderPath[0] = '\0';

  State.Header = ExamHeader();
  State.LineNumber = 0;
  State.TimeLimitSeconds = 0;
  State.Warn50Seconds = State.Warn75Seconds = 0;
  State.Warn90Seconds = 0;

  State.Body = BodyText();
  State.ExamFileList = State.FoundListHead = State.FoundListTail = nullptr;
  State.SearchPath[0] = '\0';

  snprintf(State.StartDirectory, sizeof State.StartDirectory, "%s", MemoryFolder::Path);
  snprintf(State.WorkingDirectory, sizeof State.WorkingDirectory, "%s", MemoryFolder::Path);
  snprintf(State.StudentId, sizeof State.StudentId, "abc123");
}

// The loaded file differs from the input in two neighbouring characters at most, both
// hexadecimal digits: the counter.
void checkOnlyCounterChanged(const uint8_t* data, size_t size, const std::string& after) {
  if (after.size() != size)
    abort();
  // Most loads write nothing: one comparison of the whole file says so.
  if (memcmp(after.data(), data, size) == 0)
    return;
  size_t first = size, last = 0;
  for (size_t i = 0; i < size; ++i)
    if (uint8_t(after[i]) != data[i]) {
      first = i < first ? i : first;
      last = i;
    }
  if (last > first + 1)
    abort();
  for (size_t i = first; i <= last; ++i)
    if (!isxdigit(uint8_t(after[i])))
      abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  freshPlatform<MemoryFolder>();
  // The key data is built into the program; no load changes it.
  setUpKeyData(0, nullptr);
  ExamSessionRunner = skipSession;
  setPlatform(nullptr);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryFolder& folder = freshPlatform<MemoryFolder>();
  resetLoadState();

  // Written an hour before the clock, as a file handed out earlier would be.
  FileTime now = 0;
  systemTimeToFileTime(folder.systemTimeUtc(), &now);
  FileTimes times;
  times.Creation = times.LastAccess = times.LastWrite = now - Hour;
  folder.putFile(ExamName, data, size, times);

  folder.typeLine("1");
  folder.typeLine(FuzzPassword);
  runToEnd([] { loadExam(); });
  showDialogue(folder);
  // However the load ended, it closed every stream it opened.
  if (folder.openStreams() != 0)
    abort();
  const MemoryFolder::File* exam = folder.file(ExamName);
  if (!exam)
    abort();
  checkOnlyCounterChanged(data, size, exam->Bytes);

  releaseExamFileList();
  clearQuestionStore();
  stopRecentFileScan();
  setPlatform(nullptr);
  return 0;
}
