#include "format/answer_key.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "format/exam_text_parse.h"
#include "format/line_scan.h"
#include "format/question_store.h"

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// A number as a student types one: a leading sign, digits, a decimal point. The length
// of the number at text, or 0 when none begins there.
size_t numberLength(const char* text) {
  size_t at = 0;
  if (text[at] == '+' || text[at] == '-')
    ++at;
  size_t digits = 0;
  while (isDigit(text[at])) {
    ++at;
    ++digits;
  }
  if (text[at] == '.') {
    ++at;
    while (isDigit(text[at])) {
      ++at;
      ++digits;
    }
  }
  return digits > 0 ? at : 0;
}

std::string trimmedEnd(const char* text) {
  size_t length = strlen(text);
  while (length > 0 && isBlank(text[length - 1]))
    --length;
  return std::string(text, length);
}

// The credit before the answer: digits and '%', then blanks and the answer. Without an
// answer after it, "50%" is the answer itself. Moves *at past it; false (with *error)
// when the percentage is out of range.
bool readPercent(const char* line, size_t* at, int* percent, std::string* error) {
  size_t digits = *at;
  while (isDigit(line[digits]))
    ++digits;
  if (digits == *at || line[digits] != '%' || !isBlank(line[digits + 1]))
    return true;
  size_t answer = skipBlanks(line, digits + 1);
  if (line[answer] == '\0')
    return true;
  long value = strtol(line + *at, nullptr, 10);
  if (value < 1 || value > 100 || digits - *at > 3) {
    *error = "the credit " + std::string(line + *at, digits + 1 - *at) +
             " is not from 1% to 100%";
    return false;
  }
  *percent = static_cast<int>(value);
  *at = answer;
  return true;
}

// Questions are numbered by their slot, as the completed file's echo numbers them.
std::string slotNumber(const Question* question) {
  return std::to_string(question - State.QuestionSlots);
}

}  // namespace

bool parseKeyLine(const char* line, KeyAnswer* answer, std::string* error) {
  size_t at = skipBlanks(line, 0);
  if (line[at] != '=') {
    *error = "a key line begins with '='";
    return false;
  }
  at = skipBlanks(line, at + 1);
  *answer = KeyAnswer();
  if (!readPercent(line, &at, &answer->Percent, error))
    return false;
  std::string rest = trimmedEnd(line + at);
  if (rest.empty()) {
    *error = "the key line gives no answer after its '='";
    return false;
  }
  const char* text = rest.c_str();
  size_t number = numberLength(text);
  if (number > 0) {
    size_t after = skipBlanks(text, number);
    if (text[after] == '\0' || (text[after] == '+' && text[after + 1] == '-')) {
      answer->Form = KeyForm::Number;
      answer->Value = strtod(std::string(text, number).c_str(), nullptr);
      if (text[after] == '\0')
        return true;
      const char* tolerance = text + skipBlanks(text, after + 2);
      size_t length = numberLength(tolerance);
      if (length == 0 || tolerance[length] != '\0') {
        *error = "the tolerance \"" + std::string(tolerance) + "\" is not a number";
        return false;
      }
      answer->Tolerance = strtod(tolerance, nullptr);
      if (answer->Tolerance < 0) {
        *error = "the tolerance \"" + std::string(tolerance) + "\" is below 0";
        return false;
      }
      return true;
    }
  }
  answer->Form = KeyForm::Text;
  answer->Text = rest;
  return true;
}

KeyedItem* KeyCollector::owner(const Question* record) {
  for (size_t i = key_.Items.size(); i-- > 0;)
    if (records_[i] == record)
      return &key_.Items[i];
  return nullptr;
}

