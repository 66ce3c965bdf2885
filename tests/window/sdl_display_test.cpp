// What the SDL window system counts as a display the student can see, and the driver
// the window tests draw with.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/window_backend.h"
#include "window/window_test_support.h"

// The tests draw into SDL's offscreen driver, unless SDL_VIDEODRIVER names another (x11
// under Xvfb, to see the window).
void chooseTestWindowSystem() { setenv("SDL_VIDEODRIVER", "offscreen", 0); }

namespace {

// Sets or clears an environment variable for the life of the object.
class EnvironmentValue {
 public:
  EnvironmentValue(const char* name, const char* value) : name_(name) {
    const char* old = getenv(name);
    hadOld_ = old != nullptr;
    if (old)
      old_ = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~EnvironmentValue() {
    if (hadOld_)
      setenv(name_, old_.c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  bool hadOld_ = false;
  std::string old_;
};

}  // namespace

TEST(SdlDisplay, OnlyAVisibleDisplayOrAnAskedForDriverCountsAsGraphical) {
  EnvironmentValue wayland("WAYLAND_DISPLAY", nullptr);
  {
    EnvironmentValue driver("SDL_VIDEODRIVER", nullptr);
    EnvironmentValue display("DISPLAY", nullptr);
    EXPECT_FALSE(graphicalDisplayAvailable());
  }
  {
    // A display that is not there: SDL falls back to its offscreen driver by itself.
    EnvironmentValue driver("SDL_VIDEODRIVER", nullptr);
    EnvironmentValue display("DISPLAY", ":4711");
    EXPECT_FALSE(graphicalDisplayAvailable());
  }
  {
    EnvironmentValue driver("SDL_VIDEODRIVER", "offscreen");
    EnvironmentValue display("DISPLAY", nullptr);
    EXPECT_TRUE(graphicalDisplayAvailable());
  }
}
