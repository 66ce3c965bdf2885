// The real program takes the demo exam on a pseudo-terminal, and veritor-author reads the
// completed-exam file it leaves, also when the program is killed in the middle.
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace {

const std::string Veritor = std::string(VERITOR_BINARY_DIR) + "/veritor";
const std::string Author = std::string(VERITOR_BINARY_DIR) + "/veritor-author";
const std::string DemoExam = std::string(VERITOR_BINARY_DIR) + "/samples/DemoExam.exm";

// A person reads the prompt before answering; the program swallows a line end that
// comes within 200 ms of a prompt.
void think() {
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

class ExamFolder {
 public:
  ExamFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "veritor-session-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) ? pattern : "";
    std::filesystem::copy_file(DemoExam, path_ + "/DemoExam.exm");
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

class Student {
 public:
  explicit Student(const std::string& dir) {
    struct winsize size = {40, 120, 0, 0};
    pid_ = forkpty(&master_, nullptr, nullptr, &size);
    if (pid_ == 0) {
      if (chdir(dir.c_str()) != 0)
        _exit(126);
      // No display: the question window is the console view.
      unsetenv("DISPLAY");
      unsetenv("WAYLAND_DISPLAY");
      setenv("TERM", "xterm", 1);
      setenv("NO_COLOR", "1", 1);
      execl(Veritor.c_str(), Veritor.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~Student() {
    if (pid_ > 0 && !ended_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0)
      close(master_);
  }

  bool waitFor(const std::string& text, int timeoutMs = 10000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      size_t at = output_.find(text, matched_);
      if (at != std::string::npos) {
        matched_ = at + text.size();
        return true;
      }
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                      deadline - std::chrono::steady_clock::now())
                      .count();
      if (left <= 0)
        return false;
      struct pollfd p = {master_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left)) <= 0)
        continue;
      char chunk[4096];
      ssize_t n = read(master_, chunk, sizeof chunk);
      if (n <= 0)
        return false;
      output_.append(chunk, static_cast<size_t>(n));
    }
  }

  void type(const std::string& keys) {
    think();
    ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }

  // Identity, the menu's Take Exam, the demo exam and its password, up to the first question.
  void startDemoExam() {
    ASSERT_TRUE(waitFor("Enter your Last Name: ")) << output_;
    type("Doe\r");
    ASSERT_TRUE(waitFor("Enter your First Name: ")) << output_;
    type("Jane\r");
    ASSERT_TRUE(waitFor("Enter your abc123: ")) << output_;
    type("abc123\r");
    ASSERT_TRUE(waitFor("Y(y) / N(n): ")) << output_;
    type("y\r");
    ASSERT_TRUE(waitFor("Enter your choice: ")) << output_;
    type("3\r");
    ASSERT_TRUE(waitFor("enter 1 to continue.")) << output_;
    type("1\r");
    ASSERT_TRUE(waitFor("Enter the exam password:")) << output_;
    type("demo2026\r");
    ASSERT_TRUE(waitFor("PRESS ENTER TO BEGIN EXAM")) << output_;
    type("\r");
    ASSERT_TRUE(waitFor("START TIME:")) << output_;
  }

  void answerNext(const std::string& answer) {
    ASSERT_TRUE(waitFor("\nAnswer?")) << output_;
    type(answer + "\r");
    ASSERT_TRUE(waitFor("Enter 'Y' or 'y' if correct.")) << output_;
    type("y\r");
  }

  int finish() {
    int status = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (waitpid(pid_, &status, WNOHANG) != pid_) {
      if (std::chrono::steady_clock::now() > deadline)
        return -1000;
      waitFor("\x01", 50);  // keeps the terminal drained
    }
    ended_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -2000;
  }

  void killNow() {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    ended_ = true;
  }

  const std::string& output() const { return output_; }

 private:
  pid_t pid_ = -1;
  int master_ = -1;
  bool ended_ = false;
  std::string output_;
  size_t matched_ = 0;
};

// Runs veritor-author read; returns its exit status with its standard output and error.
int authorRead(const std::string& arguments, std::string* out, std::string* err) {
  std::string errPath = std::filesystem::temp_directory_path() / "veritor-session-read-err.txt";
  FILE* pipe = popen((Author + " read " + arguments + " 2>" + errPath).c_str(), "r");
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
    out->append(buffer, got);
  int status = pclose(pipe);
  FILE* errFile = fopen(errPath.c_str(), "rb");
  while (errFile && (got = fread(buffer, 1, sizeof buffer, errFile)) > 0)
    err->append(buffer, got);
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
  // The demo exam asks five entries: one question of its pool, and two sub-questions.
  for (const char* answer : {"first", "second", "third", "fourth", "fifth"})
    student.answerNext(answer);
  ASSERT_TRUE(student.waitFor("You have answered all the questions.")) << student.output();
  student.type("\r");
  ASSERT_TRUE(student.waitFor("Congratulations! You have finished this exam with 19 minutes and "))
      << student.output();
  ASSERT_TRUE(student.waitFor("TURN IN THIS FILE: ")) << student.output();
  ASSERT_TRUE(student.waitFor("Do NOT turn in the file with the \".exm\" extension.")) << student.output();
  student.type("\r");
  ASSERT_TRUE(student.waitFor("Enter your choice: ")) << student.output();
  student.type("9\r");
  ASSERT_TRUE(student.waitFor("Great! Have a nice day!")) << student.output();
  student.type("\r");
  EXPECT_EQ(student.finish(), 0) << student.output();

  std::string file = folder.resultFile();
  ASSERT_EQ(std::filesystem::path(file).filename(),
            "DemoZ2026_VTZ101_DemoZExam_00__XMC_abc123_CompletedBy.xmc");
  std::string out, err;
  EXPECT_EQ(authorRead(file, &out, &err), 0) << err;
  EXPECT_NE(err.find(": whole and sound: 10 session records, ticks in order\n"), std::string::npos) << err;
  EXPECT_NE(out.find("; Name: Doe, Jane (abc123)\n"), std::string::npos) << out;
  EXPECT_EQ(countOf(out, " - ANSWER CONFIRMED:\n"), 5u);
  for (const char* answer : {"first", "second", "third", "fourth", "fifth"})
    EXPECT_NE(out.find(std::string("==> ") + answer + "\n") + out.find(std::string("--> ") + answer + "\n"),
              2 * std::string::npos)
        << answer;
  EXPECT_NE(out.find("\nEXAM COMPLETE:\n"), std::string::npos);
  EXPECT_NE(out.find("QUESTIONS:  (5)  Total Points:  ( 12.0)"), std::string::npos) << out;

  out.clear();
  err.clear();
  EXPECT_EQ(authorRead("--timeline " + file, &out, &err), 0) << err;
  EXPECT_EQ(countOf(out, " s\n"), 5u) << out;
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

}  // namespace
