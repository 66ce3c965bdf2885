// The POSIX backend's view of the user's folders.
#include <string>

#include "support/system_calls.h"
#include "support/scripted_test.h"

namespace {

class PosixFilesTest : public ScriptedTest {
 protected:
  // The real backend's answer, not the folders a scripted test sets.
  std::string userFolder(int candidate) { return console.PosixPlatform::userFolder(candidate); }
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

}  // namespace
