// The students of a class, one each: every identifier a file was written for, and every
// one on the roster. The gradebook and the page list them; each has its graded attempt,
// or says why it has none.
#pragma once

#include <string>
#include <vector>

#include "grading/class_scores.h"
#include "grading/roster.h"

// A file the report read, as the roll needs it.
struct RollFile {
  std::string Identifier;   // inside the file, lower case; empty when it names none
  std::string StudentName;  // "Last, First", as the program joined them
  std::string Verdict;      // why the file is not graded: its verdict, or another exam
};

struct RollStudent {
  std::string Identifier, LastName, FirstName;
  long Attempt = -1;   // the graded attempt in the scores; -1 when none
  std::vector<size_t> Files;  // the files written for the identifier
  bool OnRoster = false;
  // Why the student has no grade: "no file handed in", "not graded: cut short: ...".
  std::string NoGrade;
};

// The roll, by last name, first name and identifier. roster may be null.
std::vector<RollStudent> makeClassRoll(const std::vector<RollFile>& files, const ClassScores& scores,
                                       const Roster* roster);