void KeyCollector::lineTaken(const BodyLine& line) {
  switch (line.Kind) {
    case BodyLineKind::Question: {
      const Question* question = line.Record;
      // A question without points of its own is scored by its sub-questions; one that
      // never gets any is asked all the same, and worth nothing.
      provisional_ = false;
      KeyedItem item;
      item.Number = slotNumber(question);
      item.Points = question->Points < 0 ? 0 : question->Points;
      item.Pool = question->Pool;
      item.LineNumber = line.Number;
      key_.Items.push_back(item);
      records_.push_back(question);
      if (question->Points != -1.0f) {
        current_ = static_cast<int>(key_.Items.size()) - 1;
        pointless_ = nullptr;
      } else {
        current_ = -1;
        pointless_ = question;
        pointlessNumber_ = line.QuestionNumber;
        provisional_ = true;
      }
      break;
    }
    case BodyLineKind::SubQuestion: {
      const Question* sub = line.Record;
      if (provisional_) {
        // The question is scored by its sub-questions after all.
        key_.Items.pop_back();
        records_.pop_back();
        provisional_ = false;
      }
      KeyedItem item;
      item.Number = slotNumber(line.Parent) + "." + subQuestionLetter(sub);
      item.Points = sub->Points;
      item.Pool = line.Parent->Pool;
      item.LineNumber = line.Number;
      key_.Items.push_back(item);
      records_.push_back(sub);
      current_ = static_cast<int>(key_.Items.size()) - 1;
      break;
    }
    case BodyLineKind::Choice:
      if (KeyedItem* item = owner(line.Record)) {
        item->Choice = true;
        item->Letters += line.Text[line.First];
      }
      break;
    case BodyLineKind::PoolOpen:
    case BodyLineKind::PoolClose:
      current_ = -1;
      pointless_ = nullptr;
      break;
    case BodyLineKind::Key: {
      if (current_ < 0) {
        if (pointless_)
          refusals_.push_back(
              {line.Number, "question " + std::to_string(pointlessNumber_) +
                                " has no points of its own: give the key after each of its "
                                "sub-questions"});
        else
          refusals_.push_back({line.Number,
                               "this key line follows no question or sub-question (a key "
                               "line goes right after the lines of its question)"});
        break;
      }
      KeyAnswer answer;
      std::string error;
      if (!parseKeyLine(line.Text, &answer, &error)) {
        refusals_.push_back({line.Number, error});
        break;
      }
      answer.LineNumber = line.Number;
      key_.Items[current_].Answers.push_back(answer);
      break;
    }
    default:
      break;
  }
}

int KeyCollector::keyedCount() const {
  int count = 0;
  for (const KeyedItem& item : key_.Items)
    if (!item.Answers.empty())
      ++count;
  return count;
}

std::vector<KeyCollector::Refusal> KeyCollector::doubtfulLetters() const {
  std::vector<Refusal> notes;
  for (const KeyedItem& item : key_.Items) {
    if (!item.Choice)
      continue;
    for (const KeyAnswer& answer : item.Answers) {
      if (answer.Form != KeyForm::Text || answer.Text.size() != 1 ||
          !isalpha(static_cast<unsigned char>(answer.Text[0])))
        continue;
      char letter = static_cast<char>(tolower(static_cast<unsigned char>(answer.Text[0])));
      if (item.Letters.find(letter) == std::string::npos)
        notes.push_back({answer.LineNumber, "the key '" + answer.Text +
                                                "' is not one of the choices of question " +
                                                item.Number + " (" + item.Letters + ")"});
    }
  }
  return notes;
}

namespace {

class KeyReading : public BodyObserver {
 public:
  void lineTaken(const BodyLine& line) override {
    if (line.Kind == BodyLineKind::QuestionsLine)
      questionsLine = true;
    collector.lineTaken(line);
  }
  KeyCollector collector;
  bool questionsLine = false;
};

}  // namespace

bool readExamKey(const std::string& examText, ExamKey* key, std::string* error) {
  std::string text = examText;
  dropByteOrderMark(&text);
  KeyReading reading;
  ExamTextParse parse = parseExamText(text, &reading);
  clearQuestionStore();
  if (!reading.questionsLine) {
    *error = "the exam text has no QUESTIONS line";
    return false;
  }
  if (!parse.Read) {
    *error = "line " + std::to_string(parse.StopLine) + ": " + parse.StopMessage;
    return false;
  }
  if (!reading.collector.refusals().empty()) {
    const KeyCollector::Refusal& first = reading.collector.refusals().front();
    *error = "line " + std::to_string(first.LineNumber) + ": " + first.Message;
    return false;
  }
  *key = reading.collector.key();
  return true;
}
