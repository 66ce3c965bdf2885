#include "format/question_store.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console/console.h"
#include "format/exam_header.h"
#include "state/memory.h"


namespace {

bool hasHeapAnswers(const Question& record) {
  return record.Answers != nullptr && record.Answers != record.AnswerInline;
}

void releaseRecord(Question& record) {
  // Many slots a clear walks were never filled (a number the exam skips leaves its slot
  // empty): every record that is filled gets its Answers, so a record without Text,
  // Answers or a link holds nothing to free or reset. (Freeing their none would cost a
  // stack trace each under the address sanitizer, and resetting them a pass over the
  // whole store.)
  if (!record.Text && !record.Answers && !record.SubLink)
    return;
  free(record.Text);
  if (hasHeapAnswers(record))
    free(record.Answers);
  record = Question{};
}

// Points a record at its inline answer storage, emptied.
void resetAnswers(Question& record) {
  if (hasHeapAnswers(record))
    free(record.Answers);
  record.Answers = record.AnswerInline;
  record.AnswerInline[0] = '\0';
  record.AnswerCapacity = sizeof record.AnswerInline;
  record.AnswerLength = 0;
  record.AnswerCount = 0;
}

void startRecord(Question& record, float points, uint8_t flags) {
  resetAnswers(record);
  record.Points = points;
  record.Flags = flags;
  record.SubCount = 0;
  record.SubLink = nullptr;
  record.Pool = State.PoolMarks[State.PoolNumber];
}

// A copy of text on the heap, cut at the longest question text, with room for the line
// feed that the parser may add at its end.
char* copyText(const char* text, size_t* allocated) {
  size_t length = strnlen(text, QuestionTextLimit);
  *allocated = length + 4;
  char* copy = static_cast<char*>(AllocateMemory(*allocated));
  if (copy) {
    memcpy(copy, text, length);
    copy[length] = '\0';
  }
  return copy;
}

// A question text holds only characters that the question window and the completed-exam
// file show as they are: tabs and line ends stay, other control bytes and every byte from
// 0x7F up become blanks.
void cleanText(char* text) {
  for (unsigned char* c = reinterpret_cast<unsigned char*>(text); *c; ++c)
    if (*c >= 0x7F || (*c < 0x20 && *c != '\t' && *c != '\r' && *c != '\n'))
      *c = ' ';
}

const char* const QuestionTooLongMessage = "Error - Question text is longer than 4095 characters.\n";

// Text, a line feed and more (or more alone when there is no text) in a new allocation,
// or none when the allocation fails. The result never exceeds QuestionTextLimit: a
// longer question is an error in the exam. A continuation line is named itself; a choice
// block, whose lines have all been read by now, through its question's line.
char* joinText(const char* text, size_t keep, const char* more, bool atRecordLine,
               int* newLength) {
  size_t moreLength = strlen(more);
  size_t length = text ? keep + 1 + moreLength : moreLength;
  if (length > static_cast<size_t>(QuestionTextLimit)) {
    if (atRecordLine)
      reportRecordTooLong(more);
    reportSyntaxError(more, QuestionTooLongMessage);
  }
  *newLength = static_cast<int>(length);
  char* joined = static_cast<char*>(AllocateMemory(length + 4));
  if (!joined)
    return nullptr;
  size_t at = 0;
  if (text) {
    memcpy(joined, text, keep);
    joined[keep] = '\n';
    at = keep + 1;
  }
  memcpy(joined + at, more, moreLength + 1);
  return joined;
}

}  // namespace

Question* newQuestion(uint16_t slotIndex, char* text, float points) {
  if (slotIndex >= QuestionSlotCount) {
    consolePrintf(ConsoleStream::Err,
                  "You have used %u Questions which is greater than the max! Program needs "
                  "adjustment.\n\n",
                  static_cast<unsigned>(QuestionSlotCount));
    waitForEnter();
    endProgram(-1);
  }
  Question& record = State.QuestionSlots[slotIndex];
  if (record.Text) {
    consolePrintf(ConsoleStream::Err, "Error - Question index %d already used - exiting.\n\n",
                  slotIndex);
    showMessageAndWait("", DefaultAttribute);
    endProgram(-1);
  }
  if (!text)
    text = const_cast<char*>("");
  cleanText(text);
  size_t allocated = 0;
  char* copy = copyText(text, &allocated);
  if (!copy) {
    consolePrintf(ConsoleStream::Err, "Memory Error - Could not allocate %d bytes for question.\n\n",
                  static_cast<int>(allocated));
    showMessageAndWait("", DefaultAttribute);
    endProgram(-1);
  }
  record.Text = copy;
  startRecord(record, points, 0);
  if (slotIndex >= State.QuestionSlotsUsed)
    State.QuestionSlotsUsed = slotIndex + 1;
  return &record;
}

