// ProgramState: all lasting state of the program, in one global record.
//
// Each group belongs to the subsystem that writes it; the others read it. Fields that the
// question window or the recent-file scan touch from their own threads are atomics, so
// that sharing them without locks is not a data race.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

constexpr double ProgramVersion = 1.19;
// The exam-format version this program reads, compared as a 32-bit float.
constexpr float ExamFormatVersion = 1.07f;

// Room for a path of this platform, terminator included. Longer paths are refused
// with a message, never cut or overrun.
constexpr size_t PathCapacity = 4096;

constexpr int QuestionTextCapacity = 4096;

// ---- Key-stream state (exam file and completed-exam file) --------------------------
struct CipherState {
  uint32_t Positions[3] = {0, 0, 0};
  uint32_t Steps[3] = {0, 0, 0};
  uint8_t Digest[32] = {};
};

// ---- Exam header ------------------------------------------------------------------
struct ExamHeader {
  char Semester[32] = {};
  char CourseNumber[16] = {};
  char CourseName[128] = {};
  char Section[8] = {};
  char ExamName[32] = {};
  uint32_t TimeLimit = 0;
  float Version = ExamFormatVersion;
};

// ---- Question store -----------------------------------------------------------------
// Question and SubQuestion are one record; bit 1 of Flags marks a sub-question.
struct Question {
  char* Text = nullptr;
  char AnswerInline[32] = {};
  char* Answers = nullptr;  // AnswerInline, a heap block owned here, or none when cleared
  uint16_t AnswerCapacity = 0;
  uint16_t AnswerLength = 0;
  float Points = 0.0f;
  uint8_t AnswerCount = 0;
  uint8_t Pool = 0;
  uint8_t SubCount = 0;
  uint8_t Flags = 0;
  Question* SubLink = nullptr;
};
using SubQuestion = Question;

constexpr uint8_t FlagChoiceBlock = 0x01;
constexpr uint8_t FlagSubQuestion = 0x02;

// A sub-question's letter index sits in bits 2 to 7 of Flags, 1 for 'a'.
inline unsigned subQuestionIndex(const SubQuestion* sub) {
  return sub->Flags >> 2;
}
inline char subQuestionLetter(const SubQuestion* sub) {
  return static_cast<char>('a' - 1 + subQuestionIndex(sub));
}

constexpr int QuestionSlotCount = 1024;
constexpr int SubQuestionSlotCount = 2048;

// ---- Question order -----------------------------------------------------------------
struct QListEntry {
  Question* Owner = nullptr;
  SubQuestion* Sub = nullptr;
  uint16_t Number = 0;
  // The student has confirmed an answer (or #skip) to this entry in this session. An
  // answer that came with the exam text is only a template until then.
  bool Confirmed = false;
  QListEntry* Previous = nullptr;
  QListEntry* Next = nullptr;
};

struct SkipListSlot {
  Question* Owner = nullptr;
  SubQuestion* Sub = nullptr;
  uint16_t Number = 0;
};

// ---- Exam file list ----------------------------------------------------------------
struct NameListNode {
  char Path[PathCapacity] = {};
  int NameOffset = 0;
  NameListNode* Next = nullptr;
};

// ---- Recent file times (clock check) ----------------------------------------------
struct RecentFileEntry {
  FileTime Time = 0;
  RecentFileEntry* Previous = nullptr;
  RecentFileEntry* Next = nullptr;
};

struct RecentFileList {
  RecentFileEntry Pool[4];
  RecentFileEntry* Head = nullptr;
  RecentFileEntry* Tail = nullptr;
  int Count = 0;
};

// ---- Body text handed to the parser ------------------------------------------------
struct BodyText {
  const char* Text = nullptr;
  size_t Position = 0;
  size_t End = 0;
};

struct ProgramState {
  // Identity and start-up.
  char StudentFullName[64] = {};
  char StudentId[8] = {};
  char WorkingDirectory[PathCapacity] = {};
  std::atomic<uint8_t> ColorChoice{6};
  std::atomic<uint8_t> TestScreenActive{0};

  // Key material.
  const uint8_t* KeyData = nullptr;
  uint32_t KeyLength = 65537;
  const uint32_t* PrimeTable = nullptr;

