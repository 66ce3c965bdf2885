#include "grading/class_time.h"

#include <cstdio>

#include "platform/platform.h"

namespace {

// Stamps count from 1970/01/01, as file times do from 1601/01/01: this many seconds apart.
constexpr int64_t SecondsFrom1601To1970 = 11644473600;
constexpr int64_t TicksPerSecond = 10000000;

bool readDigits(std::string_view text, size_t at, size_t count, int* value) {
  if (at + count > text.size())
    return false;
  *value = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9')
      return false;
    *value = *value * 10 + (text[i] - '0');
  }
  return true;
}

bool readDate(std::string_view text, int* y, int* m, int* d) {
  if (text.size() < 10 || text[4] != '/' || text[7] != '/' || !readDigits(text, 0, 4, y) ||
      !readDigits(text, 5, 2, m) || !readDigits(text, 8, 2, d))
    return false;
  if (*m < 1 || *m > 12 || *d < 1)
    return false;
  return *d <= daysInMonth(*y, *m);
}

bool readClock(std::string_view text, int* h, int* mi, int* s) {
  return text.size() == 8 && text[2] == ':' && text[5] == ':' && readDigits(text, 0, 2, h) &&
         readDigits(text, 3, 2, mi) && readDigits(text, 6, 2, s) && *h < 24 && *mi < 60 && *s < 60;
}

// The calendar's own conversion, for a date readDate has checked; false before 1601.
bool secondsOf(int y, int m, int d, int h, int mi, int s, int64_t* seconds) {
  SystemTime time;
  time.Year = static_cast<uint16_t>(y);
  time.Month = static_cast<uint16_t>(m);
  time.Day = static_cast<uint16_t>(d);
  time.Hour = static_cast<uint16_t>(h);
  time.Minute = static_cast<uint16_t>(mi);
  time.Second = static_cast<uint16_t>(s);
  FileTime ticks;
  if (!systemTimeToFileTime(time, &ticks))
    return false;
  *seconds = static_cast<int64_t>(ticks / TicksPerSecond) - SecondsFrom1601To1970;
  return true;
}

// One end of the window; the whole day's first or last second for a date alone.
bool readWindowEnd(const std::string& text, bool end, int64_t* seconds) {
  int y, m, d, h = end ? 23 : 0, mi = end ? 59 : 0, s = end ? 59 : 0;
  if (!readDate(text, &y, &m, &d))
    return false;
  if (text.size() != 10 && (text.size() != 20 || text.compare(10, 2, "::") != 0 ||
                            !readClock(std::string_view(text).substr(12), &h, &mi, &s)))
    return false;
  return secondsOf(y, m, d, h, mi, s, seconds);
}

}  // namespace

bool readStampSeconds(std::string_view stamp, int64_t* seconds) {
  int y, m, d, h, mi, s;
  if (stamp.size() != 19 || stamp[10] != ' ' || !readDate(stamp, &y, &m, &d) ||
      !readClock(stamp.substr(11), &h, &mi, &s))
    return false;
  return secondsOf(y, m, d, h, mi, s, seconds);
}

std::string formatStampSeconds(int64_t seconds) {
  seconds += SecondsFrom1601To1970;
  SystemTime t = fileTimeToSystemTime(static_cast<FileTime>(seconds > 0 ? seconds : 0) *
                                      TicksPerSecond);
  char text[40];
  snprintf(text, sizeof text, "%04u/%02u/%02u %02u:%02u:%02u", unsigned{t.Year}, unsigned{t.Month},
           unsigned{t.Day}, unsigned{t.Hour}, unsigned{t.Minute}, unsigned{t.Second});
  return text;
}

bool readSittingWindow(const std::string& from, const std::string& to, SittingWindow* window,
                       std::string* error) {
  const char* form = " is not a date of the form YYYY/MM/DD or YYYY/MM/DD::HH:MM:SS";
  if (!readWindowEnd(from, false, &window->From)) {
    *error = "'" + from + "'" + form;
    return false;
  }
  if (!readWindowEnd(to, true, &window->To)) {
    *error = "'" + to + "'" + form;
    return false;
  }
  if (window->To < window->From) {
    *error = "the window ends (" + to + ") before it begins (" + from + ")";
    return false;
  }
  window->FromText = from;
  window->ToText = to;
  return true;
}

std::string formatSpan(int64_t seconds) {
  if (seconds < 0)
    seconds = -seconds;
  int64_t days = seconds / 86400;
  seconds %= 86400;
  char clock[32];
  snprintf(clock, sizeof clock, "%d:%02d:%02d", static_cast<int>(seconds / 3600),
           static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  if (days == 0)
    return clock;
  return std::to_string(days) + (days == 1 ? " day " : " days ") + clock;
}
