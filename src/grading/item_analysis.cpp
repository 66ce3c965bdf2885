#include "grading/item_analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "grading/statistics.h"

namespace {

bool hasMark(const Mark& mark) {
  return mark.State != MarkState::NotAsked && mark.State != MarkState::ToMark;
}

// The letters a choice question's key gives credit for: any credit, for distractors;
// full credit, to mark on the page.
std::string keyedLetters(const KeyedItem& item, bool fullOnly) {
  std::string letters;
  for (const KeyAnswer& answer : item.Answers) {
    if (answer.Form != KeyForm::Text || answer.Text.size() != 1 || (fullOnly && answer.Percent != 100))
      continue;
    char c = static_cast<char>(tolower(static_cast<unsigned char>(answer.Text[0])));
    if (item.Letters.find(c) != std::string::npos && letters.find(c) == std::string::npos)
      letters += c;
  }
  return letters;
}

// Facility this near 0 or 1 says little about who knows the matter.
constexpr double LowFacility = 0.1, HighFacility = 0.9;

// Fewer students than this say too little for a hint: two students asked always make a
// discrimination of 1 or -1.
constexpr int StudentsForHints = 5;

void addHints(const KeyedItem& item, ItemFigures* f) {
  if (f->Asked < StudentsForHints) {
    if (f->Asked > 0)
      f->Hints.push_back("asked of " + std::to_string(f->Asked) + (f->Asked == 1 ? " student" : " students") +
                         " only: too few to judge it by");
    return;
  }
  if (f->HasDiscrimination && f->Discrimination < 0)
    f->Hints.push_back("students with a higher total on the rest of the test scored lower on "
                       "it (negative discrimination): check the key and the wording");
  if (f->HasFacility && f->Facility <= LowFacility)
    f->Hints.push_back("nearly nobody scored on it (facility 0.10 or less): check the key, "
                       "or whether it was taught");
  else if (f->HasFacility && f->Facility >= HighFacility)
    f->Hints.push_back("nearly everybody scored on it (facility 0.90 or more): it tells "
                       "students apart little");
  if (item.Choice && f->Asked > 0) {
    std::string credited = keyedLetters(item, false);
    for (size_t l = 0; l < item.Letters.size(); ++l)
      if (f->Chosen[l] == 0 && credited.find(item.Letters[l]) == std::string::npos)
        f->Hints.push_back(std::string("nobody chose ") + item.Letters[l] +
                           ": a distractor that draws no one");
  }
}

std::string whyNoDiscrimination(const std::vector<double>& x, int asked) {
  if (asked < 2)
    return asked == 0 ? "no graded student was asked it" : "only one graded student was asked it";
  if (populationVariance(x) <= 0)
    return "every student asked scored the same on it: no discrimination";
  return "the rest of the total is the same for every student asked: no discrimination";
}

// Cronbach's alpha over the parts the counted items make.
void computeAlpha(const ExamKey& key, const ClassScores& scores, const std::vector<size_t>& graded,
                  const std::vector<bool>& counted, const std::vector<ItemFigures>& items,
                  TestFigures* test) {
  // A part's items: one item outside pools, or every item of a pool.
  std::vector<std::vector<size_t>> parts;
  std::map<int, size_t> poolPart;
  std::map<int, bool> poolWhole;
  for (size_t i = 0; i < key.Items.size(); ++i) {
    int pool = key.Items[i].Pool;
    if (pool != 0) {
      bool& whole = poolWhole.emplace(pool, true).first->second;
      whole = whole && counted[i];
    }
  }
  for (size_t i = 0; i < key.Items.size(); ++i) {
    if (!counted[i] || items[i].Asked == 0)
      continue;
    int pool = key.Items[i].Pool;
    if (pool == 0) {
      parts.push_back({i});
    } else if (poolWhole[pool]) {
      auto found = poolPart.find(pool);
      if (found == poolPart.end()) {
        poolPart.emplace(pool, parts.size());
        parts.push_back({i});
      } else {
        parts[found->second].push_back(i);
      }
    }
  }
  test->AlphaParts = static_cast<int>(parts.size());
  std::vector<std::vector<double>> matrix(parts.size());
  for (size_t a : graded) {
    const Mark* marks = scores.marksOf(a);
    bool everyPart = true;
    for (const std::vector<size_t>& part : parts) {
      bool asked = false;
      for (size_t i : part)
        asked = asked || marks[i].State != MarkState::NotAsked;
      everyPart = everyPart && asked;
    }
    if (!everyPart) {
      ++test->AlphaLeftOut;
      continue;
    }
    for (size_t p = 0; p < parts.size(); ++p) {
      double sum = 0;
      for (size_t i : parts[p])
        sum += marks[i].State == MarkState::NotAsked ? 0 : marks[i].Points;
      matrix[p].push_back(sum);
    }
  }
  test->AlphaStudents = static_cast<int>(graded.size()) - test->AlphaLeftOut;
  if (parts.size() < 2)
    test->AlphaNote = "fewer than two parts have marks for every student";
  else if (test->AlphaStudents < 2)
    test->AlphaNote = "fewer than two graded students were asked every part";
  else if (!cronbachAlpha(matrix, &test->Alpha))
    test->AlphaNote = "every student's total over the parts is the same: no variance";
  else
    test->HasAlpha = true;
}

}  // namespace

