// Time used in the session, in whole seconds.
#pragma once

#include <cstdint>

#include "state/program_state.h"

// Whole seconds of the tick count since the session clock started, counted as the
// difference of tick / 1000 at both ends. The 32-bit tick count wraps every 49.7 days;
// measured from the start tick, the time stays right across the wrap instead of jumping
// by 4,294,967 seconds.
inline uint32_t elapsedSecondsBetween(uint32_t startTick, uint32_t nowTick) {
  uint64_t now = uint64_t{startTick} + static_cast<uint32_t>(nowTick - startTick);
  return static_cast<uint32_t>(now / 1000 - startTick / 1000);
}

inline uint32_t sessionElapsedSeconds(uint32_t nowTick) {
  return elapsedSecondsBetween(State.SessionStartTick.load(std::memory_order_relaxed), nowTick);
}

// Milliseconds from nowTick to the next whole second of the session clock, when the time
// used, and so the countdown, next reads differently: 1 to 1000.
inline uint32_t msToNextSessionSecond(uint32_t nowTick) {
  uint32_t startTick = State.SessionStartTick.load(std::memory_order_relaxed);
  uint64_t now = uint64_t{startTick} + static_cast<uint32_t>(nowTick - startTick);
  return 1000 - static_cast<uint32_t>(now % 1000);
}
