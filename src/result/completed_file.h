// What one completed-exam file tells about its student, kept for every file of a class:
// the verdict, who, which exam, the times, how the session ended and the final answers
// by the exam's own question numbers. Everything else the reading found is dropped once
// the record is made, so a class of any size fits in memory: a class is read one file
// at a time into these records.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "result/xmc_analysis.h"
#include "result/xmc_verdict.h"

// An exam as the exam lines of its files name it, kept once for all of them.
struct CompletedExam {
  std::string Semester, CourseNumber, CourseName, Section, ExamName;
  uint32_t TimeLimitMinutes = 0;
  // Every question of the exam text, as the echoes of its files list them: from the first
  // file whole enough to have one, and numbers the others add.
  std::vector<XmcExamQuestion> Questions;
  std::unordered_map<std::string, uint32_t> QuestionAt;  // number -> index in Questions
};

// An answer of the file: to the exam's question Questions[Question], the text in the
// file's AnswerText up to End (from the end of the answer before).
struct FileAnswer {
  uint32_t Question = 0;
  uint32_t End = 0;
};

struct CompletedFile {
  std::string Path;
  bool Read = false;  // false: the file could not be read at all, Verdict says why
  XmcVerdict Verdict;
  bool HasName = false;
  std::string StudentName, StudentId;
  int Exam = -1;  // in the class's exams; -1 without an exam line
  char StartTime[20] = "";   // local time, "YYYY/MM/DD HH:MM:SS"; empty when not known
  char FinishTime[20] = "";
  bool HasStart = false;
  bool Finished = false;
  bool EndKnown = false;
  uint32_t UsedSeconds = 0;
  uint32_t ClosedAfterSeconds = 0;
  int64_t LateSeconds = 0;
  int Presented = 0;
  int Answered = 0;
  int Questions = 0;  // of the session; more may have followed unless AllQuestionsKnown
  bool AllQuestionsKnown = false;
  int SkipsUsed = 0;
  XmcEnd End = XmcEnd::CutShort;
  std::string EndCommand;
  bool HasExamCount = false;
  int32_t ExamCount = 0;

  // The answers the student gave, in the order of the exam's questions (empty unless
  // kept). A question the session presented and the student left without an answer has
  // an answer of no text: grading tells a question asked and left unanswered from one a
  // pool or the question limit kept out.
  std::vector<FileAnswer> Answers;
  std::string AnswerText;
  // A file cut off before its echo keeps its presented entries until another file of its
  // exam tells their numbers (numberFromExam).
  std::vector<XmcEntry> Unnumbered;
};

// The record of a file of these bytes, judged for the password, its exam found in exams
// or added there. Answers are kept only with keepAnswers.
CompletedFile makeCompletedFile(const std::string& path, const std::string& bytes,
                                const std::string& password, bool keepAnswers,
                                std::vector<CompletedExam>* exams);

// A file that could not be read at all: its record with the reason.
CompletedFile unreadableFile(const std::string& path, const std::string& reason);

// Numbers the answers of a file cut off before its echo, from its exam's questions or, when
// none of the files of its exam line has an echo, from an exam of the same semester,
// course and name (another section's).
void numberFromExam(CompletedFile* file, std::vector<CompletedExam>* exams);

// Whether the session presented the exam's question at that index (answers kept).
bool presentedQuestion(const CompletedFile& file, uint32_t question);
// The answer the file gives to the exam's question at that index; empty when none.
std::string_view answerOf(const CompletedFile& file, uint32_t question);

// "CS 1234 (001) Exam 1": course number, section and exam name.
std::string examTitle(const CompletedExam& exam);
// Whether two exams are one for the question columns: same semester, course and name.
bool sameExamText(const CompletedExam& a, const CompletedExam& b);
