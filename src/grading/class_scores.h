// The class as grading sees it: the key's items (every question and sub-question, as the
// exam text numbers them) and, for each completed file that can be graded, one mark per
// item. Marks sit in one array, a row per attempt, so that a class of any size takes
// memory in proportion to its files and questions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "format/answer_key.h"

enum class MarkState : uint8_t {
  NotAsked,  // the item was not in this student's session (a pool, the question limit)
  Key,       // scored by the key
  NoAnswer,  // no answer given: 0, whoever would have marked it
  ToMark,    // waits for a grader: marked by hand, or an answer the key cannot read
  Grader,    // a grader's mark, taken from the answers sheet
};

struct Mark {
  float Points = 0;
  MarkState State = MarkState::NotAsked;
  char Letter = 0;  // a choice question's answer read as a letter ('a'...), else 0
};

// What one file says of one item: whether it was asked, and the final answer (empty
// when the student gave none: no answer, #skip left standing, or the program's no-answer
// mark).
struct ItemAnswer {
  bool Asked = false;
  std::string_view Answer;
};

// The marks of one file's answers; answers and marks have one entry per key item.
void scoreAnswers(const ExamKey& key, const std::vector<ItemAnswer>& answers, Mark* marks);

// Which items a session asked. The file names the questions it presented; a session that
// ended early (#done, the time) lists more entries in its summary than it presented, and
// those are placed by the exam's structure: every question outside a pool, one question
// of each pool, all the sub-questions of a question. Which question of a pool was asked
// and never shown, the file cannot tell: its points count in the max, under no item.
struct SessionItems {
  std::vector<bool> Asked;  // per key item
  double UnplacedMax = 0;   // points of pool questions asked but never presented
  // False when the entries cannot be placed (a question limit left some questions out,
  // or pool questions of different points): the max is then not known.
  bool MaxKnown = true;
};
// presented: per key item; entries: the session's entries as its summary counts them, or
// -1 for a file without its summary.
SessionItems placeSession(const ExamKey& key, const std::vector<bool>& presented, int entries);

// A graded file's attempt: one per completed file that can be graded.
struct Attempt {
  uint32_t File = 0;       // the caller's index of the file
  std::string Identifier;  // the student's, from inside the file, in lower case
  int64_t Start = 0;       // the start stamp, in seconds (see class_time.h)
  double UnplacedMax = 0;  // SessionItems of its session
  bool MaxKnown = true;
  bool Graded = false;     // the attempt that counts for its student
  std::string NotGraded;   // why not, for the others
};

struct ClassScores {
  size_t Items = 0;
  std::vector<Attempt> Attempts;
  std::vector<Mark> Marks;  // Attempts.size() rows of Items marks

  // Adds an attempt with a row of marks, all NotAsked; returns its index.
  size_t addAttempt(const Attempt& attempt);
  Mark* marksOf(size_t attempt) { return Marks.data() + attempt * Items; }
  const Mark* marksOf(size_t attempt) const { return Marks.data() + attempt * Items; }
};

struct AttemptTotals {
  double Key = 0;     // points given without a grader
  double Grader = 0;  // points graders gave
  double ToMark = 0;  // points of the items still to mark
  int ItemsToMark = 0;
  double Max = 0;     // points of the items asked
  bool MaxKnown = true;
  double score() const { return Key + Grader; }
  bool complete() const { return ItemsToMark == 0; }
};

AttemptTotals totalsOf(const ExamKey& key, const ClassScores& scores, size_t attempt);

// Points as the outputs write them: at most two decimals, no trailing zeros ("2.5", "3").
std::string formatPoints(double points);
// With its unit: "1 point", "2.5 points".
std::string formatPointsWithUnit(double points);

// Which of several whole files of one identifier is graded.
enum class AttemptRule { Last, First, Best };

// "last", "first" or "best"; false for anything else.
bool readAttemptRule(std::string_view text, AttemptRule* rule);
const char* attemptRuleName(AttemptRule rule);

// Marks one attempt of each identifier graded, by the rule: last or first by start time,
// or best by the share of its points scored so far (key and graders' marks), a tie going
// to the later start; equal starts go to the later file. The others are told why not.
void chooseAttempts(const ExamKey& key, AttemptRule rule, ClassScores* scores);
