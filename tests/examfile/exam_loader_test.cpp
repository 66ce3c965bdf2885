#include "examfile/exam_loader.h"

#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "console/console.h"
#include "crypto/key_data.h"
#include "examfile/exam_discovery.h"
#include "examfile/exam_writer.h"
#include "examfile/expiry_check.h"
#include "format/question_store.h"
#include "session/exam_session.h"
#include "support/file_time_at.h"
#include "support/scripted_test.h"
#include "support/unreadable_file.h"

namespace {

constexpr FileTime Second = 10000000ULL;
constexpr FileTime Minute = 60 * Second;

const char* const Header =
    ";Fall 2026;  CS 1234: Intro to Programming: (001) ---> Midterm Exam:  TimeLimit: 90 "
    "minutes  ---  Version 1.07";

const char* const Body =
    "QUESTIONS 10\n"
    "1. (5 pts) Which number is even?\n"
    "a) 3\n"
    "b) 4\n"
    "{\n"
    "2. (10 pts) Explain recursion.\n"
    "3. (10 pts) Explain iteration.\n"
    "}\n"
    "4. Answer both parts.\n"
    "   4.a. (3 pts) First part.\n"
    "   4.b. (2 pts) Second part.\n";

const char* const ResultName =
    "FallZ2026_CSZ1234_MidtermZExam_00__XMC_abc123_CompletedBy.xmc";

// What the session was handed.
struct SessionCall {
  int Calls = 0;
  std::string Name;
  int8_t Counter = 0;
  bool StreamEmpty = false;
} g_session;

void recordSession(FILE* stream, const char* name, int8_t counter) {
  ++g_session.Calls;
  g_session.Name = name;
  g_session.Counter = counter;
  g_session.StreamEmpty = fgetc(stream) == EOF;
  fputs("START:\r\n", stream);
}

}  // namespace

class ExamLoaderTest : public ScriptedTest {
 protected:
  void SetUp() override {
    ScriptedTest::SetUp();
    startDirectory = std::filesystem::current_path();
    setUpKeyData(0, nullptr);
    snprintf(State.WorkingDirectory, sizeof State.WorkingDirectory, "%s", folder.path().c_str());
    snprintf(State.StartDirectory, sizeof State.StartDirectory, "%s", folder.path().c_str());
    snprintf(State.StudentId, sizeof State.StudentId, "abc123");
    console.setUtc(Now);
    options = defaultOptions();
    g_session = SessionCall();
    ExamSessionRunner = recordSession;
  }
  void TearDown() override {
    ExamSessionRunner = runExamSession;
    releaseExamFileList();
    clearQuestionStore();
    std::filesystem::current_path(startDirectory);
    ScriptedTest::TearDown();
  }

  // The password the tests type and an expiry far after the clock.
  static ExamFileOptions defaultOptions() {
    ExamFileOptions options;
    options.Password = "open sesame";
    options.ExpiryDate = "2026/12/31::23:59:00";
    return options;
  }
  // Writes the exam file, dated an hour before the clock.
  void writeExam(const std::string& text, FileTime written = Now - 60 * Minute) {
    folder.write(ExamName, text);
    FileTimes times;
    times.LastAccess = times.LastWrite = written;
    ASSERT_TRUE(platform().setFileTimes(folder.file(ExamName).c_str(), times));
  }
  std::string exam(const std::string& body = Body) {
    return makeExamFileText(Header, body, options);
  }
  std::string onDisk() const { return folder.read(ExamName); }
  FileTime lastWrite() const {
    FileTimes times;
    platform().getFileTimes(folder.file(ExamName).c_str(), &times);
    return times.LastWrite;
  }
  // Picks the only exam and types the password; returns the exit status or NoExit.
  int load(const std::string& password, const std::string& afterwards = "") {
    console.typeLine("1");
    console.typeLine(password);
    if (!afterwards.empty())
      console.typeLine(afterwards);
    return runProgram([] { loadExam(); });
  }
  // Refused loads end with a press-ENTER pause.
  int loadRefused(const std::string& password) { return load(password, " "); }
  static FileTime clockNow() {
    FileTime now = 0;
    systemTimeToFileTime(platform().systemTimeUtc(), &now);
    return now;
  }
  // The file differs from before in the two counter digits at offset at, and nowhere else.
  void expectOnlyCounterChanged(const std::string& before, size_t at) const {
    const std::string after = onDisk();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(0, at), before.substr(0, at));
    EXPECT_NE(after.substr(at, 2), before.substr(at, 2));
    EXPECT_EQ(after.substr(at + 2), before.substr(at + 2));
  }

  static inline const FileTime Now = fileTimeAt(2026, 3, 1, 12, 0);
  static constexpr const char* ExamName = "MidtermExam.exm";
  ExamFileOptions options;
  TempFolder folder;
  std::filesystem::path startDirectory;
};

