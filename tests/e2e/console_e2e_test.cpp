// The real program on a pseudo-terminal, typed at as a person would, and with its
// input and output redirected to files.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "e2e/pty_program.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::string Binary = std::string(VERITOR_BINARY_DIR) + "/veritor";
const char* const EndOfInputMessage =
    "\n\nError - The keyboard input has ended, so the program cannot go on.\n\n";

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream all;
  all << file.rdbuf();
  return all.str();
}

// Waits for the process to end; -1 (after killing it) when it does not within the time.
int waitForExit(pid_t pid, int timeoutMs, int* status) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    pid_t done = waitpid(pid, status, WNOHANG);
    if (done == pid)
      return 0;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

class TempDir {
 public:
  TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "veritor-e2e-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) ? pattern : "";
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The colour choice the program is started with on the terminal.
const std::vector<EnvSetting> InColour = {{"NO_COLOR", nullptr}};
const std::vector<EnvSetting> WithoutColour = {{"NO_COLOR", "1"}};

// Runs the program with standard input from a file and both outputs into files.
int runRedirected(const std::string& dir, const std::string& input, std::string* out,
                  std::string* err) {
  std::string in = dir + "/input.txt";
  std::ofstream(in, std::ios::binary) << input;
  std::string outPath = dir + "/out.txt";
  std::string errPath = dir + "/err.txt";
  pid_t pid = fork();
  if (pid == 0) {
    int i = open(in.c_str(), O_RDONLY);
    int o = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int e = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (i < 0 || o < 0 || e < 0 || chdir(dir.c_str()) != 0)
      _exit(126);
    dup2(i, 0);
    dup2(o, 1);
    dup2(e, 2);
    unsetenv("NO_COLOR");
    execl(Binary.c_str(), Binary.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  if (pid < 0 || waitForExit(pid, 5000, &status) != 0)
    return -1000;
  *out = readFile(outPath);
  *err = readFile(errPath);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -2000;
}

}  // namespace

TEST(ConsoleEndToEnd, AStudentIdentifiesReadsHelpAndLeaves) {
  TempDir dir;
  PtyProgram run(Binary, dir.path(), InColour);
  ASSERT_TRUE(run.started());

  ASSERT_TRUE(run.waitFor("Enter your Last Name: ")) << run.output();
  think();
  run.type("\x03");  // Ctrl+C does not end the program
  run.type("Doe\r");
  ASSERT_TRUE(run.waitFor("Enter your First Name: ")) << run.output();
  think();
  run.type("Jane\x7f\x7f" "ne\r");  // the terminal's Backspace key sends DEL
  ASSERT_TRUE(run.waitFor("Enter your abc123: ")) << run.output();
  think();
  run.type("ABC123\r");
  ASSERT_TRUE(run.waitFor("  Name: Doe, Jane\r\nabc123: abc123\r\n")) << run.output();
  ASSERT_TRUE(run.waitFor("Is the information correct?  Y(y) / N(n): ")) << run.output();
  think();
  run.type("y\r");
  ASSERT_TRUE(run.waitFor("Enter your choice: ")) << run.output();
  think();
  run.type("1\r");
  ASSERT_TRUE(run.waitFor("PRESS ENTER TO CONTINUE")) << run.output();
  think();
  run.type("\r");
  ASSERT_TRUE(run.waitFor("Enter your choice: ")) << run.output();
  think();
  run.type("9\r");
  ASSERT_TRUE(run.waitFor("Great! Have a nice day!")) << run.output();
  ASSERT_TRUE(run.waitFor("PRESS ENTER TO CONTINUE")) << run.output();
  think();
  run.type("\r");

  int status = 0;
  ASSERT_EQ(run.wait(&status), 0) << "the program did not end\n" << run.output();
  ASSERT_TRUE(WIFEXITED(status)) << run.output();
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(run.modesRestored());
  // The prompts are in colour and the screen was cleared before the menu.
  EXPECT_NE(run.output().find("\x1b[0;93mIs the information correct?"), std::string::npos);
  EXPECT_NE(run.output().find("\x1b[2J"), std::string::npos);
  // The title is the program's while it runs, and the terminal's own comes back.
  EXPECT_NE(run.output().find("\x1b[22;0t\x1b]0;Veritor Version  1.19\x07"), std::string::npos);
  EXPECT_NE(run.output().find("\x1b[23;0t"), std::string::npos);
}

TEST(ConsoleEndToEnd, TheTerminalsKeysActAsTheConsoleKeys) {
  TempDir dir;
  PtyProgram run(Binary, dir.path(), InColour);
  ASSERT_TRUE(run.started());
  ASSERT_TRUE(run.waitFor("Enter your Last Name: ")) << run.output();
  // Left deletes, Right types a blank; Home, Delete, Up, End, Insert and Page Up are
  // refused; F1 (two encodings), F5 and a lone Escape do nothing; Escape then x (Alt+x)
  // still types the x; DEL is Backspace.
  run.type("ab\x1b[D\x1b[Cc\x1b[H\x1b[3~\x1b[A\x1bOF\x1b[2~\x1b[5~"
           "\x1bOP\x1b[[A\x1b[15~\x1bxdq\x7f\r");
  ASSERT_TRUE(run.waitFor("Enter your First Name: ")) << run.output();
  run.type("Jo\rabc123\r");
  ASSERT_TRUE(run.waitFor("  Name: a cxd, Jo\r\n")) << run.output();
  size_t refusals = 0;
  for (size_t at = 0; (at = run.output().find("--- Special Keys Disabled ---", at)) !=
                      std::string::npos;
       ++at)
    ++refusals;
  EXPECT_EQ(refusals, 6u);
}

// The program is signalled mid-line, with its terminal in raw key mode: typed only once
// that mode is in force, the keys are echoed by the program, never by the terminal in
// line mode before the program reads them (then the signal would come before there is
// anything to restore, and the test would prove nothing).
TEST(ConsoleEndToEnd, ATerminationSignalMidLineLeavesTheTerminalAsItWas) {
  TempDir dir;
  PtyProgram run(Binary, dir.path(), InColour);
  ASSERT_TRUE(run.started());
  ASSERT_TRUE(run.waitFor("Enter your Last Name: ")) << run.output();
  ASSERT_TRUE(run.waitForRawKeys()) << run.output();
  run.type("Do");
  ASSERT_TRUE(run.waitFor("Do")) << run.output();
  run.sendSignal(SIGTERM);
  int status = 0;
  ASSERT_EQ(run.wait(&status), 0) << run.output();
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM)
      << "status " << std::hex << status << "\n" << run.output();
  EXPECT_TRUE(run.modesRestored()) << run.output();
  // The program's own handler put the terminal back: its last words give back the title.
  const std::string& shown = run.output();
  const std::string titleBack = "\x1b[23;0t";
  EXPECT_TRUE(shown.size() > titleBack.size() &&
              shown.compare(shown.size() - titleBack.size(), titleBack.size(), titleBack) == 0)
      << shown;
}

TEST(ConsoleEndToEnd, EndOfInputFromTheKeyboardEndsWithStatus255) {
  TempDir dir;
  PtyProgram run(Binary, dir.path(), InColour);
  ASSERT_TRUE(run.started());
  ASSERT_TRUE(run.waitFor("Enter your Last Name: ")) << run.output();
  run.type("Doe\x03\x1a\rJo\rabc123\r");  // Ctrl+C and Ctrl+Z lose no key
  ASSERT_TRUE(run.waitFor("  Name: Doe, Jo\r\n")) << run.output();
  think();
  run.type("y\r");
  ASSERT_TRUE(run.waitFor("Enter your choice: ")) << run.output();
  run.type("\x04");  // Ctrl+D at the start of a line
  ASSERT_TRUE(run.waitFor("Error - The keyboard input has ended, so the program cannot go on."))
      << run.output();
  int status = 0;
  ASSERT_EQ(run.wait(&status), 0) << run.output();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 255);
  EXPECT_TRUE(run.modesRestored());
}

