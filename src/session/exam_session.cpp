#include "session/exam_session.h"

#include <cstring>
#include <string>

#include "console/console.h"
#include "examfile/cipher.h"
#include "format/question_store.h"
#include "result/record_text.h"
#include "result/record_writer.h"
#include "result/result_blocks.h"
#include "result/stamped_time.h"
#include "session/answer_entry.h"
#include "session/question_order.h"
#include "session/time_allowance.h"
#include "state/session_clock.h"
#include "session/window_message.h"
#include "window/question_window.h"

namespace {

void printIn(int attribute, const char* text) {
  setConsoleAttribute(ConsoleStream::Out, attribute);
  consoleWrite(ConsoleStream::Out, text);
}

void showInstructions(const char* directory, const char* resultFileName) {
  char hashes[73];
  char stars[73];
  memset(hashes, '#', 72);
  hashes[72] = '\0';
  memset(stars, '*', 72);
  stars[72] = '\0';

  setConsoleAttribute(ConsoleStream::Out, 10);
  consolePrintf(ConsoleStream::Out, "%s\n\nYour completed Exam XMC file will be here:\n\n", hashes);
  setConsoleAttribute(ConsoleStream::Out, 14);
  consolePrintf(ConsoleStream::Out, "--> %s\n\n", directory);
  printIn(10, "*** Submit this XMC file: \n\n");
  setConsoleAttribute(ConsoleStream::Out, 14);
  consolePrintf(ConsoleStream::Out, "-->  %s\n\n", resultFileName);
  setConsoleAttribute(ConsoleStream::Out, 10);
  consolePrintf(ConsoleStream::Out, "%s\n\n", hashes);
  printIn(12, "Do NOT submit the .exm file and do NOT change the XMC file's name.\n\n");
  printIn(DefaultAttribute, "To EXIT early, type #exit as your answer and confirm.\n\n");
  consoleWrite(ConsoleStream::Out,
               "If you wish to SKIP a question (save for later), type #skip and confirm.\n\n");
  setConsoleAttribute(ConsoleStream::Out, 11);
  consolePrintf(ConsoleStream::Out, "%s\n", stars);
  consoleWrite(ConsoleStream::Out,
               "*****                  PRESS ENTER TO BEGIN EXAM                   *****\n"
               "*****      The clock starts when the question window pops up       *****\n");
  consolePrintf(ConsoleStream::Out, "%s\n", stars);
  setConsoleAttribute(ConsoleStream::Out, DefaultAttribute);
}

SystemTime localNow() {
  SystemTime utc = platform().systemTimeUtc();
  SystemTime local = utc;
  if (!platform().utcToLocal(utc, &local))
    local = utc;
  return local;
}

// The question loop; returns when the session is over or every question is answered.
void runQuestionLoop(QListEntry* entry, FILE* stream) {
  bool firstAnswerGiven = false;
  bool reviewNoticeShown = false;
  for (;;) {
    int result = presentQuestion(&firstAnswerGiven, entry, stream);
    switch (result) {
      case KeyUp:
        entry = entry->Previous ? entry->Previous : State.QListTail;
        continue;
      case KeyDown:
        entry = entry->Next ? entry->Next : State.QListHead;
        continue;
      case KeyPageUp:
      case KeyPageDown: {
        QListEntry* open = findOpenEntry(result == KeyPageDown, entry);
        if (open)
          entry = open;
        else
          showMessageAndWait(
              "All questions have been answered, but you can review with up/down arrows.\n\nAt "
              "any question, Enter '#done' to complete the exam.\n\nPress ENTER to Continue ... "
              "\n\n",
              13);
        continue;
      }
      case AnswerStored:
      case AnswerSkipped:
        break;
      default:
        return;
    }

    if (firstAnswerGiven)
      ++State.QuestionsAnswered;
    QListEntry* next = entry->Next ? entry->Next : State.QListHead;
    QListEntry* open = findOpenEntry(true, next);
    if (open) {
      entry = open;
      continue;
    }
    if (!reviewModeOn()) {
      showMessageAndWait(
          "\n\nYou have answered all the questions.\n\nPress ENTER to Complete the Exam\n\n", 10);
      return;
    }
    if (!reviewNoticeShown) {
      reviewNoticeShown = true;
      showMessageAndWait(
          "\n\nYou have answered all questions but may review (and change answers) until time "
          "expires.\n\nAt any question, Enter '#done' to complete the exam.\n\nPress ENTER to "
          "Continue ... \n\n",
          10);
    }
    entry = next;
  }
}

// Appends a piece of the final message to the window text; returns the length now used.
size_t appendWindowText(size_t used, const char* format, const char* argument) {
  if (used >= sizeof State.QuestionText - 1)
    return sizeof State.QuestionText - 1;
  int length = snprintf(State.QuestionText + used, sizeof State.QuestionText - used, format, argument);
  if (length < 0)
    return used;
  size_t end = used + static_cast<size_t>(length);
  return end < sizeof State.QuestionText ? end : sizeof State.QuestionText - 1;
}

}  // namespace

