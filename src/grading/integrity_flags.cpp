#include "grading/integrity_flags.h"

#include <algorithm>

#include "grading/answer_match.h"

std::string sharedAnswersRule() {
  return "two graded students are listed when their final answers agree on " +
         std::to_string(SharedAnswersFlagged) +
         " or more questions, counting identical wrong answers to keyed questions (less than "
         "full points) and identical answers of " + std::to_string(LongAnswerLength) +
         " characters or more to questions marked by hand, each given by at most " +
         std::to_string(RareAnswerStudents) +
         " graded students; answers are compared with blanks trimmed, letter case ignored and "
         "runs of blanks as one";
}

bool answerSaysSomething(const KeyedItem& item, const Mark& mark, const std::string& normalized) {
  if (normalized.empty())
    return false;
  if (item.Answers.empty())
    return normalized.size() >= LongAnswerLength;
  bool marked = mark.State == MarkState::Key || mark.State == MarkState::Grader;
  return marked && mark.Points < item.Points - 1e-6;
}

namespace {

uint64_t hashOf(std::string_view text) {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

struct Given {
  uint64_t Hash;
  uint32_t Attempt;
};

// A group of attempts that gave one rare answer to one item.
struct Group {
  uint32_t Item;
  uint32_t Begin, End;  // in the members list
};

}  // namespace

std::vector<SharedAnswers> findSharedAnswers(const ExamKey& key, const ClassScores& scores,
                                             const AnswerLookup& answerOf) {
  std::vector<uint32_t> graded;
  for (size_t a = 0; a < scores.Attempts.size(); ++a)
    if (scores.Attempts[a].Graded)
      graded.push_back(static_cast<uint32_t>(a));

  std::vector<Group> groups;
  std::vector<uint32_t> members;
  std::vector<Given> given;
  for (size_t i = 0; i < key.Items.size(); ++i) {
    given.clear();
    for (uint32_t a : graded) {
      const Mark& mark = scores.marksOf(a)[i];
      if (mark.State == MarkState::NotAsked)
        continue;
      std::string normalized = normalizedAnswer(answerOf(a, i));
      if (answerSaysSomething(key.Items[i], mark, normalized))
        given.push_back({hashOf(normalized), a});
    }
    std::sort(given.begin(), given.end(), [](const Given& x, const Given& y) {
      return x.Hash != y.Hash ? x.Hash < y.Hash : x.Attempt < y.Attempt;
    });
    for (size_t start = 0; start < given.size();) {
      size_t end = start + 1;
      while (end < given.size() && given[end].Hash == given[start].Hash)
        ++end;
      if (end - start >= 2 && end - start <= static_cast<size_t>(RareAnswerStudents)) {
        // Equal hashes of different texts are not one answer: split by the text itself.
        std::vector<std::pair<std::string, uint32_t>> texts;
        for (size_t k = start; k < end; ++k)
          texts.emplace_back(normalizedAnswer(answerOf(given[k].Attempt, i)), given[k].Attempt);
        std::stable_sort(texts.begin(), texts.end(),
                         [](const auto& x, const auto& y) { return x.first < y.first; });
        for (size_t t = 0; t < texts.size();) {
          size_t u = t + 1;
          while (u < texts.size() && texts[u].first == texts[t].first)
            ++u;
          if (u - t >= 2) {
            Group group{static_cast<uint32_t>(i), static_cast<uint32_t>(members.size()), 0};
            for (size_t k = t; k < u; ++k)
              members.push_back(texts[k].second);
            group.End = static_cast<uint32_t>(members.size());
            groups.push_back(group);
          }
          t = u;
        }
      }
      start = end;
    }
  }

  // Each attempt's groups, then for each attempt the later attempts it shares with.
  std::vector<std::pair<uint32_t, uint32_t>> byAttempt;  // attempt, group
  byAttempt.reserve(members.size());
  for (uint32_t g = 0; g < groups.size(); ++g)
    for (uint32_t m = groups[g].Begin; m < groups[g].End; ++m)
      byAttempt.emplace_back(members[m], g);
  std::sort(byAttempt.begin(), byAttempt.end());

  std::vector<SharedAnswers> flagged;
  std::vector<std::pair<uint32_t, uint32_t>> partners;  // attempt, item
  for (size_t start = 0; start < byAttempt.size();) {
    const uint32_t first = byAttempt[start].first;
    size_t end = start;
    partners.clear();
    for (; end < byAttempt.size() && byAttempt[end].first == first; ++end) {
      const Group& group = groups[byAttempt[end].second];
      for (uint32_t m = group.Begin; m < group.End; ++m)
        if (members[m] > first)
          partners.emplace_back(members[m], group.Item);
    }
    std::sort(partners.begin(), partners.end());
    for (size_t p = 0; p < partners.size();) {
      size_t q = p + 1;
      while (q < partners.size() && partners[q].first == partners[p].first)
        ++q;
      if (q - p >= static_cast<size_t>(SharedAnswersFlagged)) {
        SharedAnswers pair{first, partners[p].first, {}};
        for (size_t k = p; k < q; ++k)
          pair.Items.push_back(partners[k].second);
        flagged.push_back(std::move(pair));
      }
      p = q;
    }
    start = end;
  }
  std::stable_sort(flagged.begin(), flagged.end(), [](const SharedAnswers& x, const SharedAnswers& y) {
    return x.Items.size() > y.Items.size();
  });
  return flagged;
}

bool medianStart(std::vector<int64_t> starts, int64_t* median) {
  if (starts.empty())
    return false;
  size_t middle = (starts.size() - 1) / 2;
  std::nth_element(starts.begin(), starts.begin() + static_cast<long>(middle), starts.end());
  *median = starts[middle];
  return true;
}

std::vector<std::string> fileFlags(const FileFacts& file, const ClassContext& context) {
  std::vector<std::string> flags;
  if (file.HasStart && context.Window &&
      (file.Start < context.Window->From || file.Start > context.Window->To))
    flags.push_back("started " + formatStampSeconds(file.Start) +
                    ", outside the dates the exam was sat (" + context.Window->FromText + " to " +
                    context.Window->ToText + ")");
  if (file.HasStart && context.HasMedian) {
    int64_t apart = file.Start - context.MedianStart;
    if (apart > 86400 || apart < -86400)
      flags.push_back("started " + formatSpan(apart) + (apart < 0 ? " before" : " after") +
                      " the class's median start (" + formatStampSeconds(context.MedianStart) +
                      "): more than a day apart");
  }
  if (!file.Identifier.empty() && !file.NameIdentifier.empty() &&
      file.Identifier != file.NameIdentifier)
    flags.push_back("its file name carries the identifier " + file.NameIdentifier +
                    ", the file inside is written for " + file.Identifier);
  if (file.HasExamCount && file.ExamCount > 1)
    flags.push_back("exam count " + std::to_string(file.ExamCount) +
                    ": the student's copy of the exam had been opened " +
                    std::to_string(file.ExamCount) + " times, this session included");
  if (file.OffRoster)
    flags.push_back("the identifier " + file.Identifier + " is not on the roster");
  return flags;
}
