#include "window/countdown.h"

#include <cstdio>
#include <cstring>

#include "state/program_state.h"
#include "state/session_clock.h"
#include "window/window_colors.h"

Countdown formatCountdown(const CountdownClock& clock, uint8_t previousColor) {
  Countdown result;
  result.Color = previousColor;
  if (clock.TestScreen) {
    snprintf(result.Text, sizeof result.Text, "Time Remaining: 00:00:00 ... ");
    result.Color = ColorGreen;
    return result;
  }

  int64_t remaining = int64_t{clock.TimeLimit} - int64_t{clock.Elapsed};
  const char* format = "Time Remaining: %02d:%02d:%02d ... ";
  if (remaining < 0) {
    format = "Time Exceeded by: %02d:%02d:%02d ... ";
    remaining = -remaining;
  }
  int hours = static_cast<int>(remaining / 3600);
  int minutes = static_cast<int>(remaining % 3600 / 60);
  int seconds = static_cast<int>(remaining % 60);
  snprintf(result.Text, sizeof result.Text, format, hours, minutes, seconds);

  if (clock.Elapsed > clock.TimeLimit)
    result.Color = ColorRed;
  else if (clock.Elapsed > clock.Warn90)
    result.Color = ColorYellow;
  return result;
}

Countdown formatSessionCountdown(uint32_t nowTick, uint8_t previousColor) {
  CountdownClock clock;
  clock.TestScreen = State.TestScreenActive.load(std::memory_order_relaxed) == 1;
  clock.Elapsed = sessionElapsedSeconds(nowTick);
  clock.TimeLimit = State.TimeLimitSeconds.load(std::memory_order_relaxed);
  clock.Warn90 = State.Warn90Seconds.load(std::memory_order_relaxed);
  return formatCountdown(clock, previousColor);
}

CountdownChange advanceSessionCountdown(ShownCountdown* shown, uint32_t nowTick) {
  uint32_t startTick = State.SessionStartTick.load(std::memory_order_relaxed);
  uint8_t previousColor = startTick == shown->StartTick ? shown->Shown.Color : ColorGreen;
  Countdown now = formatSessionCountdown(nowTick, previousColor);
  CountdownChange change = CountdownChange::None;
  if (now.Color != shown->Shown.Color)
    change = CountdownChange::Color;
  else if (strcmp(now.Text, shown->Shown.Text) != 0)
    change = CountdownChange::Text;
  shown->Shown = now;
  shown->StartTick = startTick;
  return change;
}
