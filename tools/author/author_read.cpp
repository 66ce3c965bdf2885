// veritor-author read: decipher a completed-exam file, check it, print what it holds.
#include <cstdio>
#include <cstring>
#include <string>

#include "author.h"
#include "author_support.h"
#include "result/xmc_analysis.h"
#include "result/xmc_reader.h"

namespace {

const char* const ReadUsage =
    "usage: veritor-author read [--key KEYFILE] [--timeline] FILE.xmc\n"
    "\n"
    "Deciphers a completed-exam file, checks that its sections stand in order, that its\n"
    "ticks never go back and that the key stream runs on across its runs, and prints it.\n"
    "\n"
    "  --key KEYFILE  the key data the exam was made with (as veritor -k); default: the\n"
    "                 key built into this program\n"
    "  --timeline     print, per presented question, when it was shown and how long\n"
    "                 until its answer was confirmed, instead of the whole text\n"
    "\n"
    "Exit status: 0 for a whole, sound file; 1 when the file is damaged or cut off (what\n"
    "could be read is printed, and where it stops); 2 for a usage or file error.\n"
    "\n"
    "The answer summary numbers the answers in the order they were asked; beside each\n"
    "order number stands the question's number in the exam text, \"(exam 4.a)\". The last\n"
    "line tells how the session ended and how late or early it was.\n";

}  // namespace

int authorRead(int argc, char** argv) {
  const char* keyPath = nullptr;
  const char* xmcPath = nullptr;
  bool timeline = false;
  for (int i = 0; i < argc; ++i) {
    if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0) {
      fputs(ReadUsage, stdout);
      return 0;
    }
    if (strcmp(argv[i], "--timeline") == 0) {
      timeline = true;
    } else if (strcmp(argv[i], "--key") == 0) {
      if (i + 1 == argc) {
        fputs("veritor-author read: --key needs a file name\n", stderr);
        return 2;
      }
      keyPath = argv[++i];
    } else if (!xmcPath && argv[i][0] != '-') {
      xmcPath = argv[i];
    } else {
      fprintf(stderr, "veritor-author read: unexpected argument '%s'\n\n%s", argv[i], ReadUsage);
      return 2;
    }
  }
  if (!xmcPath) {
    fputs(ReadUsage, stderr);
    return 2;
  }

  installAuthorPlatform();
  if (!setUpAuthorKey(keyPath ? keyPath : "")) {
    fputs("veritor-author read: the key could not be set up\n", stderr);
    return 2;
  }

  std::string bytes;
  if (!readWholeFile(xmcPath, &bytes)) {
    fprintf(stderr, "veritor-author read: cannot read '%s'\n", xmcPath);
    return 2;
  }
  XmcReading reading = readXmc(bytes);
  XmcAnalysis analysis = analyzeXmc(reading);
  std::string summary = xmcNumberedSummary(reading, analysis);
  std::string text = timeline ? xmcTimeline(reading) : xmcTranscript(reading, &summary);
  if (!text.empty() && text.back() != '\n')
    text += '\n';
  if (reading.Reached >= XmcSection::Log)
    text += "\n" + xmcEndLine(analysis);
  fwrite(text.data(), 1, text.size(), stdout);
  fflush(stdout);

  if (reading.ok()) {
    fprintf(stderr, "veritor-author read: %s: whole and sound: %zu session records, ticks in order\n",
            xmcPath, reading.Events.size());
    return 0;
  }
  fprintf(stderr, "veritor-author read: %s: stops at byte %zu, in %s: %s\n", xmcPath,
          reading.ProblemOffset, xmcSectionName(reading.Reached), reading.Problem.c_str());
  return 1;
}
