// The report's rows as cells, and the exam's questions across the class.
#include <algorithm>
#include <cstdlib>

#include "report_rows.h"

const char* const ReportColumns[ReportColumnCount] = {
    "file",     "student", "identifier", "exam",       "start",   "finish", "time used",
    "late/left", "answered", "skips",    "ended",      "exam count", "verdict", "note"};

std::vector<std::string> reportCells(const ReportRow& row) {
  std::vector<std::string> cells(ReportColumnCount);
  const XmcAnalysis& a = row.Analysis;
  cells[0] = row.Path;
  cells[12] = row.Verdict.Text;
  cells[13] = row.Note;
  if (!row.Read)
    return cells;
  if (a.HasName) {
    cells[1] = a.StudentName;
    cells[2] = a.StudentId;
  }
  if (a.HasExamLine)
    cells[3] = a.CourseNumber + " " + a.ExamName;
  cells[4] = a.StartTime;
  cells[5] = a.FinishTime;
  if (a.HasStart) {
    cells[6] = formatDuration(a.UsedSeconds) + (a.Finished ? "" : "+");
    if (a.Finished)
      cells[7] = xmcLateText(a);
    cells[8] = std::to_string(a.Answered) + " of " + std::to_string(a.Presented);
    cells[9] = std::to_string(a.SkipsUsed);
    // A damaged file that stops early may have gone on: how it ended is not known.
    if (a.Finished || row.Verdict.Kind != XmcVerdictKind::Damaged)
      cells[10] = xmcEndText(a);
  }
  if (a.HasExamCount)
    cells[11] = std::to_string(a.ExamCount);
  return cells;
}

namespace {

// "12" before "12.a" before "13": slot numbers by value, then the letter.
bool numberBefore(const std::string& a, const std::string& b) {
  long slotA = strtol(a.c_str(), nullptr, 10), slotB = strtol(b.c_str(), nullptr, 10);
  if (slotA != slotB)
    return slotA < slotB;
  return a < b;
}

}  // namespace

std::vector<XmcExamQuestion> classQuestions(const std::vector<ReportRow>& rows) {
  std::vector<XmcExamQuestion> questions;
  for (const ReportRow& row : rows)
    for (const XmcExamQuestion& q : row.Analysis.ExamQuestions) {
      bool known = std::any_of(questions.begin(), questions.end(),
                               [&](const XmcExamQuestion& k) { return k.Number == q.Number; });
      if (!known)
        questions.push_back(q);
    }
  std::stable_sort(questions.begin(), questions.end(),
                   [](const XmcExamQuestion& a, const XmcExamQuestion& b) {
                     return numberBefore(a.Number, b.Number);
                   });
  return questions;
}

std::string answerTo(const ReportRow& row, const std::string& number) {
  for (const XmcEntry& e : row.Analysis.Entries)
    if (e.Presented && e.ExamNumber == number)
      return e.Answer;
  return "";
}

std::string toUtf8(const std::string& text) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    bool valid = length > 0 && i + length <= text.size();
    for (size_t k = 1; valid && k < length; ++k)
      valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
    // Overlong forms and values past U+10FFFF are no text either.
    if (valid && length == 2)
      valid = c >= 0xC2;
    if (valid && length == 3) {
      unsigned char d = static_cast<unsigned char>(text[i + 1]);
      valid = !(c == 0xE0 && d < 0xA0) && !(c == 0xED && d >= 0xA0);
    }
    if (valid && length == 4) {
      unsigned char d = static_cast<unsigned char>(text[i + 1]);
      valid = c <= 0xF4 && !(c == 0xF0 && d < 0x90) && !(c == 0xF4 && d >= 0x90);
    }
    if (valid) {
      out.append(text, i, length);
      i += length;
      continue;
    }
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
    ++i;
  }
  return out;
}
