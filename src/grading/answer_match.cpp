#include "grading/answer_match.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "grading/csv_table.h"

namespace {

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isLetter(char c) {
  c = lower(c);
  return c >= 'a' && c <= 'z';
}

// A tolerance written 0.01 is not exactly representable: 3.47 - 3.46 comes out a little
// above it. Numbers are compared with room for that rounding, far below anything an
// instructor writes.
bool withinTolerance(double value, double key, double tolerance) {
  double slack = 1e-9 * std::max({1.0, std::fabs(key), std::fabs(tolerance)});
  return std::fabs(value - key) <= tolerance + slack;
}

struct Alternative {
  bool Decided = false;
  bool Matches = false;
};

Alternative compare(const KeyedItem& item, const KeyAnswer& key, std::string_view answer,
                    const std::string& normalized, ChoiceReading reading, char letter) {
  if (key.Form == KeyForm::Number) {
    double value = 0;
    if (!readAnswerNumber(answer, &value))
      return {false, false};
    return {true, withinTolerance(value, key.Value, key.Tolerance)};
  }
  std::string pattern = normalizedAnswer(key.Text);
  if (item.Choice && pattern.size() == 1 && isLetter(pattern[0])) {
    // Anything but a letter alone may still name the right choice: a grader decides.
    if (reading != ChoiceReading::Letter)
      return {false, false};
    return {true, letter == pattern[0]};
  }
  // A choice question keyed by a choice's text: a letter may name that choice.
  if (item.Choice && reading != ChoiceReading::Other)
    return {false, false};
  return {true, matchesKeyText(normalized, pattern)};
}

}  // namespace

std::string normalizedAnswer(std::string_view answer) {
  answer = trimmedText(answer);
  std::string out;
  out.reserve(answer.size());
  bool blank = false;
  for (char c : answer) {
    if (isSpace(c)) {
      blank = true;
      continue;
    }
    if (blank)
      out += ' ';
    blank = false;
    out += lower(c);
  }
  return out;
}

bool matchesKeyText(std::string_view answer, std::string_view pattern) {
  // The usual wildcard walk: on a mismatch, go back to the last '*' and let it take one
  // more character. Linear in practice, never worse than answer x pattern.
  size_t a = 0, p = 0, star = std::string_view::npos, resume = 0;
  while (a < answer.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = a;
    } else if (p < pattern.size() && pattern[p] == answer[a]) {
      ++p;
      ++a;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      a = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*')
    ++p;
  return p == pattern.size();
}

bool readAnswerNumber(std::string_view answer, double* value) {
  answer = trimmedText(answer);
  size_t at = 0, digits = 0;
  if (at < answer.size() && (answer[at] == '+' || answer[at] == '-'))
    ++at;
  bool point = false;
  for (; at < answer.size(); ++at) {
    char c = answer[at];
    if (c >= '0' && c <= '9') {
      ++digits;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  if (digits == 0)
    return false;
  *value = strtod(std::string(answer).c_str(), nullptr);
  return true;
}

ChoiceReading readChoiceLetter(std::string_view answer, char* letter) {
  answer = trimmedText(answer);
  size_t at = 0;
  bool bracket = !answer.empty() && answer[0] == '(';
  if (bracket)
    ++at;
  if (at >= answer.size() || !isLetter(answer[at]))
    return ChoiceReading::Other;
  char found = lower(answer[at++]);
  // The letter alone, or closed as choices are written: "b)", "b.", "(b)".
  std::string_view rest = answer.substr(at);
  if (rest.empty() || rest == ")" || (!bracket && rest == ".")) {
    if (bracket && rest.empty())
      return ChoiceReading::Other;
    *letter = found;
    return ChoiceReading::Letter;
  }
  // More after the letter: a word ("because") is no choice letter at all; a letter set
  // apart by a mark or a blank ("b) 4", "b and c") names a choice and something more.
  char next = rest[0];
  if (next == ')' || next == '.' || next == ':' || next == ',' || next == '-' || isSpace(next)) {
    *letter = found;
    return ChoiceReading::LetterAndText;
  }
  return ChoiceReading::Other;
}

KeyMark markWithKey(const KeyedItem& item, std::string_view answer) {
  KeyMark mark;
  std::string normalized = normalizedAnswer(answer);
  char letter = 0;
  ChoiceReading reading = item.Choice ? readChoiceLetter(answer, &letter) : ChoiceReading::Other;
  if (reading == ChoiceReading::Letter)
    mark.Letter = letter;
  bool undecided = false;
  int best = 0;
  for (const KeyAnswer& key : item.Answers) {
    Alternative a = compare(item, key, answer, normalized, reading, letter);
    if (!a.Decided)
      undecided = true;
    else if (a.Matches)
      best = std::max(best, key.Percent);
  }
  mark.Decided = best == 100 || !undecided;
  mark.Percent = mark.Decided ? best : 0;
  return mark;
}
