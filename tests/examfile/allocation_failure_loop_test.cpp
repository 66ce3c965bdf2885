// Memory running out at any allocation of an exam's load and session: the k-th
// allocation fails, for every k a whole run makes (once alone, once with every one after
// it failing too), from the exam file's discovery through its body, the question texts
// and the question list to the answers. Each time the student must be told what failed
// in the program's own words, the program must end or go on as that failure asks, and
// the exam file must be as it was, or changed only in its counter once the body was read.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "crypto/key_data.h"
#include "examfile/exam_discovery.h"
#include "examfile/exam_loader.h"
#include "examfile/exam_writer.h"
#include "session/question_order.h"
#include "state/memory.h"
#include "support/file_time_at.h"
#include "support/scripted_test.h"

namespace {

constexpr FileTime Minute = 600000000ULL;

const char* const Header =
    ";Fall 2026;  CS 1234: Intro to Programming: (001) ---> Midterm Exam:  TimeLimit: 90 "
    "minutes  ---  Version 1.07";

// A choice block, a question of two lines, and one with two sub-questions: every kind
// of text the store allocates.
const char* const Body =
    "QUESTIONS\n"
    "1. (2 pts) Which number is even?\n"
    "a) 3\n"
    "b) 4\n"
    "2. (5 pts) Explain recursion\n"
    "\\in two sentences.\n"
    "3. Answer both parts.\n"
    "   3.a. (1 pts) First part.\n"
    "   3.b. (2 pts) Second part.\n";

// Long enough to outgrow the answer's inline room more than once.
const std::string LongAnswer(70, 'r');

// The allocator of the test: counts the calls, and fails the FailAt-th (and, when
// Persistent, every one after it).
struct Allocations {
  size_t Calls = 0;
  size_t FailAt = 0;  // 1-based; 0 never fails
  bool Persistent = false;
  std::vector<size_t> Sizes;
};
Allocations g_allocations;

void* testAllocate(size_t size) {
  ++g_allocations.Calls;
  g_allocations.Sizes.push_back(size);
  bool fail = g_allocations.FailAt != 0 &&
              (g_allocations.Calls == g_allocations.FailAt ||
               (g_allocations.Persistent && g_allocations.Calls > g_allocations.FailAt));
  return fail ? nullptr : malloc(size);
}

// What a failed allocation of a kind tells the student, and what follows it.
struct FailureKind {
  const char* Name;
  std::string Message;  // empty when the size is not in it
  const char* Prefix;   // the message's fixed start
  bool Ends;            // the program ends, with status -1
  bool ExamUntouched;   // it fails before the counter is written back
};

std::string format(const char* pattern, long value) {
  char text[256];
  snprintf(text, sizeof text, pattern, value);
  return text;
}

// The kinds a failure of size bytes may be, in the order a run first meets them.
std::vector<FailureKind> kindsFor(size_t size) {
  const long n = static_cast<long>(size);
  return {
      {"list node", format("\n\nMemory Error. Could not allocate %ld bytes for a NAME_LIST "
                           "object.\n\n", n),
       "\n\nMemory Error. Could not allocate", true, true},
      {"exam body", format("Warning - Memory Error - Could not allocate %ld bytes for "
                           "exam/homework data.\n\nTrying again ... \n", n - 4),
       "Warning - Memory Error", false, false},
      {"question", format("Memory Error - Could not allocate %ld bytes for question.\n\n", n),
       "Memory Error - Could not allocate", true, false},
      {"sub-question", format("Memory Error - Could not allocate %ld bytes for a "
                              "sub-question.\n\nnewSubQuestion2", n - 4),
       "Memory Error - Could not allocate", true, false},
      {"choice block", format("Memory Error - Could not allocate %ld bytes for question + "
                              "multiple choice answers.\n\n", n - 4),
       "Memory Error - Could not allocate", true, false},
      {"question line", "", "Memory Error - Can't append this question: ", true, false},
      {"question list", "Fatal Error - Could not allocate 20 bytes for QLIST object.\n\n",
       "Fatal Error - Could not allocate", true, false},
      // The limit named is the room the answer had before: 31 bytes at first.
      {"answer", format(" bytes - memory limited - could not allocate %ld bytes.\n\n", n),
       "Memory Warning! - ANSWER limited to", false, false},
  };
}

class AllocationFailureLoop : public ScriptedTest {
 protected:
  void SetUp() override {
    ScriptedTest::SetUp();
    startFolder = std::filesystem::current_path();
    setUpKeyData(0, nullptr);
    snprintf(State.WorkingDirectory, sizeof State.WorkingDirectory, "%s", folder.path().c_str());
    snprintf(State.StartDirectory, sizeof State.StartDirectory, "%s", folder.path().c_str());
    snprintf(State.StudentId, sizeof State.StudentId, "abc123");
    snprintf(State.StudentFullName, sizeof State.StudentFullName, "Ada Lovelace");
    console.setUtc(Now);
    g_allocations = Allocations();
    AllocateMemory = testAllocate;
  }
  void TearDown() override {
    AllocateMemory = malloc;
    // A run that ended the program left its list behind, as the real program leaves it
    // to the process's end.
    freeQuestionList();
    releaseExamFileList();
    std::filesystem::current_path(startFolder);
    ScriptedTest::TearDown();
  }

