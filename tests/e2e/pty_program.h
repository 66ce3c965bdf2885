// A real program on a pseudo-terminal of its own, typed at as a person would.
#ifndef VERITOR_TESTS_E2E_PTY_PROGRAM_H_
#define VERITOR_TESTS_E2E_PTY_PROGRAM_H_

#include <sys/types.h>
#include <termios.h>

#include <string>
#include <vector>

// A change to the program's environment: a null value takes the variable away.
struct EnvSetting {
  const char* Name;
  const char* Value;
};

// A person reads the prompt before answering; the program swallows a line end that
// comes within 200 ms of a prompt.
void think();

class PtyProgram {
 public:
  // Starts binary in dir on a 120 by 40 terminal with TERM=xterm and the given changes
  // to the environment.
  PtyProgram(const std::string& binary, const std::string& dir,
             const std::vector<EnvSetting>& environment)
      : PtyProgram(std::vector<std::string>{binary}, dir, environment) {}
  // The same for a command: the binary and its arguments.
  PtyProgram(const std::vector<std::string>& command, const std::string& dir,
             const std::vector<EnvSetting>& environment);
  ~PtyProgram();
  PtyProgram(const PtyProgram&) = delete;
  PtyProgram& operator=(const PtyProgram&) = delete;

  bool started() const { return pid_ > 0 && master_ >= 0; }

  // Reads until text appears after what was already matched; false after the time-out
  // or when the program has gone.
  bool waitFor(const std::string& text, int timeoutMs = 5000);

  void type(const std::string& keys);
  void sendSignal(int signo);

  // Waits for the program to end, keeping what it still writes; -1 when it did not end
  // in time (it is killed then).
  int wait(int* status, int timeoutMs = 5000);

  // Ends the program at once, as a power cut or a kill from outside would.
  void killNow();

  // Waits until the program reads the terminal key by key (line mode and the terminal's
  // own echo off), as it does mid-line; false after the time-out. Keys typed before that
  // are echoed by the terminal itself, which a test must not take for the program's echo.
  bool waitForRawKeys(int timeoutMs = 5000);

  // Whether the terminal's modes are as the program found them when it started.
  bool modesRestored() const;

  const std::string& output() const { return output_; }

 private:
  pid_t pid_ = -1;
  int master_ = -1;
  bool ended_ = false;
  struct termios before_ {};
  std::string output_;
  size_t matched_ = 0;
};

#endif  // VERITOR_TESTS_E2E_PTY_PROGRAM_H_
