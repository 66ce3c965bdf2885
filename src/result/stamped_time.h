// The student's name with a local time, as the session shows it and the records carry it.
#pragma once

#include <cstddef>

#include "platform/platform.h"

// "Name (id) LABEL " and the time; the long form spells the day and month out, the short
// form reads year/month/day. Returns the length written (cut to capacity - 1).
int formatStampedTime(const char* label, const SystemTime& time, char* output, size_t capacity,
                      bool longForm);
