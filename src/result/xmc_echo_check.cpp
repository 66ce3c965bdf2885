#include "result/xmc_echo_check.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "result/xmc_form.h"

namespace {

// What a line of the echo is, from its first characters. A question's text goes on in
// lines that begin with its continuation's '\' or its choices' indent, and its answers in
// lines that begin with a blank: only the program's own lines begin with a digit, a brace
// or a semicolon.
enum class Kind { Question, Sub, OpenMarker, Brace, CloseBrace, CloseMarker, Text, End };

// Where the reading stands: after which of the program's records.
enum class Place { QuestionsLine, OpenMarker, Brace, CloseBrace, CloseMarker, InPart };

// How many empty lines may stand right before a line: none allowed when Min is -1.
struct Range {
  int Min = -1;
  int Max = -1;
  bool allows(int n) const { return Min >= 0 && n >= Min && n <= Max; }
};

Range exactly(int n) {
  return {n, n};
}

Range shifted(Range r, int by) {
  return {r.Min + by, r.Max + by};
}

class EchoReader {
 public:
  explicit EchoReader(const std::string& echo) : e_(echo) {}

  EchoCheck run() {
    FormScan head(e_, 0);
    head.literal("\n\nQUESTIONS:  (")
        .digits(&announced_)
        .literal(")  Total Points:  (")
        .number(&announcedPoints_)
        .literal(")\n");
    if (head.result() == Fit::Part)
      return {EchoCheck::Cut, 0, ""};
    if (head.result() == Fit::No)
      return damaged(0, "the echo does not begin with the QUESTIONS line (the key stream does "
                        "not continue here)");
    for (size_t at = head.at(); at < e_.size();) {
      size_t end = e_.find('\n', at);
      bool partial = end == std::string::npos;
      if (!partial && end == at) {
        ++empties_;
        ++at;
        continue;
      }
      EchoCheck problem;
      Fit fit = readLine(at, &problem);
      if (fit == Fit::No)
        return problem;
      if (fit == Fit::Part || partial)
        return cutHere();
      empties_ = 0;
      at = end + 1;
    }
    return atEnd();
  }

 private:
  EchoCheck damaged(size_t at, const std::string& problem) const {
    return {EchoCheck::Damaged, at, problem};
  }

  EchoCheck tooManyQuestions() const {
    return damaged(0, "the echo of the exam holds more questions than its QUESTIONS line counts");
  }

  // The echo stops inside a line, or between lines of a part or a pool.
  EchoCheck cutHere() const {
    if (counted_ > announced_)
      return tooManyQuestions();
    return {EchoCheck::Cut, 0, ""};
  }

  // The empty lines a part ends in: the answers' two, or the one that stands for no
  // answer; a question's text may end in a line feed of its own.
  Range partEnd(bool moreOfTheQuestion) const {
    if (partAnswered_)
      return exactly(2);
    if (!partIsSub_ && subs_ == 0 && !moreOfTheQuestion)
      return {1, 2};
    return exactly(1);
  }

  Range before(Kind kind) const {
    switch (place_) {
      case Place::QuestionsLine:
        return kind == Kind::Question ? exactly(1)
               : kind == Kind::OpenMarker ? exactly(2)
               : kind == Kind::End ? exactly(1)
                                   : Range{};
      case Place::OpenMarker: return kind == Kind::Brace ? exactly(0) : Range{};
      case Place::Brace: return kind == Kind::Question ? exactly(1) : Range{};
      case Place::CloseBrace: return kind == Kind::CloseMarker ? exactly(0) : Range{};
      case Place::CloseMarker:
        return kind == Kind::Question ? exactly(2)
               : kind == Kind::OpenMarker ? exactly(3)
               : kind == Kind::End ? exactly(2)
                                   : Range{};
      case Place::InPart: {
        // A question with sub-questions ends in one line feed more.
        int questionEnd = subs_ > 0 ? 1 : 0;
        switch (kind) {
          case Kind::Text: return {0, 1};
          case Kind::Sub: return partEnd(true);
          case Kind::Question:
          case Kind::CloseBrace:
          case Kind::End: return shifted(partEnd(false), questionEnd);
          case Kind::OpenMarker: return shifted(partEnd(false), questionEnd + 1);
          case Kind::Brace:
          case Kind::CloseMarker: return Range{};
        }
      }
    }
    return Range{};
  }

