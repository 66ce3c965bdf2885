// What the SDL window system counts as a display the student can see.
#include <gtest/gtest.h>

#include "platform/window_backend.h"
#include "support/system_calls.h"

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
