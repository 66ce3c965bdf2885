#include "format/exam_text_check.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "format/line_scan.h"

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

bool isLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// "Q1.", "Question 3:", "#2)", "01." (veritor reads question numbers from 1 on), or
// points in brackets anywhere, as in "Bonus (2 pts) ...".
bool looksLikeQuestion(const char* text) {
  size_t at = 0;
  while (isLetter(text[at]) || text[at] == '#')
    ++at;
  at = skipBlanks(text, at);
  if (isDigit(text[at])) {
    while (isDigit(text[at]))
      ++at;
    at = skipBlanks(text, at);
    if (text[at] == '.' || text[at] == ')' || text[at] == ':')
      return true;
  }
  for (const char* open = strchr(text, '('); open; open = strchr(open + 1, '(')) {
    char* end = nullptr;
    strtod(open + 1, &end);
    if (end == open + 1)
      continue;
    const char* unit = end + skipBlanks(end, 0);
    if (strncmp(unit, "pt", 2) == 0 || strncmp(unit, "point", 5) == 0 || *unit == ')')
      return true;
  }
  return false;
}

// "A) 21", "B. 27", "(a) 21", "(C) 33".
bool looksLikeChoice(const char* text) {
  if (text[0] >= 'A' && text[0] <= 'Z' && (text[1] == ')' || text[1] == '.') &&
      (text[2] == '\0' || isBlank(text[2])))
    return true;
  return text[0] == '(' && isLetter(text[1]) && text[2] == ')';
}

// The worth of a question in the exam's total: its points, or its sub-questions' points.
double worth(const Question* question) {
  if (question->Points != -1.0f)
    return question->Points;
  double total = 0;
  for (const Question* sub = question->SubLink; sub; sub = sub->SubLink)
    total += sub->Points;
  return total;
}

std::string pointsText(double points) {
  char text[32];
  snprintf(text, sizeof text, "%g", points);
  return text;
}

}  // namespace

ExamTextCheck::ExamTextCheck(const std::string& text) : text_(text) {
  size_t nul = text.find('\0');
  if (nul != std::string::npos)
    note(static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(nul), '\n')) +
             1,
         true, "this line holds a NUL character, where veritor would end the exam text");
}

void ExamTextCheck::note(int lineNumber, bool refusal, const std::string& message) {
  notes_.push_back({lineNumber, refusal, message});
}

int ExamTextCheck::lineAt(size_t offset) {
  if (offset > countedTo_) {
    linesBefore_ += static_cast<int>(
        std::count(text_.begin() + static_cast<long>(countedTo_),
                   text_.begin() + static_cast<long>(std::min(offset, text_.size())), '\n'));
    countedTo_ = offset;
  }
  return linesBefore_ + 1;
}

void ExamTextCheck::keepInStudentBody(const BodyLine& line) {
  switch (line.Kind) {
    case BodyLineKind::Question:
    case BodyLineKind::SubQuestion:
    case BodyLineKind::Continuation:
    case BodyLineKind::Choice:
    case BodyLineKind::Answer:
      studentBody_.append(text_, line.Begin, line.End - line.Begin);
      break;
    // The count is all veritor reads of this line; what follows it may be a note.
    case BodyLineKind::QuestionsLine:
      studentBody_ += State.QuestionLimit == 65535
                          ? std::string("QUESTIONS\n")
                          : "QUESTIONS " + std::to_string(State.QuestionLimit) + "\n";
      break;
    case BodyLineKind::PoolOpen:
      studentBody_ += "{\n";
      break;
    case BodyLineKind::PoolClose:
      studentBody_ += "}\n";
      break;
    default:
      studentBody_ += '\n';
      break;
  }
}

