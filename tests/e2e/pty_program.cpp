#include "e2e/pty_program.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

bool sameModes(const struct termios& a, const struct termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

}  // namespace

void think() {
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

PtyProgram::PtyProgram(const std::vector<std::string>& command, const std::string& dir,
                       const std::vector<EnvSetting>& environment) {
  // Made before the fork: the child only execs.
  std::vector<char*> arguments;
  for (const std::string& argument : command)
    arguments.push_back(const_cast<char*>(argument.c_str()));
  arguments.push_back(nullptr);
  // One start at a time, and no descriptor of it left to the programs started after it:
  // a sibling holding the other end of the pipe would keep the program waiting, and one
  // holding the terminal would hide that the program has gone.
  static std::mutex starting;
  std::lock_guard<std::mutex> hold(starting);
  int sync[2];
  if (pipe2(sync, O_CLOEXEC) != 0)
    return;
  struct winsize size = {40, 120, 0, 0};
  pid_ = forkpty(&master_, nullptr, nullptr, &size);
  if (pid_ == 0) {
    // Wait until the parent has noted the terminal's modes as the program finds them.
    close(sync[1]);
    char c;
    while (read(sync[0], &c, 1) > 0) {
    }
    if (chdir(dir.c_str()) != 0)
      _exit(126);
    setenv("TERM", "xterm", 1);
    for (const EnvSetting& setting : environment) {
      if (setting.Value)
        setenv(setting.Name, setting.Value, 1);
      else
        unsetenv(setting.Name);
    }
    execv(arguments[0], arguments.data());
    _exit(127);
  }
  close(sync[0]);
  if (master_ >= 0)
    fcntl(master_, F_SETFD, FD_CLOEXEC);
  tcgetattr(master_, &before_);
  close(sync[1]);
}

PtyProgram::~PtyProgram() {
  if (pid_ > 0 && !ended_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (master_ >= 0)
    close(master_);
}

bool PtyProgram::waitFor(const std::string& text, int timeoutMs) {
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
      return false;  // the program has gone
    output_.append(chunk, static_cast<size_t>(n));
  }
}

void PtyProgram::type(const std::string& keys) {
  ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
}

void PtyProgram::sendSignal(int signo) {
  kill(pid_, signo);
}

int PtyProgram::wait(int* status, int timeoutMs) {
  ended_ = true;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  bool open = true;
  for (;;) {
    if (open) {
      struct pollfd p = {master_, POLLIN, 0};
      if (poll(&p, 1, 20) > 0) {
        char chunk[4096];
        ssize_t n = read(master_, chunk, sizeof chunk);
        if (n > 0)
          output_.append(chunk, static_cast<size_t>(n));
        else
          open = false;
        continue;
      }
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (waitpid(pid_, status, WNOHANG) == pid_)
      return 0;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, status, 0);
      return -1;
    }
  }
}

void PtyProgram::killNow() {
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  ended_ = true;
}

bool PtyProgram::waitForRawKeys(int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    struct termios now;
    if (tcgetattr(master_, &now) == 0 && !(now.c_lflag & (ICANON | ECHO)))
      return true;
    if (std::chrono::steady_clock::now() > deadline)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

bool PtyProgram::modesRestored() const {
  struct termios after;
  if (tcgetattr(master_, &after) != 0)
    return false;
  return sameModes(before_, after);
}
