#include "grading/class_scores.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

#include "grading/answer_match.h"

void scoreAnswers(const ExamKey& key, const std::vector<ItemAnswer>& answers, Mark* marks) {
  for (size_t i = 0; i < key.Items.size(); ++i) {
    const KeyedItem& item = key.Items[i];
    Mark& mark = marks[i];
    mark = Mark();
    if (i >= answers.size() || !answers[i].Asked)
      continue;
    if (answers[i].Answer.empty()) {
      mark.State = MarkState::NoAnswer;
      continue;
    }
    if (item.Answers.empty()) {
      mark.State = MarkState::ToMark;
      continue;
    }
    KeyMark byKey = markWithKey(item, answers[i].Answer);
    mark.Letter = byKey.Letter;
    if (!byKey.Decided) {
      mark.State = MarkState::ToMark;
      continue;
    }
    mark.State = MarkState::Key;
    mark.Points = static_cast<float>(item.Points * byKey.Percent / 100.0);
  }
}

size_t ClassScores::addAttempt(const Attempt& attempt) {
  Attempts.push_back(attempt);
  Marks.resize(Marks.size() + Items);
  return Attempts.size() - 1;
}

AttemptTotals totalsOf(const ExamKey& key, const ClassScores& scores, size_t attempt) {
  AttemptTotals totals;
  const Mark* marks = scores.marksOf(attempt);
  for (size_t i = 0; i < scores.Items; ++i) {
    const double points = key.Items[i].Points;
    switch (marks[i].State) {
      case MarkState::NotAsked:
        continue;
      case MarkState::Key:
      case MarkState::NoAnswer:
        totals.Key += marks[i].Points;
        break;
      case MarkState::Grader:
        totals.Grader += marks[i].Points;
        break;
      case MarkState::ToMark:
        totals.ToMark += points;
        ++totals.ItemsToMark;
        break;
    }
    totals.Max += points;
  }
  return totals;
}

std::string formatPoints(double points) {
  char text[32];
  snprintf(text, sizeof text, "%.2f", points);
  std::string out = text;
  while (out.back() == '0')
    out.pop_back();
  if (out.back() == '.')
    out.pop_back();
  return out == "-0" ? "0" : out;
}

std::string formatPointsWithUnit(double points) {
  std::string number = formatPoints(points);
  return number + (number == "1" ? " point" : " points");
}

bool readAttemptRule(std::string_view text, AttemptRule* rule) {
  if (text == "last")
    *rule = AttemptRule::Last;
  else if (text == "first")
    *rule = AttemptRule::First;
  else if (text == "best")
    *rule = AttemptRule::Best;
  else
    return false;
  return true;
}

const char* attemptRuleName(AttemptRule rule) {
  switch (rule) {
    case AttemptRule::Last: return "last";
    case AttemptRule::First: return "first";
    case AttemptRule::Best: return "best";
  }
  return "";
}

namespace {

struct Standing {
  double Share = 0;  // of the points asked, scored so far
  int64_t Start = 0;
  uint32_t File = 0;
};

// Whether a counts before b by the rule: the attempt that counts comes first.
bool before(AttemptRule rule, const Standing& a, const Standing& b) {
  if (rule == AttemptRule::Best && a.Share != b.Share)
    return a.Share > b.Share;
  if (a.Start != b.Start)
    return rule == AttemptRule::First ? a.Start < b.Start : a.Start > b.Start;
  return rule == AttemptRule::First ? a.File < b.File : a.File > b.File;
}

std::string whyNotGraded(AttemptRule rule, const Attempt& graded) {
  switch (rule) {
    case AttemptRule::Last:
      return "not graded: a later attempt of " + graded.Identifier + " is (--attempt last)";
    case AttemptRule::First:
      return "not graded: an earlier attempt of " + graded.Identifier + " is (--attempt first)";
    case AttemptRule::Best:
      return "not graded: another attempt of " + graded.Identifier +
             " scored a larger share (--attempt best)";
  }
  return "";
}

}  // namespace

void chooseAttempts(const ExamKey& key, AttemptRule rule, ClassScores* scores) {
  std::vector<Attempt>& attempts = scores->Attempts;
  std::vector<Standing> standing(attempts.size());
  for (size_t a = 0; a < attempts.size(); ++a) {
    AttemptTotals totals = totalsOf(key, *scores, a);
    standing[a] = {totals.Max > 0 ? totals.score() / totals.Max : 0, attempts[a].Start,
                   attempts[a].File};
  }
  std::vector<uint32_t> order(attempts.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    if (attempts[a].Identifier != attempts[b].Identifier)
      return attempts[a].Identifier < attempts[b].Identifier;
    return before(rule, standing[a], standing[b]);
  });
  size_t lead = 0;  // the graded attempt of the current identifier, in order
  for (size_t k = 0; k < order.size(); ++k) {
    Attempt& attempt = attempts[order[k]];
    if (k == 0 || attempts[order[k - 1]].Identifier != attempt.Identifier)
      lead = k;
    attempt.Graded = lead == k;
    attempt.NotGraded = attempt.Graded ? "" : whyNotGraded(rule, attempts[order[lead]]);
  }
}
