#include "result/result_blocks.h"

#include <cstring>

#include "format/question_store.h"
#include "result/record_text.h"
#include "result/record_writer.h"

int formatExamLine(std::string* text, bool echo) {
  const ExamHeader& h = State.Header;
  return appendFormat(text,
                      echo ? ";%s;  %s: %s: (%s) ---> %s:  TimeLimit: %u minutes  ---  Version "
                             "%5.2f\n\n"
                           : ";%s;  %s: %s: (%s) ---> %s:  TimeLimit: %u minutes  ---  Version  "
                             "%5.2f\n\n",
                      h.Semester, h.CourseNumber, h.CourseName, h.Section, h.ExamName,
                      h.TimeLimit, static_cast<double>(ExamFormatVersion));
}

void writeExamLine(FILE* stream) {
  std::string line;
  formatExamLine(&line, false);
  writeRecord(RecordMode::Plain, line.data(), line.size() + 1, stream, false);
}

void writeKeyStart(FILE* stream) {
  char start[] = "START:\n";
  writeRecord(RecordMode::Plain, start, 0, stream, false);
  for (unsigned k = 0; k < 3; ++k) {
    char record[32];
    int length = snprintf(record, sizeof record, "%u:%08X%08X:", k,
                          State.ResultCipherState.Steps[k], State.ResultCipherState.Positions[k]);
    writeRecord(RecordMode::Hex, record, length, stream, false);
  }
}

void writeAnswerSummary(FILE* stream) {
  writePlainText("\n\n", stream);
  for (QListEntry* entry = State.QListHead; entry; entry = entry->Next) {
    std::string line;
    if (entry->Sub)
      appendFormat(&line, "SubQ# %d.%c. --> %s\n", entry->Number, subQuestionLetter(entry->Sub),
                   firstAnswer(entry->Sub));
    else
      appendFormat(&line, "Ques# %d.    ==> %s\n", entry->Number, firstAnswer(entry->Owner));
    writeEncipheredRecord(&line, stream);
  }
  writePlainText("\n\n", stream);
}

int formatAnswerLines(std::string* output, const Question* record, bool wide) {
  size_t before = output->size();
  const char* answers = record->Answers ? record->Answers : "";
  char prefix[5] = {' ', ' ', ' ', 0, 0};
  size_t prefixLength = wide ? 3 : 1;
  if (answers[0] != '&' && answers[0] != '!')
    prefix[prefixLength++] = '&';
  prefix[prefixLength] = '\0';
  int count = record->AnswerCount > 0 ? record->AnswerCount : 1;
  const char* answer = answers;
  for (int i = 0; i < count; ++i) {
    appendFormat(output, "%s%s\n", prefix, answer);
    answer += strlen(answer) + 1;
  }
  output->append("\n\n");
  return static_cast<int>(output->size() - before);
}

void echoQuestion(const Question* question, unsigned slot, FILE* stream) {
  std::string record;
  if (question->Points == -1.0f || question->Points == 0.0f)
    appendFormat(&record, "%u. %s\n", slot, question->Text);
  else
    appendFormat(&record, "%u. (%5.1f pts) %s\n", slot, static_cast<double>(question->Points),
                 question->Text);
  writeEncipheredRecord(&record, stream);

  record.clear();
  if (firstAnswer(question)[0] != '\0')
    formatAnswerLines(&record, question, false);
  else
    record = "\n";
  writeEncipheredRecord(&record, stream);

  for (const Question* sub = question->SubLink; sub; sub = sub->SubLink) {
    record.clear();
    if (sub->Points == 1.0f)
      appendFormat(&record, "   %u.%c. (1 pt) %s\n", slot, subQuestionLetter(sub), sub->Text);
    else
      appendFormat(&record, "   %u.%c. (%5.1f pts) %s\n", slot, subQuestionLetter(sub),
                   static_cast<double>(sub->Points), sub->Text);
    writeEncipheredRecord(&record, stream);
    record.clear();
    if (firstAnswer(sub)[0] != '\0')
      formatAnswerLines(&record, sub, true);
    else
      record = "\n";
    writeEncipheredRecord(&record, stream);
  }
  if (question->SubLink) {
    record = "\n";
    writeEncipheredRecord(&record, stream);
  }
}

void writeExamEcho(FILE* stream) {
  std::string record;
  formatExamLine(&record, true);
  writeRecord(RecordMode::Plain, record.data(), record.size() + 1, stream, false);

  record.clear();
  appendFormat(&record, "\n\nQUESTIONS:  (%u)  Total Points:  (%5.1f)\n\n", State.QuestionCount,
               static_cast<double>(State.TotalPoints));
  writeEncipheredRecord(&record, stream);

  int currentPool = 0;
  for (unsigned slot = 0; slot < QuestionSlotCount; ++slot) {
    const Question* question = &State.QuestionSlots[slot];
    if (!question->Text)
      continue;
    int pool = question->Pool;
    if (pool != currentPool) {
      record.clear();
      if (currentPool != 0)
        appendFormat(&record, "}\n;  ***** CLOSE POOL *****  [#%d]\n\n\n", currentPool);
      if (pool != 0)
        appendFormat(&record, "\n;  ***** OPEN POOL *****  [#%d]\n{\n\n", pool);
      writeEncipheredRecord(&record, stream);
      currentPool = pool;
    }
    echoQuestion(question, slot, stream);
  }
  if (currentPool != 0) {
    record.clear();
    appendFormat(&record, "}\n;  ***** CLOSE POOL *****  [#%d]\n\n\n", currentPool);
    writeEncipheredRecord(&record, stream);
  }
}
