#include "examfile/exam_loader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console/console.h"
#include "crypto/sha256.h"
#include "examfile/cipher.h"
#include "examfile/exam_discovery.h"
#include "examfile/expiry_check.h"
#include "examfile/hex_reader.h"
#include "format/body_parser.h"
#include "format/exam_header.h"
#include "format/question_store.h"
#include "result/result_file_name.h"
#include "session/exam_session.h"
#include "state/memory.h"

namespace {

constexpr size_t LineBufferSize = 1024;
constexpr size_t BlockSize = 64;
constexpr int ClockSlackMinutes = 17;
constexpr size_t ResultNameCapacity = 512;

const char* const CorruptedMessage = "Error - Exam/Homework is corrupted.\n\n";

// A stream closed however loading or the session ends, also when a failed allocation
// unwinds out of them: on Windows an open file cannot be removed or renamed.
struct HeldStream {
  FILE* File = nullptr;
  ~HeldStream() { close(); }
  void close() {
    if (File)
      fclose(File);
    File = nullptr;
  }
};

// The deciphered body: overwritten with 0xCC and released however loading ends, so the
// plain exam text never outlives the parse.
struct BodyBuffer {
  uint8_t* Bytes = nullptr;
  size_t Capacity = 0;
  ~BodyBuffer() { release(); }
  void release() {
    if (!Bytes)
      return;
    // Through a volatile pointer, so the compiler cannot drop the writes as dead stores.
    volatile uint8_t* wipe = Bytes;
    for (size_t i = 0; i < Capacity; ++i)
      wipe[i] = 0xCC;
    free(Bytes);
    Bytes = nullptr;
  }
};

// The body needs at most half the file; three tries, each a quarter smaller, in case
// memory is short.
bool allocateBody(BodyBuffer* body, long fileSize) {
  long size = fileSize;
  for (int attempt = 1; attempt <= 3; ++attempt) {
    body->Bytes = static_cast<uint8_t*>(AllocateMemory(size_t(size) + 4));
    if (body->Bytes) {
      body->Capacity = size_t(size) + 4;
      return true;
    }
    consolePrintf(ConsoleStream::Err,
                  "Warning - Memory Error - Could not allocate %d bytes for exam/homework data.\n\n",
                  int(size));
    size = size * 3 / 4;
    if (attempt == 1)
      consoleWrite(ConsoleStream::Err, "Trying again ... \n");
    else if (attempt == 2)
      consoleWrite(ConsoleStream::Err, "FINAL ATTEMPT ... \n");
  }
  return false;
}

// An exam file that cannot be read as one: say so and go back to the menu, the file as
// it was.
void reportCorrupted() {
  releaseExamFileList();
  showMessageAndWait(CorruptedMessage, 14);
}

const NameListNode* chooseExamFile() {
  consoleWrite(ConsoleStream::Out,
               "\nAll Exam/Homework Files found are listed below: - Select ONE of them by "
               "number or Enter -1 to Exit: \n\n");
  int count = 0;
  for (NameListNode* node = State.ExamFileList; node; node = node->Next) {
    ++count;
    consolePrintf(ConsoleStream::Out, "%02d] %s  <<< [%02d]\n", count,
                  node->Path + node->NameOffset, count);
  }
  char prompt[160];
  if (count == 1)
    snprintf(prompt, sizeof prompt,
             "\n\nThere is only one exam/homework in this directory, so enter 1 to continue.\n\n");
  else
    snprintf(prompt, sizeof prompt,
             "\n\nFrom the list above, choose the number of the Exam/Homework you wish to take "
             "From: [01 to %02d].\n\n",
             count);
  int choice = readNumber(prompt, count);
  if (choice < 1)
    return nullptr;
  const NameListNode* node = State.ExamFileList;
  for (int i = 1; i < choice; ++i)
    node = node->Next;
  return node;
}

}  // namespace

void (*ExamSessionRunner)(FILE*, const char*, int8_t) = runExamSession;