// Where the two digits of the open counter stand: the last pair of the protected block,
// which the writer puts at the end of the second line of 32 pairs.
static size_t counterOffset() {
  return strlen(Header) + 2 + 65 + 62;
}

TEST_F(ExamLoaderTest, RightPasswordLoadsAndLowersTheCounterInPlace) {
  options.OpenCounter = 0x00;
  writeExam(exam());
  const std::string before = onDisk();
  const FileTime written = lastWrite();

  ASSERT_EQ(load("open sesame"), NoExit) << all();
  expectOnlyCounterChanged(before, counterOffset());
  EXPECT_EQ(lastWrite(), written);

  EXPECT_EQ(g_session.Calls, 1);
  EXPECT_EQ(g_session.Counter, int8_t(-1));  // 0x00 became 0xFF
  EXPECT_TRUE(g_session.StreamEmpty);
  EXPECT_EQ(g_session.Name, ResultName);
  EXPECT_EQ(folder.read(ResultName), "START:\r\n");

  EXPECT_NE(out().find("\nAll Exam/Homework Files found are listed below: - Select ONE of them "
                       "by number or Enter -1 to Exit: \n\n01] MidtermExam.exm  <<< [01]\n"),
            std::string::npos);
  EXPECT_NE(out().find("\n\nThere is only one exam/homework in this directory, so enter 1 to "
                       "continue.\n\n"),
            std::string::npos);
  EXPECT_NE(out().find("\n\nEnter the exam password:\n\n"), std::string::npos);
  EXPECT_NE(out().find("\n\nInitializing ... \n\n"), std::string::npos);

  EXPECT_STREQ(State.Header.ExamName, "Midterm Exam");
  EXPECT_EQ(State.OrderMode, OrderShuffled);
  EXPECT_EQ(State.ClockCheckMode, ClockCheckOn);
  EXPECT_EQ(State.ReviewMode, ReviewOff);
  EXPECT_EQ(State.QuestionCount, 4);
  EXPECT_FLOAT_EQ(State.TotalPoints, 20.0f);
  EXPECT_EQ(State.ExamFileList, nullptr);
  EXPECT_EQ(State.Body.Text, nullptr);
}

// The loader opens its files only through the platform door, so that a backend can hand
// them out from elsewhere: the exam file fuzz target keeps them in memory, and a file
// opened past the door would be looked for on the disk there and never found.
class OpenRecorder : public ScriptedPlatform {
 public:
  FILE* openFile(const char* path, const char* mode) override {
    Opened.push_back(std::filesystem::path(path).filename().string() + " " + mode);
    return ScriptedPlatform::openFile(path, mode);
  }
  std::vector<std::string> Opened;
};

TEST_F(ExamLoaderTest, EveryFileIsOpenedThroughThePlatform) {
  writeExam(exam());
  OpenRecorder recorder;
  recorder.setUtc(Now);
  setPlatform(&recorder);
  recorder.typeLine("1");
  recorder.typeLine("open sesame");
  const int status = runProgram([] { loadExam(); });
  setPlatform(&console);
  ASSERT_EQ(status, NoExit) << recorder.allText();
  const std::string exam = ExamName, result = ResultName;
  EXPECT_EQ(recorder.Opened, (std::vector<std::string>{exam + " rb", exam + " r+b",
                                                       result + " rb", result + " w+b"}));
}

