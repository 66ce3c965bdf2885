// Console side of the Win32 backend: attributes on the console handles, lines from the
// console's own line read, raw keys from its input records, and the guard against closing
// the console and interrupting the program. When standard input is not a console (a pipe
// or a file, as in tests and redirected runs) keys and lines come from the one byte
// stream, as on Linux, and end of input is the same orderly end.
//
// The console's input mode. The program reads lines in the console's line mode (line
// input, echo, processed input: the console echoes and edits the line) and keys in that
// same mode: ReadConsoleInputW takes the console's input records as they stand in any
// mode, so the raw key read never switches the mode for its wait. The run-time library's
// _getch does: it sets the mode to 0 for its wait and puts the old one back afterwards,
// on Windows as under Wine, and a guard that read the mode during that wait and wrote it
// back afterwards left the console without line input, echo or processed input for good
// (no menu choice could be typed, the program could not be left). So the guard never
// writes back a mode it read: it writes the mode composed once, at start, from the one
// found (QuickEdit off, insert mode on), and only when the mode is not that one. The
// only writers of the mode are the guard and the way out, under one lock; nothing in the
// program switches the mode for a wait, and a mode switched by anyone else stands at
// most until the guard's next round. That holds on Windows as under Wine: it rests on
// what the program calls, not on how a console host orders its requests.
#include <windows.h>
#include <conio.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>

#include <atomic>
#include <deque>
#include <mutex>

#include "platform/console_keys.h"
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

// The console's input mode, written only under this lock: by the guard thread and by the
// way out, never by a read.
std::mutex g_modeLock;
bool g_haveInputModes = false;
// The mode as the program found it, put back on the way out.
DWORD g_foundInputMode = 0;
// The mode the program reads in, composed from the one found.
DWORD g_programInputMode = 0;
// Set on the way out: the guard leaves the mode found in place.
bool g_leaving = false;

// The mode the program reads lines and keys in: the console's line mode, with its
// editing keys in insert mode, and no QuickEdit (mouse selection and copying of the
// console's text). The rest of the mode found stays as the student's console has it,
// except keys as escape sequences, which the raw key read does not decode.
DWORD programInputMode(DWORD found) {
  DWORD mode = found | ENABLE_PROCESSED_INPUT | ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT |
               ENABLE_INSERT_MODE | ENABLE_EXTENDED_FLAGS;
  return mode & ~static_cast<DWORD>(ENABLE_QUICK_EDIT_MODE | ENABLE_VIRTUAL_TERMINAL_INPUT);
}

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
    if (g_stdinIsConsole) {
      // The console's own line read hands over every byte of the line as typed: a line
      // that begins with Ctrl+Z or Ctrl+D is bytes like any other, not the end of input
      // that a file read on a console makes of it, so that no key ends the program. The
      // read comes back empty when Ctrl+C or Ctrl+Break is pressed in the middle of the
      // line; the line is then read anew. Only a console that can no longer be read at
      // all (it is gone) ends the input.
      BOOL read = ReadConsoleA(g_in, g_input, sizeof g_input, &got, nullptr);
      if ((read && got == 0) || (!read && GetLastError() == ERROR_OPERATION_ABORTED))
        continue;
      if (!read) {
        g_inputEnded = true;
        return false;
      }
    } else if (!ReadFile(g_in, g_input, sizeof g_input, &got, nullptr) || got == 0) {
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

// Bytes of keys already taken from the console and not yet handed out: the scan code that
// follows a prefix, and the further presses of a key held down that the console reports
// in one record.
std::deque<unsigned char> g_keyBytes;

// The character of a key as its byte in the console's input code page, as the console's
// line read gives it: 0 for none, -1 when the code page has no single byte for it (never
// a stand-in such as '?', or a near letter, that the student did not type).
int codePageByte(WCHAR character) {
  if (character < 0x80)
    return character;
  char bytes[8];
  BOOL usedDefault = FALSE;
  int length = WideCharToMultiByte(GetConsoleCP(), WC_NO_BEST_FIT_CHARS, &character, 1, bytes,
                                   sizeof bytes, nullptr, &usedDefault);
  if (length != 1 || usedDefault)
    return -1;
  return static_cast<unsigned char>(bytes[0]);
}

// The next key from the console's input records, as the bytes the console primitives
// read; -1 when the console can no longer be read. Records of other kinds (mouse, focus,
// size) and keys that type nothing are passed over.
int nextConsoleKey() {
  while (g_keyBytes.empty()) {
    INPUT_RECORD record;
    DWORD got = 0;
    if (!ReadConsoleInputW(g_in, &record, 1, &got))
      return -1;
    if (got != 1 || record.EventType != KEY_EVENT)
      continue;
    const KEY_EVENT_RECORD& event = record.Event.KeyEvent;
    ConsoleKeyRecord key;
    key.KeyDown = event.bKeyDown;
    key.VirtualKey = event.wVirtualKeyCode;
    key.AltHeld = (event.dwControlKeyState & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED)) != 0;
    key.Character = codePageByte(event.uChar.UnicodeChar);
    unsigned char bytes[2];
    int count = consoleKeyBytes(key, bytes);
    int presses = event.wRepeatCount > 1 ? event.wRepeatCount : 1;
    for (int press = 0; press < presses; ++press)
      g_keyBytes.insert(g_keyBytes.end(), bytes, bytes + count);
  }
  int key = g_keyBytes.front();
  g_keyBytes.pop_front();
  return key;
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
    // What is left of a line already read comes first, as the bytes typed: a line holds
    // characters, never the prefix of an extended key. Then the keyboard itself, with
    // 0xE0 or 0x00 before the scan code of an extended key.
    while (g_inputPos < g_inputLen) {
      int c = lineEndAsOne(g_input[g_inputPos++]);
      if (c != 0xE0 && c != 0x00)
        return c;
    }
    return nextConsoleKey();
  }
  return lineEndAsOne(nextByte(-1));
}

void Win32Platform::endKeyInput() {
  // The further presses of a key held down past the end of the line (ENTER above all)
  // would answer the prompts that follow before they are seen.
  std::lock_guard<std::mutex> lock(g_inputLock);
  g_keyBytes.clear();
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
  }
  // The program's mode, every round: the student may turn QuickEdit back on in the
  // console's properties to select and copy text. Composed from the mode found by the
  // first round (run before anything is read), never from the mode read now: see the
  // top of this file.
  std::lock_guard<std::mutex> hold(g_modeLock);
  if (!g_stdinIsConsole || g_leaving)
    return;
  if (!g_haveInputModes) {
    DWORD found;
    if (!GetConsoleMode(g_in, &found))
      return;
    g_foundInputMode = found;
    g_programInputMode = programInputMode(found);
    g_haveInputModes = true;
  }
  DWORD now;
  if (GetConsoleMode(g_in, &now) && now == g_programInputMode)
    return;
  SetConsoleMode(g_in, g_programInputMode);
}

void Win32Platform::exitProcess(int status) {
  fflush(nullptr);
  {
    // QuickEdit as the student had it in the console the program was started from, and
    // no round of the guard after it.
    std::lock_guard<std::mutex> hold(g_modeLock);
    g_leaving = true;
    if (g_haveInputModes)
      SetConsoleMode(g_in, g_foundInputMode);
  }
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