TEST(ConsoleEndToEnd, WithoutColourTheTerminalGetsNoColourCodes) {
  TempDir dir;
  PtyProgram run(Binary, dir.path(), WithoutColour);
  ASSERT_TRUE(run.started());
  ASSERT_TRUE(run.waitFor("Enter your Last Name: ")) << run.output();
  think();
  run.type("Doe\rJane\rabc123\r");
  ASSERT_TRUE(run.waitFor("Is the information correct?")) << run.output();
  think();
  run.type("y\r");
  ASSERT_TRUE(run.waitFor("Enter your choice: ")) << run.output();
  think();
  run.type("-1\r");
  ASSERT_TRUE(run.waitFor("PRESS ENTER TO CONTINUE")) << run.output();
  think();
  run.type("\r");
  int status = 0;
  ASSERT_EQ(run.wait(&status), 0) << run.output();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(run.output().find("m"  "Is the information"), std::string::npos);
  EXPECT_EQ(run.output().find("\x1b[0;"), std::string::npos);
  EXPECT_TRUE(run.modesRestored());
}

// Input from a file, with Unix or Windows line ends, reads like typed input, and output
// into files holds no escape codes.
TEST(ConsoleEndToEnd, RedirectedInputAndOutputWorkWithEitherLineEnd) {
  for (const std::string end : {"\n", "\r\n"}) {
    SCOPED_TRACE(end == "\n" ? "LF" : "CR LF");
    TempDir dir;
    std::string out, err;
    // The pauses are answered with a key, not a lone ENTER: with input from a file every
    // line comes at once, and a line end within 200 ms of the pause is taken for a stale one.
    std::string input;
    for (const char* line : {"Doe", "Jane", "abc123", "y", "1", "x", "9", "x"})
      input += line + end;
    int status = runRedirected(dir.path(), input, &out, &err);
    EXPECT_EQ(status, 0) << out << err;
    EXPECT_NE(out.find("  Name: Doe, Jane\nabc123: abc123\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Finally, to skip a question"), std::string::npos);
    EXPECT_NE(out.find("Great! Have a nice day!"), std::string::npos);
    EXPECT_EQ(out.find("Invalid"), std::string::npos) << out;
    EXPECT_EQ(out.find('\x1b'), std::string::npos);
    EXPECT_EQ(err,
              "\n ***** PRESS ENTER TO CONTINUE ... \n\n ***** PRESS ENTER TO CONTINUE ... \n");
  }
}

TEST(ConsoleEndToEnd, InputThatEndsEarlyEndsTheProgramWithStatus255) {
  TempDir dir;
  std::string out, err;
  int status = runRedirected(dir.path(), "Doe\nJane\n", &out, &err);
  EXPECT_EQ(status, 255);
  EXPECT_EQ(err, EndOfInputMessage);
  EXPECT_NE(out.find("Enter your abc123: "), std::string::npos);
}
