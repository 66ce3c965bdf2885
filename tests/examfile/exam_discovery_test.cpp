#include "examfile/exam_discovery.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/scripted_test.h"

class ExamDiscoveryTest : public ScriptedTest {
 protected:
  void SetUp() override {
    ScriptedTest::SetUp();
    startDirectory = std::filesystem::current_path();
  }
  void TearDown() override {
    releaseExamFileList();
    std::filesystem::current_path(startDirectory);
    ScriptedTest::TearDown();
  }
  std::filesystem::path startDirectory;
  void searchIn(const std::string& directory) {
    snprintf(State.WorkingDirectory, sizeof State.WorkingDirectory, "%s", directory.c_str());
    console.typeLine("");  // for the pause when nothing is found
    ASSERT_EQ(runProgram([] { findExamFiles(); }), NoExit);
  }
  // Hands what addFoundFile found over as the exam list, which TearDown releases.
  void keepFoundList() {
    State.ExamFileList = State.FoundListHead;
    State.FoundListHead = State.FoundListTail = nullptr;
  }
  std::vector<std::string> names() const {
    std::vector<std::string> found;
    for (NameListNode* node = State.ExamFileList; node; node = node->Next)
      found.push_back(node->Path + node->NameOffset);
    std::sort(found.begin(), found.end());
    return found;
  }
  TempFolder folder;
};

TEST_F(ExamDiscoveryTest, PatternIgnoresCaseFilterDoesNot) {
  for (const char* name : {"MyExam1.exm", "Exam2.exm", "final.exm", "exam3.exm", "Exam4.txt",
                           "EXAM5.EXM", "MyExam6.EXM", "Exam7.exm.bak", "Examexm"})
    folder.write(name, "x");
  searchIn(folder.path());
  EXPECT_EQ(names(), (std::vector<std::string>{"Exam2.exm", "MyExam1.exm", "MyExam6.EXM"}));
  for (NameListNode* node = State.ExamFileList; node; node = node->Next)
    EXPECT_EQ(std::string(node->Path), folder.file(node->Path + node->NameOffset));
  EXPECT_EQ(State.FoundListHead, nullptr);
  EXPECT_EQ(State.FoundListTail, nullptr);
  EXPECT_EQ(err(), "");
}

TEST_F(ExamDiscoveryTest, EmptyFolderGivesTheNoFilesMessage) {
  searchIn(folder.path());
  EXPECT_EQ(State.ExamFileList, nullptr);
  EXPECT_NE(err().find("Error! No Exam files found in " + folder.path() + "\n\n"),
            std::string::npos);
}

// Only a directory whose own name matches the pattern is searched; the current directory
// stays the one the exams are listed from.
TEST_F(ExamDiscoveryTest, DescendsIntoMatchingDirectoriesOnly) {
  std::filesystem::create_directory(folder.file("Week.exm"));
  std::filesystem::create_directory(folder.file("plain"));
  folder.write("Week.exm/InnerExam.exm", "x");
  folder.write("plain/HiddenExam.exm", "x");
  searchIn(folder.path());
  ASSERT_EQ(names(), (std::vector<std::string>{"InnerExam.exm"}));
  EXPECT_EQ(std::string(State.ExamFileList->Path), folder.file("Week.exm/InnerExam.exm"));
  EXPECT_NE(out().find("\nContinuing search in " + folder.path() + "\n\n"), std::string::npos);
  char current[PathCapacity];
  ASSERT_TRUE(platform().currentDirectory(current, sizeof current));
  EXPECT_EQ(std::filesystem::path(current), std::filesystem::canonical(folder.path()));
  EXPECT_EQ(std::string(State.SearchPath), folder.path());
}

TEST_F(ExamDiscoveryTest, RootDirectoryGetsNoSecondSeparator) {
  // "/" here, a drive root such as "C:\" on Windows.
  const std::string root = std::filesystem::path(folder.path()).root_path().string();
  snprintf(State.SearchPath, sizeof State.SearchPath, "%s", root.c_str());
  addFoundFile("RootExam.exm");
  keepFoundList();
  EXPECT_EQ(std::string(State.ExamFileList->Path), root + "RootExam.exm");
  EXPECT_EQ(State.ExamFileList->NameOffset, int(root.size()));
}

// A path too long for a node is left out rather than cut.
TEST_F(ExamDiscoveryTest, PathTooLongForANodeIsLeftOut) {
  std::string deep(PathCapacity - 10, 'd');
  snprintf(State.SearchPath, sizeof State.SearchPath, "/%s", deep.c_str());
  addFoundFile("LongExam.exm");
  addFoundFile("E.exm");
  keepFoundList();
  EXPECT_EQ(names(), (std::vector<std::string>{"E.exm"}));
}

TEST_F(ExamDiscoveryTest, WorkingDirectoryThatCannotBeEntered) {
  console.typeLine("");
  snprintf(State.WorkingDirectory, sizeof State.WorkingDirectory, "%s",
           folder.file("gone").c_str());
  EXPECT_EQ(runProgram([] { findExamFiles(); }), -1);
  EXPECT_NE(err().find("Error - Could not set directory to \"" + folder.file("gone") + "\"\n\n"),
            std::string::npos);
}