  // A whole run on a fresh copy of the exam: the exam picked, its password, the session
  // with every question answered and the final pause; its exit status or NoExit.
  int run(size_t failAt, bool persistent) {
    TearDown();
    console.reset();
    SetUp();
    g_allocations.FailAt = failAt;
    g_allocations.Persistent = persistent;
    // The completed-exam file of the run before goes.
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
      std::filesystem::remove(entry.path());
    folder.write(ExamName, exam);
    FileTimes times;
    times.LastAccess = times.LastWrite = Now - 60 * Minute;
    platform().setFileTimes(folder.file(ExamName).c_str(), times);
    console.typeLine("1");
    console.typeLine("open sesame");
    console.typeLine("");  // begin
    for (const char* answer : {"b", "Calls itself.", "3"}) {
      console.typeLine(answer);
      console.typeLine("y");
    }
    // The last answer outgrows its room. When that fails, an ENTER for the warning's
    // pause, and the question is asked again: a shorter answer. Otherwise the ENTER, the
    // shorter answer and its "y" go to the pauses of the end.
    console.typeLine(LongAnswer);
    console.typeLine("y");
    console.typeLine("");
    console.typeLine("1, 2, 3");
    console.typeLine("y");
    for (int i = 0; i < 4; ++i)
      console.typeLine("");
    return runProgram([] { loadExam(); });
  }

  static inline const FileTime Now = fileTimeAt(2026, 3, 1, 12, 0);
  static constexpr const char* ExamName = "MidtermExam.exm";
  std::string exam;
  TempFolder folder;
  std::filesystem::path startFolder;
};

TEST_F(AllocationFailureLoop, EveryAllocationOfALoadAndSessionMayFail) {
  ExamFileOptions options;
  options.Password = "open sesame";
  options.ExpiryDate = "2026/12/31::23:59:00";
  options.OrderMode = '+';
  exam = makeExamFileText(Header, Body, options);

  ASSERT_EQ(run(0, false), NoExit) << all();
  const std::vector<size_t> sizes = g_allocations.Sizes;
  const std::string loaded = folder.read(ExamName);
  ASSERT_NE(loaded, exam);
  ASSERT_EQ(console.text(ConsoleStream::Err).find("Memory"), std::string::npos);

  for (bool persistent : {false, true}) {
    std::map<std::string, size_t> seen;
    size_t lastKind = 0;
    for (size_t k = 1; k <= sizes.size(); ++k) {
      SCOPED_TRACE(std::string(persistent ? "from" : "only") + " allocation " +
                   std::to_string(k) + " failing");
      int status = run(k, persistent);
      const std::string said = all();
      // The one kind whose message the student saw.
      const std::vector<FailureKind> kinds = kindsFor(sizes[k - 1]);
      size_t kind = kinds.size();
      for (size_t i = 0; i < kinds.size() && kind == kinds.size(); ++i)
        if (said.find(kinds[i].Prefix) != std::string::npos &&
            (kinds[i].Message.empty() || said.find(kinds[i].Message) != std::string::npos))
          kind = i;
      ASSERT_LT(kind, kinds.size()) << said;
      const FailureKind& failure = kinds[kind];
      ++seen[failure.Name];
      // A run meets the kinds in order: the file list, the body, the texts, the session.
      if (kind < 2 || kind >= 6) {
        EXPECT_GE(kind, lastKind) << failure.Name;
      }
      lastKind = std::max(lastKind, kind);

      const bool bodyGivesUp = persistent && kind == 1;
      if (failure.Ends || bodyGivesUp)
        EXPECT_EQ(status, -1) << said;
      else
        EXPECT_EQ(status, NoExit) << said;
      if (bodyGivesUp) {
        EXPECT_NE(said.find("Trying again ... \nWarning - Memory Error - Could not allocate"),
                  std::string::npos);
        EXPECT_NE(said.find("FINAL ATTEMPT ... \nWarning - Memory Error"), std::string::npos);
        EXPECT_NE(said.find("Not Enough Memory"), std::string::npos) << said;
      }
      const std::string onDisk = folder.read(ExamName);
      if (failure.ExamUntouched || bodyGivesUp)
        EXPECT_EQ(onDisk, exam);
      else
        EXPECT_EQ(onDisk, loaded);
    }
    // Every kind was met: the loop went through every part of the run.
    for (const FailureKind& kind : kindsFor(0))
      EXPECT_GT(seen[kind.Name], 0u) << kind.Name;
    EXPECT_EQ(seen["list node"], 1u);
    EXPECT_EQ(seen["sub-question"], 2u);
    EXPECT_EQ(seen["question list"], 4u);
  }
}

}  // namespace
