// The report's CSV files: the table, and the answers sheet for grading. RFC 4180: fields
// with a comma, a quote or a line break are quoted, quotes doubled, lines end in CR LF.
#include <cstdlib>

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

}  // namespace

bool writeReportCsv(FILE* out, const std::vector<ReportRow>& rows) {
  bool ok = writeLine(out, std::vector<std::string>(ReportColumns, ReportColumns + ReportColumnCount));
  for (const ReportRow& row : rows)
    ok = ok && writeLine(out, reportCells(row));
  return ok;
}

bool writeAnswersCsv(FILE* out, const std::vector<ReportRow>& rows) {
  std::vector<XmcExamQuestion> questions = classQuestions(rows);
  std::vector<std::string> head = {"student", "identifier", "file", "verdict"};
  std::vector<std::string> points = {"", "", "", "points"};
  for (const XmcExamQuestion& q : questions) {
    head.push_back(q.Number);
    points.push_back(q.Points);
  }
  bool ok = writeLine(out, head) && writeLine(out, points);
  for (const ReportRow& row : rows) {
    if (!row.Analysis.HasName)
      continue;
    std::vector<std::string> fields = {row.Analysis.StudentName, row.Analysis.StudentId, row.Path,
                                       row.Verdict.Text};
    for (const XmcExamQuestion& q : questions)
      fields.push_back(answerTo(row, q.Number));
    ok = ok && writeLine(out, fields);
  }
  return ok;
}
