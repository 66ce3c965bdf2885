#include "window/countdown.h"

#include <gtest/gtest.h>

#include "state/program_state.h"
#include "window/window_colors.h"

namespace {

Countdown at(uint32_t elapsed, uint8_t previous = ColorGreen) {
  CountdownClock clock;
  clock.Elapsed = elapsed;
  clock.TimeLimit = 600;
  clock.Warn90 = 540;
  return formatCountdown(clock, previous);
}

}  // namespace

TEST(Countdown, TestScreenShowsZeroInGreen) {
  CountdownClock clock;
  clock.TestScreen = true;
  clock.Elapsed = 99999;
  Countdown shown = formatCountdown(clock, ColorRed);
  EXPECT_STREQ(shown.Text, "Time Remaining: 00:00:00 ... ");
  EXPECT_EQ(shown.Color, ColorGreen);
}

TEST(Countdown, RemainingTimeTurnsYellowPastNineTenths) {
  EXPECT_STREQ(at(0).Text, "Time Remaining: 00:10:00 ... ");
  EXPECT_EQ(at(0).Color, ColorGreen);
  EXPECT_EQ(at(540).Color, ColorGreen);
  EXPECT_STREQ(at(541).Text, "Time Remaining: 00:00:59 ... ");
  EXPECT_EQ(at(541).Color, ColorYellow);
  // At exactly the limit nothing is exceeded yet.
  EXPECT_STREQ(at(600).Text, "Time Remaining: 00:00:00 ... ");
  EXPECT_EQ(at(600).Color, ColorYellow);
}

TEST(Countdown, ExceededTimeIsRed) {
  EXPECT_STREQ(at(601).Text, "Time Exceeded by: 00:00:01 ... ");
  EXPECT_EQ(at(601).Color, ColorRed);
  EXPECT_STREQ(at(600 + 3700).Text, "Time Exceeded by: 01:01:40 ... ");
  EXPECT_STREQ(at(600 + 100 * 3600).Text, "Time Exceeded by: 100:00:00 ... ");
}

TEST(Countdown, ColourShownSoFarIsKeptBelowNineTenths) {
  EXPECT_EQ(at(10, ColorYellow).Color, ColorYellow);
  CountdownClock hours;
  hours.TimeLimit = 3 * 3600 + 61;
  hours.Warn90 = hours.TimeLimit * 9 / 10;
  EXPECT_STREQ(formatCountdown(hours, ColorGreen).Text, "Time Remaining: 03:01:01 ... ");
}

TEST(Countdown, SessionClockSurvivesTheTickCounterWrap) {
  resetProgramState();
  State.TimeLimitSeconds = 600;
  State.Warn90Seconds = 540;
  uint32_t start = 0xFFFFF000u;  // 4,096 ms before the 32-bit tick count wraps
  State.SessionStartTick = start;
  State.SessionStartSeconds = start / 1000;
  Countdown shown = formatSessionCountdown(start + 100000u, ColorGreen);
  EXPECT_STREQ(shown.Text, "Time Remaining: 00:08:20 ... ");
  EXPECT_EQ(shown.Color, ColorGreen);
  shown = formatSessionCountdown(start + 601000u, ColorGreen);
  EXPECT_STREQ(shown.Text, "Time Exceeded by: 00:00:01 ... ");
  EXPECT_EQ(shown.Color, ColorRed);
  resetProgramState();
}
