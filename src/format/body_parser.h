// The exam body parser: fills the question store from State.Body.
//
// Three nested contexts read the body: the questions, the sub-questions of a question
// without points, and a multiple-choice block. Each reads into a line buffer of its own;
// a context that meets a line it does not own copies it into its caller's buffer and
// returns, and the caller classifies it without reading it again.
#pragma once

#include <cstddef>
#include <cstdint>

#include "state/program_state.h"

// Every line buffer of the parser, and the choice block text, hold this many bytes.
constexpr size_t ExamLineCapacity = 4096;

// What the parser made of one line of the body. The student program never asks; the
// instructor's tool watches a parse through a BodyObserver, so that its checks, the
// lines it leaves out of the exam file and the answer key all follow this one grammar
// rather than a second reading of the text that could come to disagree with it.
enum class BodyLineKind {
  Skipped,        // a ';' comment line or an empty line, passed by the line reader
  Preamble,       // a line before the QUESTIONS line
  QuestionsLine,
  BlockComment,   // a line of a block comment, its "/*" and "*/" lines included
  PoolOpen,
  PoolClose,
  Question,       // Record: the question made
  SubQuestion,    // Record: the sub-question made
  Continuation,   // Record: the question, sub-question or choice block it extends
  Choice,         // Record: the owner of the choice block
  Answer,         // Record: the question or sub-question it was given to
  Dropped,        // a continuation, choice or answer line that belongs to nothing
  Key,            // a line whose first significant character is '=': passed over
  Ignored,        // a line of no kind: passed over
};

struct BodyLine {
  BodyLineKind Kind = BodyLineKind::Ignored;
  int32_t Number = 0;       // its LineNumber
  const char* Text = "";    // the line as the parser classified it, line end removed
  int First = 0;            // the index of its first significant character
  // Where it lies in the body: State.Body.Text from Begin up to End, its line end
  // included.
  size_t Begin = 0;
  size_t End = 0;
  const Question* Record = nullptr;
  // SubQuestion: the question it belongs to.
  const Question* Parent = nullptr;
  // Question and SubQuestion: the number written, and where its points begin (just
  // after the '('), or none when no '(' follows the number. The parser decides by the
  // points read: a question whose points read as -1, "(-1)" included, has none of its own.
  int QuestionNumber = 0;
  const char* PointsText = nullptr;
  // BlockComment: the comment goes on after this line.
  bool CommentRunsOn = false;
};

class BodyObserver {
 public:
  virtual ~BodyObserver() = default;
  // Every line the reader takes, once, in the order of the body. A Dropped line is
  // reported here instead of on the console.
  virtual void lineTaken(const BodyLine& line) = 0;
};

// 0 when the body was read to its end, -1 when it holds no QUESTIONS line. observer,
// when given, is told of every line taken; the student program gives none.
int parseQuestions(BodyObserver* observer = nullptr);
// Collects the sub-questions numbered number of question; leaves in line (a buffer of
// ExamLineCapacity bytes) the line that ended them, empty at the end of the body.
void parseSubQuestions(Question* question, int number, char* line);
// Reads the choice block whose first line is in line, starting at index first; leaves
// in line the line that ended the block, empty at the end of the body.
void parseChoiceBlock(Question* owner, const char* indent, char* line, int first);
// The next significant line (comment and empty lines skipped, line end removed), or an
// empty buffer at the end of the body. Counts every line taken in LineNumber.
void nextExamLine(char* buffer, size_t capacity);
// The next raw line of the body, at most capacity - 1 characters, always terminated.
void readTextLine(char* buffer, size_t capacity);

// The parse under way as its observer sees it: kept by the line reader and the
// contexts, none outside a parse.
struct BodyWatch {
  BodyObserver* Observer = nullptr;
  // Where the line nextExamLine delivered last lies in the body.
  size_t LineBegin = 0;
  size_t LineEnd = 0;
};
extern BodyWatch ParseWatch;
