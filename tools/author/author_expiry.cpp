#include "author_expiry.h"

#include <cstdio>

#include "examfile/exam_writer.h"
#include "platform/platform.h"

namespace {

const char* const MonthNames[12] = {"January", "February", "March",     "April",
                                    "May",     "June",     "July",      "August",
                                    "September", "October", "November", "December"};

}  // namespace

std::string expiryProblem(const std::string& text) {
  if (!hasExpiryDateForm(text))
    return "is not a date and time of the form YYYY/MM/DD::HH:MM:SS";
  auto number = [&](size_t at, size_t count) { return std::stoi(text.substr(at, count)); };
  SystemTime local;
  local.Year = uint16_t(number(0, 4));
  local.Month = uint16_t(number(5, 2));
  local.Day = uint16_t(number(8, 2));
  local.Hour = uint16_t(number(12, 2));
  local.Minute = uint16_t(number(15, 2));
  local.Second = uint16_t(number(18, 2));
  if (local.Month < 1 || local.Month > 12)
    return "is no such date: a year has the months 01 to 12";
  if (local.Day < 1 || local.Day > daysInMonth(local.Year, local.Month)) {
    char why[96];
    snprintf(why, sizeof why, "is no such date: %s %04u has %d days",
             MonthNames[local.Month - 1], local.Year, daysInMonth(local.Year, local.Month));
    return why;
  }
  if (local.Hour > 23 || local.Minute > 59 || local.Second > 59)
    return "is no such time: hours go from 00 to 23, minutes and seconds from 00 to 59";
  if (!isValidExpiryDate(text))
    return "is before any date veritor reads";

  // veritor compares the expiry, read as its own local time, with the clock when the
  // exam is opened: an exam made already expired could never be taken.
  SystemTime utc;
  FileTime expiry = 0, now = 0;
  if (platform().localToUtc(local, &utc) && systemTimeToFileTime(utc, &expiry) &&
      systemTimeToFileTime(platform().systemTimeUtc(), &now) && expiry <= now)
    return "is already past: veritor would refuse the exam as expired";
  return "";
}
