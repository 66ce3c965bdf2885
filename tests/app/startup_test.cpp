#include "app/startup.h"

#include <cstring>
#include <string>

#include "crypto/key_data.h"
#include "state/program_state.h"
#include "support/scripted_test.h"

namespace {

// A console whose current directory cannot be read, or is as deep as asked.
class DirectoryTrouble : public ScriptedPlatform {
 public:
  explicit DirectoryTrouble(size_t depth) : depth_(depth) {}
  bool currentDirectory(char* buffer, size_t capacity) override {
    if (depth_ == 0 || depth_ + 1 > capacity)
      return false;
    memset(buffer, 'd', depth_);
    buffer[0] = '/';
    buffer[depth_] = '\0';
    return true;
  }

 private:
  size_t depth_;
};

}  // namespace

class StartupTest : public ScriptedTest {};

TEST_F(StartupTest, PrepareConsoleSetsTheTitleClearsAndShowsTheBanner) {
  prepareConsole("./veritor");
  EXPECT_EQ(console.title(), "Veritor Version  1.19");
  EXPECT_EQ(console.clearCount(), 1);
  EXPECT_EQ(out(), "\n\n./veritor  Version  1.19\n\n");
}

TEST_F(StartupTest, AKeyOfTheWrongLengthEndsTheProgram) {
  checkEmbeddedKeyLength(65537);
  EXPECT_EQ(all(), "");
  console.typeLine("");
  EXPECT_EQ(runProgram([] { checkEmbeddedKeyLength(65536); }), -1);
  EXPECT_EQ(err(), "Internal Data Error getting key length.\n\n\n\n");
  EXPECT_EQ(attributeOf("Internal Data Error"), 15);
}

// The exam search must never start from a cut or unfilled path: a directory that cannot
// be read, or is too deep for the path buffers, ends the program with its message.
TEST_F(StartupTest, AWorkingDirectoryThatCannotBeHeldEndsTheProgram) {
  struct Case {
    size_t Depth;
    const char* Message;
  };
  const Case cases[] = {
      {0, "\n\nError! Could not get current working directory.\n\n\n\n"},
      {PathCapacity + 10,
       "\n\nError! The current working directory is longer than 4095 characters.\n\n\n\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Depth);
    DirectoryTrouble trouble(c.Depth);
    setPlatform(&trouble);
    trouble.typeLine("");
    EXPECT_EQ(runProgram([] { readWorkingDirectory(); }), -1);
    EXPECT_EQ(trouble.text(ConsoleStream::Err), c.Message);
    EXPECT_EQ(State.WorkingDirectory[0], '\0');
    EXPECT_TRUE(trouble.scriptDone());
    setPlatform(&console);
  }

  DirectoryTrouble fits(PathCapacity - 1);
  setPlatform(&fits);
  readWorkingDirectory();
  EXPECT_EQ(strlen(State.WorkingDirectory), PathCapacity - 1);
  setPlatform(&console);
}

TEST_F(StartupTest, AWholeRunFromBannerToGoodbye) {
  char name[] = "veritor";
  char* argv[] = {name, nullptr};
  console.typeLine("Doe");
  console.typeLine("Jane");
  console.typeLine("abc123");
  console.typeLine("y");
  console.typeLine("1");
  console.typeLine("");
  console.typeLine("9");
  console.typeLine("");
  EXPECT_EQ(runProgram([&] { runConsoleProgram(1, argv); }), 0);
  std::string text = out();
  EXPECT_EQ(text.rfind("\n\nveritor  Version  1.19\n\n\n\nEnter your Last Name: ", 0), 0u);
  EXPECT_NE(text.find("Finally, to skip a question"), std::string::npos);
  EXPECT_STREQ(State.StudentFullName, "Doe, Jane");
  EXPECT_TRUE(console.scriptDone());
}
