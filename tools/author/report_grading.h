// veritor-author report grading a class: the class model (src/grading/) fed from the
// completed files. The key comes from the exam text, each whole file of that exam is
// scored from its final answers, graders' marks come back from the answers sheet, one
// attempt is graded per student, the roster adds those who handed nothing in, and the
// item analysis and the flags are found. The writers read what it leaves here.
#pragma once

#include <string>
#include <unordered_set>
#include <vector>

#include "grading/class_roll.h"
#include "grading/integrity_flags.h"
#include "grading/item_analysis.h"
#include "grading/marks_sheet.h"

struct ReportClass;

struct GradingOptions {
  std::string ExamPath, MarksPath, RosterPath;
  AttemptRule Rule = AttemptRule::Last;
  bool HasWindow = false;
  SittingWindow Window;
};

struct ReportGrading {
  bool Keyed = false;  // an exam text was given: the files are scored
  std::string ExamName;  // the exam text's file name, as the outputs name it
  AttemptRule Rule = AttemptRule::Last;
  ExamKey Key;
  ClassScores Scores;
  std::vector<long> AttemptOf;         // per file: its attempt in Scores, -1 when not scored
  std::vector<std::string> NotScored;  // per file: why a whole file is not scored
  // Per exam of the class: the exam's question index of each key item, where the exam is
  // the text's; empty for another exam.
  std::vector<std::vector<uint32_t>> QuestionOfItem;
  bool HasRoster = false;
  Roster RosterList;
  std::vector<RollFile> RollFiles;  // per file
  std::unordered_set<std::string> VerdictTexts;  // each verdict of RollFiles, once
  std::vector<RollStudent> Roll;
  std::vector<size_t> Missing;      // in Roll: students on the roster with no file
  bool MarksGiven = false;
  std::string MarksName;
  SheetReading Marks;
  ClassFigures Figures;
  std::vector<SharedAnswers> Shared;
  std::vector<std::vector<std::string>> Flags;  // per file
  int Flagged = 0;                              // files with a flag
};

// Grades the class the report has read and sorted. False, after saying why on the error
// stream, when the exam text, the roster or the marks sheet is refused: then nothing is
// written.
bool gradeClass(ReportClass* report, const GradingOptions& options);

// The final answer of a graded or scored attempt to a key item; empty for none.
std::string_view answerOfItem(const ReportClass& report, size_t attempt, size_t item);

// Whether the file is scored, and its attempt's totals.
bool isScored(const ReportClass& report, size_t file);
AttemptTotals totalsOfFile(const ReportClass& report, size_t file);

// The table's grading columns and a file's cells in them: by key, by graders, to mark,
// score, max, graded.
extern const char* const GradingColumns[6];
std::vector<std::string> gradingCells(const ReportClass& report, size_t file);

// The mark of a file's item as the answers sheet's points column shows it: the points
// given, empty where a grader must mark it or it was not asked.
std::string sheetPoints(const ReportClass& report, size_t file, size_t item);

// "Chen, Cara (ccc103) and Diaz, Dan (ddd104) share 3 answers: 2, 3, 4.b (...)".
std::string sharedAnswersText(const ReportClass& report, const SharedAnswers& pair);

// The lines after the table: how the grading went (graded, still to mark, marks taken and
// the notes on them, the test's figures), then the things to look at, each with why.
std::vector<std::string> gradingSummary(const ReportClass& report);
std::vector<std::string> flagLines(const ReportClass& report);
