// The report's class page: one self-contained HTML file that any browser shows without
// a network or a script. Everything from the files is escaped: names and answers are
// typed by students.
#include <algorithm>
#include <cmath>

#include "author_support.h"
#include "report_rows.h"

namespace {

std::string escaped(const std::string& raw) {
  std::string out;
  for (char c : toUtf8(raw)) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default:
        // Control characters have no place in a page; line breaks and tabs stay.
        if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t')
          out += "&#xFFFD;";
        else
          out += c;
    }
  }
  return out;
}

const char* verdictClass(XmcVerdictKind kind) {
  switch (kind) {
    case XmcVerdictKind::Genuine: return "genuine";
    case XmcVerdictKind::CutShort: return "cut";
    case XmcVerdictKind::Foreign: return "foreign";
    case XmcVerdictKind::Damaged: return "damaged";
    case XmcVerdictKind::Unreadable: return "unreadable";
  }
  return "";
}

const char* const Style =
    "body{font-family:sans-serif;margin:1.5em;color:#222}"
    "table{border-collapse:collapse;margin-bottom:1.5em;font-size:.85em}"
    "th,td{border:1px solid #bbb;padding:.25em .5em;text-align:left;vertical-align:top}"
    "th{background:#eee}"
    "td.answer{white-space:pre-wrap;font-family:monospace}"
    "td.none{color:#999;font-style:italic}"
    "tr.genuine td.verdict{background:#dfd}"
    "tr.cut td.verdict{background:#ffd}"
    "tr.foreign td.verdict,tr.damaged td.verdict,tr.unreadable td.verdict{background:#fdd}"
    "td.note{color:#a00}"
    "p.text{font-style:italic;margin-top:-.5em}"
    "svg text{font-size:12px;font-family:sans-serif}";

void classTable(std::string* page, const std::vector<ReportRow>& rows) {
  *page += "<h2>Class</h2>\n<table>\n<tr>";
  for (const char* column : ReportColumns)
    *page += std::string("<th>") + column + "</th>";
  *page += "</tr>\n";
  for (const ReportRow& row : rows) {
    std::vector<std::string> cells = reportCells(row);
    *page += std::string("<tr class=\"") + verdictClass(row.Verdict.Kind) + "\">";
    // The file's own name keeps the table narrow; its path is in the tooltip.
    *page += "<td title=\"" + escaped(cells[0]) + "\">" +
             escaped(cells[0].substr(fileNameStart(cells[0]))) + "</td>";
    for (int c = 1; c < ReportColumnCount; ++c) {
      const char* cls = c == 12 ? " class=\"verdict\"" : c == 13 ? " class=\"note\"" : "";
      *page += std::string("<td") + cls + ">" + escaped(cells[c]) + "</td>";
    }
    *page += "</tr>\n";
  }
  *page += "</table>\n";
}

