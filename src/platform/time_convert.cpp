#include "platform/platform.h"

namespace {

constexpr int64_t TicksPerSecond = 10000000;
constexpr int64_t SecondsPerDay = 86400;
// Days from 1601-01-01 to 1970-01-01.
constexpr int64_t DaysFrom1601To1970 = 134774;

bool isLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t daysFromCivil(int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(year - era * 400);
  const unsigned doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, int* year, unsigned* month, unsigned* day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *day = doy - (153 * mp + 2) / 5 + 1;
  *month = mp < 10 ? mp + 3 : mp - 9;
  *year = static_cast<int>(y + (*month <= 2));
}

}  // namespace

bool systemTimeToFileTime(const SystemTime& t, FileTime* out) {
  if (t.Year < 1601 || t.Year > 30827 || t.Month < 1 || t.Month > 12 || t.Day < 1 ||
      t.Day > daysInMonth(t.Year, t.Month) || t.Hour > 23 || t.Minute > 59 || t.Second > 59 ||
      t.Milliseconds > 999)
    return false;
  int64_t days = daysFromCivil(t.Year, t.Month, t.Day) + DaysFrom1601To1970;
  int64_t seconds = days * SecondsPerDay + t.Hour * 3600 + t.Minute * 60 + t.Second;
  *out = static_cast<FileTime>(seconds * TicksPerSecond + int64_t{t.Milliseconds} * 10000);
  return true;
}

SystemTime fileTimeToSystemTime(FileTime time) {
  int64_t seconds = static_cast<int64_t>(time / TicksPerSecond);
  int64_t days = seconds / SecondsPerDay;
  int64_t rest = seconds % SecondsPerDay;
  SystemTime t;
  int year;
  unsigned month, day;
  civilFromDays(days - DaysFrom1601To1970, &year, &month, &day);
  t.Year = static_cast<uint16_t>(year);
  t.Month = static_cast<uint16_t>(month);
  t.Day = static_cast<uint16_t>(day);
  // 1601-01-01 was a Monday.
  t.DayOfWeek = static_cast<uint16_t>((days + 1) % 7);
  t.Hour = static_cast<uint16_t>(rest / 3600);
  t.Minute = static_cast<uint16_t>(rest / 60 % 60);
  t.Second = static_cast<uint16_t>(rest % 60);
  t.Milliseconds = static_cast<uint16_t>(time % TicksPerSecond / 10000);
  return t;
}

int daysInMonth(int year, int month) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}
