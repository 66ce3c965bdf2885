#include "grading/class_scores.h"

#include <algorithm>
#include <cstdio>
#include <map>
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

SessionItems placeSession(const ExamKey& key, const std::vector<bool>& presented, int entries) {
  struct Group {
    std::vector<size_t> Items;
    int Pool = 0;
    bool Presented = false;
    double Points = 0;
  };
  // Questions, each with its sub-questions: "4.a" and "4.b" are question 4's.
  std::vector<Group> groups;
  std::map<std::string, size_t> groupOf;
  for (size_t i = 0; i < key.Items.size(); ++i) {
    const std::string& number = key.Items[i].Number;
    auto [at, added] = groupOf.emplace(number.substr(0, number.find('.')), groups.size());
    if (added)
      groups.emplace_back();
    Group& g = groups[at->second];
    g.Items.push_back(i);
    g.Pool = key.Items[i].Pool;
    g.Presented = g.Presented || presented[i];
    g.Points += key.Items[i].Points;
  }
  SessionItems session;
  session.Asked.assign(key.Items.size(), false);
  std::map<int, bool> poolPlaced;
  int placed = 0;
  for (const Group& g : groups) {
    if (!g.Presented)
      continue;
    for (size_t i : g.Items)
      session.Asked[i] = true;
    placed += static_cast<int>(g.Items.size());
    if (g.Pool != 0)
      poolPlaced[g.Pool] = true;
  }
  if (placed == entries)
    return session;
  // The rest of the session: the questions outside pools not presented, and a question
  // of each pool none of whose questions was.
  int rest = 0;
  std::map<int, const Group*> openPool;
  for (const Group& g : groups) {
    if (g.Presented || (g.Pool != 0 && poolPlaced[g.Pool]))
      continue;
    if (g.Pool == 0) {
      rest += static_cast<int>(g.Items.size());
      continue;
    }
    auto [at, added] = openPool.emplace(g.Pool, &g);
    if (added)
      rest += static_cast<int>(g.Items.size());
    else if (at->second->Items.size() != g.Items.size() || at->second->Points != g.Points)
      session.MaxKnown = false;
  }
  // Without a summary the count is not known: the session is placed only when nothing
  // of the exam is left over.
  if (entries < 0 ? rest != 0 : placed + rest != entries) {
    session.MaxKnown = false;
    return session;
  }
  for (const Group& g : groups)
    if (!g.Presented && g.Pool == 0)
      for (size_t i : g.Items)
        session.Asked[i] = true;
  for (const auto& pool : openPool)
    session.UnplacedMax += pool.second->Points;
  return session;
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
  totals.Max += scores.Attempts[attempt].UnplacedMax;
  totals.MaxKnown = scores.Attempts[attempt].MaxKnown;
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
