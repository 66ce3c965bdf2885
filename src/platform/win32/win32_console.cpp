// Console side of the Win32 backend: attributes on the console handles, raw keys from the
// run-time library's console-character read, and the guard against closing the console
// and interrupting the program. When standard input is not a console (a pipe or a file,
// as in tests and redirected runs) keys and lines come from the one byte stream, as on
// Linux, and end of input is the same orderly end.
#include <windows.h>
#include <conio.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>

#include <atomic>
#include <mutex>

#include "platform/dpi_scale.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_platform.h"

namespace {

HANDLE g_in = INVALID_HANDLE_VALUE;
HANDLE g_out = INVALID_HANDLE_VALUE;
HANDLE g_err = INVALID_HANDLE_VALUE;
bool g_stdinIsConsole = false;
bool g_stdinIsPipe = false;
bool g_stdoutIsConsole = false;
std::atomic<bool> g_guardStarted{false};
// The console's input mode as the program found it, put back on the way out.
// Atomics: the guard thread may be the first to look, the main thread ends the program.
std::atomic<DWORD> g_foundInputMode{0};
std::atomic<bool> g_haveFoundInputMode{false};

// Ctrl+C and Ctrl+Break do nothing. (Closing the console or logging off cannot be refused:
// Windows ends the process a moment later whatever a handler answers.)
BOOL WINAPI ignoreBreakKeys(DWORD event) {
  return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
}

// Line input and raw keys read the same bytes when input is redirected: one buffer over
// standard input, so that nothing read ahead is lost between the two.
unsigned char g_input[4096];
size_t g_inputPos = 0;
size_t g_inputLen = 0;
bool g_inputEnded = false;
std::mutex g_inputLock;

bool isConsoleHandle(HANDLE handle) {
  DWORD mode;
  return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode);
}

// Waits at most timeoutMs for more input to come down a pipe. A file hands over what it
// has at once; the console's line read gives a line's CR and LF together, and waiting on
// it would wait for the next line.
bool inputArrives(int timeoutMs) {
  if (g_stdinIsConsole)
    return false;
  if (!g_stdinIsPipe)
    return true;
  DWORD started = GetTickCount();
  for (;;) {
    DWORD available = 0;
    if (!PeekNamedPipe(g_in, nullptr, 0, nullptr, &available, nullptr))
      return true;  // the writer is gone: the read below sees the end
    if (available > 0)
      return true;
    if (static_cast<int>(GetTickCount() - started) >= timeoutMs)
      return false;
    Sleep(1);
  }
}

// Fills the input buffer; waits at most timeoutMs (negative: for ever). False at end of
// input or when nothing came in time.
bool fillInput(int timeoutMs) {
  if (g_inputPos < g_inputLen)
    return true;
  if (g_inputEnded)
    return false;
  if (timeoutMs >= 0 && !inputArrives(timeoutMs))
    return false;
  for (;;) {
    DWORD got = 0;
    BOOL read = ReadFile(g_in, g_input, sizeof g_input, &got, nullptr);
    if (g_stdinIsConsole) {
      // The console's line read comes back empty when Ctrl+C or Ctrl+Break is pressed in
      // the middle of it: that is not the end of input. The console's end of input is its
      // end-of-file key, Ctrl+Z, at the start of a line.
      if ((read && got == 0) || (!read && GetLastError() == ERROR_OPERATION_ABORTED))
        continue;
      if (!read || g_input[0] == 0x1A) {
        g_inputEnded = true;
        return false;
      }
    } else if (!read || got == 0) {
      g_inputEnded = true;
      return false;
    }
    g_inputPos = 0;
    g_inputLen = got;
    return true;
  }
}

int nextByte(int timeoutMs) {
  if (!fillInput(timeoutMs))
    return -1;
  return g_input[g_inputPos++];
}

// CR LF is one line end, as a text-mode read gives it: the console's line input always
// ends a line so, and so do files written on Windows.
int lineEndAsOne(int c) {
  if (c != '\r')
    return c;
  int next = nextByte(50);
  if (next == '\n')
    return '\n';
  if (next >= 0)
    --g_inputPos;
  return c;
}

void writeAll(int fd, const char* text, size_t length) {
  while (length > 0) {
    unsigned chunk = length > 0x10000 ? 0x10000u : static_cast<unsigned>(length);
    int n = _write(fd, text, chunk);
    if (n <= 0)
      return;
    text += n;
    length -= static_cast<size_t>(n);
  }
}

}  // namespace

Win32Platform::Win32Platform() {
  g_in = GetStdHandle(STD_INPUT_HANDLE);
  g_out = GetStdHandle(STD_OUTPUT_HANDLE);
  g_err = GetStdHandle(STD_ERROR_HANDLE);
  g_stdinIsConsole = isConsoleHandle(g_in);
  g_stdinIsPipe = !g_stdinIsConsole && GetFileType(g_in) == FILE_TYPE_PIPE;
  g_stdoutIsConsole = isConsoleHandle(g_out);
}

void Win32Platform::write(ConsoleStream stream, const char* text, size_t length) {
  // Through the run-time library's text-mode descriptors, as the program's messages always
  // went: a line feed reaches a pipe or a file as CR LF.
  writeAll(stream == ConsoleStream::Out ? 1 : 2, text, length);
}

