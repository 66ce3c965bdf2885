// veritor-author report: check a whole class's completed-exam files at once, and write
// the table, its CSV, the answers sheet and the class page. Files are read one at a time,
// and of each only the record the outputs need is kept.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "author.h"
#include "author_arguments.h"
#include "author_support.h"
#include "format/ascii_case.h"
#include "output_text.h"
#include "platform/platform.h"
#include "report_rows.h"
#include "result/xmc_verdict.h"

namespace {

const char* const Command = "report";

const std::string ReportUsage = std::string(
    "usage: veritor-author report --password PASSWORD [options] PATH...\n"
    "\n"
    "Reads every completed-exam file given, and every .xmc file in the folders given, and\n"
    "prints one row per file, sorted by student name: the student, the exam (course,\n"
    "section, name), start and finish (the student's local time), the time used, how late\n"
    "(or how much time was left), how long the file stayed open after that, the questions\n"
    "answered of the session's (with a '+' where the file stops before its summary, which\n"
    "lists them all), skips used, how the session ended, the exam count (how often this\n"
    "student's copy of the exam was opened: more than 1 deserves a look), a verdict and a\n"
    "note (other files of the same identifier, an exam opened again).\n"
    "\n"
    "Time used runs from the start stamp to the last session record: the student's last\n"
    "answer, skip or end command. The program takes its finish stamp only once the\n"
    "student leaves its last screen; that wait is shown apart as \"closed after\" and\n"
    "never makes a student late. A time used that ends in '+' runs to the last record of\n"
    "a file cut short, which may have gone on; such a file has no late or left.\n"
    "\n"
    "How the session ended: #done or #exit as typed, time (the allowance ran out), all\n"
    "answered, after last answer (the file ends there, without its closing part), or cut\n"
    "short.\n"
    "\n"
    "Verdicts:\n"
    "  whole, for this student and password\n"
    "  renamed: ...         written for another identifier than its file name carries\n"
    "  closing part missing: ...  every answer is there, but not the closing part\n"
    "  cut short: ...       the file stops before the session was over\n"
    "  not made with this password or not for this identifier\n"
    "  damaged: ...         not as Veritor writes it: what is wrong, and where\n"
    "  not a completed-exam (XMC) file, or cannot be read: ...\n"
    "\n") + XmcVerdictMeaning + std::string(
    "\n"
    "Files are only read, never changed.\n"
    "\n"
    "options:\n"
    "  --password PASSWORD  the exam's password (a file is whole only for it)\n"
    "  --key FILE           the key data the exam was made with (as veritor -k FILE);\n"
    "                       default: the key built into veritor\n"
    "  --csv FILE           write the table as CSV (UTF-8, a header row); each time also\n"
    "                       as h:mm:ss and as a number of seconds, \"late (s)\" negative\n"
    "                       for the time left\n"
    "  --answers FILE       write a CSV of every student's final answers: one column per\n"
    "                       question, numbered as in the exam text (4.a for a\n"
    "                       sub-question), the points in the second row; empty where the\n"
    "                       student gave no answer or was not asked the question\n"
    "  --html FILE          write one page with the table, a plot of the time used and,\n"
    "                       per question, every student's answer\n"
    "  --roster FILE        a CSV with a column headed identifier (and any others; last\n"
    "                       name and first name, or name, give names): each student on it\n"
    "                       without a file gets a row \"no file handed in\", and a file of\n"
    "                       an identifier not on it is flagged\n"
    "  --window FROM TO     the dates the exam was sat (YYYY/MM/DD, both days whole, or\n"
    "                       YYYY/MM/DD::HH:MM:SS): a start outside them is flagged\n"
    "  --help               this text\n"
    "\n"
    "grading (with --exam):\n"
    "  --exam EXAM.txt      the exam text with its answer key ('=' lines): every whole file\n"
    "                       of that exam is scored from its final answers; the table, its\n"
    "                       CSV and the page gain by key, by graders, to mark, score, max\n"
    "                       (the points of the questions the student was asked) and\n"
    "                       graded; the answers sheet gains a points column beside each\n"
    "                       question's, empty where a grader must mark it\n"
    "  --marks SHEET.csv    the answers sheet with the graders' points filled in: taken\n"
    "                       back to complete the totals (refused whole, with its rows and\n"
    "                       columns, for a mark above its question's points, for a\n"
    "                       question the student was not asked, for a row of no file read,\n"
    "                       or when it is another exam's sheet)\n"
    "  --grades FILE        write the gradebook: identifier,last name,first name,score,max,\n"
    "                       percent,late,verdict, a row per student\n"
    "  --items FILE         write the item analysis: per question and sub-question its\n"
    "                       points, how many were asked it, mean, facility, discrimination\n"
    "                       and the choices' counts, then the test's mean, median, standard\n"
    "                       deviation and Cronbach's alpha, each with how it is computed\n"
    "  --attempt RULE       last (default), first or best: which of several whole files of\n"
    "                       one identifier is graded; the others are listed with why not\n"
    "\n"
    "The key scores only what it can read without doubt; other answers (a number with its\n"
    "unit, a choice letter with words) are left to the graders. No answer, #skip and the\n"
    "program's no-answer marks score 0. The page and the table end with things to look\n"
    "at, each with why it was raised: answers two students share, a start outside the\n"
    "window or a day from the class's median start, a file name of another identifier, an\n"
    "exam opened more than once, an identifier off the roster.\n"
    "\n"
    "In the CSV files a text that a spreadsheet would take for a formula (it begins with\n"
    "=, +, - or @ and is not a number) begins with a ' added.\n"
    "\n"
    "exit status: 0 when every file is whole, for this student and password, 1 when any\n"
    "is not, 2 wrong usage or an output file that cannot be written\n");

// Larger than any session writes (a thousand questions, each answered at length many
// times over): a bigger file is not read into memory.
constexpr size_t LargestFile = 64u << 20;

bool endsWithXmc(const std::string& name) {
  if (name.size() < 4)
    return false;
  return lowered(std::string_view(name).substr(name.size() - 4)) == ".xmc";
}

// Reads at most LargestFile bytes; false with *reason when the file cannot be used.
bool readCompletedFile(const std::string& path, std::string* contents, std::string* reason) {
  if (platform().isDirectory(path.c_str())) {
    *reason = "a folder, not a file";
    return false;
  }
  bool tooLarge = false;
  if (readWholeFile(path, contents, LargestFile, &tooLarge))
    return true;
  *reason = tooLarge ? "larger than 64 MiB, too large for a completed-exam file" : strerror(errno);
  return false;
}

// The files named and the .xmc files of the folders named, each once.
std::vector<std::string> collectFiles(const std::vector<std::string>& paths) {
  std::vector<std::string> files;
  std::unordered_set<std::string> seen;
  auto add = [&](const std::string& path) {
    if (seen.insert(path).second)
      files.push_back(path);
  };
  for (const std::string& path : paths) {
    if (!platform().isDirectory(path.c_str())) {
      add(path);
      continue;
    }
    std::vector<std::string> names;
    bool listed = platform().listDirectory(path.c_str(), "xmc", [&](const DirectoryEntry& e) {
      if (endsWithXmc(e.Name))
        names.push_back(e.Name);
      return true;
    });
    if (!listed) {
      add(path);  // read as a file, it gets its row with the reason
      continue;
    }
    std::sort(names.begin(), names.end());
    const char separator = platform().pathSeparator();
    std::string base = path.back() == '/' || path.back() == separator ? path : path + separator;
    for (const std::string& name : names)
      add(base + name);
  }
  return files;
}

// The answers sheet and the page put answers under the exam's question numbers: files of
// two exams would share columns that mean different questions.
void warnOfMixedExams(const std::vector<CompletedExam>& exams) {
  std::vector<const CompletedExam*> distinct;
  for (const CompletedExam& exam : exams)
    if (std::none_of(distinct.begin(), distinct.end(),
                     [&](const CompletedExam* known) { return sameExamText(*known, exam); }))
      distinct.push_back(&exam);
  if (distinct.size() > 1)
    fprintf(stderr,
            "veritor-author report: the files are of %zu different exams (%s and %s); the "
            "answers sheet and the page number their questions alike\n",
            distinct.size(),
            forTerminal(distinct[0]->Semester + " " + examTitle(*distinct[0])).c_str(),
            forTerminal(distinct[1]->Semester + " " + examTitle(*distinct[1])).c_str());
}

std::string loweredName(const std::string& path) {
  return lowered(std::string_view(path).substr(fileNameStart(path)));
}

// The output files must not be one of the files read: the report changes none of them.
// Only a file of the same name can be the same file, so only those are looked up.
bool isInput(const std::string& output, const std::vector<std::string>& files) {
  char outFull[4096], inFull[4096];
  if (!platform().fullPath(output.c_str(), outFull, sizeof outFull))
    return false;
  std::string name = loweredName(output);
  for (const std::string& file : files)
    if (loweredName(file) == name && platform().fullPath(file.c_str(), inFull, sizeof inFull) &&
        strcmp(inFull, outFull) == 0)
      return true;
  return false;
}

bool writeOutput(const std::string& path, const char* what,
                 const std::function<bool(FILE*)>& write) {
  FILE* out = fopen(path.c_str(), "wb");
  bool ok = out && write(out);
  if (out && fclose(out) != 0)
    ok = false;
  if (!ok) {
    fprintf(stderr, "veritor-author report: cannot write the %s to '%s': %s\n", what,
            forTerminal(path).c_str(), strerror(errno));
    return false;
  }
  return true;
}

// Takes "--window FROM TO" out of the arguments: the one option with two values.
int takeWindow(std::vector<char*>* args, GradingOptions* options) {
  for (size_t i = 0; i < args->size(); ++i) {
    if (strcmp((*args)[i], "--window") != 0)
      continue;
    if (i + 2 >= args->size())
      return usageError(Command, "%s", "option --window needs two dates, FROM and TO");
    std::string error;
    if (!readSittingWindow((*args)[i + 1], (*args)[i + 2], &options->Window, &error))
      return usageError(Command, "--window: %s", forTerminal(error).c_str());
    options->HasWindow = true;
    args->erase(args->begin() + static_cast<long>(i), args->begin() + static_cast<long>(i) + 3);
    --i;
  }
  return -1;
}

}  // namespace

