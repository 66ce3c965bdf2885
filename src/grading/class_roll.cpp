#include "grading/class_roll.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <unordered_map>

#include "format/ascii_case.h"

std::vector<RollStudent> makeClassRoll(const std::vector<RollFile>& files, const ClassScores& scores,
                                       const Roster* roster) {
  // Each identifier is numbered once, in the order met, before the roll is made, so that
  // the roll of a large class is allocated once at its size. The keys are views of the
  // roster's, the files' and the attempts' own identifiers, which outlive this function.
  std::unordered_map<std::string_view, size_t> at;
  at.reserve(files.size() + (roster ? roster->Students.size() : 0));
  auto number = [&](std::string_view identifier) { at.emplace(identifier, at.size()); };
  if (roster)
    for (const RosterStudent& s : roster->Students)
      number(s.Identifier);
  for (const RollFile& file : files)
    if (!file.Identifier.empty())
      number(file.Identifier);
  for (const Attempt& attempt : scores.Attempts)
    if (attempt.Graded)
      number(attempt.Identifier);
  std::vector<RollStudent> roll(at.size());
  for (const auto& [identifier, index] : at)
    roll[index].Identifier = identifier;
  auto studentOf = [&](std::string_view identifier) -> RollStudent& {
    return roll[at.find(identifier)->second];
  };
  if (roster)
    for (const RosterStudent& s : roster->Students) {
      RollStudent& student = studentOf(s.Identifier);
      student.OnRoster = true;
      student.LastName = s.LastName;
      student.FirstName = s.FirstName;
    }
  for (size_t f = 0; f < files.size(); ++f) {
    if (files[f].Identifier.empty())
      continue;
    RollStudent& student = studentOf(files[f].Identifier);
    student.Files.push_back(f);
    // The name the student typed, where the roster gives none.
    if (student.LastName.empty() && student.FirstName.empty())
      splitStudentName(std::string(files[f].StudentName), &student.LastName, &student.FirstName);
  }
  for (size_t a = 0; a < scores.Attempts.size(); ++a)
    if (scores.Attempts[a].Graded)
      studentOf(scores.Attempts[a].Identifier).Attempt = static_cast<long>(a);
  for (RollStudent& student : roll) {
    if (student.Attempt >= 0)
      continue;
    if (student.Files.empty()) {
      student.NoGrade = "no file handed in";
      continue;
    }
    const RollFile& last = files[student.Files.back()];
    student.NoGrade = std::string("not graded: ").append(last.Verdict);
    if (student.Files.size() > 1)
      student.NoGrade += " (and " + std::to_string(student.Files.size() - 1) +
                         (student.Files.size() == 2 ? " other file)" : " other files)");
  }
  std::sort(roll.begin(), roll.end(), [](const RollStudent& a, const RollStudent& b) {
    std::string la = lowered(a.LastName), lb = lowered(b.LastName);
    if (la != lb)
      return la < lb;
    std::string fa = lowered(a.FirstName), fb = lowered(b.FirstName);
    if (fa != fb)
      return fa < fb;
    return a.Identifier < b.Identifier;
  });
  return roll;
}

const char* const GradebookColumns[8] = {"identifier", "last name", "first name", "score",
                                         "max",        "percent",   "late",       "verdict"};

std::vector<std::string> gradebookRow(const ExamKey& key, const ClassScores& scores,
                                      const std::vector<RollFile>& files, const RollStudent& student) {
  std::vector<std::string> row = {student.Identifier, student.LastName, student.FirstName, "", "",
                                  "", "", student.NoGrade};
  if (student.Attempt < 0)
    return row;
  const size_t attempt = static_cast<size_t>(student.Attempt);
  const RollFile& file = files[scores.Attempts[attempt].File];
  AttemptTotals totals = totalsOf(key, scores, attempt);
  row[4] = formatPoints(totals.Max);
  row[6] = file.Late;
  row[7] = file.Verdict;
  if (!totals.complete()) {
    row[7] += "; still to mark by hand: " + formatPointsWithUnit(totals.ToMark);
    return row;
  }
  row[3] = formatPoints(totals.score());
  if (!totals.MaxKnown) {
    row[4].clear();
    row[7] += "; max not known: the file does not show which questions the session would "
              "have asked after those it presented";
  } else if (totals.Max > 0) {
    row[5] = formatPoints(100 * totals.score() / totals.Max);
  }
  return row;
}
