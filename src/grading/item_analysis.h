// How each question worked, and the test as a whole, over the graded attempts only (one
// per student). Every figure is one a reader can recompute from the answers sheet:
//
//   facility        the item's mean score divided by its points
//   discrimination  the corrected item-total correlation: the Pearson correlation of the
//                   item's score with the student's total less that score, over the
//                   students asked the item
//   alpha           Cronbach's alpha, population variances, over parts: each question or
//                   sub-question outside a pool is a part, and each pool is one part (the
//                   score of whichever of its questions the student was asked), over the
//                   students asked every part
//
// A total counts only the items every graded student asked has a mark for: an item with
// marks still to give would make totals that change when they come.
#pragma once

#include <string>
#include <vector>

#include "grading/class_scores.h"

struct ItemFigures {
  int Asked = 0;   // graded attempts asked the item
  int Marked = 0;  // of them, with a mark so far
  bool HasMean = false, HasFacility = false, HasDiscrimination = false;
  double Mean = 0, Facility = 0, Discrimination = 0;
  std::string Note;            // why a figure is missing, or how far marking has come
  std::vector<int> Chosen;     // a choice question's: per letter of its Letters
  std::string KeyedLetters;    // the letters the key gives full credit
  std::vector<std::string> Hints;  // where the question looks wrong, in plain words
};

struct TestFigures {
  int Graded = 0;              // graded attempts
  std::vector<size_t> Counted; // items in the totals: marked for every student asked
  std::vector<size_t> Unmarked;  // items with marks still to give, left out of totals
  bool HasTotals = false;
  double Mean = 0, Median = 0, Deviation = 0;  // of the totals, in points
  bool HasAlpha = false;
  double Alpha = 0;
  int AlphaParts = 0, AlphaStudents = 0, AlphaLeftOut = 0;
  std::string AlphaNote;       // why there is none
  // Graded attempts by their score's share of their points, in tenths (the last takes
  // 100 %), for those with every mark given; the rest still to mark.
  int Histogram[10] = {};
  int HistogramToMark = 0;
};

struct ClassFigures {
  std::vector<ItemFigures> Items;  // one per key item
  TestFigures Test;
};

ClassFigures analyzeItems(const ExamKey& key, const ClassScores& scores);

// A figure as the outputs print it: "0.83", "-0.12".
std::string formatFigure(double value);

// The lines printed after the item table: the test's figures, each with how it is
// computed or why it could not be. {name, value, how}.
struct FigureLine {
  std::string Name, Value, How;
};
std::vector<FigureLine> testFigureLines(const ExamKey& key, const TestFigures& test);

// How the item figures are computed, for the lines after the table.
std::vector<FigureLine> itemFigureLines();

// The item table as the items CSV holds it: the heading row ("question", "points",
// "asked", "mean", "facility", "discrimination", a column per choice letter any question
// has, "note"), a row per item, an empty row, then "figure", "value", "how it is
// computed" and the figure lines.
std::vector<std::vector<std::string>> itemTable(const ExamKey& key, const ClassFigures& figures);
