#include "examfile/expiry_check.h"

#include <filesystem>
#include <string>
#include <vector>

#include "support/file_time_at.h"
#include "support/scripted_test.h"

namespace {

constexpr FileTime Second = 10000000ULL;

}  // namespace

class ExpiryCheckTest : public ScriptedTest {
 protected:
  void TearDown() override {
    stopRecentFileScan();
    ScriptedTest::TearDown();
  }
  std::vector<FileTime> listed() const {
    std::vector<FileTime> times;
    for (const RecentFileEntry* e = State.RecentFileTimes.Head; e; e = e->Next)
      times.push_back(e->Time);
    return times;
  }
  // The exam's expiry and the clock reading of the load.
  int check(const char* expiry, FileTime loadTime, uint8_t clockCheck = ' ') {
    snprintf(State.ExpiryDate, sizeof State.ExpiryDate, "%s", expiry);
    State.LoadTime = fileTimeToSystemTime(loadTime);
    State.ClockCheckMode = clockCheck;
    return checkExpiryAndClock();
  }
  void writeDated(const std::string& name, FileTime lastWrite) {
    folder.write(name, "x");
    FileTimes times;
    times.LastAccess = times.LastWrite = lastWrite;
    ASSERT_TRUE(platform().setFileTimes(folder.file(name).c_str(), times));
  }
  // A folder of files with the given last-write times, scanned as the first candidate.
  void scanFilesDated(const std::vector<FileTime>& times) {
    for (size_t i = 0; i < times.size(); ++i)
      writeDated("f" + std::to_string(i), times[i]);
    console.setUserFolder(1, folder.path());
    initExamState();
  }
  TempFolder folder;
};

TEST_F(ExpiryCheckTest, RecordKeepsTheFourNewestNewestFirst) {
  EXPECT_EQ(recordFileTime("a", 50), 1);
  EXPECT_EQ(recordFileTime("b", 10), 2);
  EXPECT_EQ(recordFileTime("c", 70), 3);
  EXPECT_EQ(recordFileTime("d", 30), 4);
  EXPECT_EQ(listed(), (std::vector<FileTime>{70, 50, 30, 10}));
  // Older than the oldest kept: rejected, nothing changes.
  EXPECT_EQ(recordFileTime("e", 5), 4);
  EXPECT_EQ(listed(), (std::vector<FileTime>{70, 50, 30, 10}));
  // Newer: the oldest drops out.
  EXPECT_EQ(recordFileTime("f", 60), 4);
  EXPECT_EQ(listed(), (std::vector<FileTime>{70, 60, 50, 30}));
  EXPECT_EQ(recordFileTime("g", 80), 4);
  EXPECT_EQ(listed(), (std::vector<FileTime>{80, 70, 60, 50}));
  // Equal to the oldest is not older: it takes the oldest's place.
  EXPECT_EQ(recordFileTime("h", 50), 4);
  EXPECT_EQ(listed(), (std::vector<FileTime>{80, 70, 60, 50}));
  EXPECT_EQ(State.RecentFileTimes.Tail->Time, 50u);
  EXPECT_EQ(State.RecentFileTimes.Tail->Next, nullptr);
  EXPECT_EQ(State.RecentFileTimes.Head->Previous, nullptr);
  EXPECT_EQ(recordFileTime(nullptr, 0), 0);
  EXPECT_TRUE(listed().empty());
}

TEST_F(ExpiryCheckTest, ThreeNewerFilesAreNoClockResetFourAre) {
  const FileTime load = fileTimeAt(2026, 3, 1, 12, 0);
  scanFilesDated({load + Second, load + 2 * Second, load + 3 * Second, load - Second});
  EXPECT_EQ(check("2030/01/01::00:00:00", load, 'Y'), 0);

  stopRecentFileScan();
  scanFilesDated({load + Second, load + 2 * Second, load + 3 * Second, load + 4 * Second,
                  load - Second});
  EXPECT_EQ(check("2030/01/01::00:00:00", load, 'Y'), 2);
  // Expired and clock set back both count.
  EXPECT_EQ(check("2026/02/01::00:00:00", load, 'Y'), 3);
}

// With the clock check off, the scan's findings do not count.
TEST_F(ExpiryCheckTest, ClockCheckOffOnlyExpiryDecides) {
  const FileTime load = fileTimeAt(2026, 3, 1, 12, 0);
  scanFilesDated({load + Second, load + 2 * Second, load + 3 * Second, load + 4 * Second});
  EXPECT_EQ(check("2030/01/01::00:00:00", load, ' '), 0);
  EXPECT_FALSE(State.ScanKeepRunning.load());
}

TEST_F(ExpiryCheckTest, ExpiresOneSecondAfterTheInstant) {
  const FileTime expiry = fileTimeAt(2026, 6, 30, 23, 59);
  EXPECT_EQ(check("2026/06/30::23:59:00", expiry), 0);
  EXPECT_EQ(check("2026/06/30::23:59:00", expiry + Second), 1);
  // The seconds digits are not read.
  EXPECT_EQ(check("2026/06/30::23:59:45", expiry + Second), 1);
  EXPECT_STREQ(State.ExpiryDate, "2026");
}

