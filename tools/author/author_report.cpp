// veritor-author report: check a whole class's completed-exam files at once, and write
// the table, its CSV, the answers sheet and the class page.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "author.h"
#include "author_arguments.h"
#include "author_support.h"
#include "platform/platform.h"
#include "report_rows.h"
#include "result/xmc_reader.h"

namespace {

const char* const Command = "report";

const char* const ReportUsage =
    "usage: veritor-author report --password PASSWORD [options] PATH...\n"
    "\n"
    "Reads every completed-exam file given, and every .xmc file in the folders given, and\n"
    "prints one row per file, sorted by student name: the student, the exam, start and\n"
    "finish (the student's local time), the time used, how late (or how much time was\n"
    "left), questions answered of those presented, skips used, how the session ended\n"
    "(#done or #exit as typed, time, all answered, or cut short), the exam count (how\n"
    "often this student's copy of the exam was opened: more than 1 deserves a look) and\n"
    "a verdict:\n"
    "  genuine and whole\n"
    "  cut short: ...      the file stops where the session was ended or killed\n"
    "  not made with this password or not for this identifier\n"
    "  damaged: ...        what is wrong, and at which byte\n"
    "A file that cannot be read is a row with its reason. Files are only read, never\n"
    "changed. A time used that ends in '+' runs to the last record of a file cut short.\n"
    "\n"
    "options:\n"
    "  --password PASSWORD  the exam's password (a file is genuine only for it)\n"
    "  --key FILE           the key data the exam was made with (as veritor -k FILE);\n"
    "                       default: the key built into veritor\n"
    "  --csv FILE           write the table as CSV (UTF-8, a header row)\n"
    "  --answers FILE       write a CSV of every student's final answers: one column per\n"
    "                       question, numbered as in the exam text (4.a for a\n"
    "                       sub-question), the points in the second row; empty where the\n"
    "                       question was not drawn or not presented\n"
    "  --html FILE          write one page with the table, a plot of the time used and,\n"
    "                       per question, every student's answer\n"
    "  --help               this text\n"
    "\n"
    "In the CSV files a text that a spreadsheet would take for a formula (it begins with\n"
    "=, +, - or @ and is not a number) begins with a ' added.\n"
    "\n"
    "exit status: 0 when every file is genuine and whole, 1 when any is not, 2 wrong usage\n"
    "or an output file that cannot be written\n";

// Larger than any session writes (a thousand questions, each answered at length many
// times over): a bigger file is not read into memory.
constexpr size_t LargestFile = 64u << 20;

bool endsWithXmc(const std::string& name) {
  if (name.size() < 4)
    return false;
  std::string tail = name.substr(name.size() - 4);
  for (char& c : tail)
    c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return tail == ".xmc";
}

// Reads at most LargestFile bytes; false with *reason when the file cannot be used.
bool readCompletedFile(const std::string& path, std::string* contents, std::string* reason) {
  if (platform().isDirectory(path.c_str())) {
    *reason = "cannot be read: a folder, not a file";
    return false;
  }
  bool tooLarge = false;
  if (readWholeFile(path, contents, LargestFile, &tooLarge))
    return true;
  *reason = tooLarge ? "cannot be read: larger than 64 MiB, too large for a completed-exam file"
                     : std::string("cannot be read: ") + strerror(errno);
  return false;
}

// The files named and the .xmc files of the folders named, each once.
std::vector<ReportRow> collectFiles(const std::vector<std::string>& paths) {
  std::vector<ReportRow> rows;
  std::vector<std::string> seen;
  auto add = [&](const std::string& path) {
    if (std::find(seen.begin(), seen.end(), path) != seen.end())
      return;
    seen.push_back(path);
    ReportRow row;
    row.Path = path;
    rows.push_back(row);
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
  return rows;
}

std::string baseName(const std::string& path) {
  return path.substr(fileNameStart(path));
}

std::string lowered(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string forTerminal(const std::string& text);

void readRow(ReportRow* row, const std::string& password) {
  std::string bytes, reason;
  if (!readCompletedFile(row->Path, &bytes, &reason)) {
    row->Verdict = {XmcVerdictKind::Unreadable, reason};
    return;
  }
  XmcReading reading = readXmc(bytes);
  row->Read = true;
  row->Analysis = analyzeXmc(reading);
  row->Verdict = judgeXmc(bytes, reading, row->Analysis, password);
}

// Two files of one identifier, and an exam opened more than once, deserve a look.
void addNotes(std::vector<ReportRow>* rows) {
  std::map<std::string, std::vector<size_t>> byId;
  for (size_t i = 0; i < rows->size(); ++i)
    if ((*rows)[i].Analysis.HasName)
      byId[lowered((*rows)[i].Analysis.StudentId)].push_back(i);
  for (ReportRow& row : *rows) {
    std::vector<std::string> notes;
    if (row.Analysis.HasName) {
      const std::vector<size_t>& same = byId[lowered(row.Analysis.StudentId)];
      if (same.size() > 1) {
        std::string others;
        for (size_t i : same)
          if ((*rows)[i].Path != row.Path)
            others += (others.empty() ? "" : ", ") + baseName((*rows)[i].Path);
        notes.push_back("same identifier as " + others);
      }
    }
    if (row.Analysis.HasExamCount && row.Analysis.ExamCount > 1)
      notes.push_back("exam opened " + std::to_string(row.Analysis.ExamCount) + " times");
    for (const std::string& note : notes)
      row.Note += (row.Note.empty() ? "" : "; ") + note;
  }
}

// Files cut off before their echo take the exam numbers from another file of the exam.
void numberCutFiles(std::vector<ReportRow>* rows) {
  for (ReportRow& row : *rows) {
    if (!row.Read || !row.Analysis.ExamQuestions.empty())
      continue;
    for (const ReportRow& other : *rows) {
      const XmcAnalysis& a = other.Analysis;
      if (other.Read && !a.ExamQuestions.empty() && a.ExamName == row.Analysis.ExamName &&
          a.CourseNumber == row.Analysis.CourseNumber && a.Semester == row.Analysis.Semester) {
        numberEntries(&row.Analysis, a.ExamQuestions);
        break;
      }
    }
  }
}

// The answers sheet and the page put answers under the exam's question numbers: files of
// two exams would share columns that mean different questions.
void warnOfMixedExams(const std::vector<ReportRow>& rows) {
  std::vector<std::string> exams;
  for (const ReportRow& row : rows) {
    const XmcAnalysis& a = row.Analysis;
    std::string exam = a.Semester + " " + a.CourseNumber + " " + a.ExamName;
    if (a.HasExamLine && std::find(exams.begin(), exams.end(), exam) == exams.end())
      exams.push_back(exam);
  }
  if (exams.size() > 1)
    fprintf(stderr,
            "veritor-author report: the files are of %zu different exams (%s and %s); the "
            "answers sheet and the page number their questions alike\n",
            exams.size(), forTerminal(exams[0]).c_str(), forTerminal(exams[1]).c_str());
}

// By student name, then identifier; files that name no student last, by path.
bool rowBefore(const ReportRow& a, const ReportRow& b) {
  if (a.Analysis.HasName != b.Analysis.HasName)
    return a.Analysis.HasName;
  if (a.Analysis.HasName) {
    std::string an = lowered(a.Analysis.StudentName), bn = lowered(b.Analysis.StudentName);
    if (an != bn)
      return an < bn;
    if (a.Analysis.StudentId != b.Analysis.StudentId)
      return a.Analysis.StudentId < b.Analysis.StudentId;
  }
  return a.Path < b.Path;
}

// Names and answers are typed by students: nothing of them may steer the terminal.
std::string forTerminal(const std::string& text) {
  std::string out;
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    out += u < 0x20 || u == 0x7F ? '?' : c;
  }
  return out;
}

// Columns as wide as their widest cell; UTF-8 continuation bytes take no column.
size_t displayWidth(const std::string& text) {
  size_t width = 0;
  for (char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
      ++width;
  return width;
}

void printTable(const std::vector<ReportRow>& rows) {
  std::vector<std::vector<std::string>> table;
  table.emplace_back(ReportColumns, ReportColumns + ReportColumnCount);
  for (const ReportRow& row : rows) {
    std::vector<std::string> cells = reportCells(row);
    for (std::string& cell : cells)
      cell = forTerminal(cell);
    table.push_back(cells);
  }
  std::vector<size_t> widths(ReportColumnCount, 0);
  for (const auto& cells : table)
    for (int c = 0; c < ReportColumnCount; ++c)
      widths[c] = std::max(widths[c], displayWidth(cells[c]));
  for (const auto& cells : table) {
    std::string line;
    for (int c = 0; c < ReportColumnCount; ++c) {
      line += cells[c];
      if (c + 1 < ReportColumnCount)
        line += std::string(widths[c] - displayWidth(cells[c]) + 2, ' ');
    }
    while (!line.empty() && line.back() == ' ')
      line.pop_back();
    fprintf(stdout, "%s\n", line.c_str());
  }
}

// The output files must not be one of the files read: the report changes none of them.
bool isInput(const std::string& output, const std::vector<ReportRow>& rows) {
  char outFull[4096], inFull[4096];
  if (!platform().fullPath(output.c_str(), outFull, sizeof outFull))
    return false;
  for (const ReportRow& row : rows)
    if (platform().fullPath(row.Path.c_str(), inFull, sizeof inFull) &&
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
            path.c_str(), strerror(errno));
    return false;
  }
  return true;
}

}  // namespace

int authorReport(int argc, char** argv) {
  std::string password, keyFile, csvFile, answersFile, htmlFile;
  bool passwordGiven = false;
  std::vector<std::string> paths;
  int status = parseAuthorArgumentList(Command, ReportUsage, "completed-exam file or folder", argc,
                                       argv,
                                       {{"--password", &password, &passwordGiven},
                                        {"--key", &keyFile},
                                        {"--csv", &csvFile},
                                        {"--answers", &answersFile},
                                        {"--html", &htmlFile}},
                                       &paths);
  if (status != -1)
    return status;
  if (!passwordGiven || password.empty())
    return usageError(Command, "%s", "the exam's password is needed (--password)");

  installAuthorPlatform();
  if (!setUpAuthorKey(keyFile)) {
    fputs("veritor-author report: the key could not be set up\n", stderr);
    return 2;
  }

  std::vector<ReportRow> rows = collectFiles(paths);
  // A folder with nothing to check is not a class that handed in genuine files.
  if (rows.empty()) {
    fprintf(stderr, "veritor-author report: no completed-exam (.xmc) file found\n");
    return 1;
  }
  for (const std::string* output : {&csvFile, &answersFile, &htmlFile})
    if (!output->empty() && isInput(*output, rows))
      return usageError(Command, "'%s' is one of the files read: the report changes none of them",
                        output->c_str());

  bool progress = isTerminalStream(ConsoleStream::Err);
  for (size_t i = 0; i < rows.size(); ++i) {
    readRow(&rows[i], password);
    if (progress && (i % 16 == 15 || i + 1 == rows.size()))
      fprintf(stderr, "\rreading completed-exam files: %zu of %zu", i + 1, rows.size());
  }
  if (progress && !rows.empty())
    fputs("\n", stderr);

  numberCutFiles(&rows);
  addNotes(&rows);
  warnOfMixedExams(rows);
  std::stable_sort(rows.begin(), rows.end(), rowBefore);
  printTable(rows);
  fflush(stdout);

  bool written = true;
  if (!csvFile.empty())
    written &= writeOutput(csvFile, "table", [&](FILE* out) { return writeReportCsv(out, rows); });
  if (!answersFile.empty())
    written &= writeOutput(answersFile, "answers sheet",
                           [&](FILE* out) { return writeAnswersCsv(out, rows); });
  if (!htmlFile.empty()) {
    std::string title = "Completed exams";
    for (const ReportRow& row : rows)
      if (row.Analysis.HasExamLine) {
        const XmcAnalysis& a = row.Analysis;
        title = a.CourseNumber + " " + a.CourseName + ": " + a.ExamName + " (" + a.Semester + ")";
        break;
      }
    written &= writeOutput(htmlFile, "page",
                           [&](FILE* out) { return writeReportHtml(out, rows, title); });
  }
  if (!written)
    return 2;
  for (const ReportRow& row : rows)
    if (row.Verdict.Kind != XmcVerdictKind::Genuine)
      return 1;
  return 0;
}
