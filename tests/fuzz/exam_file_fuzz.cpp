// Fuzz target over the exam file as it lies on disk, through the loader.
//
// An input is the whole file: the header line, the empty line, and the hexadecimal
// pairs of the protected block and the body. It is written into a scratch folder as the
// only exam there, and loadExam picks it, types FuzzPassword and reads it: the pairs,
// the block and its checks, the counter written back, the body deciphered and handed to
// the parser. The seeds are exams enciphered under FuzzPassword, so a mutation of a pair
// changes one byte of the deciphered text and the fuzzer gets past the password check
// into the body. Whatever the bytes, the loader must stay inside its buffers, never read
// past the end of the file, change the file in its two counter digits at most, and end
// either back at the menu or through endProgram.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "crypto/key_data.h"
#include "examfile/exam_discovery.h"
#include "examfile/exam_loader.h"
#include "examfile/expiry_check.h"
#include "format/question_store.h"
#include "fuzz/fuzz_support.h"
#include "state/program_state.h"

namespace {

const char* const FuzzPassword = "fuzz";
const char* const ExamName = "FuzzExam.exm";
constexpr FileTime Hour = 36000000000ULL;

std::string g_folder;
// The loader moves into the exam's folder; the fuzzer reads its corpus from where it ran.
std::filesystem::path g_startFolder;

// The session is not under test: the load ends once the completed-exam file is open.
void skipSession(FILE*, const char*, int8_t) {}

void writeFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* file = fopen(path.c_str(), "wb");
  if (!file)
    abort();
  if (size && fwrite(data, 1, size, file) != size)
    abort();
  fclose(file);
}

std::string readFile(const std::string& path) {
  std::string content;
  FILE* file = fopen(path.c_str(), "rb");
  if (!file)
    return content;
  char chunk[4096];
  for (size_t got; (got = fread(chunk, 1, sizeof chunk, file)) > 0;)
    content.append(chunk, got);
  fclose(file);
  return content;
}

// The loaded file differs from the input in two neighbouring characters at most, both
// hexadecimal digits: the counter.
void checkOnlyCounterChanged(const uint8_t* data, size_t size, const std::string& after) {
  if (after.size() != size)
    abort();
  size_t first = size, last = 0;
  for (size_t i = 0; i < size; ++i)
    if (uint8_t(after[i]) != data[i]) {
      first = i < first ? i : first;
      last = i;
    }
  if (first == size)
    return;
  if (last > first + 1)
    abort();
  for (size_t i = first; i <= last; ++i)
    if (!isxdigit(uint8_t(after[i])))
      abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A memory-backed folder when there is one: each input writes and reads its file.
  const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  std::string pattern = std::string(base) + "/veritor-fuzz-XXXXXX";
  if (!mkdtemp(pattern.data()))
    abort();
  g_folder = pattern;
  g_startFolder = std::filesystem::current_path();
  atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(g_folder, ignored);
  });
  ExamSessionRunner = skipSession;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzPlatform& console = freshPlatform();
  resetProgramState();
  runToEnd([] { setUpKeyData(0, nullptr); });
  snprintf(State.StartDirectory, sizeof State.StartDirectory, "%s", g_folder.c_str());
  snprintf(State.WorkingDirectory, sizeof State.WorkingDirectory, "%s", g_folder.c_str());
  snprintf(State.StudentId, sizeof State.StudentId, "abc123");

  const std::string path = g_folder + "/" + ExamName;
  writeFile(path, data, size);
  // Written an hour before the clock, as a file handed out earlier would be.
  FileTime now = 0;
  systemTimeToFileTime(platform().systemTimeUtc(), &now);
  FileTimes times;
  times.Creation = times.LastAccess = times.LastWrite = now - Hour;
  platform().setFileTimes(path.c_str(), times);

  console.typeLine("1");
  console.typeLine(FuzzPassword);
  runToEnd([] { loadExam(); });
  showDialogue(console);
  checkOnlyCounterChanged(data, size, readFile(path));

  releaseExamFileList();
  clearQuestionStore();
  stopRecentFileScan();
  // The completed-exam file, when the load got that far, and the exam itself.
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(g_folder, ignored))
    std::filesystem::remove(entry.path(), ignored);
  std::filesystem::current_path(g_startFolder, ignored);
  setPlatform(nullptr);
  return 0;
}
