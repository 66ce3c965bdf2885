#include "format/body_parser.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "console/console.h"
#include "format/exam_header.h"
#include "format/line_scan.h"
#include "format/question_store.h"
#include "format/text_number.h"

namespace {

// Up to the QUESTIONS line, lines are read one byte shorter than afterwards.
constexpr size_t PreambleLineCapacity = ExamLineCapacity - 1;
constexpr size_t BlockTextLimit = ExamLineCapacity - 1;
// Answer lines are cut after this many characters.
constexpr size_t AnswerLineLimit = 4092;
// The index of a sub-question has six bits in its record's flags.
constexpr int MaxSubQuestionsPerQuestion = 63;
constexpr int NoPoints = -1;

// What the observer of the parse, if there is one, is told of the line just read.
BodyLine lineAs(BodyLineKind kind, const char* line, int first, const Question* record) {
  BodyLine taken;
  taken.Kind = kind;
  taken.Number = State.LineNumber;
  taken.Text = line;
  taken.First = first;
  taken.Begin = ParseWatch.LineBegin;
  taken.End = ParseWatch.LineEnd;
  taken.Record = record;
  return taken;
}

void tell(const BodyLine& line) {
  if (ParseWatch.Observer)
    ParseWatch.Observer->lineTaken(line);
}

void tell(BodyLineKind kind, const char* line, int first, const Question* record = nullptr) {
  if (ParseWatch.Observer)
    tell(lineAs(kind, line, first, record));
}

// A line the parser passes over: the answer key's lines begin with '='.
void tellPassedOver(const char* line, int first) {
  tell(line[first] == '=' ? BodyLineKind::Key : BodyLineKind::Ignored, line, first);
}

// A line that belongs to nothing: veritor warns on the console; an observer is told
// instead, and words its own warning with the line's number.
bool tellDropped(const char* line, int first) {
  if (!ParseWatch.Observer)
    return false;
  tell(BodyLineKind::Dropped, line, first);
  return true;
}

int firstSignificant(const char* line) {
  return static_cast<int>(skipBlanks(line, 0));
}

bool isDigit1to9(char c) {
  return c >= '1' && c <= '9';
}

bool isChoiceLetter(char c) {
  return c >= 'a' && c <= 'z';
}

bool isAnswerMark(char c) {
  return c == '&' || c == '!';
}

// Block comments: "/*" at the start of a line hides everything up to the next "*/".
// True when the line belongs to a comment and is done.
bool inBlockComment(const char* line, int i, bool* open) {
  if (*open) {
    if (strstr(line + i, "*/"))
      *open = false;
  } else if (line[i] == '/' && line[i + 1] == '*') {
    *open = true;
    if (strstr(line + skipBlanks(line, i + 2), "*/"))
      *open = false;
  } else {
    return false;
  }
  if (ParseWatch.Observer) {
    BodyLine comment = lineAs(BodyLineKind::BlockComment, line, i, nullptr);
    comment.CommentRunsOn = *open;
    tell(comment);
  }
  return true;
}

void handBack(char* callerLine, const char* line) {
  memcpy(callerLine, line, strnlen(line, ExamLineCapacity - 1) + 1);
  callerLine[ExamLineCapacity - 1] = '\0';
}

void cutAnswerLine(char* line) {
  line[AnswerLineLimit] = '\0';
}

bool sameLetters(const char* line, const char* word, size_t count) {
  for (size_t k = 0; k < count; ++k) {
    char a = line[k];
    if (a >= 'a' && a <= 'z')
      a = static_cast<char>(a - 'a' + 'A');
    if (a != word[k])
      return false;
  }
  return true;
}

// The choice block text: pieces are added only while the whole stays within the buffer.
struct BlockText {
  char Text[ExamLineCapacity] = {};
  size_t Length = 0;

