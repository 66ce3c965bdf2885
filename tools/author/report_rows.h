// veritor-author report: the class as its outputs see it, a record per completed-exam
// file, and the ways it is written out (the table, its CSV, the answers sheet and the
// class page). Each writer escapes for its medium in one place.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "report_grading.h"
#include "result/completed_file.h"

// A question column of the answers sheet and the page: a question number of the class's
// exams, with the question as the first exam that has it lists it.
struct ReportQuestion {
  const XmcExamQuestion* Question = nullptr;
};

struct ReportClass {
  std::vector<CompletedFile> Files;  // sorted by student name, then identifier and path
  std::vector<CompletedExam> Exams;
  std::vector<ReportQuestion> Questions;  // in the order of the exam text
  // The files of each identifier (in lower case), for the notes: ByIdentifier holds the
  // files' indexes in runs of one identifier; a file's run starts at RunStart[file] and
  // holds RunSize[file] files.
  std::vector<uint32_t> ByIdentifier, RunStart, RunSize;
  // Scores, the roster, item figures and flags (report_grading.h).
  ReportGrading Grading;
};

// Sorts the files, lays out the question columns and finds the files of one identifier.
void prepareClass(ReportClass* report);

// "same identifier as 2 other files: a.xmc, b.xmc"; "exam opened 3 times": what deserves
// a look, with at most three of the other files named.
std::string noteOf(const ReportClass& report, size_t file);

// The table's columns as the text table and the page head them, and its cells. The CSV
// has its own, with the times also as seconds.
constexpr int ReportColumnCount = 15;
extern const char* const ReportColumns[ReportColumnCount];
enum ReportColumn {
  FileColumn, StudentColumn, IdentifierColumn, ExamColumn, StartColumn, FinishColumn,
  UsedColumn, LateColumn, ClosedColumn, AnsweredColumn, SkipsColumn, EndedColumn,
  CountColumn, VerdictColumn, NoteColumn
};
std::vector<std::string> reportCells(const ReportClass& report, size_t file);

// The table as the text table and the CSV write it: the columns above, then, when the
// class is scored, the grading columns; a row per file, then a row per student of the
// roster who handed in no file.
std::vector<std::string> tableHeadings(const ReportClass& report,
                                       const std::vector<std::string>& columns);
std::vector<std::string> withGradingCells(const ReportClass& report, size_t file,
                                          std::vector<std::string> cells);
std::vector<std::string> missingStudentRow(const ReportClass& report, size_t rollIndex,
                                           size_t columns);

// The answer of the file to the question of that column; empty when it gave none.
std::string answerInColumn(const ReportClass& report, size_t file, size_t column);

// Writers; false when the output could not be written.
bool writeReportTable(FILE* out, const ReportClass& report);
bool writeReportCsv(FILE* out, const ReportClass& report);
bool writeAnswersCsv(FILE* out, const ReportClass& report);
bool writeGradebookCsv(FILE* out, const ReportClass& report);
bool writeItemsCsv(FILE* out, const ReportClass& report);
bool writeReportHtml(FILE* out, const ReportClass& report, const std::string& title);
