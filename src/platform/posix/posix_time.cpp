#include <errno.h>
#include <time.h>

#include "platform/posix/posix_platform.h"

namespace {

SystemTime fromTm(const struct tm& tm, long nanoseconds) {
  SystemTime t;
  t.Year = static_cast<uint16_t>(tm.tm_year + 1900);
  t.Month = static_cast<uint16_t>(tm.tm_mon + 1);
  t.DayOfWeek = static_cast<uint16_t>(tm.tm_wday);
  t.Day = static_cast<uint16_t>(tm.tm_mday);
  t.Hour = static_cast<uint16_t>(tm.tm_hour);
  t.Minute = static_cast<uint16_t>(tm.tm_min);
  t.Second = static_cast<uint16_t>(tm.tm_sec > 59 ? 59 : tm.tm_sec);
  t.Milliseconds = static_cast<uint16_t>(nanoseconds / 1000000);
  return t;
}

struct tm toTm(const SystemTime& t) {
  struct tm tm = {};
  tm.tm_year = t.Year - 1900;
  tm.tm_mon = t.Month - 1;
  tm.tm_mday = t.Day;
  tm.tm_hour = t.Hour;
  tm.tm_min = t.Minute;
  tm.tm_sec = t.Second;
  tm.tm_isdst = -1;
  return tm;
}

}  // namespace

uint32_t PosixPlatform::tickCount() {
  struct timespec now;
  clock_gettime(CLOCK_BOOTTIME, &now);
  uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000 + static_cast<uint64_t>(now.tv_nsec) / 1000000;
  return static_cast<uint32_t>(ms);
}

SystemTime PosixPlatform::systemTimeUtc() {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  struct tm tm;
  gmtime_r(&now.tv_sec, &tm);
  return fromTm(tm, now.tv_nsec);
}

bool PosixPlatform::utcToLocal(const SystemTime& utc, SystemTime* local) {
  FileTime ft;
  if (!systemTimeToFileTime(utc, &ft))
    return false;
  time_t seconds = static_cast<time_t>(ft / 10000000) - SecondsFrom1601To1970;
  struct tm tm;
  if (!localtime_r(&seconds, &tm))
    return false;
  *local = fromTm(tm, long{utc.Milliseconds} * 1000000);
  return true;
}

bool PosixPlatform::localToUtc(const SystemTime& local, SystemTime* utc) {
  FileTime check;
  if (!systemTimeToFileTime(local, &check))
    return false;
  struct tm tm = toTm(local);
  errno = 0;
  time_t seconds = mktime(&tm);
  if (seconds == static_cast<time_t>(-1) && errno != 0)
    return false;
  struct tm out;
  if (!gmtime_r(&seconds, &out))
    return false;
  *utc = fromTm(out, long{local.Milliseconds} * 1000000);
  return true;
}

void PosixPlatform::sleepMilliseconds(uint32_t milliseconds) {
  struct timespec pause = {static_cast<time_t>(milliseconds / 1000),
                           static_cast<long>(milliseconds % 1000) * 1000000};
  while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
  }
}