void Win32Platform::setAttribute(ConsoleStream stream, int attribute) {
  // Fails, changing nothing, when the stream is not a console.
  SetConsoleTextAttribute(stream == ConsoleStream::Out ? g_out : g_err,
                          static_cast<WORD>(attribute));
}

int Win32Platform::readLineChar() {
  std::lock_guard<std::mutex> lock(g_inputLock);
  return lineEndAsOne(nextByte(-1));
}

int Win32Platform::readKey() {
  std::lock_guard<std::mutex> lock(g_inputLock);
  if (g_stdinIsConsole) {
    // What is left of a line already read comes first; then the keyboard itself, with
    // 0xE0 or 0x00 before the scan code of an extended key, as the console gives them.
    if (g_inputPos < g_inputLen)
      return lineEndAsOne(g_input[g_inputPos++]);
    return _getch();
  }
  return lineEndAsOne(nextByte(-1));
}

void Win32Platform::echoKey(int key) {
  if (g_stdinIsConsole) {
    _putch(key);
    return;
  }
  char c = static_cast<char>(key);
  writeAll(1, &c, 1);
}

void Win32Platform::clearScreen() {
  // The command processor's "cls": the whole buffer blanked in the attribute in force and
  // the cursor home. Redirected output is left alone, as on Linux.
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!g_stdoutIsConsole || !GetConsoleScreenBufferInfo(g_out, &info))
    return;
  DWORD cells = static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y);
  COORD home = {0, 0};
  DWORD written;
  FillConsoleOutputCharacterA(g_out, ' ', cells, home, &written);
  FillConsoleOutputAttribute(g_out, info.wAttributes, cells, home, &written);
  SetConsoleCursorPosition(g_out, home);
}

void Win32Platform::setTitle(const char* title) {
  SetConsoleTitleA(title);
}

void Win32Platform::setConsoleBufferSize(int columns, int rows) {
  COORD size = {static_cast<SHORT>(columns), static_cast<SHORT>(rows)};
  SetConsoleScreenBufferSize(g_out, size);
}

void Win32Platform::placeConsoleWindow() {
  HWND console = GetConsoleWindow();
  // The console window belongs to the console's own program: it is placed in the pixels
  // that program sees.
  DpiAwarenessOfWindow consolePixels(console);
  RECT desktop;
  if (!console || !GetWindowRect(GetDesktopWindow(), &desktop))
    return;
  // 1200 x 342 and the 48 above the bottom are for a 96-DPI screen: on a scaled one they
  // are scaled alike (in the monitor's own pixels), so the console keeps its size to the
  // eye. It goes to the primary monitor, whose corner is (0, 0).
  int dpi = monitorDpiAt(POINT{0, 0});
  MoveWindow(console, 0, 0, scaleToDpi(1200, dpi), scaleToDpi(342, dpi), TRUE);
  RECT placed;
  if (!GetWindowRect(console, &placed))
    return;
  // Centred, 48 pixels above the bottom of the screen, and never off its top or left.
  int width = placed.right - placed.left;
  int height = placed.bottom - placed.top;
  int x = (desktop.right - width) / 2;
  int y = desktop.bottom - height - scaleToDpi(48, dpi);
  SetWindowPos(console, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER);
}

int Win32Platform::consoleColumns() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (g_stdoutIsConsole && GetConsoleScreenBufferInfo(g_out, &info)) {
    int columns = info.srWindow.Right - info.srWindow.Left + 1;
    if (columns > 0)
      return columns;
  }
  return 80;
}

void Win32Platform::guardConsole() {
  if (!g_guardStarted.exchange(true)) {
    // The console window's Close, greyed in its system menu; Ctrl+C ignored by the
    // process, and Ctrl+Break, which that does not cover, by a handler.
    HWND console = GetConsoleWindow();
    HMENU menu = console ? GetSystemMenu(console, FALSE) : nullptr;
    if (menu)
      EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    SetConsoleCtrlHandler(nullptr, TRUE);
    SetConsoleCtrlHandler(ignoreBreakKeys, TRUE);
    DWORD found;
    if (g_stdinIsConsole && GetConsoleMode(g_in, &found)) {
      g_foundInputMode.store(found);
      g_haveFoundInputMode.store(true);
    }
  }
  // QuickEdit off and insert mode on, every time: the student may turn QuickEdit back on
  // in the console's properties to select and copy text.
  DWORD mode;
  if (g_stdinIsConsole && GetConsoleMode(g_in, &mode)) {
    mode &= ~static_cast<DWORD>(ENABLE_QUICK_EDIT_MODE);
    mode |= ENABLE_INSERT_MODE | ENABLE_EXTENDED_FLAGS;
    SetConsoleMode(g_in, mode);
  }
}

void Win32Platform::exitProcess(int status) {
  fflush(nullptr);
  // QuickEdit as the student had it in the console the program was started from.
  if (g_haveFoundInputMode.load())
    SetConsoleMode(g_in, g_foundInputMode.load());
  exit(status);
}

Platform& win32Platform() {
  // Never destroyed: the guard thread still uses it while exit() runs the destructors.
  static Win32Platform* instance = new Win32Platform;
  return *instance;
}

Platform& systemPlatform() {
  return win32Platform();
}

bool isTerminalStream(ConsoleStream stream) {
  return isConsoleHandle(GetStdHandle(stream == ConsoleStream::Err ? STD_ERROR_HANDLE
                                                                   : STD_OUTPUT_HANDLE));
}