// The lowered counter is on the disk before the exam is shown: a power cut during the
// session must not leave the exam reading as never opened.
class SyncRecorder : public ScriptedPlatform {
 public:
  FILE* openFile(const char* path, const char* mode) override {
    FILE* file = ScriptedPlatform::openFile(path, mode);
    Names[file] = std::filesystem::path(path).filename().string();
    return file;
  }
  bool syncFile(FILE* stream) override {
    bool synced = ScriptedPlatform::syncFile(stream);
    Synced.push_back(Names[stream] + (g_session.Calls == 0 ? " before" : " during") +
                     " the session, counter " + OnDisk().substr(counterOffset(), 2));
    return synced;
  }
  std::map<FILE*, std::string> Names;
  std::vector<std::string> Synced;
  std::function<std::string()> OnDisk;
};

TEST_F(ExamLoaderTest, TheLoweredCounterIsSyncedBeforeTheSession) {
  options.OpenCounter = 0x00;
  writeExam(exam());
  const std::string before = onDisk().substr(counterOffset(), 2);
  SyncRecorder recorder;
  recorder.OnDisk = [this] { return onDisk(); };
  recorder.setUtc(Now);
  setPlatform(&recorder);
  recorder.typeLine("1");
  recorder.typeLine("open sesame");
  const int status = runProgram([] { loadExam(); });
  setPlatform(&console);
  ASSERT_EQ(status, NoExit) << recorder.allText();
  const std::string after = onDisk().substr(counterOffset(), 2);
  EXPECT_NE(after, before);
  EXPECT_EQ(recorder.Synced,
            (std::vector<std::string>{std::string(ExamName) + " before the session, counter " + after}));
}

TEST_F(ExamLoaderTest, EachLoadLowersTheCounterOnceMore) {
  options.OpenCounter = 0xFF;
  options.ReviewMode = ReviewOn;
  options.OrderMode = OrderFileOrder;
  writeExam(exam());
  ASSERT_EQ(load("open sesame"), NoExit) << all();
  EXPECT_EQ(g_session.Counter, int8_t(0xFE));
  ASSERT_EQ(load("open sesame", "y"), NoExit) << all();  // reuse the completed-exam file
  EXPECT_EQ(g_session.Counter, int8_t(0xFD));
  EXPECT_EQ(State.ReviewMode, ReviewOn);
  EXPECT_EQ(State.OrderMode, OrderFileOrder);
}

TEST_F(ExamLoaderTest, CrLfLineEndsLoad) {
  std::string text = exam();
  std::string crlf;
  for (char c : text) {
    if (c == '\n')
      crlf += '\r';
    crlf += c;
  }
  writeExam(crlf);
  ASSERT_EQ(load("open sesame"), NoExit) << all();
  EXPECT_EQ(State.QuestionCount, 4);
  // The counter stands three carriage returns further on.
  expectOnlyCounterChanged(crlf, counterOffset() + 3);
}

