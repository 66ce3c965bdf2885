#include "support/file_time_at.h"

FileTime fileTimeAt(uint16_t year, uint16_t month, uint16_t day, uint16_t hour,
                    uint16_t minute, uint16_t second) {
  SystemTime time;
  time.Year = year;
  time.Month = month;
  time.Day = day;
  time.Hour = hour;
  time.Minute = minute;
  time.Second = second;
  FileTime out = 0;
  systemTimeToFileTime(time, &out);
  return out;
}
