// A test fixture over the scripted backend: a fresh ProgramState, a script of keys,
// a record of everything written, and a way to run code that may end the program.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/scripted/scripted_platform.h"
#include "state/program_state.h"

class ScriptedTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs fn; returns the exit status if it ended the program, or NoExit when it returned.
  static constexpr int NoExit = 1000;
  int runProgram(const std::function<void()>& fn);

  std::string out() const { return console.text(ConsoleStream::Out); }
  std::string err() const { return console.text(ConsoleStream::Err); }
  std::string all() const { return console.allText(); }
  // The attribute in force when the first occurrence of text was written; -1 if never.
  int attributeOf(const std::string& text) const;

  ScriptedPlatform console;
};

// A folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::string& path() const { return path_; }
  // A path below the folder; name may use '/' between folders, on every system.
  std::string file(const std::string& name) const;
  void write(const std::string& name, const std::string& content) const;
  std::string read(const std::string& name) const;

 private:
  std::string path_;
};
