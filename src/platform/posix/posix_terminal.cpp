// Console side of the POSIX backend: colours as ANSI escapes, line input and raw keys
// from one byte stream, and a terminal that is always left as it was found.
#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <mutex>

#include "platform/posix/posix_platform.h"

namespace {

// Terminal state found at start-up; restored on every way out.
struct termios g_savedModes;
// The modes the program reads with: the saved ones, and (once the guard is on) keys that
// raise an ignored signal no longer flush what was typed ahead or is still on its way out.
struct termios g_programModes;
std::once_flag g_guardModesOnce;
volatile sig_atomic_t g_haveSavedModes = 0;
// Whether a colour escape has been written, so the colours are reset on the way out.
// Atomic: the window thread writes to the console too, when the display goes away.
std::atomic<bool> g_coloured{false};
// Whether the terminal's title was saved before the program set its own.
volatile sig_atomic_t g_titleSaved = 0;

bool g_stdinIsTerminal = false;
bool g_colourOut = false;
bool g_colourErr = false;

// Line input and raw keys read the same bytes: one buffer over standard input, so that
// nothing typed ahead is lost when the program switches from one to the other.
unsigned char g_input[4096];
size_t g_inputPos = 0;
size_t g_inputLen = 0;
bool g_inputEnded = false;
// The scan code that follows an extended-key prefix already handed out.
int g_pendingScanCode = -1;
std::mutex g_inputLock;

void writeAll(int fd, const char* text, size_t length) {
  while (length > 0) {
    ssize_t n = ::write(fd, text, length);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      return;
    }
    text += n;
    length -= static_cast<size_t>(n);
  }
}

// Fills the input buffer; waits at most timeoutMs (negative: for ever). False at end of
// input or when nothing came in time.
bool fillInput(int timeoutMs) {
  if (g_inputPos < g_inputLen)
    return true;
  if (g_inputEnded)
    return false;
  if (timeoutMs >= 0) {
    struct pollfd p = {0, POLLIN, 0};
    int r;
    do {
      r = poll(&p, 1, timeoutMs);
    } while (r < 0 && errno == EINTR);
    if (r <= 0)
      return false;
  }
  for (;;) {
    ssize_t n = ::read(0, g_input, sizeof g_input);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      g_inputEnded = true;
      return false;
    }
    g_inputPos = 0;
    g_inputLen = static_cast<size_t>(n);
    return true;
  }
}

int nextByte(int timeoutMs) {
  if (!fillInput(timeoutMs))
    return -1;
  return g_input[g_inputPos++];
}

// Gives back the byte just taken, still in the buffer.
void ungetByte() {
  if (g_inputPos > 0)
    --g_inputPos;
}

// Input redirected from a file written on Windows ends its lines with CR LF: the pair is
// one line end, as a text-mode read would give it, not an ENTER and then another.
int lineEndAsOne(int c) {
  if (c != '\r' || g_stdinIsTerminal)
    return c;
  int next = nextByte(50);
  if (next == '\n')
    return '\n';
  if (next >= 0)
    ungetByte();
  return c;
}

// Whether the terminal is in raw key mode now. It stays raw from one key to the next of
// a line and goes back to line mode when the line is done (endKeyInput) or line input is
// read: switching for every key would let keys typed in between be echoed by the
// terminal and then once more by the program.
bool g_rawMode = false;

void applyModes(bool raw) {
  struct termios modes = g_programModes;
  if (raw) {
    modes.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    modes.c_cc[VMIN] = 1;
    modes.c_cc[VTIME] = 0;
  }
  tcsetattr(0, TCSANOW, &modes);
  g_rawMode = raw;
}

void setRawMode(bool raw) {
  if (!g_stdinIsTerminal || !g_haveSavedModes || g_rawMode == raw)
    return;
  applyModes(raw);
}

