// veritor-author read: decipher a completed-exam file, check it, print what it holds and
// the verdict report gives the same file.
#include <cstdio>
#include <cstring>
#include <string>

#include "author.h"
#include "author_support.h"
#include "output_text.h"
#include "result/xmc_analysis.h"
#include "result/xmc_reader.h"
#include "result/xmc_verdict.h"

namespace {

const std::string ReadUsage = std::string(
    "usage: veritor-author read [--password PASSWORD] [--key KEYFILE] [--timeline] FILE.xmc\n"
    "\n"
    "Deciphers a completed-exam file, checks that its sections stand in order, that its\n"
    "ticks never go back, that the key stream runs on across its runs and that its copies\n"
    "of each answer agree, and prints it.\n"
    "\n"
    "  --password PASSWORD  the exam's password: the file is also checked to be written\n"
    "                       for its identifier and this password; without it, that is\n"
    "                       not checked, and the verdict says so\n"
    "  --key KEYFILE        the key data the exam was made with (as veritor -k); default:\n"
    "                       the key built into this program\n"
    "  --timeline           print, per presented question, when it was shown and what\n"
    "                       became of it (answered, skipped, an end command) how long\n"
    "                       after, instead of the whole text\n"
    "\n"
    "The answer summary numbers the answers in the order they were asked; beside each\n"
    "order number stands the question's number in the exam text, \"(exam 4.a)\". The last\n"
    "lines tell how the session ended, the time used (from the start stamp to the last\n"
    "session record: the student's last answer, skip or end command), how late or early\n"
    "that was, and how long after it the finish stamp came (the program takes it once\n"
    "the student leaves its last screen; that wait is not time used). Control characters\n"
    "from the file are shown as escapes, \"\\x1B\".\n"
    "\n"
    "The error stream gets the verdict, the same as 'veritor-author report' gives the\n"
    "file, and where the reading stopped when it did.\n"
    "\n") +
    XmcVerdictMeaning + std::string(
    "\n"
    "Exit status: 0 for a whole file; 1 for any other verdict (what could be read is\n"
    "printed, and where it stops); 2 for a usage or file error.\n");

int usage(const char* message, const char* argument) {
  fprintf(stderr, "veritor-author read: ");
  fprintf(stderr, message, forTerminal(argument).c_str());
  fprintf(stderr, "\n\n%s", ReadUsage.c_str());
  return 2;
}

}  // namespace

int authorRead(int argc, char** argv) {
  const char* keyPath = nullptr;
  const char* xmcPath = nullptr;
  std::string password;
  bool passwordGiven = false;
  bool timeline = false;
  for (int i = 0; i < argc; ++i) {
    if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0) {
      fputs(ReadUsage.c_str(), stdout);
      return 0;
    }
    if (strcmp(argv[i], "--timeline") == 0) {
      timeline = true;
    } else if (strcmp(argv[i], "--key") == 0 || strcmp(argv[i], "--password") == 0) {
      if (i + 1 == argc)
        return usage("%s needs a value", argv[i]);
      if (argv[i][2] == 'k') {
        keyPath = argv[++i];
      } else {
        password = argv[++i];
        passwordGiven = true;
      }
    } else if (strncmp(argv[i], "--password=", 11) == 0) {
      password = argv[i] + 11;
      passwordGiven = true;
    } else if (!xmcPath && argv[i][0] != '-') {
      xmcPath = argv[i];
    } else {
      return usage("unexpected argument '%s'", argv[i]);
    }
  }
  if (!xmcPath) {
    fputs(ReadUsage.c_str(), stderr);
    return 2;
  }
  if (passwordGiven && password.empty())
    return usage("%s", "the password given is empty");

  installAuthorPlatform();
  if (!setUpAuthorKey(keyPath ? keyPath : "")) {
    fputs("veritor-author read: the key could not be set up\n", stderr);
    return 2;
  }

  std::string bytes;
  if (!readWholeFile(xmcPath, &bytes)) {
    fprintf(stderr, "veritor-author read: cannot read '%s'\n", forTerminal(xmcPath).c_str());
    return 2;
  }
  XmcReading reading = readXmc(bytes);
  XmcAnalysis analysis = analyzeXmc(reading);
  XmcVerdict verdict = judgeXmc(bytes, reading, analysis, passwordGiven ? &password : nullptr, xmcPath);
  const bool notXmc = verdict.Kind == XmcVerdictKind::NotXmc;

  if (!notXmc) {
    std::string summary = xmcNumberedSummary(reading, analysis);
    std::string text = timeline ? xmcTimeline(reading) : xmcTranscript(reading, &summary);
    if (!text.empty() && text.back() != '\n')
      text += '\n';
    if (reading.Reached >= XmcSection::Log)
      text += "\n" + xmcEndLine(analysis);
    text = forTerminal(text, true);
    fwrite(text.data(), 1, text.size(), stdout);
    fflush(stdout);
  }

  const std::string path = forTerminal(xmcPath);
  std::string said = xmcVerdictText(verdict);
  if (verdict.Kind == XmcVerdictKind::Whole || verdict.Kind == XmcVerdictKind::WholeUnchecked)
    said += " (" + std::to_string(reading.Events.size()) + " session records, ticks in order)";
  fprintf(stderr, "veritor-author read: %s: %s\n", path.c_str(), forTerminal(said).c_str());
  if (!reading.ok() && !notXmc)
    fprintf(stderr, "veritor-author read: %s: stops at byte %zu, in %s: %s\n", path.c_str(),
            reading.ProblemOffset, xmcSectionName(reading.Reached),
            forTerminal(reading.Problem).c_str());
  return verdict.Kind == XmcVerdictKind::Whole || verdict.Kind == XmcVerdictKind::WholeUnchecked ? 0 : 1;
}
