#include "console/console.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

const char* const PressEnterBanner = "\n ***** PRESS ENTER TO CONTINUE ... \n";
const char* const EndOfInputMessage =
    "\n\nError - The keyboard input has ended, so the program cannot go on.\n\n";

namespace {

// A line feed left in the input within this many milliseconds of a prompt belongs to an
// earlier line, not to the answer.
constexpr uint32_t StaleNewlineMilliseconds = 200;

int readInputChar() {
  int c = platform().readLineChar();
  if (c < 0)
    endOfInput();
  return c;
}

int readRawKey() {
  int c = platform().readKey();
  if (c < 0)
    endOfInput();
  return c;
}

void dropRestOfLine() {
  for (;;) {
    int c = readInputChar();
    if (c == '\n' || c == '\r')
      return;
  }
}

void vconsolePrintf(ConsoleStream stream, const char* format, va_list args) {
  char small[512];
  va_list copy;
  va_copy(copy, args);
  int length = vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (length < 0)
    return;
  if (static_cast<size_t>(length) < sizeof small) {
    platform().write(stream, small, length);
    return;
  }
  std::vector<char> large(static_cast<size_t>(length) + 1);
  vsnprintf(large.data(), large.size(), format, args);
  platform().write(stream, large.data(), length);
}

}  // namespace

void consolePrintf(ConsoleStream stream, const char* format, ...) {
  va_list args;
  va_start(args, format);
  vconsolePrintf(stream, format, args);
  va_end(args);
}

void consoleWrite(ConsoleStream stream, const char* text) {
  platform().write(stream, text, strlen(text));
}

void setConsoleAttribute(ConsoleStream stream, int attribute) {
  platform().setAttribute(stream, attribute);
}

void clearScreen() {
  platform().clearScreen();
}

void endProgram(int status) {
  platform().exitProcess(status);
  // A backend's exit does not come back; should one ever, stop here rather than run on.
  abort();
}

void endOfInput() {
  setConsoleAttribute(ConsoleStream::Err, DefaultAttribute);
  consoleWrite(ConsoleStream::Err, EndOfInputMessage);
  endProgram(-1);
}

void printInColor(const char* text, int attribute) {
  setConsoleAttribute(ConsoleStream::Out, attribute);
  consoleWrite(ConsoleStream::Out, text);
  setConsoleAttribute(ConsoleStream::Out, DefaultAttribute);
}

int askKeyChoice(char* out, const char* keys, int keyCount, const char* prompt, int attribute) {
  for (;;) {
    uint32_t start = platform().tickCount();
    if (prompt)
      printInColor(prompt, attribute);
    *out = 0;
    int c = readInputChar();
    bool lineEnd = c == '\n' || c == '\r';
    if (lineEnd && platform().tickCount() - start < StaleNewlineMilliseconds)
      continue;

    if (keyCount <= 0) {
      if (lineEnd) {
        *out = static_cast<char>(c);
        return 0;
      }
      if (c >= 0x20 && c <= 0x7F) {
        *out = static_cast<char>(c);
        dropRestOfLine();
        return 0;
      }
      continue;
    }

    for (int k = 0; k < keyCount; ++k) {
      if (c == static_cast<unsigned char>(keys[k])) {
        *out = keys[k];
        dropRestOfLine();
        return 0;
      }
    }
    consoleWrite(ConsoleStream::Out, "\nPlease enter ONE of the following keys and press ENTER:\n\n");
    for (int k = 0; k < keyCount; ++k)
      consolePrintf(ConsoleStream::Out, k + 1 < keyCount ? " %c, " : " %c", keys[k]);
    consoleWrite(ConsoleStream::Out, "\n\n");
  }
}

void showMessageAndWait(const char* message, int attribute) {
  setConsoleAttribute(ConsoleStream::Err, attribute);
  if (message)
    consolePrintf(ConsoleStream::Err, "%s\n\n", message);
  else
    consoleWrite(ConsoleStream::Err, PressEnterBanner);
  setConsoleAttribute(ConsoleStream::Err, DefaultAttribute);
  char scratch;
  askKeyChoice(&scratch, nullptr, 0, nullptr, attribute);
}

void waitForEnter() {
  showMessageAndWait(nullptr, DefaultAttribute);
}

void fatalError(const char* message) {
  char copy[128];
  snprintf(copy, sizeof copy, "%s", message ? message : "");
  consoleWrite(ConsoleStream::Err, "\n\n");
  printInColor(copy, 12);
  showMessageAndWait(nullptr, 12);
  endProgram(-1);
}

