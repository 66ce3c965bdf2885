// The Win32 backend against the real Windows calls (run under Wine in CI): what the
// program's exam search, clock check, exam loader and key set-up rely on.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "support/scripted_test.h"
#include "support/system_calls.h"

namespace {

bool runningUnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

struct Listed {
  std::string Name;
  bool IsDirectory;
};

std::vector<Listed> listed(const std::string& directory, const char* extension) {
  std::vector<Listed> found;
  EXPECT_TRUE(win32Platform().listDirectory(directory.c_str(), extension,
                                            [&](const DirectoryEntry& entry) {
                                              found.push_back({entry.Name, entry.IsDirectory});
                                              return true;
                                            }));
  std::sort(found.begin(), found.end(),
            [](const Listed& a, const Listed& b) { return a.Name < b.Name; });
  return found;
}

std::vector<std::string> namesOf(const std::vector<Listed>& entries) {
  std::vector<std::string> names;
  for (const Listed& entry : entries)
    names.push_back(entry.Name + (entry.IsDirectory ? "\\" : ""));
  return names;
}

TEST(Win32Files, SyncWritesTheFileThroughAndFailsWhereItCannotFlush) {
  TempFolder folder;
  const std::string path = folder.file("result.xmc");
  FILE* file = fopen(path.c_str(), "w+b");
  ASSERT_NE(file, nullptr);
  fputs("a record", file);  // still in the stream's buffer
  EXPECT_TRUE(win32Platform().syncFile(file));
  EXPECT_EQ(folder.read("result.xmc"), "a record");  // flushed before the sync
  fclose(file);
  EXPECT_TRUE(win32Platform().syncFolder(folder.path().c_str()));
  // FlushFileBuffers needs a handle that may write: on one opened for reading it fails,
  // which only a backend that really asks for it can notice.
  FILE* reading = fopen(path.c_str(), "rb");
  ASSERT_NE(reading, nullptr);
  EXPECT_FALSE(win32Platform().syncFile(reading));
  fclose(reading);
}

TEST(Win32Files, ExamPatternTakesOnlyNamesEndingInTheExtension) {
  TempFolder folder;
  // Windows matches "*.exm" against the short 8.3 names too, whose extension is cut to
  // three letters: c.exmx, Examination.exmbak and w.exm~ all come up for it.
  for (const char* name : {"Exam1.exm", "MyExam6.EXM", "c.exmx", "Examination.exmbak",
                           "w.exm~", "exm", "Exam4.txt"})
    folder.write(name, "x");
  ASSERT_TRUE(CreateDirectoryA(folder.file("Week.exm").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(folder.file("plain").c_str(), nullptr));

  EXPECT_EQ(namesOf(listed(folder.path(), "exm")),
            (std::vector<std::string>{"Exam1.exm", "MyExam6.EXM", "Week.exm\\"}));
  // Every entry but "." and "..", for the clock check's scan.
  EXPECT_EQ(listed(folder.path(), "*").size(), 9u);
  // A folder given with its separator at the end, as a drive root is, is read the same.
  EXPECT_EQ(listed(folder.path() + "\\", "exm").size(), 3u);

  EXPECT_FALSE(win32Platform().listDirectory(folder.file("gone").c_str(), "exm",
                                             [](const DirectoryEntry&) { return true; }));
  // A drive root: read as it is, with no second backslash.
  std::string root = folder.path().substr(0, 3);
  EXPECT_FALSE(listed(root, "*").empty()) << root;
}

TEST(Win32Files, LinksAreNeverFollowed) {
  TempFolder folder;
  ASSERT_TRUE(CreateDirectoryA(folder.file("real").c_str(), nullptr));
  folder.write("real/inside.txt", "x");
  if (!CreateSymbolicLinkA(folder.file("link").c_str(), folder.file("real").c_str(),
                           SYMBOLIC_LINK_FLAG_DIRECTORY))
    GTEST_SKIP() << "no symbolic links here (error " << GetLastError() << ")";
  std::vector<std::string> names = namesOf(listed(folder.path(), "*"));
  if (names.size() == 1 && runningUnderWine())
    GTEST_SKIP() << "Wine lists no links";
  EXPECT_EQ(names, (std::vector<std::string>{"link", "real\\"}));
}

TEST(Win32Files, AllThreeFileTimesAreReadAndPutBack) {
  TempFolder folder;
  folder.write("Exam.exm", "x");
  const std::string path = folder.file("Exam.exm");
  FileTimes set;
  set.Creation = 132000000000000000ULL;  // 2019
  set.LastAccess = 133000000000000000ULL;
  set.LastWrite = 132500000000000000ULL;
  ASSERT_TRUE(win32Platform().setFileTimes(path.c_str(), set));
  FileTimes got;
  ASSERT_TRUE(win32Platform().getFileTimes(path.c_str(), &got));
  // Wine keeps the files on a Linux file system, which has no creation time to set.
  if (!runningUnderWine()) {
    EXPECT_EQ(got.Creation, set.Creation);
  }
  EXPECT_EQ(got.LastAccess, set.LastAccess);
  EXPECT_EQ(got.LastWrite, set.LastWrite);

  // Also while the exam loader has the file open for reading and updating.
  FILE* open = fopen(path.c_str(), "r+b");
  ASSERT_TRUE(open);
  EXPECT_TRUE(win32Platform().getFileTimes(path.c_str(), &got));
  EXPECT_TRUE(win32Platform().setFileTimes(path.c_str(), set));
  fclose(open);

  // A folder has times too (the clock check asks them of a path that is not a folder).
  EXPECT_TRUE(win32Platform().getFileTimes(folder.path().c_str(), &got));
  EXPECT_FALSE(win32Platform().getFileTimes(folder.file("gone").c_str(), &got));
  EXPECT_EQ(win32Platform().lastErrorCode(), ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(win32Platform().isDirectory(folder.path().c_str()));
  EXPECT_FALSE(win32Platform().isDirectory(path.c_str()));
}

TEST(Win32Files, PathsThatDoNotFitAreRefusedNotCut) {
  char buffer[MAX_PATH + 1];
  ASSERT_TRUE(win32Platform().currentDirectory(buffer, sizeof buffer));
  size_t length = strlen(buffer);
  // The system answers a buffer that is too small with the size it needs, not 0.
  EXPECT_FALSE(win32Platform().currentDirectory(buffer, length));
  EXPECT_TRUE(win32Platform().currentDirectory(buffer, length + 1));

  ASSERT_TRUE(win32Platform().fullPath("key.bin", buffer, sizeof buffer));
  std::string full = buffer;
  EXPECT_EQ(full.substr(full.size() - 8), "\\key.bin");
  EXPECT_FALSE(win32Platform().fullPath("key.bin", buffer, full.size()));
}

TEST(Win32Folders, ClockCheckFoldersComeFromTheShell) {
  Platform& system = win32Platform();
  const std::string local = system.userFolder(2);
  const std::string roaming = system.userFolder(3);
  EXPECT_FALSE(local.empty());
  EXPECT_FALSE(roaming.empty());
  EXPECT_NE(local, roaming);
  const std::string first = system.userFolder(1);
  const std::string fourth = system.userFolder(4);
  ASSERT_GT(first.size(), 18u);
  EXPECT_EQ(first.substr(first.size() - 17), "\\AppData\\LocalLow");
  EXPECT_EQ(first.substr(0, first.size() - 9), fourth);
  EXPECT_EQ(system.userFolder(0), "");
  EXPECT_EQ(system.userFolder(5), "");
}

TEST(Win32Resources, KeyDataAndPrimeTableAreInTheProgram) {
  const uint8_t* data = nullptr;
  size_t size = 0;
  ASSERT_TRUE(win32Platform().loadResource("RAW", 102, &data, &size));
  EXPECT_EQ(size, 65537u);
  ASSERT_TRUE(win32Platform().loadResource("PRIMES", 103, &data, &size));
  ASSERT_EQ(size, 800000u);
  const uint32_t* primes = reinterpret_cast<const uint32_t*>(data);
  EXPECT_EQ(primes[0], 2u);
  EXPECT_EQ(primes[199999], 2750159u);
  EXPECT_FALSE(win32Platform().loadResource("RAW", 103, &data, &size));
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(size, 0u);
}

TEST(Win32Time, LocalAndUtcConvertBothWays) {
  Platform& system = win32Platform();
  SystemTime utc = system.systemTimeUtc();
  EXPECT_GE(utc.Year, 2020);
  SystemTime local, back;
  ASSERT_TRUE(system.utcToLocal(utc, &local));
  ASSERT_TRUE(system.localToUtc(local, &back));
  FileTime a = 0, b = 0;
  ASSERT_TRUE(systemTimeToFileTime(utc, &a));
  ASSERT_TRUE(systemTimeToFileTime(back, &b));
  EXPECT_EQ(a, b);
  SystemTime bad = utc;
  bad.Month = 13;
  EXPECT_FALSE(system.localToUtc(bad, &back));
}

}  // namespace
