// The POSIX backend of the platform door: a terminal program on Linux.
#pragma once

#include "platform/platform.h"

class PosixPlatform : public Platform {
 public:
  PosixPlatform();

  void write(ConsoleStream stream, const char* text, size_t length) override;
  void setAttribute(ConsoleStream stream, int attribute) override;
  int readLineChar() override;
  int readKey() override;
  void echoKey(int key) override;
  void endKeyInput() override;
  void clearScreen() override;
  void setTitle(const char* title) override;
  void setConsoleBufferSize(int columns, int rows) override;
  void placeConsoleWindow() override;
  int consoleColumns() override;
  void guardConsole() override;

  [[noreturn]] void exitProcess(int status) override;

  uint32_t tickCount() override;
  SystemTime systemTimeUtc() override;
  bool utcToLocal(const SystemTime& utc, SystemTime* local) override;
  bool localToUtc(const SystemTime& local, SystemTime* utc) override;
  void sleepMilliseconds(uint32_t milliseconds) override;

  bool currentDirectory(char* buffer, size_t capacity) override;
  bool setCurrentDirectory(const char* path) override;
  bool fullPath(const char* path, char* buffer, size_t capacity) override;
  bool listDirectory(const char* directory, const char* extension,
                     const std::function<bool(const DirectoryEntry&)>& visit) override;
  bool getFileTimes(const char* path, FileTimes* times) override;
  bool setFileTimes(const char* path, const FileTimes& times) override;
  bool isDirectory(const char* path) override;
  bool syncFile(FILE* stream) override;
  bool syncFolder(const char* path) override;
  int lastErrorCode() override;
  std::string userFolder(int candidate) override;

  char pathSeparator() const override { return '/'; }

  bool loadResource(const char* type, int id, const uint8_t** data, size_t* size) override;
};

// The POSIX backend, a single instance for the whole process; systemPlatform() on Linux.
Platform& posixPlatform();

// Seconds from 1601-01-01, where file times count from, to 1970-01-01, where the
// system's clock counts from.
constexpr int64_t SecondsFrom1601To1970 = 11644473600LL;

// Puts the terminal back as it was found. Safe to call more than once, and from a
// signal handler.
void restoreTerminal();

