// The scripted backend, for tests: the student's keys come from a script, everything
// written is recorded with the attribute in force, the clock moves only when the test
// (or the script) moves it, and the end of the process becomes a ProgramExit that the
// test catches. Files and folders are the real ones of the system the tests run on.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "platform/forwarding_platform.h"

// Thrown where the real program would end.
struct ProgramExit {
  int Status;
};

struct WrittenPiece {
  ConsoleStream Stream;
  int Attribute;
  std::string Text;
};

class ScriptedPlatform : public ForwardingPlatform {
 public:
  ScriptedPlatform();

  // --- The script -------------------------------------------------------------------
  // A line typed after thinkMs milliseconds: its characters and a line feed. It can be
  // read as line input or as raw keys.
  void typeLine(const std::string& line, uint32_t thinkMs = 1000);
  // Characters typed after thinkMs, without a line feed. Each is handed out as its byte,
  // 0 to 255, whatever its sign as a char.
  void typeKeys(const std::string& keys, uint32_t thinkMs = 1000);
  // An extended key: the prefix (0xE0 or 0x00) and its scan code.
  void pressKey(int prefix, int scanCode, uint32_t thinkMs = 1000);
  bool scriptDone() const;
  // Forgets the script, what was written and the clock, as a new backend would, without
  // setting up the terminal again: for callers that run many short scripts one after
  // another (the fuzz targets).
  void reset();

  // --- What was written ----------------------------------------------------------------
  std::vector<WrittenPiece> pieces() const;
  std::string text(ConsoleStream stream) const;
  std::string allText() const;
  // Everything written since the last call of takeText, both streams in order.
  std::string takeText();
  int clearCount() const { return clearCount_; }
  std::string title() const { return title_; }
  std::string echoed() const;

  // --- Clock ------------------------------------------------------------------------------
  void setTick(uint32_t tick) { tick_ = tick; }
  void setUtc(FileTime now) { utc_ = now; }
  // Moves the tick count and the clock on together. Only the test and the script move
  // them: a sleep in the program (the system's own, passed on) really waits and leaves the
  // scripted clock where it was.
  void advance(uint32_t milliseconds);
  void setUtcOffsetMinutes(int minutes) { utcOffsetMinutes_ = minutes; }

  // --- Folders ----------------------------------------------------------------------------
  void setUserFolder(int candidate, const std::string& path);

  // --- Syncs ------------------------------------------------------------------------------
  // How many times the program asked for a file, or a folder, to be put on stable storage.
  int fileSyncs() const { return fileSyncs_; }
  int folderSyncs() const { return folderSyncs_; }

  void write(ConsoleStream stream, const char* text, size_t length) override;
  void setAttribute(ConsoleStream stream, int attribute) override;
  int readLineChar() override;
  int readKey() override;
  void echoKey(int key) override;
  void clearScreen() override;
  void setTitle(const char* title) override;
  void setConsoleBufferSize(int, int) override {}
  void placeConsoleWindow() override {}
  int consoleColumns() override { return columns_; }
  void setConsoleColumns(int columns) { columns_ = columns; }
  void guardConsole() override { ++guardCalls_; }

  [[noreturn]] void exitProcess(int status) override;

  uint32_t tickCount() override { return tick_; }
  SystemTime systemTimeUtc() override;
  bool utcToLocal(const SystemTime& utc, SystemTime* local) override;
  bool localToUtc(const SystemTime& local, SystemTime* utc) override;

  std::string userFolder(int candidate) override;

  // The tests' disk never loses power: a sync is counted and flushes the stream, and
  // asks the system for nothing more, which would cost each scripted answer milliseconds.
  bool syncFile(FILE* stream) override;
  bool syncFolder(const char* path) override;

 private:
  struct InputByte {
    int Value;
    uint32_t DelayMs;
  };
  int nextInput();

  mutable std::mutex lock_;
  // The script, and the next byte of it to hand out. Bytes handed out stay until reset,
  // so that a backend used for many short scripts keeps its room instead of taking and
  // freeing it for every few keys.
  std::vector<InputByte> input_;
  size_t nextInput_ = 0;
  std::vector<WrittenPiece> pieces_;
  size_t taken_ = 0;
  int attribute_[2] = {DefaultAttribute, DefaultAttribute};
  std::string echoed_;
  int clearCount_ = 0;
  std::string title_;
  int columns_ = 80;
  int guardCalls_ = 0;
  std::atomic<uint32_t> tick_{1000000};
  std::atomic<FileTime> utc_;
  int utcOffsetMinutes_ = 0;
  std::string folders_[5];
  std::atomic<int> fileSyncs_{0};
  std::atomic<int> folderSyncs_{0};
};