SubQuestion* newSubQuestion(const char* text, float points) {
  if (State.SubQuestionsUsed >= SubQuestionSlotCount) {
    consolePrintf(ConsoleStream::Err,
                  "You have used %u sub-questions! Program needs adjustment.\n\n",
                  static_cast<unsigned>(SubQuestionSlotCount));
    showMessageAndWait("newSubQuestion1", DefaultAttribute);
    endProgram(-1);
  }
  SubQuestion& record = State.SubQuestionSlots[State.SubQuestionsUsed++];
  if (!text)
    text = "";
  size_t allocated = 0;
  char* copy = copyText(text, &allocated);
  if (!copy) {
    consolePrintf(ConsoleStream::Err,
                  "Memory Error - Could not allocate %d bytes for a sub-question.\n\n",
                  static_cast<int>(allocated - 4));
    showMessageAndWait("newSubQuestion2", DefaultAttribute);
    endProgram(-1);
  }
  free(record.Text);
  record.Text = copy;
  startRecord(record, points, FlagSubQuestion);
  return &record;
}

void appendQuestionLine(Question* record, const char* line) {
  if (!record || !line)
    return;
  size_t keep = 0;
  if (record->Text) {
    keep = strlen(record->Text);
    // A text that already ends its line is not given a second line feed.
    if (keep > 0 && (record->Text[keep - 1] == '\n' || record->Text[keep - 1] == '\r'))
      --keep;
  }
  int length = 0;
  char* joined = joinText(record->Text, keep, line, false, &length);
  if (!joined) {
    consolePrintf(ConsoleStream::Err,
                  "Memory Error - Can't append this question: %s\nNo more heap memory.\n\n",
                  record->Text ? record->Text : "");
    waitForEnter();
    endProgram(-1);
  }
  free(record->Text);
  record->Text = joined;
}

void appendChoiceBlock(Question* record, const char* block) {
  if (!record || !block)
    return;
  record->Flags |= FlagChoiceBlock;
  size_t keep = record->Text ? strlen(record->Text) : 0;
  int length = 0;
  char* joined = joinText(record->Text, keep, block, true, &length);
  if (!joined) {
    consolePrintf(ConsoleStream::Err,
                  "Memory Error - Could not allocate %d bytes for question + multiple choice "
                  "answers.\n\n",
                  length);
    waitForEnter();
    endProgram(-1);
  }
  free(record->Text);
  record->Text = joined;
}

void noteRecordLine(const char* line) {
  State.RecordLineNumber = State.LineNumber;
  snprintf(State.RecordLine, sizeof State.RecordLine, "%s", line);
}

void reportRecordTooLong(const char* lineBeingRead) {
  if (State.RecordLineNumber > 0)
    reportSyntaxErrorAt(State.RecordLineNumber, State.RecordLine, QuestionTooLongMessage);
  reportSyntaxError(lineBeingRead, QuestionTooLongMessage);
}

int trimTrailingBlanks(char* text, int length) {
  int at = length;
  while (at >= 0 && (text[at] == ' ' || text[at] == '\t' || text[at] == '\n' || text[at] == '\0')) {
    text[at] = '\0';
    --at;
  }
  return at + 1;
}

