#include "support/scripted_test.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "examfile/expiry_check.h"
#include "format/question_store.h"
#include "support/system_calls.h"
#include "window/question_window.h"

void ScriptedTest::SetUp() {
  stopRecentFileScan();
  clearQuestionStore();
  resetProgramState();
  setPlatform(&console);
  // Scripted tests look at State.QuestionText; a test that wants a window or the console
  // view asks for it.
  setWindowView(WindowView::Off);
}

void ScriptedTest::TearDown() {
  // A test may have started the recent-file scan (start-up does) or filled the store:
  // neither may outlive the scripted console.
  stopRecentFileScan();
  clearQuestionStore();
  setPlatform(nullptr);
}

int ScriptedTest::runProgram(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const ProgramExit& exit) {
    return exit.Status;
  }
  return NoExit;
}

int ScriptedTest::attributeOf(const std::string& text) const {
  for (const WrittenPiece& piece : console.pieces())
    if (piece.Text.find(text) != std::string::npos)
      return piece.Attribute;
  return -1;
}

TempFolder::TempFolder() {
  // A fresh name each time: create_directory is false for a folder that is already there.
  static std::mt19937 names{std::random_device{}()};
  std::error_code error;
  const std::filesystem::path base = std::filesystem::temp_directory_path(error);
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    char name[32];
    snprintf(name, sizeof name, "veritor-test-%08x", static_cast<unsigned>(names()));
    std::filesystem::path candidate = base / name;
    if (std::filesystem::create_directory(candidate, error))
      path_ = candidate.string();
  }
}

std::string TempFolder::file(const std::string& name) const {
  return path_ + pathSeparator() + nativePath(name);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  if (!path_.empty())
    std::filesystem::remove_all(path_, ignored);
}

void TempFolder::write(const std::string& name, const std::string& content) const {
  std::ofstream file(this->file(name), std::ios::binary);
  file << content;
}

std::string TempFolder::read(const std::string& name) const {
  std::ifstream file(this->file(name), std::ios::binary);
  std::stringstream all;
  all << file.rdbuf();
  return all.str();
}