int readNumber(const char* prompt, int maximum) {
  constexpr int LineSize = 32;
  // Fills the unused part of the line: neither a blank, a tab, a digit, a sign nor a
  // line feed, so that an empty line reads as "no number".
  constexpr char Filler = 'Z';
  for (;;) {
    if (prompt)
      consoleWrite(ConsoleStream::Out, prompt);
    char line[LineSize + 1];
    memset(line, Filler, sizeof line);
    int stored = 0;
    for (;;) {
      int c = readInputChar();
      if (stored < LineSize)
        line[stored++] = static_cast<char>(c);
      if (c == '\n')
        break;
    }

    int pos = line[0] == '\n' ? 1 : 0;
    while (pos < LineSize && (line[pos] == ' ' || line[pos] == '\t'))
      ++pos;
    if (pos == LineSize || line[pos] == '\n') {
      consoleWrite(ConsoleStream::Out, "\nInvalid Input: All whitespace - try again.\n\n");
      continue;
    }

    int numberStart = pos;
    if (line[pos] == '-' || line[pos] == '+')
      ++pos;
    int digitsStart = pos;
    while (pos < LineSize && line[pos] >= '0' && line[pos] <= '9')
      ++pos;
    bool stoppedAtSign = pos < LineSize && (line[pos] == '-' || line[pos] == '+');
    if (pos == digitsStart || stoppedAtSign) {
      consoleWrite(ConsoleStream::Out, "\nInvalid Input: No decimal number found - try again.\n\n");
      continue;
    }
    if (pos == LineSize) {
      consoleWrite(ConsoleStream::Out, "Invalid Input: Decimal number truncated - try again.\n\n");
      continue;
    }
    if (line[pos] != '\n') {
      consolePrintf(ConsoleStream::Out,
                    "Warning - Non-numeric input (%02X), found, truncating, check your input "
                    "carefully.\n\n",
                    static_cast<unsigned char>(line[pos]));
    }
    line[pos] = '\0';
    // Up to 30 digits fit the line; a value beyond int is out of range either way.
    long long wide = strtoll(line + numberStart, nullptr, 10);
    int value = wide > INT_MAX ? INT_MAX : wide < INT_MIN ? INT_MIN : static_cast<int>(wide);
    if (value >= -1 && value <= maximum)
      return value;
    consolePrintf(ConsoleStream::Out, "Your answer of %d is not from %d to %d\n\n", value, -1,
                  maximum);
  }
}

int readConsoleLine(char* buffer, int capacity, const char* prompt, bool navigation) {
  // However the line ends, the keys typed after it are echoed by the console again.
  struct KeyInput {
    ~KeyInput() { platform().endKeyInput(); }
  } keyInput;
  if (prompt)
    consoleWrite(ConsoleStream::Out, prompt);
  int pos = 0;
  if (capacity <= 0)
    return 0;
  buffer[0] = '\0';
  if (capacity - 1 <= 0)
    return 0;

  while (pos < capacity - 1) {
    int key = readRawKey();
    if (key == 0xE0) {
      int code = readRawKey();
      if (navigation) {
        if (code == KeyUp || code == KeyDown || code == KeyPageUp || code == KeyPageDown) {
          buffer[pos] = '\0';
          return code;
        }
        continue;
      }
      if (code == 75) {  // Left arrow: a Backspace
        key = 8;
      } else if (code == 77) {  // Right arrow: a blank
        key = ' ';
      } else {
        buffer[pos] = '\0';
        consoleWrite(ConsoleStream::Err, "\n --- Special Keys Disabled --- \n");
        if (prompt)
          consoleWrite(ConsoleStream::Out, prompt);
        consolePrintf(ConsoleStream::Out, "\n%s", buffer);
        continue;
      }
    } else if (key == 0x00) {
      // Function keys: their scan code is consumed and the key does nothing, rather than
      // typing whatever character the code happens to be.
      readRawKey();
      continue;
    }

    if (key == 8) {
      platform().echoKey(8);
      platform().echoKey(' ');
      platform().echoKey(8);
      if (pos > 0)
        buffer[--pos] = '\0';
    } else if (key == '\n' || key == '\r') {
      break;
    } else if (key >= 0x20 && key <= 0x7E) {
      platform().echoKey(key);
      buffer[pos++] = static_cast<char>(key);
      buffer[pos] = '\0';
    }
  }
  buffer[pos] = '\0';
  return 0;
}
