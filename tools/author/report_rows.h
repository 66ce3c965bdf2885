// veritor-author report: one row per completed-exam file, and the ways the rows are
// written out (the table, its CSV, the answers sheet and the class page).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "result/xmc_analysis.h"

struct ReportRow {
  std::string Path;
  bool Read = false;  // false: the file could not be read at all, Verdict.Text says why
  XmcAnalysis Analysis;
  XmcVerdict Verdict;
  std::string Note;  // a duplicate identifier, an exam opened more than once
};

// The table's columns, as the text table, the CSV and the page head them.
constexpr int ReportColumnCount = 14;
extern const char* const ReportColumns[ReportColumnCount];
// The cells of a row, in the order of ReportColumns, as read from the file.
std::vector<std::string> reportCells(const ReportRow& row);

// A question column of the answers sheet and the page: every question of the exam text.
std::vector<XmcExamQuestion> classQuestions(const std::vector<ReportRow>& rows);
// The row's final answer to the exam's question of that number; empty when the question
// was not drawn or not presented.
std::string answerTo(const ReportRow& row, const std::string& number);

// Text as valid UTF-8: valid sequences pass, any other byte is read as Latin-1.
std::string toUtf8(const std::string& text);

bool writeReportCsv(FILE* out, const std::vector<ReportRow>& rows);
bool writeAnswersCsv(FILE* out, const std::vector<ReportRow>& rows);
bool writeReportHtml(FILE* out, const std::vector<ReportRow>& rows, const std::string& title);
