#include "report_grading.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <unordered_set>
#include <utility>

#include "author_support.h"
#include "format/ascii_case.h"
#include "output_text.h"
#include "report_rows.h"
#include "result/result_file_name.h"

namespace {

const char* const Command = "veritor-author report";

bool readInput(const std::string& path, const char* what, std::string* text) {
  if (readWholeFile(path, text))
    return true;
  fprintf(stderr, "%s: cannot read the %s '%s': %s\n", Command, what, forTerminal(path).c_str(),
          strerror(errno));
  return false;
}

// Problems of an input, each on a line of its own, and at most a screenful of them.
void refuse(const std::string& path, const std::vector<std::string>& problems) {
  const size_t shown = 20;
  for (size_t i = 0; i < problems.size() && i < shown; ++i)
    fprintf(stderr, "%s: %s: %s\n", Command, forTerminal(path).c_str(), forTerminal(problems[i]).c_str());
  if (problems.size() > shown)
    fprintf(stderr, "%s: %s: and %zu more\n", Command, forTerminal(path).c_str(), problems.size() - shown);
}

bool readCsvInput(const std::string& path, const char* what, CsvTable* table) {
  std::string text, error;
  if (!readInput(path, what, &text))
    return false;
  if (!readCsvTable(text, table, &error) || table->Rows.empty()) {
    refuse(path, {table->Rows.empty() && error.empty() ? "the file is empty" : error});
    return false;
  }
  return true;
}

// Whether a file's exam is the text's: the same question numbers with the same points.
// Empty when it is; else what differs, for the files of that exam.
std::string examDiffers(const CompletedExam& exam, const ExamKey& key, const std::string& text) {
  if (exam.Questions.empty())
    return "no file of its exam holds the exam's questions to compare with " + text;
  std::unordered_set<std::string> inExam;
  for (const XmcExamQuestion& q : exam.Questions) {
    inExam.insert(q.Number);
    if (q.Points.empty())
      continue;  // a question with sub-questions: they carry the points
    const KeyedItem* item = nullptr;
    for (const KeyedItem& k : key.Items)
      if (k.Number == q.Number)
        item = &k;
    if (!item)
      return "its exam's question " + q.Number + " is not in " + text;
    // The completed file writes points with one decimal.
    if (std::fabs(strtod(q.Points.c_str(), nullptr) - item->Points) > 0.051)
      return "its exam's question " + q.Number + " is worth " + q.Points + " points, " +
             formatPointsWithUnit(item->Points) + " in " + text;
  }
  for (const KeyedItem& k : key.Items)
    if (!inExam.count(k.Number))
      return "question " + k.Number + " of " + text + " is not in its exam";
  return "";
}

bool canBeGraded(const CompletedFile& f) {
  return f.Read && f.Exam >= 0 &&
         (f.Verdict.Kind == XmcVerdictKind::Whole || f.Verdict.Kind == XmcVerdictKind::ClosingMissing);
}

// Scores every file of the text's exam that can be graded.
void scoreFiles(ReportClass* report) {
  ReportGrading& g = report->Grading;
  const ExamKey& key = g.Key;
  g.Scores.Items = key.Items.size();
  g.AttemptOf.assign(report->Files.size(), -1);
  g.NotScored.assign(report->Files.size(), "");
  std::vector<std::string> differs(report->Exams.size());
  g.QuestionOfItem.assign(report->Exams.size(), {});
  for (size_t e = 0; e < report->Exams.size(); ++e) {
    differs[e] = examDiffers(report->Exams[e], key, g.ExamName);
    if (!differs[e].empty())
      continue;
    for (const KeyedItem& item : key.Items)
      g.QuestionOfItem[e].push_back(report->Exams[e].QuestionAt.at(item.Number));
  }
  std::vector<bool> presented(key.Items.size());
  std::vector<ItemAnswer> answers(key.Items.size());
  // At most one attempt a file: reserved once, so that a large class never holds the
  // attempts and their marks twice while the arrays grow.
  g.Scores.Attempts.reserve(report->Files.size());
  g.Scores.Marks.reserve(report->Files.size() * key.Items.size());
  for (size_t f = 0; f < report->Files.size(); ++f) {
    const CompletedFile& file = report->Files[f];
    if (!canBeGraded(file))
      continue;
    const size_t exam = static_cast<size_t>(file.Exam);
    if (!differs[exam].empty()) {
      g.NotScored[f] = "not graded: " + differs[exam];
      continue;
    }
    const std::vector<uint32_t>& questionOf = g.QuestionOfItem[exam];
    for (size_t i = 0; i < key.Items.size(); ++i)
      presented[i] = presentedQuestion(file, questionOf[i]);
    SessionItems session =
        placeSession(key, presented, file.AllQuestionsKnown ? file.Questions : -1);
    if (!file.AllQuestionsKnown && !session.MaxKnown) {
      // Without its summary the file cannot show that the session had no more.
      g.NotScored[f] = "not graded: the file ends before its summary, and questions of the "
                       "exam were never presented: the session may have had more";
      continue;
    }
    for (size_t i = 0; i < key.Items.size(); ++i)
      answers[i] = {session.Asked[i], session.Asked[i] ? answerOf(file, questionOf[i]) : ""};
    Attempt attempt;
    attempt.File = static_cast<uint32_t>(f);
    attempt.Identifier = lowered(file.StudentId);
    readStampSeconds(file.StartTime, &attempt.Start);
    attempt.UnplacedMax = session.UnplacedMax;
    attempt.MaxKnown = session.MaxKnown;
    size_t a = g.Scores.addAttempt(attempt);
    scoreAnswers(key, answers, g.Scores.marksOf(a));
    g.AttemptOf[f] = static_cast<long>(a);
  }
}

bool takeMarks(ReportClass* report, const std::string& path) {
  ReportGrading& g = report->Grading;
  CsvTable sheet;
  if (!readCsvInput(path, "marks sheet", &sheet))
    return false;
  std::vector<SheetFile> files(report->Files.size());
  for (size_t f = 0; f < report->Files.size(); ++f) {
    const CompletedFile& file = report->Files[f];
    files[f].Path = file.Path;
    files[f].Identifier = file.HasName ? lowered(file.StudentId) : "";
    files[f].Attempt = g.AttemptOf[f];
    files[f].NotScored = !g.NotScored[f].empty() ? g.NotScored[f]
                                                 : "not graded: " + xmcVerdictText(file.Verdict);
  }
  std::vector<std::string> errors;
  if (!takeMarksSheet(sheet, g.Key, files, &g.Scores, &g.Marks, &errors)) {
    refuse(path, errors);
    return false;
  }
  g.MarksGiven = true;
  g.MarksName = path.substr(fileNameStart(path));
  return true;
}

void makeRoll(ReportClass* report) {
  ReportGrading& g = report->Grading;
  g.RollFiles.resize(report->Files.size());
  for (size_t f = 0; f < report->Files.size(); ++f) {
    const CompletedFile& file = report->Files[f];
    RollFile& roll = g.RollFiles[f];
    if (file.HasName) {
      roll.Identifier = lowered(file.StudentId);
      roll.StudentName = file.StudentName;
    }
    roll.Verdict = *g.VerdictTexts
                        .insert(g.Keyed && !g.NotScored[f].empty()
                                    ? g.NotScored[f].substr(strlen("not graded: "))
                                    : xmcVerdictText(file.Verdict))
                        .first;
    if (file.Read && file.HasStart && file.EndKnown && file.LateSeconds > 0)
      roll.Late = formatHoursMinutesSeconds(static_cast<uint64_t>(file.LateSeconds));
  }
  g.Roll = makeClassRoll(g.RollFiles, g.Scores, g.HasRoster ? &g.RosterList : nullptr);
  // The roll now holds all the roster said (who is on it, and their names): a large
  // roster is not kept twice.
  g.RosterList = Roster();
  for (size_t s = 0; s < g.Roll.size(); ++s)
    if (g.Roll[s].Files.empty())
      g.Missing.push_back(s);
}

// What the flags need of one file.
FileFacts factsOf(const CompletedFile& file, const ReportGrading& g,
                  const std::vector<std::string_view>& onRoster) {
  FileFacts fact;
  if (!file.Read)
    return fact;
  fact.HasStart = file.HasStart && readStampSeconds(file.StartTime, &fact.Start);
  if (file.HasName) {
    fact.Identifier = lowered(file.StudentId);
    std::string named;
    if (identifierInResultFileName(file.Path, &named))
      fact.NameIdentifier = lowered(named);
    fact.OffRoster = g.HasRoster && !std::binary_search(onRoster.begin(), onRoster.end(),
                                                        std::string_view(fact.Identifier));
  }
  fact.HasExamCount = file.HasExamCount;
  fact.ExamCount = file.ExamCount;
  return fact;
}

void findFlags(ReportClass* report, const GradingOptions& options) {
  ReportGrading& g = report->Grading;
  // The roster's identifiers in order, as views of the roll's own: a search costs no
  // copy of a large roster.
  std::vector<std::string_view> onRoster;
  for (const RollStudent& s : g.Roll)
    if (s.OnRoster)
      onRoster.push_back(s.Identifier);
  std::sort(onRoster.begin(), onRoster.end());
  // The class's median start first, then each file's facts one at a time: a large class's
  // facts are never all held at once.
  std::vector<int64_t> starts;
  for (const CompletedFile& file : report->Files) {
    int64_t start;
    if (file.Read && file.HasStart && readStampSeconds(file.StartTime, &start))
      starts.push_back(start);
  }
  ClassContext context;
  context.Window = options.HasWindow ? &options.Window : nullptr;
  context.HasMedian = medianStart(std::move(starts), &context.MedianStart);
  g.Flags.resize(report->Files.size());
  for (size_t f = 0; f < report->Files.size(); ++f) {
    g.Flags[f] = fileFlags(factsOf(report->Files[f], g, onRoster), context);
    if (!g.Flags[f].empty())
      ++g.Flagged;
  }
  if (g.Keyed)
    g.Shared = findSharedAnswers(g.Key, g.Scores, [&](size_t a, size_t i) {
      return answerOfItem(*report, a, i);
    });
}

std::string studentOf(const CompletedFile& f) {
  return f.StudentName + " (" + f.StudentId + ")";
}

}  // namespace