std::string formatFigure(double value) {
  char text[32];
  snprintf(text, sizeof text, "%.2f", value);
  std::string out = text;
  return out == "-0.00" ? "0.00" : out;
}

ClassFigures analyzeItems(const ExamKey& key, const ClassScores& scores) {
  ClassFigures figures;
  TestFigures& test = figures.Test;
  const size_t itemCount = key.Items.size();
  std::vector<size_t> graded;
  for (size_t a = 0; a < scores.Attempts.size(); ++a)
    if (scores.Attempts[a].Graded)
      graded.push_back(a);
  test.Graded = static_cast<int>(graded.size());

  figures.Items.resize(itemCount);
  std::vector<bool> counted(itemCount, false);
  for (size_t i = 0; i < itemCount; ++i) {
    ItemFigures& f = figures.Items[i];
    const KeyedItem& item = key.Items[i];
    f.Chosen.assign(item.Choice ? item.Letters.size() : 0, 0);
    f.KeyedLetters = item.Choice ? keyedLetters(item, true) : "";
    double sum = 0;
    for (size_t a : graded) {
      const Mark& mark = scores.marksOf(a)[i];
      if (mark.State == MarkState::NotAsked)
        continue;
      ++f.Asked;
      if (hasMark(mark)) {
        ++f.Marked;
        sum += mark.Points;
      }
      size_t letter = mark.Letter ? item.Letters.find(mark.Letter) : std::string::npos;
      if (letter != std::string::npos)
        ++f.Chosen[letter];
    }
    counted[i] = f.Marked == f.Asked;
    (counted[i] ? test.Counted : test.Unmarked).push_back(i);
    if (f.Marked > 0) {
      f.HasMean = true;
      f.Mean = sum / f.Marked;
      if (item.Points > 0) {
        f.HasFacility = true;
        f.Facility = f.Mean / item.Points;
      }
    }
  }

  // Each graded student's total over the counted items.
  std::vector<double> totals;
  totals.reserve(graded.size());
  for (size_t a : graded) {
    const Mark* marks = scores.marksOf(a);
    double total = 0;
    for (size_t i : test.Counted)
      if (marks[i].State != MarkState::NotAsked)
        total += marks[i].Points;
    totals.push_back(total);
  }
  if (!graded.empty()) {
    test.HasTotals = true;
    test.Mean = meanOf(totals);
    test.Median = medianOf(totals);
    test.Deviation = std::sqrt(populationVariance(totals));
  }

  for (size_t i = 0; i < itemCount; ++i) {
    ItemFigures& f = figures.Items[i];
    if (!counted[i]) {
      f.Note = std::to_string(f.Asked - f.Marked) + " of " + std::to_string(f.Asked) +
               " still to mark: mean and facility over the " + std::to_string(f.Marked) +
               " marked, no discrimination until every mark is given";
    } else {
      std::vector<double> x, y;
      for (size_t g = 0; g < graded.size(); ++g) {
        const Mark& mark = scores.marksOf(graded[g])[i];
        if (mark.State == MarkState::NotAsked)
          continue;
        x.push_back(mark.Points);
        y.push_back(totals[g] - mark.Points);
      }
      f.HasDiscrimination = pearsonCorrelation(x, y, &f.Discrimination);
      if (!f.HasDiscrimination)
        f.Note = whyNoDiscrimination(x, f.Asked);
      if (f.HasMean && !f.HasFacility)
        f.Note += std::string(f.Note.empty() ? "" : "; ") + "worth no points: no facility";
    }
    addHints(key.Items[i], &f);
  }

  computeAlpha(key, scores, graded, counted, figures.Items, &test);

  for (size_t a : graded) {
    AttemptTotals t = totalsOf(key, scores, a);
    if (!t.complete()) {
      ++test.HistogramToMark;
      continue;
    }
    double share = t.Max > 0 ? t.score() / t.Max : 0;
    int bin = static_cast<int>(std::floor(share * 10 + 1e-9));
    test.Histogram[bin < 0 ? 0 : bin > 9 ? 9 : bin] += 1;
  }
  return figures;
}

