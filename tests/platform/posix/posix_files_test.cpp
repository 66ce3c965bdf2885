// The POSIX backend's view of the user's folders.
#include <string>

#include <gtest/gtest.h>

#include "platform/posix/posix_platform.h"
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

}  // namespace