void countQuestionsAndPoints() {
  uint16_t count = 0;
  float total = 0.0f;
  uint8_t lastPool = 0;
  for (const Question& question : State.QuestionSlots) {
    if (!question.Text)
      continue;
    if (question.Pool != 0) {
      if (question.Pool == lastPool)
        continue;
      lastPool = question.Pool;
    }
    if (question.SubCount == 0) {
      ++count;
      total += question.Points;
      continue;
    }
    count = uint16_t(count + question.SubCount);
    for (const SubQuestion* sub = question.SubLink; sub; sub = sub->SubLink)
      total += sub->Points;
  }
  State.QuestionCount = count;
  State.TotalPoints = total;
}

void loadExam() {
  platform().setCurrentDirectory(State.StartDirectory);
  clearQuestionStore();
  findExamFiles();
  if (!State.ExamFileList)
    return;

  const NameListNode* chosen = chooseExamFile();
  if (!chosen) {
    releaseExamFileList();
    return;
  }
  const char* path = chosen->Path;
  const char* fileName = chosen->Path + chosen->NameOffset;

  // The file must open for reading before anything is judged from it: a file the
  // student cannot read is an error to report, not a reason to suspect the clock.
  FileTimes times;
  FILE* probe = platform().openFile(path, "rb");
  if (!probe || !platform().getFileTimes(path, &times)) {
    const unsigned code = unsigned(platform().lastErrorCode());
    if (probe)
      fclose(probe);
    char message[PathCapacity + 96];
    snprintf(message, sizeof message,
             "Error - Unable to open exam/homefile file (%s), error = %08X\n\n", fileName, code);
    printInColor(message, 12);
    releaseExamFileList();
    showMessageAndWait(nullptr, 14);
    return;
  }
  fclose(probe);
  // A file written after the clock's present (with some slack for a clock that runs a
  // little behind the instructor's) means the clock was set back since the exam was
  // handed out.
  FileTime limit = 0;
  nowPlusMinutes(&limit, ClockSlackMinutes);
  if (times.LastWrite >= limit) {
    showMessageAndWait("System Clock Reset Detected - Contact the Instructor. Press ENTER\n\n", 14);
    endProgram(-1);
  }

  // Bytes, not text: lines may end in LF or CR LF, and the counter is rewritten in place.
  HeldStream exam;
  exam.File = platform().openFile(path, "r+b");
  if (!exam.File) {
    char message[PathCapacity + 64];
    snprintf(message, sizeof message, "Error - Failed to open Exam/Homework file: %s\n",
             fileName);
    releaseExamFileList();
    printInColor(message, 12);
    showMessageAndWait(nullptr, 14);
    return;
  }

  long fileSize = -1;
  if (fseek(exam.File, 0, SEEK_END) == 0)
    fileSize = ftell(exam.File);
  fseek(exam.File, 0, SEEK_SET);
  BodyBuffer body;
  if (fileSize < 0 || !allocateBody(&body, fileSize)) {
    showMessageAndWait("Not Enough Memory", 15);
    endProgram(-1);
  }

  char header[LineBufferSize] = {};
  char second[LineBufferSize] = {};
  if (!fgets(header, sizeof header, exam.File) || !fgets(second, sizeof second, exam.File) ||
      !isEmptyLine(second)) {
    body.release();
    exam.close();
    reportCorrupted();
    return;
  }

  do {
    readConsoleLine(State.ExamPassword, sizeof State.ExamPassword,
                    "\n\nEnter the exam password:\n\n", false);
  } while (State.ExamPassword[0] == '\0');

  parseExamHeader(header);

  HexReader hex(exam.File, ftell(exam.File));
  uint8_t block[BlockSize];
  long counterOffset = 0;
  for (size_t i = 0; i < BlockSize; ++i) {
    if (hex.next(&block[i], &counterOffset) != HexReader::Byte) {
      body.release();
      exam.close();
      reportCorrupted();
      return;
    }
  }
  const uint8_t oldEnciphered = block[BlockSize - 1];

  CipherState& cipher = State.ExamCipherState;
  sha256(cipher.Digest, State.ExamPassword, strlen(State.ExamPassword));
  deriveCipherState(&cipher);
  applyKeyStreamExamOrder(&cipher, block, BlockSize);

  const uint8_t newCounter = uint8_t(block[63] - 1);
  const uint8_t newEnciphered = uint8_t(oldEnciphered ^ block[63] ^ newCounter);

  char versionText[5];
  memcpy(versionText, block, 4);
  versionText[4] = '\0';
  const float blockVersion = strtof(versionText, nullptr);

  if (State.Header.Version < ExamFormatVersion)
    fatalError("Incompatible Exam Version.");
  if (memcmp(block + 4, cipher.Digest, 32) != 0)
    fatalError("The password is incorrect.");
  if (blockVersion != State.Header.Version)
    fatalError("Exam version corrupted.");

  memcpy(State.ExpiryDate, block + 36, 20);
  State.ExpiryDate[20] = '\0';
  State.OrderMode = block[56];
  State.ClockCheckMode = block[57];
  State.ReviewMode = block[58];

  State.LoadTime = platform().systemTimeUtc();
  consoleWrite(ConsoleStream::Out, "\n\nInitializing ... \n\n");
  int verdict = checkExpiryAndClock();
  if (verdict == 1 || verdict == 3)
    fatalError("\nThis exam/homework has expired.");
  if (verdict == 2)
    fatalError("System Clock Reset Detected - Contact Instructor.");

  // The whole body is read before anything is written, so a damaged file stays as it was.
  size_t length = 0;
  for (;;) {
    uint8_t byte;
    HexReader::Result read = hex.next(&byte, nullptr);
    if (read == HexReader::End)
      break;
    if (read == HexReader::Bad || length >= body.Capacity - 1) {
      body.release();
      exam.close();
      reportCorrupted();
      return;
    }
    body.Bytes[length++] = byte;
  }

  char digits[3];
  snprintf(digits, sizeof digits, "%02X", newEnciphered);
  // The lowered counter is on the disk before the exam is shown: a power cut during the
  // session must not hand the student back an exam that reads as never opened. Like the
  // write itself, a failure does not keep the student from the exam.
  if (fseek(exam.File, counterOffset, SEEK_SET) == 0 && fwrite(digits, 1, 2, exam.File) == 2)
    platform().syncFile(exam.File);
  exam.close();

  applyKeyStreamExamOrder(&cipher, body.Bytes, length);
  body.Bytes[length] = 0;
  State.Body.Text = reinterpret_cast<const char*>(body.Bytes);
  State.Body.Position = 0;
  State.Body.End = length;
  int parsed = parseQuestions();
  body.release();
  State.Body = BodyText();
  if (parsed == -1)
    endProgram(-1);

  memset(State.PoolMarks, 0, sizeof State.PoolMarks);
  countQuestionsAndPoints();

  uint8_t resultKey[38] = {};
  memcpy(resultKey, State.StudentId, 6);
  memcpy(resultKey + 6, cipher.Digest, 32);
  sha256(State.ResultCipherState.Digest, resultKey, sizeof resultKey);

  char tail[64];
  snprintf(tail, sizeof tail, "_XMC_%s_CompletedBy", State.StudentId);
  char resultName[ResultNameCapacity];
  makeResultFileName(tail, resultName, sizeof resultName);
  // Binary: the record writer puts the CR LF line ends into the file itself.
  HeldStream result;
  result.File = platform().openFile(resultName, "w+b");
  if (!result.File) {
    consolePrintf(ConsoleStream::Err,
                  "Error - Failed to open Student Exam file (%s) for writing.\n\n", resultName);
    showMessageAndWait(nullptr, 12);
    endProgram(-1);
  }

  ExamSessionRunner(result.File, resultName, int8_t(newCounter));

  result.close();
  // Lowering the counter must not show in the file's times.
  platform().setFileTimes(path, times);
  releaseExamFileList();
}
