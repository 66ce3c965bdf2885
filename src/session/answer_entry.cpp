#include "session/answer_entry.h"

#include <cstring>

#include "console/console.h"
#include "format/question_store.h"
#include "result/record_text.h"
#include "result/record_writer.h"
#include "window/question_window.h"

const char* const AllWhitespaceMessage =
    "\n\n Your answer is invalid because it is ALL whitespace. Enter at least one character.\n\n";

namespace {

constexpr int AnswerCapacity = 4096;

bool isAllWhitespace(const char* line) {
  for (; *line; ++line)
    if (*line != ' ' && *line != '\t' && *line != '\n' && *line != '\r')
      return false;
  return true;
}

// Every answer attempt is on the disk before the student sees the next prompt: an answer
// shown as confirmed must survive a power cut.
void writeTickRecord(const char* format, uint32_t tick, const char* text, FILE* stream) {
  std::string record;
  appendFormat(&record, format, tick, text);
  writeEncipheredRecord(&record, stream);
  syncRecords(stream);
}

// True when the answer, trimmed as the question store trims answers (blanks, tabs and
// line ends in front, blanks, tabs and line feeds behind), is "#skip" in any letter case.
bool storesAsSkip(const char* line) {
  while (*line == ' ' || *line == '\t' || *line == '\n' || *line == '\r')
    ++line;
  size_t length = strlen(line);
  while (length > 0 && (line[length - 1] == ' ' || line[length - 1] == '\t' ||
                        line[length - 1] == '\n'))
    --length;
  if (length != 5)
    return false;
  char word[6] = {};
  memcpy(word, line, 5);
  return isCommand(word, "#skip");
}

}  // namespace

bool isCommand(const char* line, const char* command) {
  for (; *line && *command; ++line, ++command) {
    char c = *line >= 'A' && *line <= 'Z' ? static_cast<char>(*line + 32) : *line;
    if (c != *command)
      return false;
  }
  return *line == '\0' && *command == '\0';
}

int enterAnswer(bool* confirmed, Question* record, FILE* stream) {
  *confirmed = false;
  char answer[AnswerCapacity];
  memset(answer, 0, sizeof answer);
  // Room for a whole answer and the words around it.
  char confirmation[AnswerCapacity + 128];

  for (bool firstAttempt = true;; firstAttempt = false) {
    bool review = reviewModeOn();
    bool skipRequested = false;

    // The question with its countdown is printed before the first attempt; a student
    // asked again sees how much time is left again.
    if (!firstAttempt)
      printCountdownInConsoleView();

    const char* prior = firstAnswer(record);
    if (prior[0] != '\0') {
      setConsoleAttribute(ConsoleStream::Out, 10);
      consolePrintf(ConsoleStream::Out, "\nPrior Answer:\n\n%s\n\n", prior);
      setConsoleAttribute(ConsoleStream::Out, DefaultAttribute);
    }

    int key = readConsoleLine(answer, AnswerCapacity, "\nAnswer?\n", review);
    if (key != 0)
      return key;

    if (answer[0] != '\0' && isAllWhitespace(answer)) {
      setConsoleAttribute(ConsoleStream::Err, DefaultAttribute);
      consolePrintf(ConsoleStream::Err, "%s\n\n", AllWhitespaceMessage);
      setConsoleAttribute(ConsoleStream::Err, DefaultAttribute);
      char scratch;
      askKeyChoice(&scratch, nullptr, 0, nullptr, DefaultAttribute);
      continue;
    }

    uint32_t tick = platform().tickCount();

    if (answer[0] == '\0') {
      if (review)
        return AnswerStored;
      continue;
    }

    if (isCommand(answer, "#done") || isCommand(answer, "#exit")) {
      writeTickRecord("tck:%08X\n****** %s *****\n\n", tick, answer, stream);
      char choice;
      askKeyChoice(&choice, nullptr, 0,
                   "\n\nNOTE: You have chosen to EXIT this exam - if you are SURE, answer 'Y' or "
                   "'y'\n\n",
                   12);
      consoleWrite(ConsoleStream::Out, "\n\n");
      if (choice == 'Y' || choice == 'y') {
        State.EndReason = 2;
        return SessionOver;
      }
      continue;
    }

    const char* prompt;
    int attribute;
    // An answer that would be stored as "#skip" reopens its question like the command
    // does, so it must count against the skip limit like the command.
    if (storesAsSkip(answer)) {
      if (review) {
        answer[0] = '\0';
        showMessageAndWait(
            "\n\nNOTE: You have attempted to SKIP this question - since you can up/dn arrow "
            "between questions #skip is disabled.\n\nPress ENTER\n\n",
            14);
        continue;
      }
      prompt =
          "\n\nNOTE: You have chosen to SKIP this question - if you are SURE, answer 'Y' or "
          "'y'\n\n";
      attribute = 14;
      skipRequested = true;
    } else if (isCommand(answer, "skip")) {
      prompt =
          "\n\nWARNING! You have entered 'skip' and not '#skip' - if you intended to SKIP "
          "this question, answer 'N' or 'n' then answer '#skip' instead.\n\n";
      attribute = 11;
    } else {
      snprintf(confirmation, sizeof confirmation,
               "\n\nYour Answer: \"%s\"\n\n --- Enter 'Y' or 'y' if correct.", answer);
      prompt = confirmation;
      attribute = DefaultAttribute;
    }

    char choice;
    askKeyChoice(&choice, "YyNn", 4, prompt, attribute);
    consoleWrite(ConsoleStream::Out, "\n\n");

    if (choice == 'Y' || choice == 'y') {
      *confirmed = true;
      addAnswer(record, answer, 1);
      writeTickRecord("tck:%08X - ANSWER CONFIRMED:\n%s\n", tick, firstAnswer(record), stream);
      if (!skipRequested)
        return AnswerStored;
      if (State.SkipCount < 3)
        return AnswerSkipped;
      showMessageAndWait(
          "Warning - Skip list is full. Take another shot at this question.\n\nPress ENTER to "
          "continue ... \n\n",
          DefaultAttribute);
      continue;
    }
    writeTickRecord("tck:%08X - ANSWER REJECTED:\n%s\n", tick, firstAnswer(record), stream);
  }
}
