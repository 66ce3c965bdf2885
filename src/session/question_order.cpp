#include "session/question_order.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "console/console.h"
#include "crypto/key_data.h"
#include "format/question_store.h"
#include "result/record_text.h"
#include "result/record_writer.h"
#include "session/answer_entry.h"
#include "session/time_allowance.h"
#include "session/window_message.h"
#include "state/memory.h"
#include "window/question_window.h"

namespace {

uint32_t littleEndianWord(const uint8_t* bytes) {
  return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (uint32_t{bytes[3]} << 24);
}

const char* unitOf(float points) {
  return points == 1.0f ? "pt" : "pts";
}

// The window text is cut at the window buffer's end; the records carry the whole text.
void publishWindowText(int length) {
  if (length < 0)
    length = 0;
  if (length >= QuestionTextCapacity)
    length = QuestionTextCapacity - 1;
  publishQuestionText(static_cast<uint32_t>(length));
}

}  // namespace

QListEntry* appendQListEntry(Question* question, SubQuestion* sub) {
  void* memory = AllocateMemory(sizeof(QListEntry));
  if (!memory) {
    consolePrintf(ConsoleStream::Err, "Fatal Error - Could not allocate %d bytes for QLIST object.\n\n",
                  20);
    endProgram(-1);
  }
  QListEntry* entry = new (memory) QListEntry;
  entry->Owner = question;
  entry->Sub = sub;
  entry->Previous = State.QListTail;
  if (State.QListTail)
    State.QListTail->Next = entry;
  else
    State.QListHead = entry;
  State.QListTail = entry;
  return entry;
}

QListEntry* buildQuestionList() {
  uint32_t tick = platform().tickCount();
  uint32_t n = uint32_t{State.QuestionsParsed} + 1;
  uint32_t lower = 0;
  uint32_t p = primeBracket(n, &lower);
  // The walk needs a prime of at least n positions; 2 is the least that gives a step.
  if (p < n || p < 2)
    p = n < 2 ? 2 : n;

  uint32_t start = 0;
  uint32_t step = 1;
  if (State.OrderMode != '+') {
    const uint8_t* digest = State.ResultCipherState.Digest;
    start = (littleEndianWord(digest + 1) ^ tick) % n;
    step = ((littleEndianWord(digest + 5) ^ tick) % (p - 1)) + 1;
  }

  // The parser's pool marks are spent; here a mark means "this pool has its question".
  memset(State.PoolMarks, 0, sizeof State.PoolMarks);
  uint16_t number = 1;
  int64_t made = 0;
  uint32_t position = start;
  do {
    if (position >= 1 && position <= State.QuestionsParsed && position < QuestionSlotCount &&
        State.QuestionSlots[position].Text) {
      Question* question = &State.QuestionSlots[position];
      bool take = true;
      if (question->Pool != 0) {
        if (State.PoolMarks[question->Pool] != 0)
          take = false;
        else
          State.PoolMarks[question->Pool] = question->Pool;
      }
      if (take) {
        if (!question->SubLink) {
          appendQListEntry(question, nullptr)->Number = number;
          ++made;
        } else {
          for (SubQuestion* sub = question->SubLink; sub; sub = sub->SubLink) {
            appendQListEntry(question, sub)->Number = number;
            ++made;
          }
        }
        ++number;
      }
    }
    position += step;
    if (position >= p)
      position -= p;
  } while (position != start && made < State.QuestionLimit);
  return State.QListHead;
}

bool isOpenEntry(const QListEntry* entry) {
  if (!entry->Confirmed)
    return true;
  const char* answer = firstAnswer(entry->Sub ? entry->Sub : entry->Owner);
  return answer[0] == '\0' || isCommand(answer, "#skip");
}

uint32_t countQListEntries() {
  uint32_t count = 0;
  for (const QListEntry* entry = State.QListHead; entry; entry = entry->Next)
    ++count;
  return count;
}

