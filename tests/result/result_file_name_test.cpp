#include "result/result_file_name.h"

#include <filesystem>
#include <string>

#include "support/scripted_test.h"

class ResultFileNameTest : public ScriptedTest {
 protected:
  void SetUp() override {
    ScriptedTest::SetUp();
    startDirectory = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    snprintf(State.Header.Semester, sizeof State.Header.Semester, "Fall 2026");
    snprintf(State.Header.CourseNumber, sizeof State.Header.CourseNumber, "CS/1234");
    snprintf(State.Header.ExamName, sizeof State.Header.ExamName, "Final: Part\t2?");
  }
  void TearDown() override {
    std::filesystem::current_path(startDirectory);
    ScriptedTest::TearDown();
  }
  std::string make(const std::string& tail = "_XMC_abc123_CompletedBy") {
    char name[512];
    EXPECT_EQ(runProgram([&] { makeResultFileName(tail.c_str(), name, sizeof name); }), NoExit);
    return name;
  }
  TempFolder folder;
  std::filesystem::path startDirectory;
};

TEST_F(ResultFileNameTest, ForbiddenCharacters) {
  for (int c = 0; c < 256; ++c) {
    bool expected = c < 0x20 || c >= 0x80 || std::string("\"*/:<>?\\|").find(char(c)) !=
                                                     std::string::npos;
    EXPECT_EQ(isForbiddenNameChar(static_cast<unsigned char>(c)), expected) << c;
  }
}

TEST_F(ResultFileNameTest, SanitizeCutsAtALineBreakAndReplacesTheRest) {
  char text[] = "a b\tc*d\xE9.e\r\nrest";
  sanitizeNamePart(text);
  EXPECT_STREQ(text, "aZbZcZdZ.e");
  char only[] = "<>|";
  sanitizeNamePart(only);
  EXPECT_STREQ(only, "ZZZ");
}

TEST_F(ResultFileNameTest, NameFromTheHeaderAndTail) {
  EXPECT_EQ(make(), "FallZ2026_CSZ1234_FinalZZPartZ2Z_00__XMC_abc123_CompletedBy.xmc");
  // Only the first 60 characters of the tail are used.
  EXPECT_EQ(make(std::string(70, 't')),
            "FallZ2026_CSZ1234_FinalZZPartZ2Z_00_" + std::string(60, 't') + ".xmc");
  EXPECT_EQ(console.allText(), "");
}

TEST_F(ResultFileNameTest, ExistingFileIsReusedOnlyOnYes) {
  const std::string first = "FallZ2026_CSZ1234_FinalZZPartZ2Z_00__XMC_abc123_CompletedBy.xmc";
  const std::string second = "FallZ2026_CSZ1234_FinalZZPartZ2Z_01__XMC_abc123_CompletedBy.xmc";
  folder.write(first, "old");
  console.typeLine("n");
  EXPECT_EQ(make(), second);
  EXPECT_NE(out().find("\n\nThe file \"" + first +
                       "\" already exists. Overwrite it? ( Y(y) / N(n) )\n\n"),
            std::string::npos);
  EXPECT_EQ(attributeOf("already exists"), 12);
  console.typeLine("Y");
  EXPECT_EQ(make(), first);
}