// A bar per student of the time used, with the allowance as a dashed line.
void timePlot(std::string* page, const std::vector<ReportRow>& rows) {
  std::vector<const ReportRow*> timed;
  uint64_t longest = 1;
  for (const ReportRow& row : rows)
    if (row.Read && row.Analysis.HasStart) {
      timed.push_back(&row);
      longest = std::max<uint64_t>(longest, row.Analysis.UsedSeconds);
      longest = std::max<uint64_t>(longest, uint64_t{row.Analysis.TimeLimitMinutes} * 60);
    }
  *page += "<h2>Time used against the allowance</h2>\n";
  if (timed.empty()) {
    *page += "<p>No file has a start stamp.</p>\n";
    return;
  }
  const int labelWidth = 220, plotWidth = 560, rowHeight = 22;
  int height = static_cast<int>(timed.size()) * rowHeight + 30;
  char text[512];
  snprintf(text, sizeof text,
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" role=\"img\" "
           "aria-label=\"time used per student\">\n",
           labelWidth + plotWidth + 80, height);
  *page += text;
  auto x = [&](uint64_t seconds) {
    return labelWidth + static_cast<double>(seconds) * plotWidth / static_cast<double>(longest);
  };
  for (size_t i = 0; i < timed.size(); ++i) {
    const XmcAnalysis& a = timed[i]->Analysis;
    int y = static_cast<int>(i) * rowHeight + 4;
    uint64_t allowance = uint64_t{a.TimeLimitMinutes} * 60;
    const char* colour = !a.Finished ? "#c90" : a.LateSeconds > 0 ? "#c33" : "#393";
    if (timed[i]->Verdict.Kind != XmcVerdictKind::Genuine && a.Finished)
      colour = "#999";
    std::string used = formatDuration(a.UsedSeconds) + (a.Finished ? "" : "+");
    *page += "<text x=\"" + std::to_string(labelWidth - 6) + "\" y=\"" + std::to_string(y + 14) +
             "\" text-anchor=\"end\">" + escaped(a.StudentName.empty() ? timed[i]->Path : a.StudentName) +
             "</text>\n";
    snprintf(text, sizeof text,
             "<rect x=\"%d\" y=\"%d\" width=\"%.1f\" height=\"16\" fill=\"%s\"><title>%s of %s</title></rect>\n",
             labelWidth, y, std::max(1.0, x(a.UsedSeconds) - labelWidth), colour, used.c_str(),
             formatDuration(allowance).c_str());
    *page += text;
    snprintf(text, sizeof text,
             "<line x1=\"%.1f\" y1=\"%d\" x2=\"%.1f\" y2=\"%d\" stroke=\"#000\" stroke-dasharray=\"3,2\"/>\n"
             "<text x=\"%.1f\" y=\"%d\">%s</text>\n",
             x(allowance), y - 2, x(allowance), y + 18, x(a.UsedSeconds) + 4, y + 13, used.c_str());
    *page += text;
  }
  snprintf(text, sizeof text,
           "<text x=\"%d\" y=\"%d\">bar: time used (green in time, red late, amber without a "
           "finish stamp, grey not genuine); dashed line: the allowance</text>\n</svg>\n",
           labelWidth, height - 6);
  *page += text;
}

void answersByQuestion(std::string* page, const std::vector<ReportRow>& rows) {
  std::vector<XmcExamQuestion> questions = classQuestions(rows);
  *page += "<h2>Answers by question</h2>\n";
  if (questions.empty())
    *page += "<p>No file holds the echo of the exam.</p>\n";
  for (const XmcExamQuestion& q : questions) {
    *page += "<h3 id=\"q" + escaped(q.Number) + "\">Question " + escaped(q.Number);
    if (!q.Points.empty())
      *page += " (" + escaped(q.Points) + " pts)";
    *page += "</h3>\n<p class=\"text\">" + escaped(q.FirstLine) + "</p>\n";
    *page += "<table>\n<tr><th>student</th><th>identifier</th><th>answer</th><th>verdict</th></tr>\n";
    for (const ReportRow& row : rows) {
      if (!row.Analysis.HasName)
        continue;
      std::string answer = answerTo(row, q.Number);
      bool presented = false;
      for (const XmcEntry& e : row.Analysis.Entries)
        presented = presented || (e.Presented && e.ExamNumber == q.Number);
      *page += std::string("<tr class=\"") + verdictClass(row.Verdict.Kind) + "\"><td>" +
               escaped(row.Analysis.StudentName) + "</td><td>" + escaped(row.Analysis.StudentId) +
               "</td>";
      *page += presented ? "<td class=\"answer\">" + escaped(answer) + "</td>"
                         : std::string("<td class=\"none\">not presented</td>");
      *page += "<td class=\"verdict\">" + escaped(row.Verdict.Text) + "</td></tr>\n";
    }
    *page += "</table>\n";
  }
}

}  // namespace

bool writeReportHtml(FILE* out, const std::vector<ReportRow>& rows, const std::string& title) {
  std::string page = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
  page += "<title>" + escaped(title) + "</title>\n<style>" + Style + "</style>\n</head>\n<body>\n";
  page += "<h1>" + escaped(title) + "</h1>\n";
  int counts[5] = {0, 0, 0, 0, 0};
  for (const ReportRow& row : rows)
    ++counts[static_cast<int>(row.Verdict.Kind)];
  char summary[256];
  snprintf(summary, sizeof summary,
           "<p>%zu files: %d genuine and whole, %d cut short, %d not made with this password or "
           "not for this identifier, %d damaged, %d that cannot be read.</p>\n",
           rows.size(), counts[0], counts[1], counts[2], counts[3], counts[4]);
  page += summary;
  classTable(&page, rows);
  timePlot(&page, rows);
  answersByQuestion(&page, rows);
  page += "</body>\n</html>\n";
  return fwrite(page.data(), 1, page.size(), out) == page.size();
}
