#include "support/scripted_test.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "examfile/expiry_check.h"
#include "format/question_store.h"

void ScriptedTest::SetUp() {
  stopRecentFileScan();
  clearQuestionStore();
  resetProgramState();
  setPlatform(&console);
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
  std::string pattern = (std::filesystem::temp_directory_path() / "veritor-test-XXXXXX").string();
  char* made = mkdtemp(pattern.data());
  path_ = made ? made : "";
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
