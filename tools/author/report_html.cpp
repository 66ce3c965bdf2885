// The report's class page: one self-contained HTML file that any browser shows without
// a network or a script. Everything from the files is escaped: names and answers are
// typed by students. The page is written as it is made, so a class of any size takes no
// more memory than its records.
#include <algorithm>
#include <cstring>

#include "author_support.h"
#include "output_text.h"
#include "report_page.h"
#include "report_rows.h"

std::string htmlEscaped(const std::string& raw) {
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

namespace {

std::string escaped(const std::string& raw) {
  return htmlEscaped(raw);
}

const int KindCount = 9;

// The class of a row, for its colour, and the words that count the files of a kind.
const char* kindClass(XmcVerdictKind kind) {
  switch (kind) {
    case XmcVerdictKind::Whole:
    case XmcVerdictKind::WholeUnchecked: return "whole";
    case XmcVerdictKind::Renamed: return "renamed";
    case XmcVerdictKind::ClosingMissing: return "closing";
    case XmcVerdictKind::CutShort: return "cut";
    case XmcVerdictKind::Foreign: return "foreign";
    case XmcVerdictKind::Damaged: return "damaged";
    case XmcVerdictKind::NotXmc: return "other";
    case XmcVerdictKind::Unreadable: return "unreadable";
  }
  return "";
}

const char* kindWords(XmcVerdictKind kind) {
  switch (kind) {
    case XmcVerdictKind::Whole: return "whole, for this student and password";
    case XmcVerdictKind::WholeUnchecked: return "whole, not checked against a password";
    case XmcVerdictKind::Renamed: return "renamed";
    case XmcVerdictKind::ClosingMissing: return "closing part missing";
    case XmcVerdictKind::CutShort: return "cut short";
    case XmcVerdictKind::Foreign: return "not made with this password or not for this identifier";
    case XmcVerdictKind::Damaged: return "damaged";
    case XmcVerdictKind::NotXmc: return "not a completed-exam file";
    case XmcVerdictKind::Unreadable: return "cannot be read";
  }
  return "";
}

const char* const Style =
    "body{font-family:sans-serif;margin:1.5em;color:#222}"
    "table{border-collapse:collapse;margin-bottom:1.5em;font-size:.85em}"
    "th,td{border:1px solid #bbb;padding:.25em .4em;text-align:left;vertical-align:top}"
    "th{background:#eee}"
    // The class table fits the window: long names and file names wrap rather than push
    // the verdict and the note off the screen.
    "table.class{width:100%}"
    "table.class td{overflow-wrap:break-word}"
    "table.class td.file{font-size:.85em;max-width:14em}"
    "table.class td.verdict,table.class td.note{overflow-wrap:anywhere;min-width:11em}"
    "table.class td.time{white-space:nowrap}"
    "td.answer{white-space:pre-wrap;font-family:monospace}"
    "td.none{color:#999;font-style:italic}"
    "tr.whole td.verdict{background:#dfd}"
    "tr.closing td.verdict,tr.cut td.verdict{background:#ffd}"
    "tr.renamed td.verdict,tr.foreign td.verdict,tr.damaged td.verdict,tr.other td.verdict,"
    "tr.unreadable td.verdict{background:#fdd}"
    "td.note{color:#a00}"
    "p.text{font-style:italic;margin:.2em 0}"
    "p.part{color:#666;font-size:.85em;margin:.2em 0 .6em}"
    "div.legend{max-width:60em;font-size:.9em}"
    "table.plot{width:100%}"
    "table.plot td.who{max-width:20em;overflow-wrap:anywhere}"
    "table.plot td.time{white-space:nowrap}"
    "table.plot td.bar{width:55%}"
    "div.track{position:relative;height:14px;overflow:hidden;white-space:nowrap}"
    "div.track span{display:inline-block;height:14px;vertical-align:top}"
    "span.intime{background:#393}span.late{background:#c33}span.open{background:#c90}"
    "span.notwhole{background:#999}span.wait{background:#bcd}"
    "div.track span.limit{position:absolute;top:0;height:14px;border-left:2px dashed #000}";

void legend(Page& page) {
  std::string meaning = XmcVerdictMeaning;
  std::replace(meaning.begin(), meaning.end(), '\n', ' ');
  page << "<div class=\"legend\">\n<p>" << escaped(meaning) << "</p>\n"
       << "<p>Verdicts: <strong>whole, for this student and password</strong>, as above; <strong>renamed</strong>: "
          "whole or not, the file was written for another identifier than the one its name "
          "carries (a copy of another student's file); <strong>closing part missing</strong>: every "
          "answer is there, but not the closing part the program writes when the student "
          "leaves the last screen; <strong>cut short</strong>: the file stops before the session was "
          "over; <strong>not made with this password or not for this identifier</strong>; "
          "<strong>damaged</strong>: not as Veritor writes it (changed by accident or by hand), with what "
          "is wrong and where.</p>\n"
       << "<p>Time used runs from the start stamp to the last session record (the last "
          "answer, skip or end command); late and left compare it with the allowance. "
          "Closed after is the time from that record to the finish stamp, which the program "
          "takes once the student leaves its last screen: it is never counted as time "
          "used.</p>\n</div>\n";
}

void classTable(Page& page, const ReportClass& report) {
  page << "<h2>Class</h2>\n<table class=\"class\">\n<tr>";
  for (const char* column : ReportColumns)
    page << std::string("<th>") + column + "</th>";
  page << "</tr>\n";
  for (size_t i = 0; i < report.Files.size(); ++i) {
    std::vector<std::string> cells = reportCells(report, i);
    page << std::string("<tr class=\"") + kindClass(report.Files[i].Verdict.Kind) + "\">";
    // The file's own name keeps the table narrow, and may wrap after its underscores; its
    // path is in the tooltip.
    std::string name = escaped(cells[FileColumn].substr(fileNameStart(cells[FileColumn])));
    for (size_t at = name.find('_'); at != std::string::npos; at = name.find('_', at + 6))
      name.insert(at + 1, "<wbr>");
    page << "<td class=\"file\" title=\"" + escaped(cells[FileColumn]) + "\">" + name + "</td>";
    for (int c = 1; c < ReportColumnCount; ++c) {
      const char* cls = c == VerdictColumn ? " class=\"verdict\""
                        : c == NoteColumn  ? " class=\"note\""
                        : (c >= UsedColumn && c <= ClosedColumn) ? " class=\"time\""
                                                                 : "";
      page << std::string("<td") + cls + ">" + escaped(cells[c]) + "</td>";
    }
    page << "</tr>\n";
  }
  // The roster's students who handed in nothing.
  for (size_t m : report.Grading.Missing) {
    std::vector<std::string> cells = missingStudentRow(report, m, ReportColumnCount);
    page << "<tr class=\"cut\"><td class=\"file\"></td>";
    for (int c = 1; c < ReportColumnCount; ++c)
      page << std::string(c == VerdictColumn ? "<td class=\"verdict\">" : "<td>") + escaped(cells[c]) + "</td>";
    page << "</tr>\n";
  }
  page << "</table>\n";
}

std::string percent(uint64_t part, uint64_t whole) {
  char text[32];
  snprintf(text, sizeof text, "%.2f%%", 100.0 * static_cast<double>(part) / static_cast<double>(whole));
  return text;
}

// A bar per file with a start: the time used, then the wait before the finish stamp in
// a paler colour, and the allowance as a dashed line. The scale is the longest time used
// or allowance and a fifth more: a screen left open for hours runs off the end rather
// than squeeze every bar.
void timePlot(Page& page, const ReportClass& report) {
  uint64_t longest = 1;
  bool any = false;
  for (const CompletedFile& f : report.Files) {
    if (!f.Read || !f.HasStart)
      continue;
    any = true;
    longest = std::max<uint64_t>(longest, f.UsedSeconds);
    if (f.Exam >= 0)
      longest = std::max<uint64_t>(
          longest, uint64_t{report.Exams[static_cast<size_t>(f.Exam)].TimeLimitMinutes} * 60);
  }
  longest += longest / 5;
  page << "<h2>Time used against the allowance</h2>\n";
  if (!any) {
    page << "<p>No file has a start stamp.</p>\n";
    return;
  }
  page << "<p>Bar: time used (green in time, red late, amber where a file cut short may "
          "have gone on, grey for a file that is not whole); pale: closed after; dashed "
          "line: the allowance.</p>\n<table class=\"plot\">\n<tr><th>student</th><th>time "
          "used</th><th>closed after</th><th></th></tr>\n";
  for (size_t i = 0; i < report.Files.size(); ++i) {
    const CompletedFile& f = report.Files[i];
    if (!f.Read || !f.HasStart)
      continue;
    bool whole = f.Verdict.Kind == XmcVerdictKind::Whole;
    const char* colour = !whole && f.EndKnown ? "notwhole"
                         : !f.EndKnown        ? "open"
                         : f.LateSeconds > 0  ? "late"
                                              : "intime";
    std::string who = f.HasName ? f.StudentName : f.Path.substr(fileNameStart(f.Path));
    page << "<tr><td class=\"who\">" + escaped(who) + "</td><td class=\"time\">" +
                formatDuration(f.UsedSeconds) + (f.EndKnown ? "" : "+") + "</td><td class=\"time\">" +
                (f.Finished ? formatDuration(f.ClosedAfterSeconds) : "") +
                "</td><td class=\"bar\"><div class=\"track\"><span class=\"" + colour +
                "\" style=\"width:" + percent(std::max<uint64_t>(f.UsedSeconds, 1) , longest) +
                "\"></span>";
    if (f.Finished && f.ClosedAfterSeconds > 0)
      page << "<span class=\"wait\" style=\"width:" + percent(f.ClosedAfterSeconds, longest) +
                  "\"></span>";
    if (f.Exam >= 0)
      page << "<span class=\"limit\" style=\"left:" +
                  percent(uint64_t{report.Exams[static_cast<size_t>(f.Exam)].TimeLimitMinutes} * 60,
                          longest) +
                  "\"></span>";
    page << "</div></td></tr>\n";
  }
  page << "</table>\n";
}

void answersByQuestion(Page& page, const ReportClass& report) {
  page << "<h2>Answers by question</h2>\n";
  if (report.Questions.empty())
    page << "<p>No file holds the echo of the exam.</p>\n";
  for (size_t c = 0; c < report.Questions.size(); ++c) {
    const XmcExamQuestion& q = *report.Questions[c].Question;
    page << "<h3 id=\"q" + escaped(q.Number) + "\">Question " + escaped(q.Number);
    if (!q.Points.empty())
      page << " (" + escaped(q.Points) + " pts)";
    page << "</h3>\n";
    // A sub-question shows its own text, with its question's below it.
    if (q.Text.empty())
      page << "<p class=\"text\">" + escaped(q.FirstLine) + "</p>\n";
    else
      page << "<p class=\"text\">" + escaped(q.Text) + "</p>\n<p class=\"part\">part of: " +
                  escaped(q.FirstLine) + "</p>\n";
    page << "<table>\n<tr><th>student</th><th>identifier</th><th>answer</th><th>verdict, "
            "where not whole</th></tr>\n";
    for (size_t i = 0; i < report.Files.size(); ++i) {
      const CompletedFile& f = report.Files[i];
      if (!f.HasName)
        continue;
      std::string answer = answerInColumn(report, i, c);
      page << std::string("<tr class=\"") + kindClass(f.Verdict.Kind) + "\"><td>" +
                  escaped(f.StudentName) + "</td><td>" + escaped(f.StudentId) + "</td>";
      // Unanswered, skipped, never reached or not asked: the file holds no answer.
      page << (answer.empty() ? std::string("<td class=\"none\">no answer</td>")
                              : "<td class=\"answer\">" + escaped(answer) + "</td>");
      page << std::string("<td class=\"verdict\">") +
                  (f.Verdict.Kind == XmcVerdictKind::Whole ? "" : escaped(xmcVerdictText(f.Verdict))) +
                  "</td></tr>\n";
    }
    page << "</table>\n";
  }
}

}  // namespace

bool writeReportHtml(FILE* out, const ReportClass& report, const std::string& title) {
  Page page(out);
  page << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
  page << "<title>" + escaped(title) + "</title>\n<style>" + Style + GradingStyle +
              "</style>\n</head>\n<body>\n";
  page << "<h1>" + escaped(title) + "</h1>\n";
  size_t counts[KindCount] = {};
  for (const CompletedFile& f : report.Files)
    ++counts[static_cast<int>(f.Verdict.Kind)];
  std::string summary = "<p>" + std::to_string(report.Files.size()) + " files: ";
  bool first = true;
  for (int k = 0; k < KindCount; ++k) {
    if (counts[k] == 0)
      continue;
    summary += (first ? "" : "; ") + std::to_string(counts[k]) + " " +
               kindWords(static_cast<XmcVerdictKind>(k));
    first = false;
  }
  page << summary + ".</p>\n";
  legend(page);
  classTable(page, report);
  writeGradingSections(page, report);
  timePlot(page, report);
  answersByQuestion(page, report);
  page << "</body>\n</html>\n";
  return page.flush();
}
