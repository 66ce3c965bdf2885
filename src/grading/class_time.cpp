#include "grading/class_time.h"

#include <cstdio>

namespace {

// Days from 1970/01/01 of a date of the proleptic Gregorian calendar.
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, int* year, unsigned* month, unsigned* day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *day = doy - (153 * mp + 2) / 5 + 1;
  *month = mp < 10 ? mp + 3 : mp - 9;
  *year = static_cast<int>(yoe + era * 400 + (*month <= 2));
}

bool isLeap(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

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
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (text.size() < 10 || text[4] != '/' || text[7] != '/' || !readDigits(text, 0, 4, y) ||
      !readDigits(text, 5, 2, m) || !readDigits(text, 8, 2, d))
    return false;
  if (*m < 1 || *m > 12 || *d < 1)
    return false;
  return *d <= days[*m - 1] + (*m == 2 && isLeap(*y) ? 1 : 0);
}

bool readClock(std::string_view text, int* h, int* mi, int* s) {
  return text.size() == 8 && text[2] == ':' && text[5] == ':' && readDigits(text, 0, 2, h) &&
         readDigits(text, 3, 2, mi) && readDigits(text, 6, 2, s) && *h < 24 && *mi < 60 && *s < 60;
}

int64_t secondsOf(int y, int m, int d, int h, int mi, int s) {
  return daysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d)) * 86400 + h * 3600 +
         mi * 60 + s;
}

// One end of the window; the whole day's first or last second for a date alone.
bool readWindowEnd(const std::string& text, bool end, int64_t* seconds) {
  int y, m, d, h = end ? 23 : 0, mi = end ? 59 : 0, s = end ? 59 : 0;
  if (!readDate(text, &y, &m, &d))
    return false;
  if (text.size() != 10 && (text.size() != 20 || text.compare(10, 2, "::") != 0 ||
                            !readClock(std::string_view(text).substr(12), &h, &mi, &s)))
    return false;
  *seconds = secondsOf(y, m, d, h, mi, s);
  return true;
}

}  // namespace

bool readStampSeconds(std::string_view stamp, int64_t* seconds) {
  int y, m, d, h, mi, s;
  if (stamp.size() != 19 || stamp[10] != ' ' || !readDate(stamp, &y, &m, &d) ||
      !readClock(stamp.substr(11), &h, &mi, &s))
    return false;
  *seconds = secondsOf(y, m, d, h, mi, s);
  return true;
}

std::string formatStampSeconds(int64_t seconds) {
  int64_t days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
  int64_t rest = seconds - days * 86400;
  int year;
  unsigned month, day;
  civilFromDays(days, &year, &month, &day);
  char text[40];
  snprintf(text, sizeof text, "%04d/%02u/%02u %02d:%02d:%02d", year, month, day,
           static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
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
