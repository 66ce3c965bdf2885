// The exam file fuzz target's folder in memory must look to the loader as a folder on the
// disk does: a difference would have the target fuzz a loader that never reads an exam.
#include "fuzz/memory_folder.h"

#include <gtest/gtest.h>

#include <errno.h>

#include <cstring>
#include <string>
#include <vector>

#include "crypto/key_data.h"
#include "examfile/exam_discovery.h"
#include "examfile/exam_loader.h"
#include "examfile/exam_writer.h"
#include "format/question_store.h"
#include "session/exam_session.h"

namespace {

constexpr FileTime Hour = 36000000000ULL;

const char* const Header =
    ";Fall 2026;  CS 1234: Intro to Programming: (001) ---> Midterm Exam:  TimeLimit: 90 "
    "minutes  ---  Version 1.07";

std::string g_sessionName;

void startSession(FILE* stream, const char* name, int8_t) {
  g_sessionName = name;
  fputs("START:\r\n", stream);
}

class MemoryFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clearQuestionStore();
    resetProgramState();
    folder.reset();
    setPlatform(&folder);
    setUpKeyData(0, nullptr);
    snprintf(State.StartDirectory, sizeof State.StartDirectory, "%s", MemoryFolder::Path);
    snprintf(State.WorkingDirectory, sizeof State.WorkingDirectory, "%s", MemoryFolder::Path);
    snprintf(State.StudentId, sizeof State.StudentId, "abc123");
    ExamSessionRunner = startSession;
  }
  void TearDown() override {
    ExamSessionRunner = runExamSession;
    releaseExamFileList();
    clearQuestionStore();
    setPlatform(nullptr);
  }
  FileTimes anHourAgo() {
    FileTime now = 0;
    systemTimeToFileTime(folder.systemTimeUtc(), &now);
    FileTimes times;
    times.Creation = times.LastAccess = times.LastWrite = now - Hour;
    return times;
  }
  void put(const char* name, const std::string& bytes) {
    folder.putFile(name, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                   anHourAgo());
  }
  std::string bytes(const char* name) const {
    const MemoryFolder::File* file = folder.file(name);
    return file ? file->Bytes : "(none)";
  }
  static std::string readAll(FILE* stream) {
    std::string all;
    for (int c; (c = fgetc(stream)) != EOF;)
      all += char(c);
    return all;
  }

  MemoryFolder folder;
};

TEST_F(MemoryFolderTest, LoaderReadsAnExamAndWritesOnlyItsCounter) {
  ExamFileOptions options;
  options.Password = "fuzz";
  options.OpenCounter = 0x00;
  const std::string exam =
      makeExamFileText(Header, "QUESTIONS\n1. (5 pts) One?\n2. (5 pts) Two?\n", options);
  put("MidtermExam.exm", exam);
  put("notes.txt", "not an exam");
  const FileTimes handedOut = folder.file("MidtermExam.exm")->Times;

  folder.typeLine("1");
  folder.typeLine("fuzz");
  try {
    loadExam();
  } catch (const ProgramExit&) {
    FAIL() << folder.dialogue();
  }

  EXPECT_EQ(State.QuestionCount, 2);
  EXPECT_EQ(folder.openStreams(), 0);
  const std::string after = bytes("MidtermExam.exm");
  ASSERT_EQ(after.size(), exam.size());
  std::vector<size_t> changed;
  for (size_t i = 0; i < exam.size(); ++i)
    if (after[i] != exam[i])
      changed.push_back(i);
  ASSERT_FALSE(changed.empty());
  EXPECT_LE(changed.back() - changed.front(), 1u);
  // Lowering the counter does not show in the file's times.
  EXPECT_EQ(folder.file("MidtermExam.exm")->Times.LastWrite, handedOut.LastWrite);
  EXPECT_EQ(bytes(g_sessionName.c_str()), "START:\r\n");
  EXPECT_EQ(folder.fileCount(), 3u);
}

TEST_F(MemoryFolderTest, StreamsReadWriteAndSeekAsFilesDo) {
  EXPECT_EQ(folder.openFile("missing.exm", "rb"), nullptr);
  EXPECT_EQ(folder.lastErrorCode(), ENOENT);

  FILE* made = folder.openFile("made.xmc", "w+b");
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(fputs("0123456789", made), 1);
  ASSERT_EQ(fseek(made, 0, SEEK_END), 0);
  EXPECT_EQ(ftell(made), 10);
  // A write past the end leaves zeros in the gap.
  ASSERT_EQ(fseek(made, 12, SEEK_SET), 0);
  fputc('x', made);
  ASSERT_EQ(fseek(made, 8, SEEK_SET), 0);
  EXPECT_EQ(readAll(made), std::string("89\0\0x", 5));
  EXPECT_EQ(fclose(made), 0);
  EXPECT_EQ(bytes("made.xmc"), std::string("0123456789\0\0x", 13));

  // Read only: nothing written reaches the file.
  FILE* reading = folder.openFile((std::string(MemoryFolder::Path) + "/made.xmc").c_str(), "rb");
  ASSERT_NE(reading, nullptr);
  EXPECT_EQ(fputc('y', reading), EOF);
  fclose(reading);
  // Update in place keeps the size.
  FILE* update = folder.openFile("made.xmc", "r+b");
  ASSERT_NE(update, nullptr);
  ASSERT_EQ(fseek(update, 2, SEEK_SET), 0);
  fwrite("AB", 1, 2, update);
  fclose(update);
  EXPECT_EQ(bytes("made.xmc"), std::string("01AB456789\0\0x", 13));
  // Opening for writing empties the file.
  fclose(folder.openFile("made.xmc", "wb"));
  EXPECT_EQ(bytes("made.xmc"), "");
  EXPECT_EQ(folder.openStreams(), 0);
}

TEST_F(MemoryFolderTest, OnlyTheOneFolderExists) {
  put("Exam.exm", "x");
  put("other.EXM", "y");
  put("list.txt", "z");
  std::vector<std::string> listed;
  EXPECT_TRUE(folder.listDirectory(MemoryFolder::Path, "exm", [&](const DirectoryEntry& entry) {
    listed.push_back(entry.Name);
    return true;
  }));
  EXPECT_EQ(listed, (std::vector<std::string>{"Exam.exm", "other.EXM"}));
  EXPECT_FALSE(folder.listDirectory("/tmp", "*", [](const DirectoryEntry&) { return true; }));

  FileTimes times;
  EXPECT_FALSE(folder.getFileTimes("/tmp/Exam.exm", &times));
  EXPECT_FALSE(folder.getFileTimes("sub/Exam.exm", &times));
  EXPECT_EQ(folder.openFile("/tmp/new.xmc", "wb"), nullptr);
  EXPECT_FALSE(folder.setCurrentDirectory("/tmp"));
  EXPECT_TRUE(folder.isDirectory(MemoryFolder::Path));
  EXPECT_FALSE(folder.isDirectory("/tmp"));

  folder.reset();
  EXPECT_EQ(folder.fileCount(), 0u);
  EXPECT_EQ(folder.file("Exam.exm"), nullptr);
}

}  // namespace