void ExamTextCheck::lineTaken(const BodyLine& line) {
  int number = lineAt(line.Begin);
  keepInStudentBody(line);
  key_.lineTaken(line);

  // A line longer than veritor's buffer comes to it in pieces, each read as a line.
  bool cut = line.End > line.Begin && text_[line.End - 1] != '\n' && line.End < text_.size() &&
             text_[line.End - 1] != '\0';
  if (cut && !splitLine_) {
    size_t lineEnd = text_.find('\n', line.Begin);
    size_t length = (lineEnd == std::string::npos ? text_.size() : lineEnd) - line.Begin;
    note(number, true,
         "this line has " + std::to_string(length) + " characters; veritor reads at most " +
             std::to_string(line.End - line.Begin) +
             " of a line and would read the rest as a line of its own");
  }
  splitLine_ = cut;

  switch (line.Kind) {
    case BodyLineKind::QuestionsLine: {
      const char* text = line.Text;
      if (strlen(text) > 9 && isDigit(text[9]))
        note(number, false,
             "the character after \"QUESTIONS\" is passed unread, so veritor reads the count "
             "as " +
                 (State.QuestionLimit == 65535 ? std::string("none")
                                               : std::to_string(State.QuestionLimit)) +
                 "; write a blank before the count");
      if (strlen(text) > 10) {
        size_t at = skipBlanks(text, 10);
        if (text[at] == '-' || text[at] == '+')
          ++at;
        while (isDigit(text[at]))
          ++at;
        at = skipBlanks(text, at);
        if (text[at] != '\0')
          note(number, false,
               "veritor reads only the count of the QUESTIONS line and passes over the rest, "
               "\"" + std::string(text + at) + "\"");
      }
      break;
    }
    case BodyLineKind::BlockComment:
      if (line.CommentRunsOn && commentLine_ == 0)
        commentLine_ = number;
      else if (!line.CommentRunsOn)
        commentLine_ = 0;
      break;
    case BodyLineKind::PoolOpen:
      endPointlessQuestion();
      poolLine_ = number;
      poolMembers_.clear();
      break;
    case BodyLineKind::PoolClose:
      endPointlessQuestion();
      closePool(number);
      break;
    case BodyLineKind::Question:
      checkQuestion(line, number);
      break;
    case BodyLineKind::SubQuestion:
      checkPoints(line, number, "sub-question");
      checkText(line, number);
      break;
    case BodyLineKind::Continuation:
    case BodyLineKind::Choice:
      checkText(line, number);
      break;
    case BodyLineKind::Dropped:
      checkDropped(line, number);
      break;
    case BodyLineKind::Ignored:
      checkPassedOver(line, number);
      break;
    default:
      break;
  }
}

void ExamTextCheck::checkQuestion(const BodyLine& line, int number) {
  const char* text = line.Text + line.First;
  // "4.a. (3 pts)" after a question 4 with points: veritor takes it for a new question
  // without points, whose text begins with the letter.
  const char* dot = strchr(text, '.');
  bool hasPoints = line.Record->Points != -1.0f;
  if (!hasPoints && question_ && questionHasPoints_ &&
      line.QuestionNumber == questionNumber_ && dot) {
    const char* after = dot + 1;
    if (after[0] >= 'a' && after[0] <= 'z' && (after[1] == '.' || after[1] == ')'))
      note(number, false,
           "question " + std::to_string(questionNumber_) +
               " has points of its own, so this line is not its sub-question but a new "
               "question without points; to give question " +
               std::to_string(questionNumber_) +
               " sub-questions, take the points off its own line (line " +
               std::to_string(questionLine_) + ")");
  }
  endPointlessQuestion();
  question_ = line.Record;
  questionEnded_ = false;
  questionNumber_ = line.QuestionNumber;
  questionLine_ = number;
  questionHasPoints_ = hasPoints;
  if (line.PointsText)
    checkPoints(line, number, "question");
  checkText(line, number);
  if (poolLine_ != 0)
    poolMembers_.push_back({line.Record, number});
}

void ExamTextCheck::checkPoints(const BodyLine& line, int number, const char* what) {
  const char* points = line.PointsText;
  const char* close = strchr(points, ')');
  std::string written = "\"(" + (close ? std::string(points, static_cast<size_t>(close - points))
                                     : std::string(points)) + ")\"";
  char* end = nullptr;
  double value = strtod(points, &end);
  if (end == points)
    note(number, false,
         "the points " + written + " do not begin with a number, so veritor counts this " +
             what + " as worth 0 points");
  else if (value == -1.0)
    note(number, false,
         "the points " + written + " read as -1, which veritor takes for a " + what +
             " without points of its own");
  else if (!std::isfinite(value) || value < 0)
    note(number, false,
         "the points " + written + " are not a number of points from 0 up");
}

