// The report's class: its order, its question columns, the files of one identifier, the
// cells of the table and the table as text.
#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <unordered_map>

#include "author_support.h"
#include "format/ascii_case.h"
#include "output_text.h"
#include "report_rows.h"

const char* const ReportColumns[ReportColumnCount] = {
    "file",     "student",      "identifier", "exam",    "start",  "finish",
    "time used", "late/left",   "closed after", "answered", "skips", "ended",
    "exam count", "verdict",    "note"};

namespace {

// "12" before "12.a" before "13": slot numbers by value, then the letter.
bool numberBefore(const std::string& a, const std::string& b) {
  long slotA = strtol(a.c_str(), nullptr, 10), slotB = strtol(b.c_str(), nullptr, 10);
  if (slotA != slotB)
    return slotA < slotB;
  return a < b;
}

// By student name, then identifier; files that name no student last; then by path.
void sortFiles(std::vector<CompletedFile>* files) {
  std::vector<std::string> names(files->size());
  for (size_t i = 0; i < files->size(); ++i)
    if ((*files)[i].HasName)
      names[i] = lowered((*files)[i].StudentName);
  std::vector<uint32_t> order(files->size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    const CompletedFile& fa = (*files)[a];
    const CompletedFile& fb = (*files)[b];
    if (fa.HasName != fb.HasName)
      return fa.HasName;
    if (fa.HasName) {
      if (names[a] != names[b])
        return names[a] < names[b];
      if (fa.StudentId != fb.StudentId)
        return fa.StudentId < fb.StudentId;
    }
    return fa.Path < fb.Path;
  });
  // Moved into that order in place, one cycle of the permutation at a time: a second
  // copy of a large class would double the memory the records take.
  for (size_t start = 0; start < order.size(); ++start) {
    if (order[start] == start)
      continue;
    CompletedFile held = std::move((*files)[start]);
    size_t at = start;
    while (order[at] != start) {
      size_t from = order[at];
      (*files)[at] = std::move((*files)[from]);
      order[at] = static_cast<uint32_t>(at);
      at = from;
    }
    (*files)[at] = std::move(held);
    order[at] = static_cast<uint32_t>(at);
  }
}

// Every question number of the class's exams is one column, whichever exam has it.
void layOutQuestions(ReportClass* report) {
  std::unordered_map<std::string, size_t> column;
  for (const CompletedExam& exam : report->Exams)
    for (const XmcExamQuestion& q : exam.Questions)
      if (column.emplace(q.Number, report->Questions.size()).second)
        report->Questions.push_back({&q});
  std::stable_sort(report->Questions.begin(), report->Questions.end(),
                   [](const ReportQuestion& a, const ReportQuestion& b) {
                     return numberBefore(a.Question->Number, b.Question->Number);
                   });
}

void groupIdentifiers(ReportClass* report) {
  const std::vector<CompletedFile>& files = report->Files;
  std::vector<std::string> ids(files.size());
  for (size_t i = 0; i < files.size(); ++i)
    if (files[i].HasName)
      ids[i] = lowered(files[i].StudentId);
  std::vector<uint32_t>& by = report->ByIdentifier;
  for (size_t i = 0; i < files.size(); ++i)
    if (files[i].HasName)
      by.push_back(static_cast<uint32_t>(i));
  std::stable_sort(by.begin(), by.end(), [&](uint32_t a, uint32_t b) { return ids[a] < ids[b]; });
  report->RunStart.assign(files.size(), 0);
  report->RunSize.assign(files.size(), 0);
  for (size_t start = 0; start < by.size();) {
    size_t end = start + 1;
    while (end < by.size() && ids[by[end]] == ids[by[start]])
      ++end;
    for (size_t k = start; k < end; ++k) {
      report->RunStart[by[k]] = static_cast<uint32_t>(start);
      report->RunSize[by[k]] = static_cast<uint32_t>(end - start);
    }
    start = end;
  }
}

std::string baseName(const std::string& path) {
  return path.substr(fileNameStart(path));
}

}  // namespace

void prepareClass(ReportClass* report) {
  sortFiles(&report->Files);
  layOutQuestions(report);
  groupIdentifiers(report);
}

std::string noteOf(const ReportClass& report, size_t file) {
  const CompletedFile& f = report.Files[file];
  std::string note;
  uint32_t size = report.RunSize.empty() ? 0 : report.RunSize[file];
  if (size > 1) {
    // The count, and a few of the others by name: a login a whole lab shared must not
    // make every one of its rows name every other.
    const size_t shown = 3;
    std::string others;
    size_t named = 0;
    for (uint32_t k = 0; k < size && named < shown; ++k) {
      uint32_t other = report.ByIdentifier[report.RunStart[file] + k];
      if (other == file)
        continue;
      others += (named++ ? ", " : "") + baseName(report.Files[other].Path);
    }
    note = size == 2 ? "same identifier as " + others
                     : "same identifier as " + std::to_string(size - 1) + " other files: " + others +
                           (size - 1 > shown ? ", ..." : "");
  }
  if (f.HasExamCount && f.ExamCount > 1)
    note += (note.empty() ? "" : "; ") + std::string("exam opened ") +
            std::to_string(f.ExamCount) + " times";
  return note;
}