  Kind kindOf(size_t at) const {
    char c = e_[at];
    if (c >= '0' && c <= '9')
      return Kind::Question;
    if (c == ' ') {
      bool sub = e_.compare(at, 3, "   ") == 0 && at + 3 < e_.size() && e_[at + 3] >= '0' &&
                 e_[at + 3] <= '9';
      return sub ? Kind::Sub : Kind::Text;
    }
    if (c == '\\')
      return Kind::Text;
    if (c == '{')
      return Kind::Brace;
    if (c == '}')
      return Kind::CloseBrace;
    if (c == ';')
      return place_ == Place::CloseBrace ? Kind::CloseMarker : Kind::OpenMarker;
    return Kind::End;  // no line of the echo begins so
  }

  // Reads the line at `at`: Whole, Part when the echo stops inside it, or No with the
  // damage in *problem.
  Fit readLine(size_t at, EchoCheck* problem) {
    Kind kind = kindOf(at);
    // Up to three blanks and no more: the indent of a sub-question, an answer or a choice.
    bool indent = e_.find_first_not_of(' ', at) == std::string::npos && e_.size() - at <= 3;
    if (indent && before(Kind::Sub).allows(empties_))
      return Fit::Part;
    if (kind == Kind::End) {
      *problem = damaged(at, "a line of the echo of the exam is damaged");
      return Fit::No;
    }
    if (!before(kind).allows(empties_)) {
      *problem = damaged(at, "the echo of the exam does not go on as the program writes it");
      return Fit::No;
    }
    FormScan line(e_, at);
    switch (kind) {
      case Kind::Question: {
        double points = 0;
        line.literal((std::to_string(slot_ + 1) + ". ").c_str());
        bool hasPoints = line.whole() && line.at() < e_.size() && e_[line.at()] == '(';
        if (hasPoints)
          line.literal("(").number(&points).literal(" pts) ");
        line.line();
        if (line.whole()) {
          closeQuestion();
          ++slot_;
          question_ = true;
          questionPool_ = inPool_ ? pool_ : 0;
          questionHasPoints_ = hasPoints;
          questionPoints_ = points;
          subs_ = 0;
          subPoints_ = 0;
          nextLetter_ = 'a';
          partIsSub_ = false;
          partAnswered_ = false;
          place_ = Place::InPart;
        }
        break;
      }
      case Kind::Sub: {
        std::string label = "   " + std::to_string(slot_) + "." + nextLetter_ + ". ";
        line.literal(label.c_str());
        if (!line.whole())
          break;
        // One point is written "(1 pt)", every other figure "(%5.1f pts)".
        double points = 0;
        FormScan onePoint(e_, line.at());
        onePoint.literal("(1 pt) ").line();
        FormScan figure(e_, line.at());
        figure.literal("(").number(&points).literal(" pts) ").line();
        Fit fit = eitherFit(onePoint.result(), figure.result());
        if (fit == Fit::Whole) {
          ++subs_;
          subPoints_ += onePoint.whole() ? 1.0 : points;
          ++nextLetter_;
          partIsSub_ = true;
          partAnswered_ = false;
        }
        if (fit == Fit::No)
          *problem = damaged(at, "a line of the echo of the exam is damaged");
        return fit;
      }
      case Kind::Text: {
        const char* answerMark = partIsSub_ ? "   " : " ";
        size_t mark = at + strlen(answerMark);
        if (e_.compare(at, strlen(answerMark), answerMark) == 0 && mark < e_.size() &&
            (e_[mark] == '&' || e_[mark] == '!'))
          partAnswered_ = true;
        line.line();
        break;
      }
      case Kind::OpenMarker: {
        uint32_t pool = 0;
        line.literal(";  ***** OPEN POOL *****  [#").digits(&pool).literal("]\n");
        if (line.whole()) {
          if (inPool_ || pool == 0) {
            *problem = damaged(at, "a pool marker of the echo of the exam is damaged");
            return Fit::No;
          }
          closeQuestion();
          inPool_ = true;
          pool_ = pool;
          place_ = Place::OpenMarker;
        }
        break;
      }
      case Kind::Brace:
        line.literal("{\n");
        place_ = Place::Brace;
        break;
      case Kind::CloseBrace:
        line.literal("}\n");
        if (line.whole() && !inPool_) {
          *problem = damaged(at, "a pool marker of the echo of the exam is damaged");
          return Fit::No;
        }
        place_ = Place::CloseBrace;
        break;
      case Kind::CloseMarker:
        line.literal((";  ***** CLOSE POOL *****  [#" + std::to_string(pool_) + "]\n").c_str());
        inPool_ = false;
        place_ = Place::CloseMarker;
        break;
      case Kind::End: break;
    }
    if (line.result() == Fit::No)
      *problem = damaged(at, "a line of the echo of the exam is damaged");
    return line.result();
  }

