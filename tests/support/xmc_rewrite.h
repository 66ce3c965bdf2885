// Changing a completed-exam file as a student who has studied its format can: the digits
// of an enciphered byte hold the text XOR the key stream, so XOR with the old text and the
// new one changes the text without knowing the key.
#pragma once

#include <cstddef>
#include <string>

#include "result/xmc_reader.h"

// Where the hexadecimal digits of a run begin in the file (Log, Summary, Closing, Echo).
size_t runStartOf(const std::string& bytes, XmcSection run);

// Puts wanted in place of the deciphered text of the run from `at` on; plain is the
// run as deciphered (reading.Log, .Summary, .Closing or .Echo).
void rewriteInRun(std::string* bytes, XmcSection run, const std::string& plain, size_t at,
                  const std::string& wanted);

// Every from in the session records, the summary and the echo becomes to (as long).
void rewriteEverywhere(std::string* bytes, const XmcReading& reading, const std::string& from,
                       const std::string& to);
