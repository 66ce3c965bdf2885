#include "support/xmc_rewrite.h"

#include <cstdio>
#include <cstdlib>

size_t runStartOf(const std::string& bytes, XmcSection run) {
  size_t log = bytes.find("START:\r\n") + 8 + 2 * 57;  // past the key start values
  if (run == XmcSection::Log)
    return log;
  size_t summary = bytes.find("\r\n\r\n", log) + 4;
  if (run == XmcSection::Summary)
    return summary;
  if (run == XmcSection::Closing)
    return bytes.find("\r\n\r\n", summary) + 4;
  size_t saving = bytes.find("SAVING EXAM ... \r\n\r\n") + 20;
  return bytes.find("\r\n\r\n", saving) + 4;  // past the echo's exam line
}

void rewriteInRun(std::string* bytes, XmcSection run, const std::string& plain, size_t at,
                  const std::string& wanted) {
  size_t start = runStartOf(*bytes, run);
  for (size_t i = 0; i < wanted.size(); ++i) {
    size_t digits = start + 2 * (at + i);
    unsigned value = static_cast<unsigned>(strtoul(bytes->substr(digits, 2).c_str(), nullptr, 16));
    value ^= static_cast<unsigned char>(plain[at + i]) ^ static_cast<unsigned char>(wanted[i]);
    char pair[3];
    snprintf(pair, sizeof pair, "%02X", value);
    bytes->replace(digits, 2, pair);
  }
}

void rewriteEverywhere(std::string* bytes, const XmcReading& reading, const std::string& from,
                       const std::string& to) {
  const std::pair<XmcSection, const std::string*> runs[] = {{XmcSection::Log, &reading.Log},
                                                            {XmcSection::Summary, &reading.Summary},
                                                            {XmcSection::Echo, &reading.Echo}};
  for (const auto& [run, plain] : runs)
    for (size_t at = plain->find(from); at != std::string::npos; at = plain->find(from, at + 1))
      rewriteInRun(bytes, run, *plain, at, to);
}
