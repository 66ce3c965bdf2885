// The POSIX backend's view of the user's folders and of directory entries.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/environment_value.h"
#include "support/file_time_at.h"
#include "support/scripted_test.h"

namespace {

class PosixFilesTest : public ScriptedTest {
 protected:
  // The real backend's answer, not the folders a scripted test sets.
  std::string userFolder(int candidate) { return console.PosixPlatform::userFolder(candidate); }
  TempFolder folder;
};

TEST_F(PosixFilesTest, UserFoldersWithoutHomeAreTheOnesNamedOutright) {
  EnvironmentValue home("HOME", nullptr);
  EnvironmentValue data("XDG_DATA_HOME", "/data");
  EnvironmentValue config("XDG_CONFIG_HOME", "/config");
  {
    EnvironmentValue cache("XDG_CACHE_HOME", "/cache");
    EXPECT_EQ(userFolder(1), "");
    EXPECT_EQ(userFolder(2), "/data");
    EXPECT_EQ(userFolder(3), "/config");
    EXPECT_EQ(userFolder(4), "/cache");
  }
  EnvironmentValue cache("XDG_CACHE_HOME", nullptr);
  EXPECT_EQ(userFolder(4), "");

  EnvironmentValue withHome("HOME", "/home/jane");
  EXPECT_EQ(userFolder(1), "/home/jane/.local/state");
  EXPECT_EQ(userFolder(2), "/data");
  EXPECT_EQ(userFolder(4), "/home/jane/.cache");
}

TEST_F(PosixFilesTest, ListingReportsALinkAsItselfWithItsOwnTime) {
  std::filesystem::create_directory(folder.file("target"));
  folder.write("target/inside", "x");
  std::filesystem::create_directory_symlink(folder.file("target"), folder.file("link"));
  const FileTime linkTime = fileTimeAt(2020, 5, 1, 8, 30);
  struct timespec both[2];
  both[0].tv_sec = both[1].tv_sec =
      static_cast<time_t>(linkTime / 10000000 - SecondsFrom1601To1970);
  both[0].tv_nsec = both[1].tv_nsec = 0;
  ASSERT_EQ(utimensat(AT_FDCWD, folder.file("link").c_str(), both, AT_SYMLINK_NOFOLLOW), 0);

  int seen = 0;
  ASSERT_TRUE(console.listDirectory(folder.path().c_str(), "*", [&](const DirectoryEntry& entry) {
    if (entry.Name == "link") {
      ++seen;
      EXPECT_FALSE(entry.IsDirectory);
      EXPECT_EQ(entry.LastWrite, linkTime);
    } else {
      EXPECT_TRUE(entry.IsDirectory) << entry.Name;
    }
    return true;
  }));
  EXPECT_EQ(seen, 1);
}

}  // namespace
