#include "result/stamped_time.h"

#include <cstdio>

#include "state/program_state.h"

namespace {

const char* const DayNames[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};
const char* const MonthNames[13] = {"NULL", "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul",  "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

int formatStampedTime(const char* label, const SystemTime& time, char* output, size_t capacity,
                      bool longForm) {
  int length;
  if (longForm) {
    // A broken calendar value must not index past the name tables.
    const char* day = time.DayOfWeek < 7 ? DayNames[time.DayOfWeek] : "NULL";
    const char* month = time.Month < 13 ? MonthNames[time.Month] : "NULL";
    length = snprintf(output, capacity, "%s (%s) %s %s, %s %02u, %04u::%02u:%02u:%02u",
                      State.StudentFullName, State.StudentId, label, day, month, time.Day,
                      time.Year, time.Hour, time.Minute, time.Second);
  } else {
    length = snprintf(output, capacity, "%s (%s) %s %04u/%02u/%02u::%02u:%02u:%02u",
                      State.StudentFullName, State.StudentId, label, time.Year, time.Month,
                      time.Day, time.Hour, time.Minute, time.Second);
  }
  if (length < 0)
    return 0;
  return static_cast<size_t>(length) < capacity ? length : static_cast<int>(capacity) - 1;
}
