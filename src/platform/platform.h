// The one door to the operating system.
//
// Everything the program needs from the system (console, clock, files, folders, the
// process exit, embedded data, the question window) is reached through the Platform
// interface below. Only code under src/platform/ includes a system header. The program
// talks to platform(), which is the system's backend in the real program (POSIX on Linux,
// Win32 on Windows) and the scripted backend in tests, the way a build tool talks to its disk through an interface that a
// test replaces with an in-memory one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

enum class ConsoleStream { Out, Err };

// The attribute in force when nothing is coloured: bright white on black.
constexpr int DefaultAttribute = 15;

// A calendar time with the layout the records use; DayOfWeek 0 is Sunday.
struct SystemTime {
  uint16_t Year = 0;
  uint16_t Month = 0;
  uint16_t DayOfWeek = 0;
  uint16_t Day = 0;
  uint16_t Hour = 0;
  uint16_t Minute = 0;
  uint16_t Second = 0;
  uint16_t Milliseconds = 0;
};

// 100-nanosecond units since 1601-01-01 UTC, the unit of every file time and clock
// reading the expiry and clock checks compare.
using FileTime = uint64_t;

struct FileTimes {
  FileTime Creation = 0;
  FileTime LastAccess = 0;
  FileTime LastWrite = 0;
};

struct DirectoryEntry {
  std::string Name;
  bool IsDirectory = false;
  FileTime LastWrite = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // --- Console -----------------------------------------------------------------
  // Writes bytes to standard output or standard error, in the attribute in force.
  virtual void write(ConsoleStream stream, const char* text, size_t length) = 0;
  // Sets the colour attribute for what follows on that stream.
  virtual void setAttribute(ConsoleStream stream, int attribute) = 0;
  // One byte of line input (the terminal echoes and edits the line); -1 at end of input.
  virtual int readLineChar() = 0;
  // One raw key, unechoed. An extended key comes as 0xE0 (navigation keys) or 0x00
  // (function keys) followed, on the next call, by its scan code; ENTER is 13 or 10,
  // Backspace 8. -1 at end of input.
  virtual int readKey() = 0;
  // Echoes one character typed during raw key input.
  virtual void echoKey(int key) = 0;
  // The keys of one line are all read: raw key input is over until the next readKey.
  // What is typed while the program works on is seen as it is typed, not taken unseen.
  virtual void endKeyInput() {}
  virtual void clearScreen() = 0;
  virtual void setTitle(const char* title) = 0;
  // Screen buffer size and window place; a terminal does what it can.
  virtual void setConsoleBufferSize(int columns, int rows) = 0;
  virtual void placeConsoleWindow() = 0;
  // Columns of the console, for laying out text printed there; 80 when unknown.
  virtual int consoleColumns() = 0;
  // Keeps the student from ending or suspending the program from the keyboard.
  // Called once at start-up and then every 200 ms by the guard thread.
  virtual void guardConsole() = 0;

  // --- Process -----------------------------------------------------------------
  // Ends the process with the status, leaving the terminal as it was found.
  [[noreturn]] virtual void exitProcess(int status) = 0;

  // --- Time ----------------------------------------------------------------------
  // Milliseconds since boot, truncated to 32 bits.
  virtual uint32_t tickCount() = 0;
  virtual SystemTime systemTimeUtc() = 0;
  virtual bool utcToLocal(const SystemTime& utc, SystemTime* local) = 0;
  virtual bool localToUtc(const SystemTime& local, SystemTime* utc) = 0;
  virtual void sleepMilliseconds(uint32_t milliseconds) = 0;

  // --- Files and folders ----------------------------------------------------------
  // The current directory; false when it cannot be read or does not fit capacity
  // (the terminator included).
  virtual bool currentDirectory(char* buffer, size_t capacity) = 0;
  virtual bool setCurrentDirectory(const char* path) = 0;
  // The absolute form of a path; false when it does not fit capacity.
  virtual bool fullPath(const char* path, char* buffer, size_t capacity) = 0;
  // Calls visit for each entry of the directory whose name matches "*.ext" with the
  // extension compared without regard to case ("*" or an empty extension: every entry),
  // in the order the file system gives; "." and ".." are left out. visit returns false
  // to stop. Returns false when the directory cannot be read. Links are never followed:
  // a symbolic link (a reparse point on Windows) is reported as itself, never as a
  // directory, with its own last-write time, so that a walk over the entries stays in the
  // tree it was given.
  virtual bool listDirectory(const char* directory, const char* extension,
                             const std::function<bool(const DirectoryEntry&)>& visit) = 0;
  virtual bool getFileTimes(const char* path, FileTimes* times) = 0;
  virtual bool setFileTimes(const char* path, const FileTimes& times) = 0;
  virtual bool isDirectory(const char* path) = 0;
  // A stream on the file, opened as fopen opens it with the same mode; null, with the
  // reason in lastErrorCode, when it cannot be opened. Read, written and closed with the
  // C library's calls. The system's backends open the file itself; a test backend may
  // hand out files it keeps in memory.
  virtual FILE* openFile(const char* path, const char* mode);
  // Puts what was written to the stream on the disk itself: flushes the stream, then
  // asks the system to write the file's data through to stable storage (fdatasync,
  // FlushFileBuffers). A flush alone only hands the bytes to the system, which a power
  // cut can still lose. False when either step fails.
  virtual bool syncFile(FILE* stream) = 0;
  // Puts the folder's list of names on stable storage, so that a file just made in it is
  // still found after a power cut. True where the system keeps a new name safe with the
  // file's own data.
  virtual bool syncFolder(const char* path) = 0;
  // The system's code for the last failure, for messages that show it.
  virtual int lastErrorCode() = 0;
  // The folders the clock check scans, candidates 1 to 4; empty when there is none. Each
  // candidate that can be had is given, even when another cannot.
  virtual std::string userFolder(int candidate) = 0;

  // --- Path conventions ------------------------------------------------------------
  virtual char pathSeparator() const = 0;

  // --- Embedded data -----------------------------------------------------------------
  // A block of data carried inside the program, used in place: type "RAW" id 102 is the
  // key data, type "PRIMES" id 103 the prime table. False when there is no such block.
  virtual bool loadResource(const char* type, int id, const uint8_t** data, size_t* size);
};

// The backend in use. The real program uses the system's own; a test installs another.
Platform& platform();
void setPlatform(Platform* backend);

// The backend of the system this build is for (POSIX or Win32), a single instance for the
// whole process.
Platform& systemPlatform();

// Whether the stream goes to a terminal or console window: tools show progress only to a
// person watching.
bool isTerminalStream(ConsoleStream stream);

// Calendar time to and from 100-ns units since 1601, as the system's own conversions do.
// The days of a month (1 to 12) of the Gregorian calendar: 28 to 31.
int daysInMonth(int year, int month);
// systemTimeToFileTime is false for a date that does not exist (month 13, day 32, ...).
bool systemTimeToFileTime(const SystemTime& time, FileTime* out);
SystemTime fileTimeToSystemTime(FileTime time);
