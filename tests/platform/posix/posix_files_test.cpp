// The POSIX backend's view of the user's folders, and its syncs.
#include <stdio.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "platform/posix/posix_platform.h"
#include "support/scripted_test.h"
#include "support/system_calls.h"

namespace {

std::string userFolder(int candidate) {
  return posixPlatform().userFolder(candidate);
}

TEST(PosixFilesTest, UserFoldersWithoutHomeAreTheOnesNamedOutright) {
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

TEST(PosixFilesTest, SyncsPutAFileAndItsFolderOnTheDiskOrSaySoWhenTheyCannot) {
  TempFolder folder;
  const std::string path = folder.file("result.xmc");
  FILE* file = fopen(path.c_str(), "w+b");
  ASSERT_NE(file, nullptr);
  fputs("a record", file);  // still in the stream's buffer
  EXPECT_TRUE(posixPlatform().syncFile(file));
  EXPECT_EQ(folder.read("result.xmc"), "a record");  // flushed before the sync
  fclose(file);
  EXPECT_TRUE(posixPlatform().syncFolder(folder.path().c_str()));
  EXPECT_FALSE(posixPlatform().syncFolder(folder.file("missing").c_str()));

  // A full disk: the flush fails, and so does the sync.
  FILE* full = fopen("/dev/full", "w");
  ASSERT_NE(full, nullptr);
  fputs("a record", full);
  EXPECT_FALSE(posixPlatform().syncFile(full));
  fclose(full);

  // A pipe has no disk behind it: what was written has gone where it goes.
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  FILE* piped = fdopen(ends[1], "w");
  fputs("a record", piped);
  EXPECT_TRUE(posixPlatform().syncFile(piped));
  fclose(piped);
  char back[16] = {};
  EXPECT_EQ(read(ends[0], back, sizeof back), 8);
  close(ends[0]);
}

}  // namespace