QListEntry* findOpenEntry(bool forwards, QListEntry* start) {
  if (!start)
    return nullptr;
  QListEntry* entry = start;
  do {
    if (isOpenEntry(entry))
      return entry;
    if (forwards)
      entry = entry->Next ? entry->Next : State.QListHead;
    else
      entry = entry->Previous ? entry->Previous : State.QListTail;
  } while (entry != start);
  return nullptr;
}

void freeQuestionList() {
  QListEntry* entry = State.QListHead;
  while (entry) {
    QListEntry* next = entry->Next;
    free(entry);
    entry = next;
  }
  State.QListHead = nullptr;
  State.QListTail = nullptr;
  State.QuestionsAnswered = 0;
}

int presentQuestion(bool* firstAnswerGiven, QListEntry* entry, FILE* stream) {
  uint32_t tick = platform().tickCount();
  checkTimeAllowance();
  *firstAnswerGiven = false;
  if (State.EndReason != 0) {
    memcpy(State.QuestionText, "    ", 5);
    publishMessageText(4);
    clearScreen();
    return SessionOver;
  }

  Question* question = entry->Owner;
  // The student is told how many entries this session asks, which a question limit or
  // pools make fewer than the exam's questions.
  uint32_t entryCount = countQListEntries();
  std::string record;
  bool confirmed = false;
  int result;
  if (!entry->Sub) {
    float points = question->Points;
    int length = snprintf(State.QuestionText, sizeof State.QuestionText,
                          "--->  Questions Answered #%u of %u\n\n%02d. (%5.1f %s) %s\n",
                          State.QuestionsAnswered, entryCount, entry->Number,
                          static_cast<double>(points), unitOf(points), question->Text);
    publishWindowText(length);
    appendFormat(&record, "tck:%08X\n%02d. (%5.1f %s) %s\n", tick, entry->Number,
                 static_cast<double>(points), unitOf(points), question->Text);
    writeEncipheredRecord(&record, stream);
    // What the student was shown is on the disk before the answer is asked for.
    syncRecords(stream);
    result = enterAnswer(&confirmed, question, stream);
  } else {
    SubQuestion* sub = entry->Sub;
    float points = sub->Points;
    int length = snprintf(
        State.QuestionText, sizeof State.QuestionText,
        "--->  Questions Answered #%u of %u\n\n%02d. %s\n===> SubQuestion #%u of %u\n\n%02d.%c. "
        "(%5.1f %s) %s\n",
        State.QuestionsAnswered, entryCount, entry->Number, question->Text,
        subQuestionIndex(sub), question->SubCount, entry->Number, subQuestionLetter(sub),
        static_cast<double>(points), unitOf(points), sub->Text);
    publishWindowText(length);
    appendFormat(&record, "%02d. %s\n", entry->Number, question->Text);
    writeEncipheredRecord(&record, stream);
    record.clear();
    appendFormat(&record, "tck:%08X\n%02d.%c. (%5.1f %s) %s\n", tick, entry->Number,
                 subQuestionLetter(sub), static_cast<double>(points), unitOf(points), sub->Text);
    writeEncipheredRecord(&record, stream);
    syncRecords(stream);
    result = enterAnswer(&confirmed, sub, stream);
  }
  if (confirmed) {
    *firstAnswerGiven = !entry->Confirmed;
    entry->Confirmed = true;
  }

  if (result == AnswerSkipped) {
    SkipListSlot& slot = State.SkipList[State.SkipCount];
    slot.Owner = question;
    slot.Sub = entry->Sub;
    slot.Number = entry->Number;
    ++State.SkipCount;
    static const char* const Ordinals[4] = {"", "1st", "2nd", "3rd"};
    consolePrintf(ConsoleStream::Out, "Added %s question to SkipList - %d remaining.\n\n",
                  Ordinals[State.SkipCount], 3 - State.SkipCount);
    waitForEnter();
  }
  clearScreen();
  return result;
}