bool gradeClass(ReportClass* report, const GradingOptions& options) {
  ReportGrading& g = report->Grading;
  g.Rule = options.Rule;
  if (!options.RosterPath.empty()) {
    CsvTable table;
    if (!readCsvInput(options.RosterPath, "roster", &table))
      return false;
    std::vector<std::string> errors;
    if (!readRoster(table, &g.RosterList, &errors)) {
      refuse(options.RosterPath, errors);
      return false;
    }
    g.HasRoster = true;
  }
  if (!options.ExamPath.empty()) {
    std::string text, error;
    if (!readInput(options.ExamPath, "exam text", &text))
      return false;
    if (!readExamKey(text, &g.Key, &error)) {
      refuse(options.ExamPath, {error});
      return false;
    }
    g.Keyed = true;
    g.ExamName = options.ExamPath.substr(fileNameStart(options.ExamPath));
    scoreFiles(report);
    if (!options.MarksPath.empty() && !takeMarks(report, options.MarksPath))
      return false;
    chooseAttempts(g.Key, options.Rule, &g.Scores);
    g.Figures = analyzeItems(g.Key, g.Scores);
  }
  makeRoll(report);
  findFlags(report, options);
  return true;
}

std::string_view answerOfItem(const ReportClass& report, size_t attempt, size_t item) {
  const ReportGrading& g = report.Grading;
  const CompletedFile& file = report.Files[g.Scores.Attempts[attempt].File];
  return answerOf(file, g.QuestionOfItem[static_cast<size_t>(file.Exam)][item]);
}

