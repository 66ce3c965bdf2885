// The report's CSV files: the table, and the answers sheet for grading. RFC 4180: fields
// with a comma, a quote or a line break are quoted, quotes doubled, lines end in CR LF.
// Times come twice: as hours, minutes and seconds ("0:01:05", which a spreadsheet reads
// as a duration, where "1:05" would be an hour and five minutes), and as a number of
// seconds to compute with.
#include <algorithm>
#include <cstdlib>

#include "output_text.h"
#include "report_rows.h"

namespace {

bool isNumber(const std::string& text) {
  if (text.empty())
    return false;
  char* end = nullptr;
  strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && text.find_first_of("xXnNiIpP") == std::string::npos;
}

// Names and answers are typed by students. A spreadsheet runs a cell that begins with
// =, +, - or @ as a formula; such a text gets a leading ', unless it is a plain number
// (an answer of -3 stays -3).
std::string csvField(const std::string& raw) {
  std::string text = toUtf8(raw);
  if (!text.empty() && (text[0] == '=' || text[0] == '+' || text[0] == '-' || text[0] == '@' ||
                        text[0] == '\t' || text[0] == '\r') &&
      !isNumber(text))
    text = "'" + text;
  if (text.find_first_of(",\"\r\n") == std::string::npos)
    return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"')
      quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

// A student's answer that a spreadsheet would turn into a date or a time ("12/5" into
// the 5th of December, "1:30" into half past one) gets the leading ' that keeps it text:
// graders must see what the student typed.
std::string answerField(const std::string& answer) {
  char separator = 0;
  bool digits = false;
  for (char c : answer) {
    if (c >= '0' && c <= '9') {
      digits = true;
    } else if ((c == '/' || c == '-' || c == ':') && digits && (!separator || separator == c)) {
      separator = c;
      digits = false;
    } else {
      return answer;
    }
  }
  return separator && digits ? "'" + answer : answer;
}

bool writeLine(FILE* out, const std::vector<std::string>& fields) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i)
    line += (i ? "," : "") + csvField(fields[i]);
  line += "\r\n";
  return fwrite(line.data(), 1, line.size(), out) == line.size();
}

const char* const CsvColumns[] = {
    "file",         "student",         "identifier", "exam",      "start",
    "finish",       "time used",       "time used (s)", "late/left", "late (s)",
    "closed after", "closed after (s)", "answered",  "skips",     "ended",
    "exam count",   "verdict",         "note"};

std::vector<std::string> csvCells(const ReportClass& report, size_t file) {
  const CompletedFile& f = report.Files[file];
  std::vector<std::string> cells = reportCells(report, file);
  std::string used, usedSeconds, late, lateSeconds, closed, closedSeconds;
  if (f.Read && f.HasStart) {
    used = formatHoursMinutesSeconds(f.UsedSeconds) + (f.EndKnown ? "" : "+");
    usedSeconds = std::to_string(f.UsedSeconds);
    if (!cells[LateColumn].empty()) {
      late = (f.LateSeconds > 0 ? "late " : "left ") +
             formatHoursMinutesSeconds(static_cast<uint64_t>(f.LateSeconds > 0 ? f.LateSeconds : -f.LateSeconds));
      lateSeconds = std::to_string(f.LateSeconds);
    }
    if (f.Finished) {
      closed = formatHoursMinutesSeconds(f.ClosedAfterSeconds);
      closedSeconds = std::to_string(f.ClosedAfterSeconds);
    }
  }
  return {cells[FileColumn],  cells[StudentColumn],  cells[IdentifierColumn], cells[ExamColumn],
          cells[StartColumn], cells[FinishColumn],   used,                    usedSeconds,
          late,               lateSeconds,           closed,                  closedSeconds,
          cells[AnsweredColumn], cells[SkipsColumn], cells[EndedColumn],      cells[CountColumn],
          cells[VerdictColumn], cells[NoteColumn]};
}

}  // namespace

bool writeReportCsv(FILE* out, const ReportClass& report) {
  std::vector<std::string> head =
      tableHeadings(report, std::vector<std::string>(std::begin(CsvColumns), std::end(CsvColumns)));
  bool ok = writeLine(out, head);
  for (size_t i = 0; i < report.Files.size() && ok; ++i)
    ok = writeLine(out, withGradingCells(report, i, csvCells(report, i)));
  // The roster's students without a file, under the table's student, identifier and
  // verdict columns.
  for (size_t m : report.Grading.Missing) {
    std::vector<std::string> cells = missingStudentRow(report, m, ReportColumnCount);
    std::vector<std::string> row(head.size());
    row[1] = cells[StudentColumn];
    row[2] = cells[IdentifierColumn];
    row[std::find(head.begin(), head.end(), "verdict") - head.begin()] = cells[VerdictColumn];
    ok = ok && writeLine(out, row);
  }
  return ok;
}

// A row per file that names its student; a column per question of the exam text. A cell
// is empty where the student gave no answer, or was not asked the question. When the
// class is scored, each question of the key has its points column beside its answers:
// the points given, empty where a grader must mark it (marks sheet.h reads it back).
bool writeAnswersCsv(FILE* out, const ReportClass& report) {
  const ReportGrading& g = report.Grading;
  std::vector<std::string> head = {"student", "identifier", "file", "verdict"};
  std::vector<std::string> points = {"", "", "", "points"};
  std::vector<long> itemOfColumn(report.Questions.size(), -1);
  for (size_t c = 0; c < report.Questions.size(); ++c) {
    const XmcExamQuestion& q = *report.Questions[c].Question;
    head.push_back(q.Number);
    points.push_back(q.Points);
    for (size_t i = 0; g.Keyed && i < g.Key.Items.size(); ++i)
      if (g.Key.Items[i].Number == q.Number) {
        itemOfColumn[c] = static_cast<long>(i);
        head.push_back(pointsHeading(q.Number));
        points.push_back(q.Points);
      }
  }
  bool ok = writeLine(out, head) && writeLine(out, points);
  for (size_t i = 0; i < report.Files.size() && ok; ++i) {
    const CompletedFile& f = report.Files[i];
    if (!f.HasName)
      continue;
    std::vector<std::string> fields = {f.StudentName, f.StudentId, f.Path, xmcVerdictText(f.Verdict)};
    for (size_t c = 0; c < report.Questions.size(); ++c) {
      fields.push_back(answerField(answerInColumn(report, i, c)));
      if (itemOfColumn[c] >= 0)
        fields.push_back(sheetPoints(report, i, static_cast<size_t>(itemOfColumn[c])));
    }
    ok = writeLine(out, fields);
  }
  return ok;
}

bool writeGradebookCsv(FILE* out, const ReportClass& report) {
  const ReportGrading& g = report.Grading;
  bool ok = writeLine(out, std::vector<std::string>(std::begin(GradebookColumns), std::end(GradebookColumns)));
  for (const RollStudent& student : g.Roll)
    ok = ok && writeLine(out, gradebookRow(g.Key, g.Scores, g.RollFiles, student));
  return ok;
}

bool writeItemsCsv(FILE* out, const ReportClass& report) {
  bool ok = true;
  for (const std::vector<std::string>& row : itemTable(report.Grading.Key, report.Grading.Figures))
    ok = ok && writeLine(out, row);
  return ok;
}
