// The graders' round trip: the answers sheet report writes has, beside each question's
// answer column ("4.a"), a points column ("4.a points"), filled where the key scored the
// answer and empty where a grader must mark it. Graders fill it in a spreadsheet and the
// sheet comes back: in any row order, with LF or CR LF, a byte order mark, quoted or not,
// ';' between fields and decimal commas. Rows are found by their file (the path, or the
// file name with the identifier), never by their place.
#pragma once

#include <string>
#include <vector>

#include "grading/class_scores.h"
#include "grading/csv_table.h"

// The heading of an item's points column.
std::string pointsHeading(const std::string& itemNumber);

// A file the report read, as the sheet's rows name it.
struct SheetFile {
  std::string Path;
  std::string Identifier;  // lower case; empty when the file names no student
  long Attempt = -1;       // its attempt in the scores; -1 when it is not scored
  std::string NotScored;   // why not, when it is not
};

struct SheetReading {
  int Taken = 0;                   // graders' marks taken
  std::vector<std::string> Notes;  // marks the sheet holds that were not taken, and why
};

// Takes the graders' marks into the scores. A sheet of another exam (question columns
// that are not this exam's, or a question without its points column) is refused as a
// whole; so is a sheet with a mark above its question's points or below 0, a mark for a
// question the student was not asked, or a row whose identifier or file is none of the
// files read: then *errors names each (row and column) and nothing is taken.
bool takeMarksSheet(const CsvTable& sheet, const ExamKey& key, const std::vector<SheetFile>& files,
                    ClassScores* scores, SheetReading* reading, std::vector<std::string>* errors);
