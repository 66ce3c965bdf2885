// The times of a class: start stamps as the completed files hold them (the student's
// local time, "YYYY/MM/DD HH:MM:SS") turned into seconds to compare and order, and the
// dates the exam was sat, as the instructor gives them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Seconds from 1970/01/01 00:00:00 of the same clock; false when the text is not a
// stamp of a real date and time.
bool readStampSeconds(std::string_view stamp, int64_t* seconds);

// "YYYY/MM/DD HH:MM:SS" of seconds from readStampSeconds.
std::string formatStampSeconds(int64_t seconds);

// The dates the exam was sat, both ends included.
struct SittingWindow {
  int64_t From = 0, To = 0;  // seconds, as readStampSeconds
  std::string FromText, ToText;
};

// FROM and TO as YYYY/MM/DD (the whole day) or YYYY/MM/DD::HH:MM:SS (that second). False,
// with *error, when either is no such date or TO comes before FROM.
bool readSittingWindow(const std::string& from, const std::string& to, SittingWindow* window,
                       std::string* error);

// A length of time in words: "2 days 3:00:00", "5:12:09".
std::string formatSpan(int64_t seconds);