  bool add(std::initializer_list<const char*> pieces) {
    size_t total = Length;
    for (const char* piece : pieces)
      total += strlen(piece);
    if (total > BlockTextLimit)
      return false;
    for (const char* piece : pieces) {
      size_t n = strlen(piece);
      memcpy(Text + Length, piece, n);
      Length += n;
    }
    Text[Length] = '\0';
    return true;
  }
  void clear() {
    Text[0] = '\0';
    Length = 0;
  }
};

[[noreturn]] void choiceBlockTooLong(const char* message, const char* line) {
  consolePrintf(ConsoleStream::Err, message, line);
  waitForEnter();
  endProgram(-1);
}

// A choice or an answer line before the question's first sub-question belongs to
// nothing: it is passed over, with a warning that shows the line and its question.
void warnWithoutSubQuestion(const char* found, int number, const char* line,
                            const Question* question) {
  if (tellDropped(line, firstSignificant(line)))
    return;
  consolePrintf(ConsoleStream::Err,
                "Warning! - Q#%d - Found %s without a subquestion: Format "
                "Q#.lowercase. (x pts)\n%s\n",
                number, found, line);
  consolePrintf(ConsoleStream::Err, "Question: %s\n", question->Text);
}

// Where the text of a question or sub-question line begins: after the ')' of its points
// and the blanks that follow. Sets points from the text after the '('.
int readPoints(const char* line, int open, float* points, const char* missingClose) {
  *points = textToFloat(line + open + 1);
  int close = static_cast<int>(findWithin(line, passCharacters(line, open, 2), ')', 10));
  if (close < 0)
    reportSyntaxError(line, missingClose);
  return static_cast<int>(skipBlanks(line, close + 1));
}

}  // namespace

void parseChoiceBlock(Question* owner, const char* indent, char* callerLine, int first) {
  BlockText block;
  if (!block.add({indent, callerLine + first}))
    choiceBlockTooLong("Error - Multiple Choice Answer is too long for the buffer. Line:%s\n\n",
                       callerLine);
  unsigned char expected = static_cast<unsigned char>(callerLine[first] + 1);
  bool comment = false;
  char line[ExamLineCapacity];
  tell(BodyLineKind::Choice, callerLine, first, owner);

  nextExamLine(line, sizeof line);
  while (line[0] != '\0') {
    int i = firstSignificant(line);
    if (inBlockComment(line, i, &comment)) {
      // done
    } else if (isDigit1to9(line[i]) || line[i] == '{' || line[i] == '}') {
      appendChoiceBlock(owner, block.Text);
      handBack(callerLine, line);
      return;
    } else if (isAnswerMark(line[i])) {
      if (block.Length > 0) {
        appendChoiceBlock(owner, block.Text);
        block.clear();
      }
      tell(BodyLineKind::Answer, line, i, owner);
      cutAnswerLine(line);
      addAnswer(owner, line + i, 0);
    } else if (line[i] == '\\') {
      tell(BodyLineKind::Continuation, line, i, owner);
      line[i] = ' ';
      if (!block.add({indent, "  ", line + i}))
        choiceBlockTooLong(
            "Error - Multiple Choice continuation question is too long for the buffer. "
            "Line:%s\n\n",
            line);
    } else if (isChoiceLetter(line[i])) {
      if (static_cast<unsigned char>(line[i]) != expected)
        line[i] = static_cast<char>(expected);
      // A choice that follows an answer of the same block opens the block text afresh:
      // the question text goes on with it on the next line.
      bool added = block.Length > 0 ? block.add({"\n", indent, line + i})
                                    : block.add({indent, line + i});
      if (!added)
        choiceBlockTooLong(
            "Error - Multiple Choice Answer is too long for the buffer. Line:%s\n\n", line);
      ++expected;
      tell(BodyLineKind::Choice, line, i, owner);
    } else {
      tellPassedOver(line, i);
    }
    nextExamLine(line, sizeof line);
  }
  appendChoiceBlock(owner, block.Text);
  callerLine[0] = '\0';
}

