// How the answer key scores one final answer. The key decides only what it can read
// without doubt; everything else is left to a grader, who marks it in the answers sheet:
//
//   text      the answer and the key's text compared after trimming blanks, ignoring
//             letter case and taking a run of blanks as one; a '*' in the key stands for
//             any run of characters. A text key always decides: matched or not.
//   number    the whole answer must read as a number (a sign, digits, a decimal point:
//             "-3", "2.40", ".5"); it is then accepted within the tolerance. An answer
//             that is no number alone ("3.46 cm", "twelve", "1/2") is left to a grader.
//   choice    a one-letter key of a choice question takes the answer as a letter when it
//             is one letter alone, or written "b)", "b.", "(b)"; letter case and blanks
//             around it do not count. A letter followed by more text ("b) 4", "b and c")
//             or any other text ("29") is left to a grader: it may name the right
//             choice in words, or two choices. A choice question keyed by a choice's
//             text ("= 29") compares answers in words, and leaves letters to a grader.
//
// Several alternatives: the best decided credit counts. When none gives full credit and
// one of them cannot be decided, the answer is left to a grader: he may give more.
#pragma once

#include <string>
#include <string_view>

#include "format/answer_key.h"

struct KeyMark {
  bool Decided = false;  // false: left to a grader
  int Percent = 0;       // the credit the key gives, when decided (0 to 100)
  char Letter = 0;       // for a choice question, the letter the answer reads as ('a'...)
};

// How the key scores a given answer (the student's final answer, not empty).
KeyMark markWithKey(const KeyedItem& item, std::string_view answer);

// The answer as the key compares it: blanks trimmed, letters in lower case, every run of
// blanks one space.
std::string normalizedAnswer(std::string_view answer);

// Whether the normalized answer is the normalized key text, '*' in it standing for any
// run of characters (none included).
bool matchesKeyText(std::string_view answer, std::string_view pattern);

// The answer as a number when, blanks trimmed, it is one alone: an optional sign, digits
// with at most one decimal point, at least one digit. No exponent, no thousands mark.
bool readAnswerNumber(std::string_view answer, double* value);

// How a choice answer reads: one letter (*letter set), a letter with more text after it,
// or something else.
enum class ChoiceReading { Letter, LetterAndText, Other };
ChoiceReading readChoiceLetter(std::string_view answer, char* letter);