bool isScored(const ReportClass& report, size_t file) {
  const ReportGrading& g = report.Grading;
  return g.Keyed && g.AttemptOf[file] >= 0;
}

AttemptTotals totalsOfFile(const ReportClass& report, size_t file) {
  const ReportGrading& g = report.Grading;
  return totalsOf(g.Key, g.Scores, static_cast<size_t>(g.AttemptOf[file]));
}

const char* const GradingColumns[6] = {"by key", "by graders", "to mark", "score", "max", "graded"};

std::vector<std::string> gradingCells(const ReportClass& report, size_t file) {
  const ReportGrading& g = report.Grading;
  std::vector<std::string> cells(6);
  if (!isScored(report, file)) {
    cells[5] = g.NotScored[file].empty() ? "no" : "no, " + g.NotScored[file].substr(strlen("not graded: "));
    return cells;
  }
  const Attempt& attempt = g.Scores.Attempts[static_cast<size_t>(g.AttemptOf[file])];
  AttemptTotals t = totalsOfFile(report, file);
  cells[0] = formatPoints(t.Key);
  cells[1] = formatPoints(t.Grader);
  cells[2] = formatPoints(t.ToMark);
  // Only a total with every mark in is a score.
  cells[3] = t.complete() ? formatPoints(t.score()) : "";
  cells[4] = t.MaxKnown ? formatPoints(t.Max) : "";
  cells[5] = attempt.Graded ? "yes" : "no, " + attempt.NotGraded.substr(strlen("not graded: "));
  return cells;
}

