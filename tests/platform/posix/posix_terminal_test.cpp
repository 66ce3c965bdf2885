// The POSIX backend on a real terminal: a pseudo-terminal of its own, in a child process,
// so that the test's own standard input is never touched.
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "console/console.h"
#include "platform/posix/posix_platform.h"

namespace {

// What the child reports through its exit status.
enum ChildVerdict { LineEchoedAgain = 0, StillRaw = 1, WrongLine = 2, NoTerminal = 3 };

// In the child: reads one line key by key, as the identity and password prompts do, then
// looks at the terminal as it stands while the program works on.
[[noreturn]] void readOneLineThenLook() {
  PosixPlatform terminal;
  setPlatform(&terminal);
  char line[16];
  readConsoleLine(line, sizeof line, "Name: ", false);
  struct termios modes;
  if (tcgetattr(0, &modes) != 0)
    _exit(NoTerminal);
  if (strcmp(line, "abc") != 0)
    _exit(WrongLine);
  _exit((modes.c_lflag & ECHO) && (modes.c_lflag & ICANON) ? LineEchoedAgain : StillRaw);
}

// Reads what the child writes until text appears, the child has gone, or 10 s are up.
bool readUntil(int master, const std::string& text, std::string* seen) {
  struct pollfd p = {master, POLLIN, 0};
  char buffer[256];
  ssize_t got = 0;
  while (seen->find(text) == std::string::npos) {
    if (poll(&p, 1, 10000) <= 0 || (got = read(master, buffer, sizeof buffer)) <= 0)
      return false;
    seen->append(buffer, static_cast<size_t>(got));
  }
  return true;
}

TEST(PosixTerminal, NoEchoOnlyWhileALineIsReadKeyByKey) {
  int master = -1;
  pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
  ASSERT_GE(child, 0);
  if (child == 0)
    readOneLineThenLook();

  std::string seen;
  EXPECT_TRUE(readUntil(master, "Name: ", &seen)) << seen;
  // Bytes beyond ASCII (UTF-8 u-umlaut; 0xFF, -1 if taken signed, the end of input) are
  // keys that type nothing in the line.
  const char keys[] = "a\xc3\xbc" "b\xff" "c\r";
  EXPECT_EQ(write(master, keys, sizeof keys - 1), ssize_t(sizeof keys - 1));
  // Drains what the child echoes, so that it never waits on a full terminal.
  readUntil(master, "never written", &seen);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  close(master);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), LineEchoedAgain) << seen;
}

}  // namespace
