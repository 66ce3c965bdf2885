// A backend that hands every call on to the system's own backend. Stand-ins that replace
// only a part of the door (the scripted console of the tests, the author tool's silent
// pauses) derive from it, so that they work on every system the program is built for and
// reach the real files, folders and clock of that system.
#pragma once

#include <cstdlib>

#include "platform/platform.h"

class ForwardingPlatform : public Platform {
 public:
  ForwardingPlatform() : system_(systemPlatform()) {}

  void write(ConsoleStream stream, const char* text, size_t length) override {
    system_.write(stream, text, length);
  }
  void setAttribute(ConsoleStream stream, int attribute) override {
    system_.setAttribute(stream, attribute);
  }
  int readLineChar() override { return system_.readLineChar(); }
  int readKey() override { return system_.readKey(); }
  void endKeyInput() override { system_.endKeyInput(); }
  void echoKey(int key) override { system_.echoKey(key); }
  void clearScreen() override { system_.clearScreen(); }
  void setTitle(const char* title) override { system_.setTitle(title); }
  void setConsoleBufferSize(int columns, int rows) override {
    system_.setConsoleBufferSize(columns, rows);
  }
  void placeConsoleWindow() override { system_.placeConsoleWindow(); }
  int consoleColumns() override { return system_.consoleColumns(); }
  void guardConsole() override { system_.guardConsole(); }

  [[noreturn]] void exitProcess(int status) override {
    system_.exitProcess(status);
    std::abort();  // not reached: the compiler cannot see through the virtual call
  }

  uint32_t tickCount() override { return system_.tickCount(); }
  SystemTime systemTimeUtc() override { return system_.systemTimeUtc(); }
  bool utcToLocal(const SystemTime& utc, SystemTime* local) override {
    return system_.utcToLocal(utc, local);
  }
  bool localToUtc(const SystemTime& local, SystemTime* utc) override {
    return system_.localToUtc(local, utc);
  }
  void sleepMilliseconds(uint32_t milliseconds) override {
    system_.sleepMilliseconds(milliseconds);
  }

  bool currentDirectory(char* buffer, size_t capacity) override {
    return system_.currentDirectory(buffer, capacity);
  }
  bool setCurrentDirectory(const char* path) override {
    return system_.setCurrentDirectory(path);
  }
  bool fullPath(const char* path, char* buffer, size_t capacity) override {
    return system_.fullPath(path, buffer, capacity);
  }
  bool listDirectory(const char* directory, const char* extension,
                     const std::function<bool(const DirectoryEntry&)>& visit) override {
    return system_.listDirectory(directory, extension, visit);
  }
  bool getFileTimes(const char* path, FileTimes* times) override {
    return system_.getFileTimes(path, times);
  }
  bool setFileTimes(const char* path, const FileTimes& times) override {
    return system_.setFileTimes(path, times);
  }
  bool isDirectory(const char* path) override { return system_.isDirectory(path); }
  FILE* openFile(const char* path, const char* mode) override {
    return system_.openFile(path, mode);
  }
  bool syncFile(FILE* stream) override { return system_.syncFile(stream); }
  bool syncFolder(const char* path) override { return system_.syncFolder(path); }
  int lastErrorCode() override { return system_.lastErrorCode(); }
  std::string userFolder(int candidate) override { return system_.userFolder(candidate); }

  char pathSeparator() const override { return system_.pathSeparator(); }

  bool loadResource(const char* type, int id, const uint8_t** data, size_t* size) override {
    return system_.loadResource(type, id, data, size);
  }

 private:
  Platform& system_;
};

// The system's backend with nobody at the keys: the instructor's tool runs the program's
// own parsing and checking code, whose press-ENTER pauses must pass at once and whose
// screen commands must leave the instructor's terminal alone.
class UnattendedPlatform : public ForwardingPlatform {
 public:
  // A pause waits for a key and the rest of its line: give it both.
  int readLineChar() override {
    pendingLineEnd_ = !pendingLineEnd_;
    return pendingLineEnd_ ? 'x' : '\n';
  }
  int readKey() override { return '\r'; }
  void clearScreen() override {}
  void setTitle(const char*) override {}

 private:
  bool pendingLineEnd_ = false;
};