std::string sheetPoints(const ReportClass& report, size_t file, size_t item) {
  if (!isScored(report, file))
    return "";
  const ReportGrading& g = report.Grading;
  const Mark& mark = g.Scores.marksOf(static_cast<size_t>(g.AttemptOf[file]))[item];
  if (mark.State == MarkState::NotAsked || mark.State == MarkState::ToMark)
    return "";
  return formatPoints(mark.Points);
}

std::string sharedAnswersText(const ReportClass& report, const SharedAnswers& pair) {
  const ReportGrading& g = report.Grading;
  const CompletedFile& a = report.Files[g.Scores.Attempts[pair.First].File];
  const CompletedFile& b = report.Files[g.Scores.Attempts[pair.Second].File];
  std::string items;
  bool wrong = false, long_ = false;
  for (uint32_t i : pair.Items) {
    items += (items.empty() ? "" : ", ") + g.Key.Items[i].Number;
    (g.Key.Items[i].Answers.empty() ? long_ : wrong) = true;
  }
  std::string why = wrong && long_ ? "the same wrong answers, and the same answers of " +
                                         std::to_string(LongAnswerLength) + " characters or more"
                    : wrong ? "the same wrong answers"
                            : "the same answers of " + std::to_string(LongAnswerLength) +
                                  " characters or more";
  return studentOf(a) + " and " + studentOf(b) + " share " + std::to_string(pair.Items.size()) +
         " answers: " + items + " (" + why + ", each given by at most " +
         std::to_string(RareAnswerStudents) + " graded students)";
}

std::vector<std::string> gradingSummary(const ReportClass& report) {
  const ReportGrading& g = report.Grading;
  std::vector<std::string> lines;
  if (!g.Keyed)
    return lines;
  int graded = 0, others = 0, toMarkStudents = 0, toMarkAnswers = 0;
  for (size_t a = 0; a < g.Scores.Attempts.size(); ++a) {
    if (!g.Scores.Attempts[a].Graded) {
      ++others;
      continue;
    }
    ++graded;
    AttemptTotals t = totalsOf(g.Key, g.Scores, a);
    if (!t.complete()) {
      ++toMarkStudents;
      toMarkAnswers += t.ItemsToMark;
    }
  }
  std::string line = "Graded against " + g.ExamName + ": " + std::to_string(graded) +
                     " students, one whole file each (--attempt " + attemptRuleName(g.Rule) + ")";
  if (others > 0)
    line += "; " + std::to_string(others) + " other whole " + (others == 1 ? "file" : "files") +
            " of theirs not graded";
  size_t notScored = 0;
  for (size_t f = 0; f < report.Files.size(); ++f)
    if (!isScored(report, f))
      ++notScored;
  if (notScored > 0)
    line += "; " + std::to_string(notScored) + (notScored == 1 ? " file" : " files") +
            " not graded (see the graded column)";
  lines.push_back(line + ".");
  if (g.MarksGiven)
    lines.push_back("Graders' marks taken from " + g.MarksName + ": " + std::to_string(g.Marks.Taken) + ".");
  for (const std::string& note : g.Marks.Notes)
    lines.push_back("  " + g.MarksName + ": " + note);
  if (toMarkStudents > 0)
    lines.push_back("Still to mark by hand: " + std::to_string(toMarkAnswers) + " answers of " +
                    std::to_string(toMarkStudents) +
                    " students; fill their points in the answers sheet (--answers) and give it "
                    "back with --marks. Until then those students have no score.");
  const TestFigures& t = g.Figures.Test;
  if (t.HasTotals) {
    std::string figures;
    for (const FigureLine& f : testFigureLines(g.Key, t))
      if (f.Name != "students")
        figures += (figures.empty() ? "" : ", ") + f.Name + " " + (f.Value.empty() ? "not computed" : f.Value);
    lines.push_back("The test: " + figures + (t.Unmarked.empty() ? "" : " (over the questions marked for every student)") +
                    "; --items says how each is computed.");
  }
  return lines;
}

std::vector<std::string> flagLines(const ReportClass& report) {
  const ReportGrading& g = report.Grading;
  std::vector<std::string> lines;
  for (const SharedAnswers& pair : g.Shared)
    lines.push_back(sharedAnswersText(report, pair));
  for (size_t f = 0; f < report.Files.size(); ++f)
    for (const std::string& flag : g.Flags[f])
      lines.push_back(report.Files[f].Path + ": " + flag);
  return lines;
}
