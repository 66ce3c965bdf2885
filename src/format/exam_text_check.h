// What make checks in an exam text beyond what veritor itself refuses, and what it
// leaves out of the exam file.
//
// veritor reads a text as it is written, and some mistakes make an exam other than the
// one the instructor wrote without a word: a pool never closed takes in every question
// after it, a "Q1." line is passed over, "(two pts)" is worth 0. The check watches the
// student program's own parse of the text (so the two can never disagree about what a
// line is) and notes each such line with the text's own line number: a refusal where
// the exam would differ from the text, a warning where it only may.
//
// Students never need the lines veritor does not use (the preamble, comments, block
// comments, the answer key, lines of no kind), and the exam password does not keep them
// from a student: the exam file holds an empty line in place of each, so that veritor
// counts the lines of the text and names them by the text's own numbers.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "format/answer_key.h"
#include "format/body_parser.h"

struct TextNote {
  int LineNumber = 0;
  bool Refusal = false;  // the exam made would differ from the text as written
  std::string Message;
};

class ExamTextCheck : public BodyObserver {
 public:
  // text: the whole text as it is parsed, a header line at its top included. The parse
  // it watches must be of the same text.
  explicit ExamTextCheck(const std::string& text);

  void lineTaken(const BodyLine& line) override;
  // After a parse that read the text to its end: what only the end can tell (a pool or
  // block comment still open, a last question worth nothing, the key's own checks).
  void finish();

  // Every refusal and warning, in the order of the text.
  std::vector<TextNote> notes() const;
  // The body the exam file holds: the text with every line veritor does not use left
  // empty, and the QUESTIONS line and pool brackets without their notes.
  const std::string& studentBody() const { return studentBody_; }
  const KeyCollector& key() const { return key_; }

 private:
  void note(int lineNumber, bool refusal, const std::string& message);
  // The text's own number of the line that begins at offset: veritor counts a line too
  // long for its buffer as two, the text as one.
  int lineAt(size_t offset);
  void keepInStudentBody(const BodyLine& line);
  void checkQuestion(const BodyLine& line, int number);
  void checkPoints(const BodyLine& line, int number, const char* what);
  void checkText(const BodyLine& line, int number);
  void checkDropped(const BodyLine& line, int number);
  void checkPassedOver(const BodyLine& line, int number);
  void closePool(int number);
  void endPointlessQuestion();

  const std::string text_;  // a copy: the parse reads its own
  std::vector<TextNote> notes_;
  std::string studentBody_;
  KeyCollector key_;

  size_t countedTo_ = 0;  // lineAt has counted the line feeds up to here
  int linesBefore_ = 0;

  bool splitLine_ = false;  // the last line read was cut by veritor's buffer
  int commentLine_ = 0;     // where a block comment still open began
  int poolLine_ = 0;        // where the pool still open began
  struct PoolMember {
    const Question* Record;
    int LineNumber;
  };
  std::vector<PoolMember> poolMembers_;
  // The last question read: its number, line, and whether it had points.
  const Question* question_ = nullptr;
  int questionNumber_ = 0;
  int questionLine_ = 0;
  bool questionHasPoints_ = false;
  bool questionEnded_ = false;  // no more sub-questions can come to it
};
