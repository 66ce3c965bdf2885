// Things worth a look in a class's files, each raised by a rule a reader can check
// against the files, and worded as what the files show, never as what a student did.
//
// Shared answers: two graded students whose final answers agree, on at least
// SharedAnswersFlagged questions, in answers that say something: a wrong answer to a keyed
// question (one the key, or a grader, gave less than full points), or an answer of
// LongAnswerLength characters or more to a question marked by hand; and only answers
// that RareAnswerStudents graded students or fewer gave (a common mistake says little).
// Answers are compared as the key compares them (blanks trimmed, letter case ignored,
// runs of blanks as one). The search buckets answers by question and text, so it takes
// time and memory in proportion to the answers, never to the pairs of students.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "grading/class_scores.h"
#include "grading/class_time.h"

constexpr int SharedAnswersFlagged = 3;
constexpr int RareAnswerStudents = 5;
constexpr size_t LongAnswerLength = 20;

// The rule in words, as the outputs state it.
std::string sharedAnswersRule();

struct SharedAnswers {
  size_t First = 0, Second = 0;  // attempts, First < Second
  std::vector<uint32_t> Items;   // the key items they agree on, in exam order
};

// A graded attempt's final answer to an item (empty for none); the caller keeps them.
using AnswerLookup = std::function<std::string_view(size_t attempt, size_t item)>;

// Every pair of graded attempts the rule flags, the pair with the most shared answers
// first.
std::vector<SharedAnswers> findSharedAnswers(const ExamKey& key, const ClassScores& scores,
                                             const AnswerLookup& answerOf);

// Whether the answer counts for the rule: a wrong answer to a keyed item, or a long one
// to an item marked by hand. normalized is the answer as normalizedAnswer makes it.
bool answerSaysSomething(const KeyedItem& item, const Mark& mark, const std::string& normalized);

// What the class model knows of a file for the flags that concern it alone.
struct FileFacts {
  bool HasStart = false;
  int64_t Start = 0;           // readStampSeconds of its start stamp
  std::string Identifier;      // inside the file, lower case; empty when none
  std::string NameIdentifier;  // the one its file name carries; empty when none
  bool HasExamCount = false;
  int ExamCount = 0;
  bool OffRoster = false;      // a roster was given and the identifier is not on it
};

struct ClassContext {
  const SittingWindow* Window = nullptr;  // --window, when given
  bool HasMedian = false;
  int64_t MedianStart = 0;
};

// The median of the starts (the earlier of the two middle ones for an even count, so
// that it is a start some file has); false for none.
bool medianStart(std::vector<int64_t> starts, int64_t* median);

// The flags of one file, each saying why it was raised; none, an empty list.
std::vector<std::string> fileFlags(const FileFacts& file, const ClassContext& context);