void markUnanswered() {
  for (QListEntry* entry = State.QListHead; entry; entry = entry->Next) {
    Question* record = entry->Sub ? entry->Sub : entry->Owner;
    if (firstAnswer(record)[0] != '\0')
      continue;
    char text[32];
    snprintf(text, sizeof text, "%s",
             State.EndReason == 1 ? "<<<(OTime)>>>: No Answer." : "<<<(EXIT DONE)>>>: No Answer.");
    addAnswer(record, text, 1);
  }
}

void runExamSession(FILE* stream, const char* resultFileName, int8_t counter) {
  // Each exam of a run starts clean: no warning given, no failed write reported.
  resetTimeWarnings();
  State.ResultWriteFailureShown = false;
  State.EndReason = 0;

  char directory[PathCapacity];
  if (!platform().fullPath(resultFileName, directory, sizeof directory))
    snprintf(directory, sizeof directory, "%s", resultFileName);
  char* lastSeparator = strrchr(directory, platform().pathSeparator());
  if (lastSeparator)
    lastSeparator[1] = '\0';
  // Where the file was made, so that its name is put on the disk with its first records.
  const char* folder = lastSeparator ? directory : ".";

  clearScreen();
  showInstructions(directory, resultFileName);
  char scratch;
  askKeyChoice(&scratch, nullptr, 0, nullptr, DefaultAttribute);

  State.SessionActive.store(1);
  // Until this exam's clock starts below, the window counts from now, so it opens on the
  // whole allowance in green. Left as it was, the clock would be whatever came before:
  // none yet, which reads as the time since the machine started, long exceeded in red,
  // or the last exam of the run.
  State.SessionStartTick.store(platform().tickCount());
  openQuestionWindow();

  writeExamLine(stream);

  uint32_t startTick = platform().tickCount();
  State.SessionStartTick.store(startTick);
  State.SessionStartSeconds.store(startTick / 1000);
  // The window opened before the clock started: its countdown shows this clock now.
  refreshQuestionWindow();

  SystemTime startLocal = State.LoadTime;
  if (!platform().utcToLocal(State.LoadTime, &startLocal))
    startLocal = State.LoadTime;
  char stamp[192];
  formatStampedTime("START TIME:", startLocal, stamp, sizeof stamp, true);
  consolePrintf(ConsoleStream::Out, "\n\n   %s\n\n", stamp);

  std::string record;
  appendFormat(&record, "; Name: %s (%s)\n\n", State.StudentFullName, State.StudentId);
  writeRecord(RecordMode::Plain, record.data(), record.size(), stream, false);
  deriveCipherState(&State.ResultCipherState);
  writeKeyStart(stream);
  formatStampedTime("@", startLocal, stamp, sizeof stamp, false);
  // ExamCount is computed in 32 bits, as the instructors' tools expect: a counter byte
  // that is not negative (an exam opened more than 127 times) shows as eight digits.
  uint32_t examCount = static_cast<uint32_t>(-1 - static_cast<int32_t>(counter));
  record.clear();
  appendFormat(&record, "; %s (tck:%08X) ExamCount:%02X\n\n", stamp, startTick, examCount);
  writeEncipheredRecord(&record, stream);
  // A file made moments before a power cut can come back empty, or not at all, unless
  // its bytes and its name are on the disk.
  syncRecords(stream, folder);

  QListEntry* first = buildQuestionList();
  if (!first) {
    showMessageAndWait("Fatal Error - Did not find any questions. Press ENTER to Exit.\n\n", 12);
    State.SessionActive.store(0);
    closeQuestionWindow();
    endProgram(-1);
  }

  runQuestionLoop(first, stream);

  markUnanswered();
  writeAnswerSummary(stream);
  syncRecords(stream);
  State.EndReason = 0;
  State.SessionActive.store(0);
  record = "\n\nEXAM COMPLETE:\n\n";
  writeEncipheredRecord(&record, stream);

  uint32_t endTick = platform().tickCount();
  State.SessionEndSeconds = endTick / 1000;
  SystemTime finishLocal = localNow();

  formatStampedTime("@", finishLocal, stamp, sizeof stamp, false);
  record.clear();
  appendFormat(&record, "; %s  (tck:%08X)\n\n", stamp, endTick);
  writeEncipheredRecord(&record, stream);
  record = "\n\nSAVING EXAM ... \n\n";
  writeRecord(RecordMode::Plain, record.data(), record.size(), stream, false);
  writeExamEcho(stream);
  // One sync for the whole closing part, not one for each of its many records: the file
  // is whole on the disk before the student is told to turn it in.
  syncRecords(stream);

  clearScreen();
  formatStampedTime("FINISH TIME:", finishLocal, stamp, sizeof stamp, true);
  char finishBlock[256];
  snprintf(finishBlock, sizeof finishBlock, "\n\n   %s\n\n", stamp);

  // Measured from the start tick, so a wrap of the tick count in between does not make
  // an early finish look 49 days late.
  uint32_t used = sessionElapsedSeconds(endTick);
  uint32_t limit = State.TimeLimitSeconds.load();
  const char* format;
  uint32_t seconds;
  if (used > limit) {
    seconds = used - limit;
    format = "You have finished this exam %u minutes and %u seconds late, but at least you're done! %s";
  } else {
    seconds = limit - used;
    format = "Congratulations! You have finished this exam with %u minutes and %u seconds left! %s";
  }
  int length = snprintf(State.QuestionText, sizeof State.QuestionText, format, seconds / 60,
                        seconds % 60, finishBlock);
  size_t messageLength = length < 0 ? 0 : static_cast<size_t>(length);
  if (messageLength >= sizeof State.QuestionText)
    messageLength = sizeof State.QuestionText - 1;

  freeQuestionList();

  setConsoleAttribute(ConsoleStream::Out, 10);
  consolePrintf(ConsoleStream::Out, "%s", State.QuestionText);
  setConsoleAttribute(ConsoleStream::Out, DefaultAttribute);

  // A file that lost records is named only after the student has been told so: it is
  // still the file to turn in, but the instructor must know what is missing.
  size_t turnInStart = messageLength;
  if (resultFileIncomplete()) {
    turnInStart = appendWindowText(messageLength, "%s", ResultIncompleteMessage);
    setConsoleAttribute(ConsoleStream::Out, 12);
    consoleWrite(ConsoleStream::Out, ResultIncompleteMessage);
    setConsoleAttribute(ConsoleStream::Out, DefaultAttribute);
  }
  size_t afterTurnIn =
      appendWindowText(turnInStart, "\nTURN IN THIS FILE: \n\n \"%s\".\n\n", resultFileName);
  size_t afterWarning =
      appendWindowText(afterTurnIn, "%s", "Do NOT turn in the file with the \".exm\" extension.\n\n");
  // Both pieces are in the window text before its length is published, so the window
  // shows the whole closing message.
  publishMessageText(static_cast<uint32_t>(afterWarning));

  setConsoleAttribute(ConsoleStream::Out, 14);
  consolePrintf(ConsoleStream::Out, "\nTURN IN THIS FILE: \n\n \"%s\".\n\n", resultFileName);
  setConsoleAttribute(ConsoleStream::Out, DefaultAttribute);
  setConsoleAttribute(ConsoleStream::Out, 12);
  consoleWrite(ConsoleStream::Out, "Do NOT turn in the file with the \".exm\" extension.\n\n");
  setConsoleAttribute(ConsoleStream::Out, DefaultAttribute);

  waitForEnter();
  closeQuestionWindow();
}
