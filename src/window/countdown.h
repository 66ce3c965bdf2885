// The countdown row at the top of the question window.
#pragma once

#include <cstdint>

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