namespace {

std::string itemList(const ExamKey& key, const std::vector<size_t>& items) {
  std::string list;
  for (size_t i : items)
    list += (list.empty() ? "" : ", ") + key.Items[i].Number;
  return list;
}

}  // namespace

std::vector<FigureLine> testFigureLines(const ExamKey& key, const TestFigures& test) {
  std::vector<FigureLine> lines;
  std::string over = "over the totals of the " + std::to_string(test.Graded) +
                     " graded attempts (one per student)";
  std::string counted =
      test.Unmarked.empty()
          ? "every question counted"
          : "the totals count the questions every student asked has a mark for; left out "
            "until their marks are given: " + itemList(key, test.Unmarked);
  lines.push_back({"students", std::to_string(test.Graded), "graded attempts, one per student"});
  if (!test.HasTotals) {
    lines.push_back({"mean total", "", "no graded attempt"});
    return lines;
  }
  lines.push_back({"mean total", formatPoints(test.Mean), "the mean total in points, " + over + "; " + counted});
  lines.push_back({"median total", formatPoints(test.Median),
                   "the middle total (the mean of the two middle ones for an even count)"});
  lines.push_back({"standard deviation", formatFigure(test.Deviation),
                   "of the totals, as a population (divided by the count, not the count less one)"});
  std::string alphaHow =
      "Cronbach's alpha, k/(k-1) x (1 - sum of the parts' variances / variance of the "
      "totals), population variances; each question or sub-question outside a pool is a "
      "part, each pool one part (the score of whichever of its questions the student was "
      "asked); " + std::to_string(test.AlphaParts) + " parts, " +
      std::to_string(test.AlphaStudents) + " students";
  if (test.AlphaLeftOut > 0)
    alphaHow += " (" + std::to_string(test.AlphaLeftOut) +
                " left out: not asked every part, as a question limit does)";
  if (test.HasAlpha)
    lines.push_back({"alpha", formatFigure(test.Alpha), alphaHow});
  else
    lines.push_back({"alpha", "", "not computed: " + test.AlphaNote + ". " + alphaHow});
  return lines;
}

std::vector<FigureLine> itemFigureLines() {
  return {
      {"asked", "", "graded attempts (one per student) whose session asked the question"},
      {"mean", "", "the mean score in points of the students asked, over those marked"},
      {"facility", "", "the mean divided by the question's points: 1.00 everybody scored all"},
      {"discrimination", "",
       "the Pearson correlation of the question's score with the student's total less that "
       "score, over the students asked it; empty where it cannot be computed (fewer than two "
       "students asked, no variance, marks still to give)"},
      {"note", "", "why a figure is missing, the key's letter, and hints where a question asked "
                   "of 5 students or more looks wrong: a negative discrimination, a facility of "
                   "0.10 or less or 0.90 or more, a distractor nobody chose"},
      {"a, b, ...", "", "how many of the students asked chose that letter (answers read as one "
                        "letter alone)"},
  };
}

std::vector<std::vector<std::string>> itemTable(const ExamKey& key, const ClassFigures& figures) {
  std::string letters;
  for (const KeyedItem& item : key.Items)
    for (char c : item.Letters)
      if (letters.find(c) == std::string::npos)
        letters += c;
  std::sort(letters.begin(), letters.end());
  std::vector<std::vector<std::string>> table;
  std::vector<std::string> head = {"question", "points", "asked", "mean", "facility", "discrimination"};
  for (char c : letters)
    head.push_back(std::string(1, c));
  head.push_back("note");
  table.push_back(head);
  for (size_t i = 0; i < key.Items.size(); ++i) {
    const KeyedItem& item = key.Items[i];
    const ItemFigures& f = figures.Items[i];
    std::vector<std::string> row = {item.Number, formatPoints(item.Points), std::to_string(f.Asked),
                                    f.HasMean ? formatFigure(f.Mean) : "",
                                    f.HasFacility ? formatFigure(f.Facility) : "",
                                    f.HasDiscrimination ? formatFigure(f.Discrimination) : ""};
    for (char c : letters) {
      size_t at = item.Letters.find(c);
      row.push_back(at == std::string::npos ? "" : std::to_string(f.Chosen[at]));
    }
    std::string note = f.Note;
    if (!f.KeyedLetters.empty())
      note += std::string(note.empty() ? "" : "; ") + "keyed: " + f.KeyedLetters;
    for (const std::string& hint : f.Hints)
      note += (note.empty() ? "" : "; ") + hint;
    row.push_back(note);
    table.push_back(row);
  }
  table.push_back({});
  table.push_back({"figure", "value", "how it is computed"});
  for (const FigureLine& line : itemFigureLines())
    table.push_back({line.Name, line.Value, line.How});
  for (const FigureLine& line : testFigureLines(key, figures.Test))
    table.push_back({line.Name, line.Value, line.How});
  return table;
}