// Maps the escape sequence of a navigation or function key to the scan code the console
// primitives know. Returns the prefix (0xE0 or 0x00) and sets *code, or -1 when the
// sequence means nothing here.
int decodeEscape(int* code) {
  // A lone Escape has nothing behind it within a moment.
  int c = nextByte(50);
  if (c < 0)
    return -1;
  if (c == 'O') {
    int f = nextByte(50);
    switch (f) {
      case 'H': *code = 71; return 0xE0;
      case 'F': *code = 79; return 0xE0;
      case 'A': *code = 72; return 0xE0;
      case 'B': *code = 80; return 0xE0;
      case 'C': *code = 77; return 0xE0;
      case 'D': *code = 75; return 0xE0;
      case 'P': *code = 59; return 0x00;
      case 'Q': *code = 60; return 0x00;
      case 'R': *code = 61; return 0x00;
      case 'S': *code = 62; return 0x00;
      default: return -1;
    }
  }
  if (c != '[') {
    // Escape and then an ordinary key (Alt+key): the key still counts.
    ungetByte();
    return -1;
  }
  int number = 0;
  int f;
  for (;;) {
    f = nextByte(50);
    if (f < 0)
      return -1;
    if (f >= '0' && f <= '9') {
      number = number * 10 + (f - '0');
      if (number > 1000)
        number = 1000;
      continue;
    }
    if (f == ';') {  // modifiers follow: keep the key number only
      for (;;) {
        f = nextByte(50);
        if (f < 0)
          return -1;
        if (!(f >= '0' && f <= '9'))
          break;
      }
    }
    break;
  }
  switch (f) {
    case 'A': *code = 72; return 0xE0;
    case 'B': *code = 80; return 0xE0;
    case 'C': *code = 77; return 0xE0;
    case 'D': *code = 75; return 0xE0;
    case 'H': *code = 71; return 0xE0;
    case 'F': *code = 79; return 0xE0;
    case 'P': *code = 59; return 0x00;
    case 'Q': *code = 60; return 0x00;
    case 'R': *code = 61; return 0x00;
    case 'S': *code = 62; return 0x00;
    case '[': {
      // The Linux console's F1 to F5: ESC [ [ A to E.
      int k = nextByte(50);
      if (k >= 'A' && k <= 'E') {
        *code = 59 + (k - 'A');
        return 0x00;
      }
      return -1;
    }
    case '~':
      switch (number) {
        case 1: case 7: *code = 71; return 0xE0;
        case 2: *code = 82; return 0xE0;
        case 3: *code = 83; return 0xE0;
        case 4: case 8: *code = 79; return 0xE0;
        case 5: *code = 73; return 0xE0;
        case 6: *code = 81; return 0xE0;
        case 11: *code = 59; return 0x00;
        case 12: *code = 60; return 0x00;
        case 13: *code = 61; return 0x00;
        case 14: *code = 62; return 0x00;
        case 15: *code = 63; return 0x00;
        case 17: *code = 64; return 0x00;
        case 18: *code = 65; return 0x00;
        case 19: *code = 66; return 0x00;
        case 20: *code = 67; return 0x00;
        case 21: *code = 68; return 0x00;
        case 23: *code = 133; return 0x00;
        case 24: *code = 134; return 0x00;
        default: return -1;
      }
    default:
      return -1;
  }
}

// ANSI colour of a console attribute's four bits (1 blue, 2 green, 4 red, 8 bright).
int ansiColour(int bits) {
  return ((bits & 4) ? 1 : 0) | ((bits & 2) ? 2 : 0) | ((bits & 1) ? 4 : 0);
}

void onFatalSignal(int signo) {
  restoreTerminal();
  signal(signo, SIG_DFL);
  raise(signo);
}

}  // namespace

void restoreTerminal() {
  if (g_coloured) {
    static const char reset[] = "\x1b[0m";
    if (g_colourOut)
      writeAll(1, reset, sizeof reset - 1);
    if (g_colourErr)
      writeAll(2, reset, sizeof reset - 1);
  }
  if (g_titleSaved) {
    static const char popTitle[] = "\x1b[23;0t";
    writeAll(1, popTitle, sizeof popTitle - 1);
  }
  if (g_haveSavedModes)
    tcsetattr(0, TCSANOW, &g_savedModes);
}

PosixPlatform::PosixPlatform() {
  g_stdinIsTerminal = isatty(0);
  const char* noColour = getenv("NO_COLOR");
  bool colourWanted = !(noColour && *noColour);
  g_colourOut = colourWanted && isatty(1);
  g_colourErr = colourWanted && isatty(2);
  if (g_stdinIsTerminal && tcgetattr(0, &g_savedModes) == 0) {
    g_haveSavedModes = 1;
    g_programModes = g_savedModes;
  }
  // Whatever ends the process through exit(), a library that gives up among them, leaves
  // the terminal as it was found.
  static const bool restoreAtExit = atexit(restoreTerminal) == 0;
  (void)restoreAtExit;
  // Signals that end the program still leave the terminal as it was found.
  for (int signo : {SIGTERM, SIGHUP, SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL, SIGPIPE}) {
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = onFatalSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    sigaction(signo, &action, nullptr);
  }
}

void PosixPlatform::write(ConsoleStream stream, const char* text, size_t length) {
  writeAll(stream == ConsoleStream::Out ? 1 : 2, text, length);
}