// Refusals that end the program leave the file as it was.
TEST_F(ExamLoaderTest, RefusalsThatEndTheProgram) {
  struct Case {
    const char* Name;
    std::function<void(ExamFileOptions*)> Change;
    std::string Password;
    std::string Message;
  } cases[] = {
      {"wrong password", [](ExamFileOptions*) {}, "open sesame!", "The password is incorrect."},
      {"block version", [](ExamFileOptions* o) { o->BlockVersion = "1.06"; }, "open sesame",
       "Exam version corrupted."},
      {"expired", [](ExamFileOptions* o) { o->ExpiryDate = "2026/03/01::11:59:00"; },
       "open sesame", "\nThis exam/homework has expired."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    options = defaultOptions();
    c.Change(&options);
    writeExam(exam());
    const std::string before = onDisk();
    console.takeText();
    EXPECT_EQ(loadRefused(c.Password), -1);
    std::string shown = console.takeText();
    EXPECT_NE(shown.find("\n\n" + c.Message + PressEnterBanner), std::string::npos)
        << shown;
    EXPECT_EQ(attributeOf(c.Message), 12);
    EXPECT_EQ(onDisk(), before);
    EXPECT_EQ(g_session.Calls, 0);
    releaseExamFileList();
  }
}

// The clock check finds four files written after the clock's present: the clock was set
// back. An exam that is expired as well is refused as expired, and either way the file
// stays as it was.
TEST_F(ExamLoaderTest, ClockSetBackAndExpiredIsRefusedAsExpired) {
  TempFolder recent;
  for (int i = 1; i <= 4; ++i) {
    const std::string name = "recent" + std::to_string(i);
    recent.write(name, "x");
    FileTimes times;
    times.LastAccess = times.LastWrite = Now + i * Minute;
    ASSERT_TRUE(platform().setFileTimes(recent.file(name).c_str(), times));
  }
  console.setUserFolder(1, recent.path());
  const struct {
    const char* Expiry;
    const char* Message;
    const char* NotShown;
  } cases[] = {
      {"2026/12/31::23:59:00", "System Clock Reset Detected - Contact Instructor.", "expired"},
      {"2026/03/01::11:59:00", "\nThis exam/homework has expired.", "Clock Reset"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Expiry);
    initExamState();  // starts the scan of the user's folders, as start-up does
    snprintf(State.StartDirectory, sizeof State.StartDirectory, "%s", folder.path().c_str());
    options.ExpiryDate = c.Expiry;
    writeExam(exam());
    const std::string before = onDisk();
    console.takeText();
    EXPECT_EQ(loadRefused("open sesame"), -1);
    const std::string shown = console.takeText();
    EXPECT_NE(shown.find("\n\n" + std::string(c.Message) + PressEnterBanner), std::string::npos)
        << shown;
    EXPECT_EQ(shown.find(c.NotShown), std::string::npos) << shown;
    EXPECT_EQ(onDisk(), before);
    EXPECT_EQ(g_session.Calls, 0);
    releaseExamFileList();
  }
}

TEST_F(ExamLoaderTest, FileDatedSeventeenMinutesAhead) {
  // The clock moves only as the student types: the file times are set against it.
  writeExam(exam(), clockNow() + 17 * Minute - Second);
  console.typeLine("1", 0);
  console.typeLine("open sesame");
  ASSERT_EQ(runProgram([] { loadExam(); }), NoExit) << all();

  writeExam(exam(), clockNow() + 17 * Minute);
  const std::string before = onDisk();
  console.takeText();
  console.typeLine("1", 0);
  console.typeLine(" ");
  EXPECT_EQ(runProgram([] { loadExam(); }), -1);
  EXPECT_NE(console.takeText().find(
                "System Clock Reset Detected - Contact the Instructor. Press ENTER\n\n"),
            std::string::npos);
  EXPECT_EQ(attributeOf("System Clock Reset Detected - Contact the Instructor."), 14);
  EXPECT_EQ(onDisk(), before);
}

// A file the student cannot read is reported as such, even when its time would look like
// a clock set back, and the menu comes back.
TEST_F(ExamLoaderTest, UnreadableFileIsReportedBeforeTheClockIsJudged) {
  writeExam(exam(), clockNow() + 60 * Minute);
  const std::string before = onDisk();
  {
    UnreadableFile locked(folder.file(ExamName));
    ASSERT_TRUE(locked.unreadable());
    console.typeLine("1");
    console.typeLine("");
    EXPECT_EQ(runProgram([] { loadExam(); }), NoExit) << all();
  }
  char message[128];
  snprintf(message, sizeof message,
           "Error - Unable to open exam/homefile file (MidtermExam.exm), error = %08X\n\n",
           UnreadableFile::openErrorCode());
  EXPECT_NE(all().find(message), std::string::npos)
      << all();
  EXPECT_EQ(attributeOf("Error - Unable to open exam/homefile file"), 12);
  EXPECT_EQ(all().find("System Clock Reset"), std::string::npos);
  EXPECT_EQ(State.ExamFileList, nullptr);
  EXPECT_EQ(g_session.Calls, 0);
  EXPECT_EQ(onDisk(), before);
}

// Damaged files: a message, back to the menu, the file untouched.
TEST_F(ExamLoaderTest, CorruptedFilesGoBackToTheMenu) {
  const std::string good = exam();
  const size_t hexStart = strlen(Header) + 2;
  std::string secondLine = good;
  secondLine.insert(strlen(Header) + 1, "x");
  std::string nonHexInBlock = good;
  nonHexInBlock[hexStart + 10] = 'G';
  std::string nonHexInBody = good;
  nonHexInBody[good.size() - 5] = 'z';
  std::string endsInBlock = good.substr(0, hexStart + 40 * 2);
  std::string halfPair = good.substr(0, good.size() - 2);  // cut inside the last pair
  std::string noSecondLine = std::string(Header) + "\n";

  struct Case {
    const char* Name;
    std::string Text;
    bool AsksPassword;
  } cases[] = {{"second line", secondLine, false},      {"no second line", noSecondLine, false},
               {"non-hex in block", nonHexInBlock, true}, {"non-hex in body", nonHexInBody, true},
               {"ends inside the block", endsInBlock, true}, {"half a pair", halfPair, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    writeExam(c.Text);
    console.takeText();
    console.typeLine("1");
    if (c.AsksPassword)
      console.typeLine("open sesame");
    console.typeLine("");
    EXPECT_EQ(runProgram([] { loadExam(); }), NoExit);
    std::string shown = console.takeText();
    EXPECT_NE(shown.find("Error - Exam/Homework is corrupted.\n\n"), std::string::npos)
        << shown;
    EXPECT_EQ(attributeOf("Error - Exam/Homework is corrupted."), 14);
    EXPECT_EQ(onDisk(), c.Text);
    EXPECT_EQ(State.ExamFileList, nullptr);
    EXPECT_EQ(g_session.Calls, 0);
  }
}

TEST_F(ExamLoaderTest, EmptyBodyHasNoQuestionsLine) {
  writeExam(exam(""));
  EXPECT_EQ(loadRefused("open sesame"), -1);
  EXPECT_NE(err().find("Fatal Error - Exam Format Corrupted - Did not find 'QUESTIONS' before "
                       "end of file.\n\n"),
            std::string::npos)
      << all();
  EXPECT_EQ(g_session.Calls, 0);
}

TEST_F(ExamLoaderTest, ChoosingNoExamGoesBack) {
  writeExam(exam());
  folder.write("OtherExam.exm", exam());
  console.typeLine("-1");
  EXPECT_EQ(runProgram([] { loadExam(); }), NoExit);
  EXPECT_NE(out().find("\n\nFrom the list above, choose the number of the Exam/Homework you "
                       "wish to take From: [01 to 02].\n\n"),
            std::string::npos);
  EXPECT_EQ(State.ExamFileList, nullptr);
  EXPECT_EQ(g_session.Calls, 0);
}

// Two students with the same password get different completed-exam keys.
TEST_F(ExamLoaderTest, ResultDigestDependsOnTheStudent) {
  writeExam(exam());
  ASSERT_EQ(load("open sesame"), NoExit);
  CipherState first = State.ResultCipherState;
  snprintf(State.StudentId, sizeof State.StudentId, "abc124");
  ASSERT_EQ(load("open sesame", "n"), NoExit) << all();
  EXPECT_NE(memcmp(first.Digest, State.ResultCipherState.Digest, 32), 0);
  EXPECT_EQ(g_session.Name, "FallZ2026_CSZ1234_MidtermZExam_00__XMC_abc124_CompletedBy.xmc");
}

TEST_F(ExamLoaderTest, CountsAPoolOnceAndSubQuestionsEach) {
  clearQuestionStore();
  char one[] = "one", two[] = "two", three[] = "three", four[] = "four";
  newQuestion(1, one, 2.0f);
  Question* pooled = newQuestion(2, two, 3.0f);
  pooled->Pool = 1;
  Question* alsoPooled = newQuestion(3, three, 3.0f);
  alsoPooled->Pool = 1;
  Question* parent = newQuestion(4, four, 0.0f);
  SubQuestion* a = newSubQuestion("a", 1.5f);
  SubQuestion* b = newSubQuestion("b", 2.5f);
  parent->SubLink = a;
  a->SubLink = b;
  parent->SubCount = 2;
  countQuestionsAndPoints();
  EXPECT_EQ(State.QuestionCount, 4);
  EXPECT_FLOAT_EQ(State.TotalPoints, 9.0f);
  parent->SubLink = nullptr;  // the sub-questions belong to the store's own slots
}
