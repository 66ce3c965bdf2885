// The students of a class, one each: every identifier a file was written for, and every
// one on the roster. The gradebook and the page list them; each has its graded attempt,
// or says why it has none.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "grading/class_scores.h"
#include "grading/roster.h"

// A file the report read, as the roll needs it. The name and the verdict are views of
// texts the caller keeps for as long as the roll (the file's own record, and one copy of
// each distinct verdict): a class of 100,000 files holds them once, not twice.
struct RollFile {
  std::string Identifier;        // inside the file, lower case; empty when it names none
  std::string_view StudentName;  // "Last, First", as the program joined them
  std::string_view Verdict;      // its verdict, or why else it is not graded (another exam)
  std::string Late;              // how late the session ended, as h:mm:ss; empty when on time
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

// The gradebook a learning-management system imports: its header, and a row per student
// of the roll. Score and percent stay empty while marks are still to give (the verdict
// says how many points), and for a student with no graded file.
extern const char* const GradebookColumns[8];
std::vector<std::string> gradebookRow(const ExamKey& key, const ClassScores& scores,
                                      const std::vector<RollFile>& files, const RollStudent& student);