void parseSubQuestions(Question* question, int number, char* callerLine) {
  SubQuestion* current = nullptr;
  Question* last = question;
  int index = 1;
  bool comment = false;
  char line[ExamLineCapacity];

  nextExamLine(line, sizeof line);
  while (line[0] != '\0') {
    int i = firstSignificant(line);
    if (inBlockComment(line, i, &comment)) {
      // done
    } else if (line[i] == '{' || line[i] == '}') {
      handBack(callerLine, line);
      return;
    } else if (isDigit1to9(line[i])) {
      if (textToInt(line + i) != number) {
        handBack(callerLine, line);
        return;
      }
      int open = static_cast<int>(findWithin(line, passCharacters(line, i, 1), '(', 8));
      if (open < 0)
        reportSyntaxError(line, "Subquestion with zero points.\n");
      float points = 0;
      int text = readPoints(line, open, &points, "No closing parens around points.\n");
      if (index > MaxSubQuestionsPerQuestion)
        reportSyntaxError(
            line, "Exceeded maximum number of subquestions in one question which is limited to 63.\n");
      ++question->SubCount;
      noteRecordLine(line);
      current = newSubQuestion(line + text, points);
      current->Flags = static_cast<uint8_t>((current->Flags & 0x03) | (index << 2));
      ++index;
      last->SubLink = current;
      last = current;
      if (ParseWatch.Observer) {
        BodyLine sub = lineAs(BodyLineKind::SubQuestion, line, i, current);
        sub.Parent = question;
        sub.QuestionNumber = number;
        sub.PointsText = line + open + 1;
        tell(sub);
      }
    } else if (line[i] == '\\') {
      tell(BodyLineKind::Continuation, line, i, current ? current : question);
      appendQuestionLine(current ? current : question, line + i);
    } else if (isChoiceLetter(line[i])) {
      if (!current) {
        warnWithoutSubQuestion("multiple choices", number, line, question);
      } else {
        parseChoiceBlock(current, "   ", line, i);
        if (line[0] == '\0')
          break;
        continue;
      }
    } else if (isAnswerMark(line[i])) {
      if (!current) {
        warnWithoutSubQuestion("(a)n (non)answer", number, line, question);
      } else {
        tell(BodyLineKind::Answer, line, i, current);
        cutAnswerLine(line);
        addAnswer(current, line + i, 0);
      }
    } else {
      tellPassedOver(line, i);
    }
    nextExamLine(line, sizeof line);
  }
  callerLine[0] = '\0';
}

namespace {

// The observer is the parse's alone: it is let go however the parse ends, also when the
// program's end unwinds out of it in the instructor's tool.
class WatchedParse {
 public:
  explicit WatchedParse(BodyObserver* observer) { ParseWatch = BodyWatch{observer, 0, 0}; }
  ~WatchedParse() { ParseWatch = BodyWatch{}; }
  WatchedParse(const WatchedParse&) = delete;
  WatchedParse& operator=(const WatchedParse&) = delete;
};

}  // namespace

