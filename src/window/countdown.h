// The countdown row at the top of the question window.
#pragma once

#include <cstdint>

#include "window/window_colors.h"

// The clock figures the countdown is made from, all in whole seconds.
struct CountdownClock {
  bool TestScreen = false;     // the font colour menu's preview: a fixed zero time
  uint32_t Elapsed = 0;        // time used since the session clock started
  uint32_t TimeLimit = 0;      // the allowance
  uint32_t Warn90 = 0;         // nine tenths of the allowance
};

struct Countdown {
  char Text[120];
  uint8_t Color;  // index into ColorTable
};

// The countdown text and colour for the clock. The colour only ever moves on (green,
// then yellow past nine tenths, then red past the limit): below nine tenths the colour
// shown so far, previousColor, is kept.
Countdown formatCountdown(const CountdownClock& clock, uint8_t previousColor);

// The same for the session running now, read from the program state at tick nowTick.
Countdown formatSessionCountdown(uint32_t nowTick, uint8_t previousColor);

// The countdown the window shows, and the start of the session clock it was worked out
// for.
struct ShownCountdown {
  Countdown Shown = {{}, ColorGreen};
  uint32_t StartTick = 0;
};

enum class CountdownChange {
  None,
  Text,   // only the time shown
  Color,  // the colour as well: the separator row, drawn in it, changes too
};

// Brings the shown countdown to tick nowTick. Its colour moves on only within one run of
// the session clock: an exam's window opens before its clock starts, on the clock of
// whatever came before it (none yet, or the run's last exam), and a colour reached on
// that clock is not this exam's. A clock started anew begins again at green.
CountdownChange advanceSessionCountdown(ShownCountdown* shown, uint32_t nowTick);
