#include <windows.h>

#include "platform/win32/win32_platform.h"

namespace {

SystemTime fromWindows(const SYSTEMTIME& w) {
  SystemTime t;
  t.Year = w.wYear;
  t.Month = w.wMonth;
  t.DayOfWeek = w.wDayOfWeek;
  t.Day = w.wDay;
  t.Hour = w.wHour;
  t.Minute = w.wMinute;
  t.Second = w.wSecond;
  t.Milliseconds = w.wMilliseconds;
  return t;
}

SYSTEMTIME toWindows(const SystemTime& t) {
  SYSTEMTIME w = {};
  w.wYear = t.Year;
  w.wMonth = t.Month;
  w.wDayOfWeek = t.DayOfWeek;
  w.wDay = t.Day;
  w.wHour = t.Hour;
  w.wMinute = t.Minute;
  w.wSecond = t.Second;
  w.wMilliseconds = t.Milliseconds;
  return w;
}

}  // namespace

uint32_t Win32Platform::tickCount() {
  return GetTickCount();
}

SystemTime Win32Platform::systemTimeUtc() {
  SYSTEMTIME now;
  GetSystemTime(&now);
  return fromWindows(now);
}

bool Win32Platform::utcToLocal(const SystemTime& utc, SystemTime* local) {
  SYSTEMTIME in = toWindows(utc);
  SYSTEMTIME out;
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &in, &out))
    return false;
  *local = fromWindows(out);
  return true;
}

bool Win32Platform::localToUtc(const SystemTime& local, SystemTime* utc) {
  // The conversion the expiry check was written with: calendar time to a file time, then
  // local file time to UTC file time.
  SYSTEMTIME in = toWindows(local);
  FILETIME localTime, utcTime;
  SYSTEMTIME out;
  if (!SystemTimeToFileTime(&in, &localTime) || !LocalFileTimeToFileTime(&localTime, &utcTime) ||
      !FileTimeToSystemTime(&utcTime, &out))
    return false;
  *utc = fromWindows(out);
  return true;
}

void Win32Platform::sleepMilliseconds(uint32_t milliseconds) {
  Sleep(milliseconds);
}