  // Counts the question as exam loading does: a pool once, by its first question, and a
  // question with sub-questions by them.
  void closeQuestion() {
    if (!question_)
      return;
    question_ = false;
    if (questionPool_ != 0) {
      if (questionPool_ == lastCountedPool_)
        return;
      lastCountedPool_ = questionPool_;
    }
    ++pointTerms_;
    if (subs_ > 0) {
      counted_ += subs_;
      points_ += subPoints_;
      pointTerms_ += subs_;
    } else {
      ++counted_;
      if (questionHasPoints_)
        points_ += questionPoints_;
      else
        ++unknownPoints_;  // none shown: no points (-1) or 0
    }
  }

  EchoCheck atEnd() {
    closeQuestion();
    if (counted_ > announced_)
      return tooManyQuestions();
    int most = 0;
    for (Kind kind : {Kind::Question, Kind::Sub, Kind::OpenMarker, Kind::Brace, Kind::CloseBrace,
                      Kind::CloseMarker, Kind::Text, Kind::End})
      most = std::max(most, before(kind).Max);
    if (empties_ > most)
      return damaged(e_.size(), "the echo of the exam ends in more empty lines than it can");
    if (!before(Kind::End).allows(empties_) || inPool_)
      return cutHere();  // a part, or a pool, not yet ended
    // Each shown figure is rounded to a tenth; the total was added up unrounded.
    double slack = 0.05 * (pointTerms_ + 1);
    bool pointsAgree = announcedPoints_ <= points_ + slack &&
                       announcedPoints_ >= points_ - unknownPoints_ - slack;
    if (counted_ == announced_ && pointsAgree)
      return {EchoCheck::Whole, 0, ""};
    // Cut between two questions: the questions still to come carry points too.
    if (counted_ < announced_ && announcedPoints_ > points_ + slack)
      return {EchoCheck::Cut, 0, ""};
    return damaged(0, "the echo's QUESTIONS line does not agree with the questions it holds");
  }

  const std::string& e_;
  uint32_t announced_ = 0;
  double announcedPoints_ = 0;

  Place place_ = Place::QuestionsLine;
  int empties_ = 0;  // empty lines since the last line with something on it
  uint32_t slot_ = 0;
  bool inPool_ = false;
  uint32_t pool_ = 0;

  // The question being read, and its part: itself or its last sub-question.
  bool question_ = false;
  uint32_t questionPool_ = 0;
  bool questionHasPoints_ = false;
  double questionPoints_ = 0;
  uint32_t subs_ = 0;
  double subPoints_ = 0;
  char nextLetter_ = 'a';
  bool partIsSub_ = false;
  bool partAnswered_ = false;

  // The questions and points counted so far.
  uint32_t counted_ = 0;
  uint32_t lastCountedPool_ = 0;
  double points_ = 0;
  uint32_t pointTerms_ = 0;
  uint32_t unknownPoints_ = 0;
};

}  // namespace

EchoCheck checkEcho(const std::string& echo) {
  return EchoReader(echo).run();
}