void ExamTextCheck::checkText(const BodyLine& line, int number) {
  for (size_t at = line.Begin; at < line.End; ++at) {
    unsigned char c = static_cast<unsigned char>(text_[at]);
    if (c >= 0x80 || (c < 0x20 && c != '\t' && c != '\r' && c != '\n')) {
      note(number, false,
           "column " + std::to_string(at - line.Begin + 1) + " holds a character outside " +
               "ASCII, which students are shown as a blank");
      return;
    }
  }
}

void ExamTextCheck::checkDropped(const BodyLine& line, int number) {
  char kind = line.Text[line.First];
  std::string what = kind == '\\' ? "continuation line"
                     : kind == '&' || kind == '!' ? "answer line"
                                                  : "choice";
  if (question_ && !questionHasPoints_)
    note(number, false,
         "this " + what + " comes before the first sub-question of question " +
             std::to_string(questionNumber_) +
             ", so veritor drops it: a question without points takes its choices and answers "
             "after a sub-question line");
  else
    note(number, false, "this " + what + " follows no question, so veritor drops it");
}

void ExamTextCheck::checkPassedOver(const BodyLine& line, int number) {
  const char* text = line.Text + line.First;
  if (looksLikeChoice(text))
    note(number, false,
         "veritor passes over this line: a choice begins with a small letter (\"a) ...\"); "
         "begin the line with ';' if it is a note");
  else if (looksLikeQuestion(text))
    note(number, false,
         "veritor passes over this line: a question line begins with its number (\"1. (2 "
         "pts) ...\"); begin the line with ';' if it is a note");
}

void ExamTextCheck::closePool(int number) {
  (void)number;
  if (poolMembers_.empty()) {
    note(poolLine_, false, "this pool holds no question");
  } else {
    double first = worth(poolMembers_.front().Record);
    for (const PoolMember& member : poolMembers_) {
      double points = worth(member.Record);
      if (points != first)
        note(member.LineNumber, false,
             "this question is worth " + pointsText(points) + " points and the first of its "
             "pool (line " + std::to_string(poolMembers_.front().LineNumber) + ") " +
                 pointsText(first) + ": each student is asked one of them, and the exam's "
                 "total counts " + pointsText(first));
    }
  }
  poolLine_ = 0;
  poolMembers_.clear();
}

// A question without points is meant to collect sub-questions; one that collected none
// is still asked, and counts -1 point in the exam's total.
void ExamTextCheck::endPointlessQuestion() {
  if (question_ && !questionHasPoints_ && question_->SubCount == 0 && !questionEnded_)
    note(questionLine_, false,
         "question " + std::to_string(questionNumber_) +
             " has neither points nor sub-questions; veritor asks it all the same and counts "
             "it as -1 point in the exam's total");
  questionEnded_ = true;
}

void ExamTextCheck::finish() {
  endPointlessQuestion();
  if (poolLine_ != 0)
    note(poolLine_, true,
         "this pool is never closed: no '}' follows, so every question after it is in the "
         "pool and each student is asked only one of them");
  if (commentLine_ != 0)
    note(commentLine_, true,
         "this block comment is never closed: no \"*/\" follows, so veritor hides every "
         "line after it");
  for (const KeyCollector::Refusal& refusal : key_.refusals())
    note(refusal.LineNumber, true, refusal.Message);
  for (const KeyCollector::Refusal& doubt : key_.doubtfulLetters())
    note(doubt.LineNumber, false, doubt.Message);
}

std::vector<TextNote> ExamTextCheck::notes() const {
  std::vector<TextNote> sorted = notes_;
  std::stable_sort(sorted.begin(), sorted.end(), [](const TextNote& a, const TextNote& b) {
    return a.LineNumber < b.LineNumber;
  });
  return sorted;
}
