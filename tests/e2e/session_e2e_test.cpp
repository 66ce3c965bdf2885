// The real program takes the demo exam on a pseudo-terminal, and veritor-author reads the
// completed-exam file it leaves, also when the program is killed in the middle.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "e2e/pty_program.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string Veritor = std::string(VERITOR_BINARY_DIR) + "/veritor";
const std::string Author = std::string(VERITOR_BINARY_DIR) + "/veritor-author";
const std::string DemoExam = std::string(VERITOR_BINARY_DIR) + "/samples/DemoExam.exm";

class ExamFolder {
 public:
  explicit ExamFolder(const std::string& exam = DemoExam) {
    std::string pattern = (std::filesystem::temp_directory_path() / "veritor-session-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) ? pattern : "";
    if (!exam.empty())
      std::filesystem::copy_file(exam, path_ + "/DemoExam.exm");
  }
  ~ExamFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }
  // The one completed-exam file in the folder, or "".
  std::string resultFile() const {
    for (const auto& entry : std::filesystem::directory_iterator(path_))
      if (entry.path().extension() == ".xmc")
        return entry.path().string();
    return "";
  }

 private:
  std::string path_;
};

// No display: the question window is the console view.
const std::vector<EnvSetting> NoDisplay = {
    {"DISPLAY", nullptr}, {"WAYLAND_DISPLAY", nullptr}, {"NO_COLOR", "1"}};

// The student at the terminal: reads each prompt before typing.
class Student {
 public:
  explicit Student(const std::string& dir, const std::vector<EnvSetting>& environment = NoDisplay)
      : program_(Veritor, dir, environment) {}
  // The program run by another one that watches it: the command ends with the program.
  Student(const std::vector<std::string>& command, const std::string& dir,
          const std::vector<EnvSetting>& environment)
      : program_(command, dir, environment) {}

  bool waitFor(const std::string& text) { return program_.waitFor(text, 10000); }

  void type(const std::string& keys) {
    think();
    program_.type(keys);
  }

  // The identity dialogue, up to the main menu.
  void identify() {
    ASSERT_TRUE(waitFor("Enter your Last Name: ")) << output();
    type("Doe\r");
    ASSERT_TRUE(waitFor("Enter your First Name: ")) << output();
    type("Jane\r");
    ASSERT_TRUE(waitFor("Enter your abc123: ")) << output();
    type("abc123\r");
    ASSERT_TRUE(waitFor("Y(y) / N(n): ")) << output();
    type("y\r");
    ASSERT_TRUE(waitFor("Enter your choice: ")) << output();
  }

  // Identity, the menu's Take Exam, the demo exam and its password, up to the first question.
  void startDemoExam() {
    openDemoExam();
    ASSERT_TRUE(waitFor("PRESS ENTER TO BEGIN EXAM")) << output();
    type("\r");
    ASSERT_TRUE(waitFor("START TIME:")) << output();
  }

  // Identity, the menu's Take Exam, the demo exam and its password typed.
  void openDemoExam() {
    identify();
    type("3\r");
    ASSERT_TRUE(waitFor("enter 1 to continue.")) << output();
    type("1\r");
    ASSERT_TRUE(waitFor("Enter the exam password:")) << output();
    type("demo2026\r");
  }

  void answerNext(const std::string& answer) {
    ASSERT_TRUE(waitFor("\nAnswer?")) << output();
    type(answer + "\r");
    ASSERT_TRUE(waitFor("Enter 'Y' or 'y' if correct.")) << output();
    type("y\r");
  }

  // #done or #exit at the next prompt, confirmed.
  void endExam(const std::string& command) {
    ASSERT_TRUE(waitFor("\nAnswer?")) << output();
    type(command + "\r");
    ASSERT_TRUE(waitFor("if you are SURE, answer 'Y' or 'y'")) << output();
    type("y\r");
  }

  // ENTER on the final screen, then the menu's leave choice; the exit status.
  int leaveAfterTheFinalScreen() {
    type("\r");
    if (!waitFor("Enter your choice: "))
      return -3000;
    return leave();
  }

  // From the main menu to the end of the program: its exit status.
  int leave() {
    type("9\r");
    if (!waitFor("Great! Have a nice day!"))
      return -3000;
    type("\r");
    return finish();
  }