void addAnswer(Question* record, char* text, uint8_t replace) {
  if (!text) {
    if (!replace)
      showMessageAndWait("Answer is null.\n\n", DefaultAttribute);
    return;
  }
  if (!record)
    return;
  if (!record->Answers)
    resetAnswers(*record);

  int start = 0;
  while (text[start] == ' ' || text[start] == '\t' || text[start] == '\n' || text[start] == '\r')
    ++start;
  if (!replace && text[start] != '&' && text[start] != '!') {
    consolePrintf(ConsoleStream::Err, "Error - Did not find indication of answer: [idx1=%d] %s.\n\n",
                  start, text + start);
    waitForEnter();
    return;
  }

  // An answer of blanks only is stored as a mark of its own. The mark is not written
  // over the caller's text, which may be shorter than the mark.
  static const char NoAnswer[] = "&-->NO_ANSWER<--";
  const char* answer = text + start;
  int length = 0;
  if (*answer == '\0') {
    answer = NoAnswer;
    length = sizeof NoAnswer - 1;
  } else {
    length = trimTrailingBlanks(text + start, static_cast<int>(strlen(text + start)));
  }

  if (replace)
    resetAnswers(*record);

  if (record->AnswerCount >= MaxAnswersPerRecord) {
    showMessageAndWait("Error - Failed to add answer - a question holds at most 255 answers.\n\n",
                       12);
    return;
  }

  while (length >= record->AnswerCapacity - record->AnswerLength) {
    int capacity = ((record->AnswerLength + length) & ~15) + 32;
    if (capacity >= AnswerStorageLimit) {
      showMessageAndWait(
          "Error - Failed to add answer - question / answer buffer is 64K and full.\n\n", 12);
      return;
    }
    char* grown = static_cast<char*>(AllocateMemory(static_cast<size_t>(capacity)));
    if (!grown) {
      consolePrintf(ConsoleStream::Out,
                    "Memory Warning! - ANSWER limited to %u bytes - memory limited - could not "
                    "allocate %d bytes.\n\n",
                    static_cast<unsigned>(record->AnswerCapacity - 1), capacity);
      waitForEnter();
      return;
    }
    memcpy(grown, record->Answers, record->AnswerLength);
    if (hasHeapAnswers(*record))
      free(record->Answers);
    record->Answers = grown;
    record->AnswerCapacity = static_cast<uint16_t>(capacity);
  }
  memcpy(record->Answers + record->AnswerLength, answer, static_cast<size_t>(length));
  record->Answers[record->AnswerLength + length] = '\0';
  record->AnswerLength = static_cast<uint16_t>(record->AnswerLength + length + 1);
  ++record->AnswerCount;
}

void clearQuestionStore() {
  memset(State.PoolMarks, 0, sizeof State.PoolMarks);
  State.PoolNumber = 1;
  State.SkipCount = 0;
  for (SkipListSlot& slot : State.SkipList)
    slot = SkipListSlot{};
  // Only newQuestion fills a question slot, so none lies beyond the highest it filled. A
  // walk over all 1,024 slots would cost more than most loads that fail early.
  for (int32_t i = 0; i < State.QuestionSlotsUsed && i < QuestionSlotCount; ++i)
    releaseRecord(State.QuestionSlots[i]);
  State.QuestionSlotsUsed = 0;
  // Sub-questions are released from their slots rather than through their questions'
  // chains, so that one made but never linked is freed too. They take their slots in
  // order, so none lies beyond the count used.
  for (int32_t i = 0; i < State.SubQuestionsUsed && i < SubQuestionSlotCount; ++i)
    releaseRecord(State.SubQuestionSlots[i]);
  State.SubQuestionsUsed = 0;
  State.RecordLineNumber = 0;
  State.RecordLine[0] = '\0';
}

const char* firstAnswer(const Question* record) {
  if (!record || !record->Answers || record->AnswerCount == 0)
    return "";
  return record->Answers;
}

namespace {

void describeRecord(const Question& record, std::string* out) {
  char numbers[160];
  snprintf(numbers, sizeof numbers, "points %a flags %u pool %u subs %u answers %u\n",
           static_cast<double>(record.Points), record.Flags, record.Pool, record.SubCount,
           record.AnswerCount);
  *out += numbers;
  *out += "text ";
  *out += record.Text ? record.Text : "(none)";
  *out += "\nanswers ";
  if (record.Answers)
    out->append(record.Answers, record.AnswerLength);
  *out += "\n";
}

}  // namespace

std::string describeQuestionStore() {
  char numbers[160];
  snprintf(numbers, sizeof numbers, "parsed %u limit %d pool number %u slots %d subs %d\n",
           State.QuestionsParsed, State.QuestionLimit, State.PoolNumber,
           State.QuestionSlotsUsed, State.SubQuestionsUsed);
  std::string out = numbers;
  for (int pool = 0; pool < 256; ++pool)
    if (State.PoolMarks[pool] != 0)
      out += "pool mark " + std::to_string(pool) + "\n";
  for (int32_t slot = 0; slot < State.QuestionSlotsUsed && slot < QuestionSlotCount; ++slot) {
    const Question& question = State.QuestionSlots[slot];
    if (!question.Text && !question.Answers)
      continue;
    out += "question " + std::to_string(slot) + "\n";
    describeRecord(question, &out);
    for (const Question* sub = question.SubLink; sub; sub = sub->SubLink) {
      out += "sub\n";
      describeRecord(*sub, &out);
    }
  }
  return out;
}