int authorReport(int argc, char** argv) {
  std::string password, keyFile, csvFile, answersFile, htmlFile, gradesFile, itemsFile, attempt;
  bool passwordGiven = false, attemptGiven = false;
  GradingOptions grading;
  std::vector<char*> args(argv, argv + argc);
  int status = takeWindow(&args, &grading);
  if (status != -1)
    return status;
  std::vector<std::string> paths;
  status = parseAuthorArgumentList(Command, ReportUsage.c_str(), "completed-exam file or folder",
                                   static_cast<int>(args.size()), args.data(),
                                   {{"--password", &password, &passwordGiven},
                                    {"--key", &keyFile},
                                    {"--csv", &csvFile},
                                    {"--answers", &answersFile},
                                    {"--html", &htmlFile},
                                    {"--exam", &grading.ExamPath},
                                    {"--marks", &grading.MarksPath},
                                    {"--roster", &grading.RosterPath},
                                    {"--grades", &gradesFile},
                                    {"--items", &itemsFile},
                                    {"--attempt", &attempt, &attemptGiven}},
                                   &paths);
  if (status != -1)
    return status;
  if (!passwordGiven || password.empty())
    return usageError(Command, "%s", "the exam's password is needed (--password)");
  if (attemptGiven && !readAttemptRule(attempt, &grading.Rule))
    return usageError(Command, "--attempt takes last, first or best, not '%s'",
                      forTerminal(attempt).c_str());
  const char* grades = !grading.MarksPath.empty() ? "--marks"
                       : !gradesFile.empty()        ? "--grades"
                       : !itemsFile.empty()         ? "--items"
                       : attemptGiven               ? "--attempt"
                                                    : nullptr;
  if (grading.ExamPath.empty() && grades)
    return usageError(Command, "%s grades the class: it needs the exam text (--exam EXAM.txt)", grades);

  installAuthorPlatform();
  if (!setUpAuthorKey(keyFile)) {
    fputs("veritor-author report: the key could not be set up\n", stderr);
    return 2;
  }

  std::vector<std::string> files = collectFiles(paths);
  // A folder with nothing to check is not a class that handed in whole files.
  if (files.empty()) {
    fprintf(stderr, "veritor-author report: no completed-exam (.xmc) file found\n");
    return 1;
  }
  std::vector<std::string> read = {grading.ExamPath, grading.MarksPath, grading.RosterPath};
  for (const std::string* output : {&csvFile, &answersFile, &htmlFile, &gradesFile, &itemsFile}) {
    if (!output->empty() && isInput(*output, files))
      return usageError(Command, "'%s' is one of the files read: the report changes none of them",
                        forTerminal(*output).c_str());
    // The exam text, the roster and the graders' sheet (with whatever columns they added)
    // are read, never written.
    if (!output->empty() && isInput(*output, read))
      return usageError(Command, "'%s' is the exam text, the roster or the marks sheet: the "
                        "report writes none of them",
                        forTerminal(*output).c_str());
  }

  ReportClass report;
  report.Files.reserve(files.size());
  const bool keepAnswers = !answersFile.empty() || !htmlFile.empty() || !grading.ExamPath.empty();
  bool progress = isTerminalStream(ConsoleStream::Err);
  std::string bytes, reason;
  for (size_t i = 0; i < files.size(); ++i) {
    if (readCompletedFile(files[i], &bytes, &reason))
      report.Files.push_back(makeCompletedFile(files[i], bytes, password, keepAnswers, &report.Exams));
    else
      report.Files.push_back(unreadableFile(files[i], reason));
    if (progress && (i % 64 == 63 || i + 1 == files.size()))
      fprintf(stderr, "\rreading completed-exam files: %zu of %zu", i + 1, files.size());
  }
  if (progress)
    fputs("\n", stderr);
  std::vector<std::string>().swap(files);
  std::string().swap(bytes);

  // Files cut off before their echo take the exam numbers from another file of the exam.
  for (CompletedFile& file : report.Files)
    numberFromExam(&file, &report.Exams);
  prepareClass(&report);
  warnOfMixedExams(report.Exams);
  // Nothing is written when the exam text, the roster or the marks sheet is refused.
  if (!gradeClass(&report, grading))
    return 2;
  bool written = writeReportTable(stdout, report) && fflush(stdout) == 0;

  if (!csvFile.empty())
    written &= writeOutput(csvFile, "table", [&](FILE* out) { return writeReportCsv(out, report); });
  if (!answersFile.empty())
    written &= writeOutput(answersFile, "answers sheet",
                           [&](FILE* out) { return writeAnswersCsv(out, report); });
  if (!gradesFile.empty())
    written &= writeOutput(gradesFile, "gradebook",
                           [&](FILE* out) { return writeGradebookCsv(out, report); });
  if (!itemsFile.empty())
    written &= writeOutput(itemsFile, "item analysis",
                           [&](FILE* out) { return writeItemsCsv(out, report); });
  if (!htmlFile.empty()) {
    std::string title = "Completed exams";
    if (!report.Exams.empty()) {
      const CompletedExam& e = report.Exams.front();
      title = e.CourseNumber + " " + e.CourseName + ": " + e.ExamName + " (" + e.Semester + ")";
    }
    written &= writeOutput(htmlFile, "page",
                           [&](FILE* out) { return writeReportHtml(out, report, title); });
  }
  if (!written)
    return 2;
  for (const CompletedFile& file : report.Files)
    if (file.Verdict.Kind != XmcVerdictKind::Whole)
      return 1;
  return 0;
}