void PosixPlatform::setAttribute(ConsoleStream stream, int attribute) {
  bool colour = stream == ConsoleStream::Out ? g_colourOut : g_colourErr;
  if (!colour)
    return;
  char escape[32];
  int length;
  if (attribute == 15) {
    // The resting attribute is the terminal's own default colours.
    length = snprintf(escape, sizeof escape, "\x1b[0m");
  } else {
    int fg = attribute & 0xF;
    int bg = (attribute >> 4) & 0xF;
    int fgCode = ((fg & 8) ? 90 : 30) + ansiColour(fg);
    if (bg == 0)
      length = snprintf(escape, sizeof escape, "\x1b[0;%dm", fgCode);
    else
      length = snprintf(escape, sizeof escape, "\x1b[0;%d;%dm", fgCode,
                        ((bg & 8) ? 100 : 40) + ansiColour(bg));
    g_coloured.store(true);
  }
  write(stream, escape, static_cast<size_t>(length));
}

int PosixPlatform::readLineChar() {
  std::lock_guard<std::mutex> lock(g_inputLock);
  setRawMode(false);
  return lineEndAsOne(nextByte(-1));
}

int PosixPlatform::readKey() {
  std::lock_guard<std::mutex> lock(g_inputLock);
  if (g_pendingScanCode >= 0) {
    int code = g_pendingScanCode;
    g_pendingScanCode = -1;
    return code;
  }
  setRawMode(true);
  for (;;) {
    int c = nextByte(-1);
    if (c < 0)
      return -1;
    if (c == 0x1B) {
      int code = 0;
      int prefix = decodeEscape(&code);
      if (prefix < 0)
        return 0x1B;
      g_pendingScanCode = code;
      return prefix;
    }
    c = lineEndAsOne(c);
    if (c == 0x7F)  // the Backspace key of a terminal
      return 8;
    if (c == 0x00) {
      // Ctrl+Space or Ctrl+@ sends a NUL byte, which would read as the prefix of a
      // function key and swallow the next key typed. Hand it out as the console does.
      g_pendingScanCode = 3;
      return 0x00;
    }
    if (c == 0xE0)
      continue;  // a byte of a multi-byte character, never the extended-key prefix
    return c;
  }
}

void PosixPlatform::endKeyInput() {
  std::lock_guard<std::mutex> lock(g_inputLock);
  setRawMode(false);
}

void PosixPlatform::echoKey(int key) {
  char c = static_cast<char>(key);
  writeAll(1, &c, 1);
}

void PosixPlatform::clearScreen() {
  if (!isatty(1))
    return;
  // Home, clear the screen and the scroll-back, as the command processor's clear does.
  static const char clear[] = "\x1b[H\x1b[2J\x1b[3J";
  writeAll(1, clear, sizeof clear - 1);
}

void PosixPlatform::setTitle(const char* title) {
  if (!isatty(1))
    return;
  if (!g_titleSaved) {
    // Terminals that keep a stack of titles give the student's own back on the way out.
    static const char pushTitle[] = "\x1b[22;0t";
    writeAll(1, pushTitle, sizeof pushTitle - 1);
    g_titleSaved = 1;
  }
  char escape[256];
  int length = snprintf(escape, sizeof escape, "\x1b]0;%s\x07", title);
  if (length > 0 && static_cast<size_t>(length) < sizeof escape)
    writeAll(1, escape, static_cast<size_t>(length));
}

void PosixPlatform::setConsoleBufferSize(int, int) {
  // A terminal's scroll-back and size belong to the student's terminal program; most
  // refuse resize requests, so nothing is asked.
}

void PosixPlatform::placeConsoleWindow() {
  // Same as above: a terminal window is placed by its own program.
}

int PosixPlatform::consoleColumns() {
  struct winsize size;
  if (ioctl(1, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
    return size.ws_col;
  return 80;
}

void PosixPlatform::guardConsole() {
  // Ctrl+C, Ctrl+\ and Ctrl+Z do nothing while an exam may be running.
  signal(SIGINT, SIG_IGN);
  signal(SIGQUIT, SIG_IGN);
  signal(SIGTSTP, SIG_IGN);
  // The terminal still flushes its queues when one of those keys is pressed, losing keys
  // typed ahead; NOFLSH keeps them. Done once, by the first call, before any input is read.
  std::call_once(g_guardModesOnce, [] {
    std::lock_guard<std::mutex> lock(g_inputLock);
    if (!g_haveSavedModes)
      return;
    g_programModes.c_lflag |= NOFLSH;
    applyModes(g_rawMode);
  });
}

void PosixPlatform::exitProcess(int status) {
  restoreTerminal();
  fflush(nullptr);
  exit(status);
}

bool isTerminalStream(ConsoleStream stream) {
  return isatty(stream == ConsoleStream::Err ? 2 : 1) == 1;
}
