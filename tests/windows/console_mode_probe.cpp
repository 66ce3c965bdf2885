// Reads the input mode of a running program's console from outside, as a student's
// console stands between two keys: console_mode_probe PROGRAM.exe prints the input mode
// of the console of the process running PROGRAM.exe as "0x%04X" and ends with 0, or says
// why it cannot and ends with 1. The Windows suite's console check uses it to see that the
// mode the program reads lines in survives any number of keys.
#include <windows.h>
#include <tlhelp32.h>

#include <stdio.h>
#include <string.h>

namespace {

DWORD processRunning(const char* program) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE)
    return 0;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  DWORD found = 0;
  for (BOOL more = Process32First(snapshot, &entry); more && !found;
       more = Process32Next(snapshot, &entry)) {
    if (_stricmp(entry.szExeFile, program) == 0)
      found = entry.th32ProcessID;
  }
  CloseHandle(snapshot);
  return found;
}

int fail(HANDLE out, const char* why) {
  char text[160];
  int length = snprintf(text, sizeof text, "console_mode_probe: %s (error %lu)\n", why,
                        static_cast<unsigned long>(GetLastError()));
  DWORD written;
  WriteFile(out, text, static_cast<DWORD>(length), &written, nullptr);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  // Taken before attaching: a console attached to gives the process its own handles.
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (argc != 2)
    return fail(out, "usage: console_mode_probe PROGRAM.exe");
  DWORD process = processRunning(argv[1]);
  if (!process)
    return fail(out, "the program is not running");
  FreeConsole();
  if (!AttachConsole(process))
    return fail(out, "cannot attach to the program's console");
  HANDLE in = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD mode;
  if (in == INVALID_HANDLE_VALUE || !GetConsoleMode(in, &mode))
    return fail(out, "cannot read the console's input mode");
  char text[32];
  int length = snprintf(text, sizeof text, "0x%04lX\n", static_cast<unsigned long>(mode));
  DWORD written;
  WriteFile(out, text, static_cast<DWORD>(length), &written, nullptr);
  CloseHandle(in);
  FreeConsole();
  return 0;
}