int parseQuestions(BodyObserver* observer) {
  WatchedParse watch(observer);
  State.QuestionsParsed = 0;
  char line[ExamLineCapacity];

  for (;;) {
    nextExamLine(line, PreambleLineCapacity);
    if (line[0] == '\0') {
      showMessageAndWait(
          "Fatal Error - Exam Format Corrupted - Did not find 'QUESTIONS' before end of file.\n\n",
          12);
      return -1;
    }
    if (sameLetters(line, "QUESTIONS", 9))
      break;
    tell(BodyLineKind::Preamble, line, 0);
  }
  // The character after the nine letters is passed unexamined.
  int count = 0;
  if (strlen(line) >= 10)
    count = textToInt(line + skipBlanks(line, 10));
  State.QuestionLimit = count == 0 ? 65535 : count;
  tell(BodyLineKind::QuestionsLine, line, 0);

  Question* current = nullptr;
  int questionLines = 0;
  bool comment = false;

  nextExamLine(line, sizeof line);
  while (line[0] != '\0') {
    int i = firstSignificant(line);
    if (inBlockComment(line, i, &comment)) {
      // done
    } else if (line[i] == '{') {
      if (State.PoolNumber == 0)
        reportSyntaxError(line, "Exceeded maximum number of POOLS which is limited to 255.\n\n");
      if (State.PoolMarks[State.PoolNumber] != 0)
        reportSyntaxError(line, "Cannot have nested pools of questions.\n\n");
      State.PoolMarks[State.PoolNumber] = State.PoolNumber;
      tell(BodyLineKind::PoolOpen, line, i);
    } else if (line[i] == '}') {
      if (State.PoolMarks[State.PoolNumber] == 0)
        reportSyntaxError(line,
                          "No set of questions is active, found a close set indicator '}' "
                          "without an open '{'.\n\n");
      tell(BodyLineKind::PoolClose, line, i);
      ++State.PoolNumber;  // after pool 255 no pool number is left
    } else if (isDigit1to9(line[i])) {
      ++questionLines;
      State.QuestionsParsed = static_cast<uint16_t>(questionLines);
      int number = textToInt(line + i) & 0xFFFF;
      if (number == 0)
        reportSyntaxError(line + i, "Failed to get question number.\n");
      int dot = static_cast<int>(findWithin(line, passCharacters(line, i, 1), '.', 5));
      if (dot < 0)
        reportSyntaxError(line, "Failed to find '.' after question number.\n");
      int at = static_cast<int>(skipBlanks(line, dot + 1));
      float points = NoPoints;
      int text = at;
      if (line[at] == '(')
        text = readPoints(line, at, &points,
                          "No closing parenethesis found after getting points.\n");

      // A simple question's text ends its last line before the next question begins;
      // a choice block already ends with one. A text with no room left for that line
      // feed is too long, as one whose choice block would not fit is.
      if (current && !(current->Flags & FlagChoiceBlock) && current->Points != NoPoints &&
          current->Points != 0) {
        size_t length = strlen(current->Text);
        if (length >= static_cast<size_t>(QuestionTextLimit))
          reportRecordTooLong(line);
        current->Text[length] = '\n';
        current->Text[length + 1] = '\0';
      }
      noteRecordLine(line);
      // The store stops the program at its slot limit, long before the count could wrap.
      current = newQuestion(static_cast<uint16_t>(questionLines > 0xFFFF ? 0xFFFF : questionLines),
                            line + text, points);
      if (ParseWatch.Observer) {
        BodyLine question = lineAs(BodyLineKind::Question, line, i, current);
        question.QuestionNumber = number;
        question.PointsText = line[at] == '(' ? line + at + 1 : nullptr;
        tell(question);
      }
      if (points == NoPoints) {
        parseSubQuestions(current, number, line);
        continue;
      }
    } else if (line[i] == '\\') {
      if (current) {
        tell(BodyLineKind::Continuation, line, i, current);
        appendQuestionLine(current, line + i);
      } else if (!tellDropped(line, i)) {
        consolePrintf(ConsoleStream::Err,
                      "Error - Found a continuation line without a question! line=%s\n\n",
                      line + i);
      }
    } else if (isChoiceLetter(line[i])) {
      if (current) {
        parseChoiceBlock(current, " ", line, i);
        continue;
      }
      if (!tellDropped(line, i))
        consolePrintf(ConsoleStream::Err,
                      "Error - Found multiple choices without a question! line=%s\n\n",
                      line + i);
    } else if (isAnswerMark(line[i])) {
      if (current) {
        tell(BodyLineKind::Answer, line, i, current);
        cutAnswerLine(line);
        addAnswer(current, line + i, 0);
      } else if (!tellDropped(line, i)) {
        consolePrintf(ConsoleStream::Err, "Error - Found an answer without a question! line=%s\n\n",
                      line + i);
      }
    } else {
      tellPassedOver(line, i);
    }
    nextExamLine(line, sizeof line);
  }
  return 0;
}