  // The loaded exam.
  char ExamPassword[60] = {};
  char ExpiryDate[21] = "9999/99/99::99:99:00";
  uint8_t OrderMode = 0;
  uint8_t ClockCheckMode = 0;
  uint8_t ReviewMode = 0;
  uint16_t QuestionCount = 0;
  float TotalPoints = 0.0f;
  SystemTime LoadTime;
  CipherState ExamCipherState;
  CipherState ResultCipherState;

  // Expiry and clock check.
  char StartDirectory[PathCapacity] = {};
  RecentFileList RecentFileTimes;
  std::atomic<bool> ScanKeepRunning{false};
  // Written by the scan thread only.
  char ScanFolderPath[PathCapacity] = {};

  // Exam header and time marks.
  ExamHeader Header;
  int32_t LineNumber = 0;
  std::atomic<uint32_t> TimeLimitSeconds{0};
  uint32_t Warn50Seconds = 0;
  uint32_t Warn75Seconds = 0;
  std::atomic<uint32_t> Warn90Seconds{0};

  // Question store.
  Question QuestionSlots[QuestionSlotCount];
  SubQuestion SubQuestionSlots[SubQuestionSlotCount];
  // One past the highest question slot filled since the store was last cleared: the
  // slots beyond it hold nothing, so a clear stops there.
  int32_t QuestionSlotsUsed = 0;
  int32_t SubQuestionsUsed = 0;
  uint16_t QuestionsParsed = 0;
  int32_t QuestionLimit = 0;
  uint8_t PoolMarks[256] = {};
  uint8_t PoolNumber = 1;
  BodyText Body;
  // The line that began the question or sub-question being parsed, and its number: a
  // text found too long only when a later line has been read is reported at its own line.
  int32_t RecordLineNumber = 0;
  char RecordLine[4096] = {};

  // Session. SessionStartTick is the tick the clock started at; elapsed time is measured
  // from it (sessionElapsedSeconds) so that it stays right across the tick count's wrap.
  std::atomic<uint32_t> SessionStartTick{0};
  std::atomic<uint32_t> SessionStartSeconds{0};
  uint32_t SessionEndSeconds = 0;
  std::atomic<uint8_t> SessionActive{0};
  int EndReason = 0;
  uint32_t QuestionsAnswered = 0;
  // A write to the completed-exam file failed and the student has been told (once a session).
  bool ResultWriteFailureShown = false;

  // Question order and skip list.
  QListEntry* QListHead = nullptr;
  QListEntry* QListTail = nullptr;
  uint8_t SkipCount = 0;
  SkipListSlot SkipList[3];

  // Time allowance warnings.
  bool Warned50 = false;
  bool Warned75 = false;
  bool Warned90 = false;
  uint32_t OverTimeWarnAt = 0;
  uint32_t OverTimeWarnCount = 1;

  // Question window: the text to show and its handshake. The console side writes the
  // text first and then publishes its length with release order; the window takes it
  // with acquire order, lays it out and sets the length back to 0.
  char QuestionText[QuestionTextCapacity] = {};
  std::atomic<uint32_t> PendingTextLength{0};
  std::atomic<uint8_t> FontIndex{5};
  // The client area of the question window; a window opened later keeps the last size.
  std::atomic<uint16_t> ClientWidth{960};
  std::atomic<uint16_t> ClientHeight{640};
  // The monitor DPI the client area's pixels and the font cells are for (96: as stated).
  std::atomic<uint16_t> WindowDpi{96};
  std::atomic<uint8_t> ClassRegistered{0};

  // Exam file discovery.
  NameListNode* ExamFileList = nullptr;
  NameListNode* FoundListHead = nullptr;
  NameListNode* FoundListTail = nullptr;
  char SearchPath[PathCapacity] = {};
};

extern ProgramState State;

// Puts every field back to its start value. Only for a process with no other thread
// running; heap texts of the question store must have been released first.
void resetProgramState();
// Puts back what one exam's load fills in (its password, expiry date, modes, question
// count and points, load time and both key streams), as before any load.
void resetExamLoadFields();
