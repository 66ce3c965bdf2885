#include "window/countdown.h"

#include <gtest/gtest.h>

#include "state/program_state.h"
#include "state/session_clock.h"
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

// Ten minutes alloted, yellow past nine of them.
TEST(Countdown, RemainingAndExceededTimeWithTheirColours) {
  struct Case {
    const char* Name;
    uint32_t Elapsed;
    uint8_t Previous;
    const char* Text;
    uint8_t Color;
  } cases[] = {
      {"start", 0, ColorGreen, "Time Remaining: 00:10:00 ... ", ColorGreen},
      {"at nine tenths", 540, ColorGreen, "Time Remaining: 00:01:00 ... ", ColorGreen},
      {"past nine tenths", 541, ColorGreen, "Time Remaining: 00:00:59 ... ", ColorYellow},
      {"at the limit nothing is exceeded yet", 600, ColorGreen, "Time Remaining: 00:00:00 ... ",
       ColorYellow},
      {"a second over", 601, ColorYellow, "Time Exceeded by: 00:00:01 ... ", ColorRed},
      {"3,700 seconds over", 600 + 3700, ColorRed, "Time Exceeded by: 01:01:40 ... ", ColorRed},
      {"hours past two digits", 600 + 100 * 3600, ColorRed, "Time Exceeded by: 100:00:00 ... ",
       ColorRed},
      {"colour shown so far kept below nine tenths", 10, ColorYellow,
       "Time Remaining: 00:09:50 ... ", ColorYellow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Countdown shown = at(c.Elapsed, c.Previous);
    EXPECT_STREQ(shown.Text, c.Text);
    EXPECT_EQ(shown.Color, c.Color);
  }
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

TEST(Countdown, AdvancingTellsWhatChangedAndRestartsWithTheClock) {
  resetProgramState();
  State.TimeLimitSeconds = 600;
  State.Warn90Seconds = 540;
  uint32_t start = 7000500;
  State.SessionStartTick = start;
  ShownCountdown shown;
  EXPECT_EQ(advanceSessionCountdown(&shown, start), CountdownChange::Text);
  EXPECT_STREQ(shown.Shown.Text, "Time Remaining: 00:10:00 ... ");
  // The countdown moves on at the tick count's whole seconds.
  EXPECT_EQ(advanceSessionCountdown(&shown, start + 499), CountdownChange::None);
  EXPECT_EQ(advanceSessionCountdown(&shown, start + 500), CountdownChange::Text);
  EXPECT_EQ(advanceSessionCountdown(&shown, start + 541000), CountdownChange::Color);
  EXPECT_EQ(shown.Shown.Color, ColorYellow);

  // The same clock read earlier again (a tick count that was set back) keeps the colour.
  EXPECT_EQ(advanceSessionCountdown(&shown, start + 10000), CountdownChange::Text);
  EXPECT_EQ(shown.Shown.Color, ColorYellow);

  // A clock started anew, as an exam's own starts after its window opened.
  State.SessionStartTick = start + 20000;
  EXPECT_EQ(advanceSessionCountdown(&shown, start + 20000), CountdownChange::Color);
  EXPECT_EQ(shown.Shown.Color, ColorGreen);
  EXPECT_STREQ(shown.Shown.Text, "Time Remaining: 00:10:00 ... ");
  resetProgramState();
}

TEST(Countdown, NextSecondOfTheSessionClock) {
  resetProgramState();
  struct Case {
    uint32_t Start;
    uint32_t Now;
    uint32_t Wait;
  } cases[] = {
      {0, 0, 1000}, {0, 999, 1}, {2500, 3000, 1000},
      // Seconds go on from the start across the 32-bit wrap, not from the raw tick.
      {0xFFFFF000u, 0xFFFFFFFFu, 705},
      {0xFFFFF000u, 904u, 800},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Now);
    State.SessionStartTick = c.Start;
    EXPECT_EQ(msToNextSessionSecond(c.Now), c.Wait);
  }
  resetProgramState();
}
