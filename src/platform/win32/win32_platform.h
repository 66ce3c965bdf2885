// The Win32 backend of the platform door: a 32-bit Windows console program.
#pragma once

#include "platform/platform.h"

class Win32Platform : public Platform {
 public:
  Win32Platform();

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

  char pathSeparator() const override { return '\\'; }

  bool loadResource(const char* type, int id, const uint8_t** data, size_t* size) override;
};

// The Win32 backend, a single instance for the whole process; systemPlatform() on Windows.
Platform& win32Platform();