TEST_F(ExpiryCheckTest, ExpiryIsLocalTime) {
  const FileTime localInstant = fileTimeAt(2026, 6, 30, 12, 0);
  // Two hours east of UTC: local noon is 10:00 UTC.
  console.setUtcOffsetMinutes(120);
  EXPECT_EQ(check("2026/06/30::12:00:00", localInstant - 2 * 3600 * Second), 0);
  EXPECT_EQ(check("2026/06/30::12:00:00", localInstant - 2 * 3600 * Second + Second), 1);
  // Five hours west: the same text expires at 17:00 UTC.
  console.setUtcOffsetMinutes(-300);
  EXPECT_EQ(check("2026/06/30::12:00:00", localInstant + 4 * 3600 * Second), 0);
  EXPECT_EQ(check("2026/06/30::12:00:00", localInstant + 5 * 3600 * Second + Second), 1);
}

TEST_F(ExpiryCheckTest, DateThatDoesNotExistNeverExpires) {
  const FileTime load = fileTimeAt(2026, 3, 1, 12, 0);
  EXPECT_EQ(check("9999/99/99::99:99:00", load), 0);
  EXPECT_EQ(check("2026/02/30::00:00:00", load), 0);
  EXPECT_EQ(check("2026/01/01::25:00:00", load), 0);
}

TEST_F(ExpiryCheckTest, InitSetsTheExamRecordsToTheirDefaults) {
  State.ExamPassword[0] = 'p';
  State.Header.Version = 1.0f;
  State.OrderMode = '+';
  initExamState();
  EXPECT_STREQ(State.ExpiryDate, "9999/99/99::99:99:00");
  EXPECT_EQ(State.Header.Version, 1.07f);
  EXPECT_EQ(State.ExamPassword[0], '\0');
  EXPECT_EQ(State.OrderMode, 0);
  EXPECT_NE(State.PrimeTable, nullptr);
  char current[PathCapacity];
  ASSERT_TRUE(platform().currentDirectory(current, sizeof current));
  EXPECT_STREQ(State.StartDirectory, current);
}

// The first candidate the system has no folder for is passed over; a path that is a
// file is refused; one that does not exist is taken and scans as empty.
TEST_F(ExpiryCheckTest, SelectScanFolder) {
  console.setUserFolder(3, folder.path());
  int step = 2;
  EXPECT_EQ(selectScanFolder(&step), 0);
  EXPECT_EQ(step, 3);
  EXPECT_EQ(std::string(State.ScanFolderPath), folder.path());

  folder.write("file", "x");
  console.setUserFolder(1, folder.file("file"));
  step = 1;
  EXPECT_EQ(selectScanFolder(&step), -1);

  console.setUserFolder(1, folder.file("missing"));
  EXPECT_EQ(selectScanFolder(&step), 0);
  EXPECT_EQ(std::string(State.ScanFolderPath), folder.file("missing"));

  step = 5;
  EXPECT_EQ(selectScanFolder(&step), -1);
  step = 4;
  EXPECT_EQ(selectScanFolder(&step), 0);
  EXPECT_EQ(State.ScanFolderPath[0], '\0');
}

TEST_F(ExpiryCheckTest, ScanDescendsIntoFolders) {
  const FileTime load = fileTimeAt(2026, 3, 1, 12, 0);
  std::filesystem::create_directories(folder.file("a/b"));
  for (const char* name : {"a/one", "a/b/two", "a/b/three", "four"})
    writeDated(name, load + Second);
  console.setUserFolder(2, folder.path());
  initExamState();
  EXPECT_EQ(check("2030/01/01::00:00:00", load, 'Y'), 2);
  EXPECT_EQ(State.RecentFileTimes.Count, 4);
}

// A link in the user's folders to a tree of newer files (or to / and /proc) is not walked:
// the link is one entry with its own time, and those files never make a clock reset.
TEST_F(ExpiryCheckTest, ScanNeverFollowsLinks) {
  const FileTime load = fileTimeAt(2026, 3, 1, 12, 0);
  TempFolder elsewhere;
  for (const char* name : {"one", "two", "three", "four"}) {
    elsewhere.write(name, "x");
    FileTimes times;
    times.LastAccess = times.LastWrite = load + Second;
    ASSERT_TRUE(platform().setFileTimes(elsewhere.file(name).c_str(), times));
  }
  std::error_code refused;
  std::filesystem::create_directory_symlink(elsewhere.path(), folder.file("elsewhere"), refused);
  if (refused)
    GTEST_SKIP() << "no symbolic links here: " << refused.message();
  std::filesystem::create_directory_symlink(std::filesystem::path(elsewhere.path()).root_path(),
                                            folder.file("root"));
  console.setUserFolder(1, folder.path());
  initExamState();
  EXPECT_EQ(check("2030/01/01::00:00:00", load, 'Y'), 0);
  EXPECT_EQ(State.RecentFileTimes.Count, 2);
}
