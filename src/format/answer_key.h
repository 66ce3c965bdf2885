// The answer key an instructor writes into the exam text: after a question or
// sub-question (its continuation and choice lines included), lines whose first
// significant character is '=' give its accepted answers. The student program passes
// over them and make never enciphers them; this module reads them, on the same parse.
//
//   = TEXT                  an accepted answer; '*' stands for any run of characters
//   = NUMBER                a number, accepted exactly
//   = NUMBER +- TOLERANCE   a number, accepted within the tolerance
//   = 50% ...               partial credit (1% to 100%) before either form
//
// Several lines are alternatives, the best match counting. A question or sub-question
// with no key line is marked by hand. Matching a student's answer is the grading's work.
#pragma once

#include <string>
#include <vector>

#include "format/body_parser.h"

enum class KeyForm { Text, Number };

struct KeyAnswer {
  int Percent = 100;           // credit for this alternative, 1..100
  KeyForm Form = KeyForm::Text;
  std::string Text;            // Text form: the accepted answer as written; '*' = any run
  double Value = 0, Tolerance = 0;  // Number form
  int LineNumber = 0;          // the exam text's own line number
};

struct KeyedItem {             // a question with points, or a sub-question
  std::string Number;          // "4" or "4.a": numbered as the completed file's echo
                               // numbers them (slot order; sub-questions lettered a, b, ...)
  double Points = 0;
  bool Choice = false;         // has a choice block; Letters lists its letters ("abcd")
  std::string Letters;
  int Pool = 0;                // 0 outside any pool
  std::vector<KeyAnswer> Answers;   // empty: marked by hand
  int LineNumber = 0;          // the line of the question or sub-question
};

struct ExamKey {
  std::vector<KeyedItem> Items;  // every question and sub-question, in exam order
};

// Reads the key of a whole exam text (header line and body, or body alone). On a key line
// it must refuse, returns false with *error naming the line ("line 12: ..."); so it does
// where the student program would refuse the text.
bool readExamKey(const std::string& examText, ExamKey* key, std::string* error);

// Reads one key line (its first significant character is '='). False, with *error
// saying why, when it cannot be read as the instructor meant it.
bool parseKeyLine(const char* line, KeyAnswer* answer, std::string* error);

// Builds the key from the lines of a parse, as they are taken; make feeds it the same
// lines it checks. A refusal ends nothing: the collector notes it and reads on.
class KeyCollector {
 public:
  void lineTaken(const BodyLine& line);

  const ExamKey& key() const { return key_; }
  struct Refusal {
    int LineNumber;
    std::string Message;
  };
  const std::vector<Refusal>& refusals() const { return refusals_; }
  // Items the key scores by itself (those with at least one key line).
  int keyedCount() const;
  // Single-letter keys of choice questions that name none of the question's choices:
  // read as written, but most likely a slip.
  std::vector<Refusal> doubtfulLetters() const;

 private:
  KeyedItem* owner(const Question* record);

  ExamKey key_;
  std::vector<const Question*> records_;  // the record of each item
  std::vector<Refusal> refusals_;
  // The item key lines go to now; -1 when they would go to nothing.
  int current_ = -1;
  // The question without points last read: its sub-questions are its items. Until the
  // first comes, the question is an item of its own, worth nothing.
  const Question* pointless_ = nullptr;
  int pointlessNumber_ = 0;
  bool provisional_ = false;
};