std::vector<std::string> reportCells(const ReportClass& report, size_t file) {
  std::vector<std::string> cells(ReportColumnCount);
  const CompletedFile& f = report.Files[file];
  cells[FileColumn] = f.Path;
  cells[VerdictColumn] = xmcVerdictText(f.Verdict);
  cells[NoteColumn] = noteOf(report, file);
  if (!f.Read)
    return cells;
  if (f.HasName) {
    cells[StudentColumn] = f.StudentName;
    cells[IdentifierColumn] = f.StudentId;
  }
  if (f.Exam >= 0)
    cells[ExamColumn] = examTitle(report.Exams[static_cast<size_t>(f.Exam)]);
  cells[StartColumn] = f.StartTime;
  cells[FinishColumn] = f.FinishTime;
  if (f.HasStart) {
    // A file cut short may have gone on past its last record: its time is at least that,
    // and how late it was is not known.
    cells[UsedColumn] = formatDuration(f.UsedSeconds) + (f.EndKnown ? "" : "+");
    if (f.EndKnown && f.Exam >= 0)
      cells[LateColumn] = formatLateness(f.LateSeconds);
    if (f.Finished)
      cells[ClosedColumn] = formatDuration(f.ClosedAfterSeconds);
    // Of the session's questions, which its summary lists, also those never reached.
    cells[AnsweredColumn] = std::to_string(f.Answered) + " of " + std::to_string(f.Questions) +
                            (f.AllQuestionsKnown ? "" : "+");
    cells[SkipsColumn] = std::to_string(f.SkipsUsed);
    // Nor is how it ended, for a damaged file that stops early.
    if (f.Finished || f.Verdict.Kind != XmcVerdictKind::Damaged)
      cells[EndedColumn] = xmcEndText(f.End, f.EndCommand);
  }
  if (f.HasExamCount)
    cells[CountColumn] = std::to_string(f.ExamCount);
  return cells;
}

std::string answerInColumn(const ReportClass& report, size_t file, size_t column) {
  const CompletedFile& f = report.Files[file];
  if (f.Exam < 0)
    return "";
  const CompletedExam& exam = report.Exams[static_cast<size_t>(f.Exam)];
  auto question = exam.QuestionAt.find(report.Questions[column].Question->Number);
  return question == exam.QuestionAt.end() ? "" : std::string(answerOf(f, question->second));
}

std::vector<std::string> tableHeadings(const ReportClass& report,
                                       const std::vector<std::string>& columns) {
  std::vector<std::string> headings = columns;
  if (report.Grading.Keyed)
    headings.insert(headings.end(), std::begin(GradingColumns), std::end(GradingColumns));
  return headings;
}

std::vector<std::string> withGradingCells(const ReportClass& report, size_t file,
                                          std::vector<std::string> cells) {
  if (report.Grading.Keyed) {
    std::vector<std::string> grading = gradingCells(report, file);
    cells.insert(cells.end(), grading.begin(), grading.end());
  }
  return cells;
}

std::vector<std::string> missingStudentRow(const ReportClass& report, size_t rollIndex,
                                           size_t columns) {
  const RollStudent& s = report.Grading.Roll[rollIndex];
  std::vector<std::string> cells(columns);
  cells[StudentColumn] = s.LastName + (s.FirstName.empty() ? "" : ", " + s.FirstName);
  cells[IdentifierColumn] = s.Identifier;
  cells[VerdictColumn] = s.NoGrade;
  return cells;
}

// Columns as wide as their widest cell, everything from the files escaped. After the
// table, how the grading went and the things to look at.
bool writeReportTable(FILE* out, const ReportClass& report) {
  std::vector<std::vector<std::string>> rows;
  rows.push_back(tableHeadings(report, std::vector<std::string>(ReportColumns, ReportColumns + ReportColumnCount)));
  const size_t columns = rows[0].size();
  std::vector<size_t> widths(columns, 0);
  auto measure = [&](const std::vector<std::string>& cells) {
    for (size_t c = 0; c < columns; ++c)
      widths[c] = std::max(widths[c], displayWidth(forTerminal(cells[c])));
  };
  measure(rows[0]);
  for (size_t i = 0; i < report.Files.size(); ++i)
    measure(withGradingCells(report, i, reportCells(report, i)));
  for (size_t m : report.Grading.Missing)
    measure(missingStudentRow(report, m, columns));
  bool ok = true;
  auto write = [&](const std::string& text) {
    ok = ok && fwrite(text.data(), 1, text.size(), out) == text.size();
  };
  auto line = [&](const std::vector<std::string>& cells) {
    std::string text;
    for (size_t c = 0; c < columns; ++c) {
      std::string cell = forTerminal(cells[c]);
      text += cell;
      if (c + 1 < columns)
        text += std::string(widths[c] - displayWidth(cell) + 2, ' ');
    }
    while (!text.empty() && text.back() == ' ')
      text.pop_back();
    write(text + '\n');
  };
  line(rows[0]);
  for (size_t i = 0; i < report.Files.size(); ++i)
    line(withGradingCells(report, i, reportCells(report, i)));
  for (size_t m : report.Grading.Missing)
    line(missingStudentRow(report, m, columns));
  std::vector<std::string> summary = gradingSummary(report);
  if (!summary.empty())
    write("\n");
  for (const std::string& text : summary)
    write(forTerminal(text) + "\n");
  std::vector<std::string> flags = flagLines(report);
  if (!flags.empty() || report.Grading.Keyed) {
    write("\nThings to look at (each says why it was raised; none is a finding):\n");
    if (flags.empty())
      write("  nothing\n");
    for (const std::string& flag : flags)
      write("  " + forTerminal(flag) + "\n");
    if (report.Grading.Keyed)
      write("Shared answers: " + sharedAnswersRule() + ".\n");
  }
  return ok;
}
