// The report's CSV files: the table, and the answers sheet for grading. RFC 4180: fields
// with a comma, a quote or a line break are quoted, quotes doubled, lines end in CR LF.
// Times come twice: as hours, minutes and seconds ("0:01:05", which a spreadsheet reads
// as a duration, where "1:05" would be an hour and five minutes), and as a number of
// seconds to compute with.
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
  bool ok = writeLine(out, std::vector<std::string>(std::begin(CsvColumns), std::end(CsvColumns)));
  for (size_t i = 0; i < report.Files.size() && ok; ++i)
    ok = writeLine(out, csvCells(report, i));
  return ok;
}

// A row per file that names its student; a column per question of the exam text. A cell
// is empty where the student gave no answer, or was not asked the question.
bool writeAnswersCsv(FILE* out, const ReportClass& report) {
  std::vector<std::string> head = {"student", "identifier", "file", "verdict"};
  std::vector<std::string> points = {"", "", "", "points"};
  for (const ReportQuestion& q : report.Questions) {
    head.push_back(q.Question->Number);
    points.push_back(q.Question->Points);
  }
  bool ok = writeLine(out, head) && writeLine(out, points);
  for (size_t i = 0; i < report.Files.size() && ok; ++i) {
    const CompletedFile& f = report.Files[i];
    if (!f.HasName)
      continue;
    std::vector<std::string> fields = {f.StudentName, f.StudentId, f.Path, xmcVerdictText(f.Verdict)};
    for (size_t c = 0; c < report.Questions.size(); ++c)
      fields.push_back(answerInColumn(report, i, c));
    ok = writeLine(out, fields);
  }
  return ok;
}
