// The class page's grading: the scores with a histogram, the item analysis with each
// question's choices and what looks wrong with it, and the things to look at. Every
// figure is the one the items CSV holds, with how it is computed.
#include <algorithm>

#include "report_page.h"
#include "report_rows.h"

const char* const GradingStyle =
    "table.scores td.num,table.items td.num{text-align:right;white-space:nowrap}"
    "table.hist td.bar{width:30em}"
    "div.hbar{background:#58a;height:12px}"
    "table.items td.facility{width:9em}"
    "div.fbar{background:#ddd;height:8px;margin-top:3px}div.fbar span{display:block;height:8px;background:#393}"
    "span.keyed{font-weight:bold;background:#dfd;padding:0 .2em}"
    "span.none{color:#c33}"
    "td.hint{color:#a00;max-width:28em}"
    "td.negative{background:#fdd}"
    "ul.flags li{margin:.3em 0}"
    "p.how{font-size:.85em;color:#555;max-width:70em}";

namespace {

std::string cell(const std::string& text, const char* cls = nullptr) {
  return std::string("<td") + (cls ? std::string(" class=\"") + cls + "\"" : "") + ">" +
         htmlEscaped(text) + "</td>";
}

void scores(Page& page, const ReportClass& report) {
  const ReportGrading& g = report.Grading;
  page << "<h2>Scores</h2>\n";
  for (const std::string& line : gradingSummary(report))
    page << "<p>" + htmlEscaped(line) + "</p>\n";
  page << "<table class=\"scores\">\n<tr><th>student</th><th>identifier</th>";
  for (const char* column : GradingColumns)
    page << std::string("<th>") + column + "</th>";
  page << "<th>percent</th></tr>\n";
  for (size_t f = 0; f < report.Files.size(); ++f) {
    const CompletedFile& file = report.Files[f];
    if (!isScored(report, f))
      continue;
    std::vector<std::string> cells = gradingCells(report, f);
    AttemptTotals t = totalsOfFile(report, f);
    std::string percent = t.complete() && t.MaxKnown && t.Max > 0 ? formatPoints(100 * t.score() / t.Max) : "";
    page << "<tr>" + cell(file.StudentName) + cell(file.StudentId);
    for (size_t c = 0; c + 1 < cells.size(); ++c)
      page << cell(cells[c], "num");
    page << cell(cells.back()) + cell(percent, "num") + "</tr>\n";
  }
  for (size_t m : g.Missing) {
    const RollStudent& s = g.Roll[m];
    page << "<tr>" + cell(s.LastName + (s.FirstName.empty() ? "" : ", " + s.FirstName)) +
                cell(s.Identifier) + "<td></td><td></td><td></td><td></td><td></td>" +
                cell(s.NoGrade) + "<td></td></tr>\n";
  }
  page << "</table>\n";

  // How the graded students' scores spread, as a share of the points each was asked.
  const TestFigures& t = g.Figures.Test;
  int largest = 1;
  for (int count : t.Histogram)
    largest = std::max(largest, count);
  page << "<h3>Scores of the graded students</h3>\n<table class=\"hist\">\n"
          "<tr><th>score, of the points asked</th><th>students</th><th></th></tr>\n";
  for (int bin = 9; bin >= 0; --bin) {
    std::string range = std::to_string(bin * 10) + " to " + (bin == 9 ? "100" : std::to_string(bin * 10 + 9)) + " %";
    page << "<tr>" + cell(range) + cell(std::to_string(t.Histogram[bin]), "num") +
                "<td class=\"bar\"><div class=\"hbar\" style=\"width:" +
                std::to_string(100 * t.Histogram[bin] / largest) + "%\"></div></td></tr>\n";
  }
  page << "</table>\n";
  if (t.HistogramToMark > 0)
    page << "<p>Not in the histogram: " + std::to_string(t.HistogramToMark) +
                " graded students with answers still to mark.</p>\n";
  page << "<table>\n<tr><th>figure</th><th>value</th><th>how it is computed</th></tr>\n";
  for (const FigureLine& line : testFigureLines(g.Key, t))
    page << "<tr>" + cell(line.Name) + cell(line.Value, "num") + cell(line.How) + "</tr>\n";
  page << "</table>\n";
}

// "a 2, b 1, c 6 (keyed), d 0": the keyed letter marked, a distractor nobody chose in red.
std::string choices(const KeyedItem& item, const ItemFigures& f) {
  std::string out;
  for (size_t l = 0; l < item.Letters.size(); ++l) {
    std::string text = std::string(1, item.Letters[l]) + " " + std::to_string(f.Chosen[l]);
    bool keyed = f.KeyedLetters.find(item.Letters[l]) != std::string::npos;
    if (keyed)
      out += "<span class=\"keyed\" title=\"the key's letter\">" + htmlEscaped(text) + " &#10003;</span> ";
    else if (f.Chosen[l] == 0)
      out += "<span class=\"none\">" + htmlEscaped(text) + "</span> ";
    else
      out += htmlEscaped(text) + " ";
  }
  return out;
}

void items(Page& page, const ReportClass& report) {
  const ReportGrading& g = report.Grading;
  page << "<h2>Item analysis</h2>\n<p class=\"how\">Over the graded attempts, one per "
          "student. ";
  for (const FigureLine& line : itemFigureLines())
    page << "<strong>" + htmlEscaped(line.Name) + "</strong>: " + htmlEscaped(line.How) + ". ";
  page << "</p>\n<table class=\"items\">\n<tr><th>question</th><th>points</th><th>asked</th>"
          "<th>mean</th><th>facility</th><th>discrimination</th><th>choices (&#10003; the "
          "key's)</th><th>to look at</th></tr>\n";
  for (size_t i = 0; i < g.Key.Items.size(); ++i) {
    const KeyedItem& item = g.Key.Items[i];
    const ItemFigures& f = g.Figures.Items[i];
    page << "<tr>" + cell(item.Number) + cell(formatPoints(item.Points), "num") +
                cell(std::to_string(f.Asked), "num") + cell(f.HasMean ? formatFigure(f.Mean) : "", "num");
    page << "<td class=\"facility\">";
    if (f.HasFacility) {
      int width = static_cast<int>(std::clamp(f.Facility, 0.0, 1.0) * 100 + 0.5);
      page << formatFigure(f.Facility) + "<div class=\"fbar\"><span style=\"width:" +
                  std::to_string(width) + "%\"></span></div>";
    }
    page << "</td>";
    page << cell(f.HasDiscrimination ? formatFigure(f.Discrimination) : "",
                 f.HasDiscrimination && f.Discrimination < 0 ? "num negative" : "num");
    page << "<td>" + choices(item, f) + "</td>";
    std::string look;
    for (const std::string& hint : f.Hints)
      look += (look.empty() ? "" : "; ") + hint;
    if (!f.Note.empty())
      look += (look.empty() ? "" : "; ") + f.Note;
    page << cell(look, "hint") + "</tr>\n";
  }
  page << "</table>\n";
}

void flags(Page& page, const ReportClass& report) {
  std::vector<std::string> lines = flagLines(report);
  if (lines.empty() && !report.Grading.Keyed)
    return;
  page << "<h2>Things to look at</h2>\n<p>Each says why it was raised; none is a "
          "finding.</p>\n<ul class=\"flags\">\n";
  if (lines.empty())
    page << "<li>Nothing.</li>\n";
  for (const std::string& line : lines)
    page << "<li>" + htmlEscaped(line) + "</li>\n";
  page << "</ul>\n";
  if (report.Grading.Keyed)
    page << "<p class=\"how\">Shared answers: " + htmlEscaped(sharedAnswersRule()) +
                ".</p>\n";
}

}  // namespace

void writeGradingSections(Page& page, const ReportClass& report) {
  if (report.Grading.Keyed) {
    scores(page, report);
    items(page, report);
  }
  flags(page, report);
}
