#include "format/exam_text_parse.h"

#include <cstdlib>
#include <cstring>

#include "console/console.h"
#include "format/question_store.h"
#include "platform/forwarding_platform.h"

namespace {

struct ParseEnded {
  int Status;
};

// Stands in for the console while the text is parsed: what the parser writes is kept,
// its press-ENTER pauses pass at once, and its end of the program unwinds to
// parseExamText. Everything else goes to the system as before.
class KeptMessages : public UnattendedPlatform {
 public:
  void write(ConsoleStream, const char* text, size_t length) override {
    if (length == strlen(PressEnterBanner) && memcmp(text, PressEnterBanner, length) == 0)
      return;
    kept_.append(text, length);
  }
  void setAttribute(ConsoleStream, int) override {}
  [[noreturn]] void exitProcess(int status) override { throw ParseEnded{status}; }

  const std::string& kept() const { return kept_; }

 private:
  std::string kept_;
};

// The platform in place before the parse is put back however the parse ends.
class StandIn {
 public:
  explicit StandIn(Platform* standIn) : before_(&platform()) { setPlatform(standIn); }
  ~StandIn() { setPlatform(before_); }
  StandIn(const StandIn&) = delete;
  StandIn& operator=(const StandIn&) = delete;

 private:
  Platform* before_;
};

// A stop that names a line reads "LineNumber: N --> Syntax Error - line="..."", a blank
// line, then the message; other stops are their message alone, at the line last read.
void findStop(const std::string& messages, ExamTextParse* parse) {
  static const char Lead[] = "LineNumber: ";
  size_t at = messages.rfind(Lead);
  size_t message = 0;
  if (at != std::string::npos) {
    parse->StopLine = atoi(messages.c_str() + at + strlen(Lead));
    size_t lineEnd = messages.find("\"\n\n", at);
    message = lineEnd == std::string::npos ? messages.size() : lineEnd + 3;
  }
  while (message < messages.size() && (messages[message] == '\n' || messages[message] == '\r'))
    ++message;
  size_t end = messages.find('\n', message);
  parse->StopMessage = messages.substr(message, end == std::string::npos ? end : end - message);
}

}  // namespace

ExamTextParse parseExamText(const std::string& text, BodyObserver* observer) {
  ExamTextParse parse;
  KeptMessages console;
  int result = -1;
  {
    StandIn standIn(&console);
    try {
      clearQuestionStore();
      State.LineNumber = 0;
      State.Body.Text = text.c_str();
      State.Body.Position = 0;
      State.Body.End = text.size();
      result = parseQuestions(observer);
    } catch (const ParseEnded&) {
      result = -1;
    }
    State.Body = BodyText();
  }
  parse.Messages = console.kept();
  parse.Read = result == 0;
  if (!parse.Read) {
    parse.StopLine = State.LineNumber;
    findStop(parse.Messages, &parse);
  }
  return parse;
}

void dropByteOrderMark(std::string* text) {
  if (text->compare(0, 3, "\xEF\xBB\xBF") == 0)
    text->erase(0, 3);
}