  int finish() {
    int status = 0;
    if (program_.wait(&status, 10000) != 0)
      return -1000;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -2000;
  }

  void killNow() { program_.killNow(); }
  bool modesRestored() const { return program_.modesRestored(); }

  const std::string& output() const { return program_.output(); }

 private:
  PtyProgram program_;
};

// Appends everything left in the stream.
void readAll(FILE* stream, std::string* out) {
  char buffer[4096];
  size_t got;
  while (stream && (got = fread(buffer, 1, sizeof buffer, stream)) > 0)
    out->append(buffer, got);
}

// A virtual X server of the test's own (Xvfb).
class XServer {
 public:
  XServer() {
    if (access("/usr/bin/Xvfb", X_OK) != 0)
      return;
    int ready[2];
    if (pipe(ready) != 0)
      return;
    server_ = fork();
    if (server_ == 0) {
      int null = open("/dev/null", O_WRONLY);
      dup2(null, 1);
      dup2(null, 2);
      std::string fd = std::to_string(ready[1]);
      execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen",
            "0", "1280x1024x24", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(ready[1]);
    // Xvfb writes its display number once it takes connections.
    std::string number;
    struct pollfd p = {ready[0], POLLIN, 0};
    char c;
    while (poll(&p, 1, 10000) > 0 && read(ready[0], &c, 1) == 1 && c != '\n')
      number += c;
    close(ready[0]);
    if (number.empty())
      return;
    display_ = ":" + number;
  }
  ~XServer() { killNow(); }
  // Empty when no server could be had.
  const std::string& display() const { return display_; }
  // The server goes away at once, as a crashed or disconnected display does.
  void killNow() {
    if (server_ > 0) {
      kill(server_, SIGKILL);
      waitpid(server_, nullptr, 0);
    }
    server_ = -1;
  }

  // What xprop says, with these arguments, on this display.
  std::string query(const std::string& arguments) const {
    std::string out;
    FILE* pipe = popen(("DISPLAY=" + display_ + " xprop " + arguments + " 2>/dev/null").c_str(), "r");
    readAll(pipe, &out);
    if (pipe)
      pclose(pipe);
    return out;
  }
  // Waits until the question window is on the display; what xprop says of it then.
  std::string questionWindow(const std::string& properties) const {
    for (int i = 0; i < 300; ++i) {
      std::string said = query("-name QUESTION " + properties);
      if (said.find(" = ") != std::string::npos)
        return said;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return "";
  }

 private:
  pid_t server_ = -1;
  std::string display_;
};

std::vector<EnvSetting> onDisplay(const std::string& display) {
  return {{"DISPLAY", display.c_str()}, {"WAYLAND_DISPLAY", nullptr}, {"SDL_VIDEODRIVER", nullptr},
          {"NO_COLOR", "1"}};
}

// Runs veritor-author read; returns its exit status with its standard output and error.
int authorRead(const std::string& arguments, std::string* out, std::string* err) {
  // One file per call: suites of other builds, and the sessions of the kill loop, may
  // read at the same time.
  static std::atomic<int> calls{0};
  std::string errPath = std::filesystem::temp_directory_path() /
                        ("veritor-session-read-err-" + std::to_string(getpid()) + "-" +
                         std::to_string(calls++) + ".txt");
  FILE* pipe = popen((Author + " read " + arguments + " 2>" + errPath).c_str(), "r");
  readAll(pipe, out);
  int status = pclose(pipe);
  FILE* errFile = fopen(errPath.c_str(), "rb");
  readAll(errFile, err);
  if (errFile)
    fclose(errFile);
  std::filesystem::remove(errPath);
  return WEXITSTATUS(status);
}

size_t countOf(const std::string& text, const std::string& piece) {
  size_t count = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
    ++count;
  return count;
}

TEST(SessionEndToEnd, TheDemoExamFromIdentityToTheFinalMessage) {
  ExamFolder folder;
  Student student(folder.path());
  student.startDemoExam();
  // Without a display the console shows the countdown above the question.
  ASSERT_TRUE(student.waitFor("Time Remaining: 00:")) << student.output();
  // The demo exam asks five entries: one question of its pool, and two sub-questions.
  for (const char* answer : {"first", "second", "third", "fourth", "fifth"})
    student.answerNext(answer);
  // Its review mode is on, as its text says: the student checks and then ends with #done.
  ASSERT_TRUE(student.waitFor("You have answered all questions but may review")) << student.output();
  student.type("\r");
  student.endExam("#done");
  ASSERT_TRUE(student.waitFor("Congratulations! You have finished this exam with 19 minutes and "))
      << student.output();
  ASSERT_TRUE(student.waitFor("TURN IN THIS FILE: ")) << student.output();
  ASSERT_TRUE(student.waitFor("Do NOT turn in the file with the \".exm\" extension.")) << student.output();
  EXPECT_EQ(student.leaveAfterTheFinalScreen(), 0) << student.output();

  std::string file = folder.resultFile();
  ASSERT_EQ(std::filesystem::path(file).filename(),
            "DemoZ2026_VTZ101_DemoZExam_00__XMC_abc123_CompletedBy.xmc");
  std::string out, err;
  EXPECT_EQ(authorRead("--password demo2026 " + file, &out, &err), 0) << err;
  // Five questions and their answers, the question shown after the review notice, #done.
  EXPECT_NE(err.find(": whole, for this student and password (12 session records, ticks in order)\n"),
            std::string::npos)
      << err;
  EXPECT_NE(out.find("; Name: Doe, Jane (abc123)\n"), std::string::npos) << out;
  EXPECT_EQ(countOf(out, " - ANSWER CONFIRMED:\n"), 5u);
  // Each answer is in the transcript, after the arrow of a question or of a sub-question.
  for (const std::string answer : {"first", "second", "third", "fourth", "fifth"})
    EXPECT_TRUE(out.find("==> " + answer + "\n") != std::string::npos ||
                out.find("--> " + answer + "\n") != std::string::npos)
        << answer;
  EXPECT_NE(out.find("\nEXAM COMPLETE:\n"), std::string::npos);
  EXPECT_NE(out.find("QUESTIONS:  (5)  Total Points:  ( 12.0)"), std::string::npos) << out;

  out.clear();
  err.clear();
  EXPECT_EQ(authorRead("--timeline " + file, &out, &err), 0) << err;
  EXPECT_EQ(countOf(out, " answered after "), 5u) << out;
}

TEST(SessionEndToEnd, AFullDiskIsShownAtOnceAndAgainOnTheFinalScreen) {
  ExamFolder folder;
  // The completed-exam file the program will choose is a device on which every write fails.
  const std::string name = "DemoZ2026_VTZ101_DemoZExam_00__XMC_abc123_CompletedBy.xmc";
  std::filesystem::create_symlink("/dev/full", folder.path() + "/" + name);
  Student student(folder.path());
  student.openDemoExam();
  ASSERT_TRUE(student.waitFor("already exists. Overwrite it?")) << student.output();
  student.type("y\r");
  ASSERT_TRUE(student.waitFor("PRESS ENTER TO BEGIN EXAM")) << student.output();
  student.type("\r");
  ASSERT_TRUE(student.waitFor("WARNING - The XMC file could not be written")) << student.output();
  ASSERT_TRUE(student.waitFor("PRESS ENTER TO CONTINUE")) << student.output();
  student.type("\r");
  student.answerNext("first");
  student.endExam("#exit");
  ASSERT_TRUE(student.waitFor("Do NOT turn in the file with the \".exm\" extension.")) << student.output();
  const std::string& shown = student.output();
  size_t incomplete = shown.rfind("WARNING - The XMC file below is INCOMPLETE");
  ASSERT_NE(incomplete, std::string::npos) << shown;
  EXPECT_LT(incomplete, shown.rfind("TURN IN THIS FILE: "));
  EXPECT_EQ(countOf(shown, "WARNING - The XMC file could not be written"), 1u);
  EXPECT_EQ(student.leaveAfterTheFinalScreen(), 0) << student.output();
}

// One system call of a traced run, as strace -y prints it.
struct TracedCall {
  enum Kind { ResultWrite, ResultSync, FolderSync, ExamWrite, ExamSync, Prompt, Other };
  Kind What = Other;
  std::string Text;  // what a write carried, as strace shows it
};

// "1234 write(5</tmp/x/a.xmc>, "ABC", 3) = 3": what the call did to which file.
TracedCall parseTracedCall(const std::string& line, const std::string& folder) {
  TracedCall call;
  // The process number is padded to a width strace chooses.
  size_t name = line.find_first_not_of(' ', line.find(' '));
  size_t open = line.find("(", name);
  size_t pathStart = line.find('<', open);
  size_t pathEnd = line.find('>', pathStart);
  if (name == std::string::npos || open == std::string::npos || pathStart == std::string::npos ||
      pathEnd == std::string::npos || line.compare(name, 5, "<... ") == 0)
    return call;
  const std::string syscall = line.substr(name, open - name);
  const std::string path = line.substr(pathStart + 1, pathEnd - pathStart - 1);
  const bool sync = syscall == "fdatasync" || syscall == "fsync";
  const bool result = path.size() > 4 && path.compare(path.size() - 4, 4, ".xmc") == 0;
  const bool exam = path.size() > 4 && path.compare(path.size() - 4, 4, ".exm") == 0;
  if (syscall == "write") {
    size_t quote = line.find('"', pathEnd);
    if (quote != std::string::npos)
      call.Text = line.substr(quote + 1, line.rfind('"') - quote - 1);
  }
  if (result)
    call.What = sync ? TracedCall::ResultSync : TracedCall::ResultWrite;
  else if (exam)
    call.What = sync ? TracedCall::ExamSync : TracedCall::ExamWrite;
  else if (sync && path == folder)
    call.What = TracedCall::FolderSync;
  else if (syscall == "write" && path.compare(0, 9, "/dev/pts/") == 0)
    for (const char* prompt : {"Answer?", "Enter 'Y' or 'y' if correct.", "PRESS ENTER",
                               "Press ENTER", "if you are SURE", "Enter your choice"})
      if (call.Text.find(prompt) != std::string::npos)
        call.What = TracedCall::Prompt;
  return call;
}

// The real program under strace: each record that follows what the student did or saw,
// above all each confirmed answer, reaches the disk (fdatasync) before the program writes
// its next prompt; the exam file's lowered counter before the exam begins; the folder
// once the file is made.
TEST(SessionEndToEnd, EachConfirmedAnswerIsOnTheDiskBeforeTheNextPrompt) {
  ASSERT_EQ(access("/usr/bin/strace", X_OK), 0) << "strace is needed: scripts/install-deps.sh test";
  ExamFolder folder;
  const std::string trace = folder.path() + "/strace.txt";
  // LeakSanitizer cannot work under ptrace; the other runs look for leaks.
  const char* sanitizer = getenv("ASAN_OPTIONS");
  const std::string noLeakCheck = std::string(sanitizer ? sanitizer : "") + ":detect_leaks=0";
  std::vector<EnvSetting> environment = NoDisplay;
  environment.push_back({"ASAN_OPTIONS", noLeakCheck.c_str()});
  Student student({"/usr/bin/strace", "-f", "-y", "-s", "200", "-e",
                   "trace=write,fdatasync,fsync", "-o", trace, Veritor},
                  folder.path(), environment);
  student.startDemoExam();
  for (const char* answer : {"first", "second", "third", "fourth", "fifth"})
    student.answerNext(answer);
  ASSERT_TRUE(student.waitFor("You have answered all questions but may review")) << student.output();
  student.type("\r");
  student.endExam("#done");
  ASSERT_TRUE(student.waitFor("TURN IN THIS FILE: ")) << student.output();
  EXPECT_EQ(student.leaveAfterTheFinalScreen(), 0) << student.output();

  std::ifstream lines(trace);
  std::vector<TracedCall> calls;
  for (std::string line; std::getline(lines, line);)
    calls.push_back(parseTracedCall(line, std::filesystem::canonical(folder.path()).string()));
  size_t unsynced = 0;     // result-file writes since its last sync
  bool examUnsynced = false;
  bool folderSynced = false;
  bool confirming = false;  // the confirmation prompt was shown; its record is next
  size_t confirmedRecord = 0, confirmedSynced = 0, prompts = 0, resultSyncs = 0;
  for (const TracedCall& call : calls) {
    switch (call.What) {
      case TracedCall::ResultWrite:
        ++unsynced;
        if (confirming) {
          ++confirmedRecord;
          confirming = false;
        }
        break;
      case TracedCall::ResultSync:
        if (unsynced > 0 && confirmedRecord > confirmedSynced)
          confirmedSynced = confirmedRecord;
        unsynced = 0;
        ++resultSyncs;
        break;
      case TracedCall::FolderSync:
        EXPECT_GT(resultSyncs, 0u) << "the folder is synced before the file's first records";
        folderSynced = true;
        break;
      case TracedCall::ExamWrite:
        examUnsynced = true;
        break;
      case TracedCall::ExamSync:
        examUnsynced = false;
        break;
      case TracedCall::Prompt:
        ++prompts;
        EXPECT_EQ(unsynced, 0u) << "a prompt is written before the records before it are on the "
                                   "disk: " << call.Text;
        EXPECT_FALSE(examUnsynced) << "the lowered counter is not on the disk at: " << call.Text;
        if (call.Text.find("Answer?") != std::string::npos) {
          EXPECT_TRUE(folderSynced) << "the file's name is not on the disk at the first question";
        }
        confirming = call.Text.find("Enter 'Y' or 'y' if correct.") != std::string::npos;
        break;
      case TracedCall::Other:
        break;
    }
  }
  // The five answers, each followed by a sync before the next prompt.
  EXPECT_EQ(confirmedRecord, 5u);
  EXPECT_EQ(confirmedSynced, 5u);
  EXPECT_GE(prompts, 12u);
  // Every question, answer and end command, the opening, the summary and the closing.
  EXPECT_GE(resultSyncs, 5u + 7u + 1u + 2u);
  EXPECT_EQ(unsynced, 0u) << "the program ended with records not on the disk";
}

TEST(SessionEndToEnd, KilledMidSessionLeavesEveryRecordWrittenSoFar) {
  ExamFolder folder;
  Student student(folder.path());
  student.startDemoExam();
  student.answerNext("kept one");
  student.answerNext("kept two");
  ASSERT_TRUE(student.waitFor("\nAnswer?")) << student.output();
  student.killNow();

  std::string out, err;
  EXPECT_EQ(authorRead(folder.resultFile(), &out, &err), 1) << err;
  EXPECT_NE(err.find("in the session records: the file ends in the session records: the session did not finish"),
            std::string::npos)
      << err;
  EXPECT_NE(out.find(" - ANSWER CONFIRMED:\nkept one\n"), std::string::npos) << out;
  EXPECT_NE(out.find(" - ANSWER CONFIRMED:\nkept two\n"), std::string::npos) << out;
  EXPECT_EQ(countOf(out, "\ntck:"), 5u) << out;  // three questions shown, two answers
}

// The demo exam from identity to the end of the program, each prompt answered as it
// comes, until the program ends (or a prompt does not come).
void takeTheDemoExamUntilItEnds(PtyProgram* program) {
  std::vector<std::pair<std::string, std::string>> steps = {
      {"Enter your Last Name: ", "Doe\r"}, {"Enter your First Name: ", "Jane\r"},
      {"Enter your abc123: ", "abc123\r"}, {"Y(y) / N(n): ", "y\r"},
      {"Enter your choice: ", "3\r"},      {"enter 1 to continue.", "1\r"},
      {"Enter the exam password:", "demo2026\r"}, {"PRESS ENTER TO BEGIN EXAM", "\r"}};
  for (const char* answer : {"first", "second", "third", "fourth", "fifth"}) {
    steps.push_back({"\nAnswer?", std::string(answer) + "\r"});
    steps.push_back({"Enter 'Y' or 'y' if correct.", "y\r"});
  }
  steps.insert(steps.end(), {{"You have answered all questions but may review", "\r"},
                             {"\nAnswer?", "#done\r"},
                             {"if you are SURE, answer 'Y' or 'y'", "y\r"},
                             {"TURN IN THIS FILE: ", "\r"},
                             {"Enter your choice: ", "9\r"},
                             {"Great! Have a nice day!", "\r"}});
  for (const auto& step : steps) {
    if (!program->waitFor(step.first, 10000))
      return;
    think();
    program->type(step.second);
  }
}

// One session killed right after the completed-exam file's k-th flush (0: never).
struct KilledSession {
  int Signal = 0;  // what ended the program, 0 for an exit
  std::string Exam;  // the exam file afterwards
  std::string Result;  // the completed-exam file
  int ReadStatus = -1;
  std::string ReadOut, ReadErr;
  long Flushes = 0;  // flushes of the completed-exam file, as the preloaded library counted
  std::string Said;  // what the program wrote on its terminal
};

KilledSession takeTheDemoExamKilledAfterFlush(const std::string& exam, long k) {
  ExamFolder folder(exam);
  const std::string countFile = folder.path() + "/flushes.txt";
  const std::string killAt = std::to_string(k);
  const char* asan = getenv("ASAN_OPTIONS");
  // The preloaded library stands ahead of the sanitizer's run-time.
  const std::string asanOptions =
      std::string(asan ? asan : "") + (asan && *asan ? ":" : "") + "verify_asan_link_order=0";
  std::vector<EnvSetting> environment = NoDisplay;
  environment.push_back({"LD_PRELOAD", VERITOR_KILL_LIBRARY});
  environment.push_back({"ASAN_OPTIONS", asanOptions.c_str()});
  environment.push_back({"VERITOR_FLUSH_COUNT_FILE", countFile.c_str()});
  environment.push_back({"VERITOR_KILL_AFTER_FLUSH", killAt.c_str()});

  KilledSession session;
  {
    PtyProgram program(Veritor, folder.path(), environment);
    takeTheDemoExamUntilItEnds(&program);
    int status = 0;
    if (program.wait(&status, 10000) == 0 && WIFSIGNALED(status))
      session.Signal = WTERMSIG(status);
    session.Said = program.output();
  }
  std::ifstream count(countFile);
  count >> session.Flushes;
  std::ifstream examFile(folder.path() + "/DemoExam.exm", std::ios::binary);
  session.Exam.assign(std::istreambuf_iterator<char>(examFile), {});
  const std::string result = folder.resultFile();
  std::ifstream file(result, std::ios::binary);
  session.Result.assign(std::istreambuf_iterator<char>(file), {});
  if (!result.empty())
    session.ReadStatus = authorRead(result, &session.ReadOut, &session.ReadErr);
  return session;
}

// A power cut after any record of a session: after each flush of the completed-exam
// file in turn, the program is killed. What it wrote must read back as a whole file cut
// at that record (each record more than the cut before), and the exam file must only
// ever have had its counter lowered.
TEST(SessionEndToEnd, KilledAfterAnyRecordTheFileReadsBackUpToThatRecord) {
  // The demo exam asked in the order of its file, so that every session writes the
  // same records.
  ExamFolder made("");
  const std::string exam = made.path() + "/DemoExam.exm";
  ASSERT_EQ(system((Author + " make " VERITOR_SOURCE_DIR "/samples/DemoExam.txt --password "
                    "demo2026 --expires 2099/12/31::23:59:00 --review on --order file -o " +
                    exam + " >/dev/null")
                       .c_str()),
            0);
  const KilledSession whole = takeTheDemoExamKilledAfterFlush(exam, 0);
  ASSERT_EQ(whole.Signal, 0);
  ASSERT_EQ(whole.ReadStatus, 0) << whole.ReadErr;
  ASSERT_GT(whole.Flushes, 20);
  const std::string original = [&] {
    std::ifstream file(exam, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
  }();
  // The one change a load makes: the counter's two hexadecimal digits.
  ASSERT_EQ(whole.Exam.size(), original.size());
  size_t first = 0;
  while (first < original.size() && whole.Exam[first] == original[first])
    ++first;
  ASSERT_LT(first + 1, original.size());
  EXPECT_EQ(whole.Exam.substr(first + 2), original.substr(first + 2));

  // The sessions run side by side: each spends most of its time waiting for the program.
  std::vector<KilledSession> cut(static_cast<size_t>(whole.Flushes) + 1);
  std::atomic<long> next{1};
  std::vector<std::thread> workers;
  for (int i = 0; i < 6; ++i)
    workers.emplace_back([&] {
      for (long k; (k = next++) <= whole.Flushes;)
        cut[static_cast<size_t>(k)] = takeTheDemoExamKilledAfterFlush(exam, k);
    });
  for (std::thread& worker : workers)
    worker.join();

  size_t lastRecords = 0;
  for (long k = 1; k <= whole.Flushes; ++k) {
    const KilledSession& session = cut[static_cast<size_t>(k)];
    SCOPED_TRACE("killed after flush " + std::to_string(k) + "; the program said:\n" +
                 session.Said.substr(session.Said.size() > 2000 ? session.Said.size() - 2000 : 0));
    EXPECT_EQ(session.Signal, SIGKILL);
    EXPECT_EQ(session.Flushes, k);
    EXPECT_EQ(session.Exam, whole.Exam);
    // The session records read back never fewer than after the kill before.
    size_t records = countOf(session.ReadOut, "\ntck:");
    EXPECT_GE(records, lastRecords);
    lastRecords = records;
    if (k == whole.Flushes) {
      EXPECT_EQ(session.ReadStatus, 0) << session.ReadErr;
      EXPECT_EQ(records, countOf(whole.ReadOut, "\ntck:"));
      continue;
    }
    // Read as a file cut short, never as a whole one nor as a damaged one.
    EXPECT_EQ(session.ReadStatus, 1) << session.ReadErr;
    EXPECT_TRUE(session.ReadErr.find("cut off") != std::string::npos ||
                session.ReadErr.find(": the file ends") != std::string::npos)
        << session.ReadErr;
  }
}

// A student at the terminal with the question window on an X server of the test's own.
class WindowSystemEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (x.display().empty())
      GTEST_SKIP() << "no Xvfb";
    student_ = std::make_unique<Student>(folder.path(), onDisplay(x.display()));
  }
  XServer x;
  ExamFolder folder;
  std::unique_ptr<Student> student_;
};

// The X server dies under an exam: the window goes, the exam goes on in the console with
// the question that was on the screen and the ones after it, and ends as usual.
TEST_F(WindowSystemEndToEnd, LosingTheDisplayMidSessionGoesOnInTheConsole) {
  Student& student = *student_;
  student.startDemoExam();
  ASSERT_NE(x.questionWindow("WM_NAME"), "") << student.output();
  student.answerNext("first");
  const size_t before = countOf(student.output(), " pts) ");
  x.killNow();
  // Five entries: the one on the screen when the display went, and three after it.
  for (const char* answer : {"second", "third", "fourth", "fifth"})
    student.answerNext(answer);
  ASSERT_TRUE(student.waitFor("You have answered all questions but may review")) << student.output();
  EXPECT_GE(countOf(student.output(), " pts) "), before + 3) << student.output();
  student.type("\r");
  student.endExam("#done");
  ASSERT_TRUE(student.waitFor("TURN IN THIS FILE: ")) << student.output();
  EXPECT_EQ(student.leaveAfterTheFinalScreen(), 0) << student.output();
  EXPECT_TRUE(student.modesRestored());

  std::string out, err;
  EXPECT_EQ(authorRead(folder.resultFile(), &out, &err), 0) << err;
  EXPECT_EQ(countOf(out, " - ANSWER CONFIRMED:\n"), 5u) << out;
}

// The question window asks the window manager for a title, a border to resize it by, and
// a close box (which the window ignores), and for no box to minimise or maximise it.
TEST_F(WindowSystemEndToEnd, TheWindowAsksForNoMinimiseOrMaximiseBox) {
  Student& student = *student_;
  student.identify();
  student.type("2\r");
  ASSERT_TRUE(student.waitFor("9 - Exit Menu")) << student.output();

  // Flags: functions and decorations. Functions: resize, move, close. Decorations:
  // border, resize handles, title, window menu; minimise (0x20) and maximise (0x40) left out.
  // SDL gives a new window hints of its own before the program sets these: the test waits
  // for the program's, and shows the last ones seen if they never come.
  const std::string wanted = "_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = 0x3, 0x26, 0x1e,";
  std::string hints = x.questionWindow("_MOTIF_WM_HINTS");
  for (int i = 0; i < 100 && hints.find(wanted) == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    hints = x.questionWindow("_MOTIF_WM_HINTS");
  }
  EXPECT_NE(hints.find(wanted), std::string::npos) << hints;

  student.type("9\r");
  ASSERT_TRUE(student.waitFor("Enter your choice: ")) << student.output();
  EXPECT_EQ(student.leave(), 0) << student.output();
}

}  // namespace
