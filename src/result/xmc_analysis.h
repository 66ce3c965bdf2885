// What a completed-exam file says about its session once it has been read: who took which
// exam, when, how it ended, what was asked and answered, and whether the file is genuine
// for its student and the exam's password. The read and report commands of the author
// tool both work from this.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "result/xmc_reader.h"

// One entry of the session's question list as the file shows it.
struct XmcEntry {
  std::string Label;       // the order number as the records write it: "03." or "03.b."
  std::string ExamNumber;  // the exam's own number: "4" or "4.a"; empty when not found
  bool Presented = false;  // a question record of it stands in the session records
  bool Answered = false;   // an answer other than #skip was confirmed
  std::string Answer;      // the final answer: the summary's, else the last one confirmed
  bool HasAnswer = false;
  // As the question record shows it, to find the question in an exam's echo.
  std::string Text;     // the first line of the question's text (or sub-question's)
  std::string Heading;  // a sub-question's: the first line of its question's text
  std::string Points;
};

// A question of the exam as the echo lists it: every question of the exam text, also
// those a pool or the question limit kept out of the session.
struct XmcExamQuestion {
  std::string Number;  // "4", or "4.a" for a sub-question
  std::string Points;  // "2.0", empty for a question without points
  std::string FirstLine;  // the first line of its text (a sub-question's: its question's)
};

enum class XmcEnd { Command, Time, AllAnswered, CutShort };

struct XmcAnalysis {
  // From the exam line.
  bool HasExamLine = false;
  std::string Semester, CourseNumber, CourseName, Section, ExamName;
  uint32_t TimeLimitMinutes = 0;
  // From the name line.
  bool HasName = false;
  std::string StudentName, StudentId;
  // From the start and finish stamps: local times as "YYYY/MM/DD HH:MM:SS".
  std::string StartTime, FinishTime;
  bool HasExamCount = false;
  int32_t ExamCount = 0;  // times this student's copy of the exam had been opened

  // Whole seconds as the program counts them (tick / 1000). Without a finish stamp the
  // time used runs to the last session record.
  bool HasStart = false;
  bool Finished = false;
  uint32_t UsedSeconds = 0;
  int64_t LateSeconds = 0;  // past the allowance; negative: the time left

  int Presented = 0;
  int Answered = 0;
  int SkipsUsed = 0;
  XmcEnd End = XmcEnd::CutShort;
  std::string EndCommand;  // #done or #exit as typed, for XmcEnd::Command

  std::vector<XmcEntry> Entries;              // in the order asked
  std::vector<XmcExamQuestion> ExamQuestions;  // in the order of the exam text
  // Empty, or where the copies the file keeps of one thing disagree (the name line and
  // the start stamp, the answers confirmed and the summary).
  std::string Mismatch;
};

XmcAnalysis analyzeXmc(const XmcReading& reading);

// Gives the entries that have none their exam numbers from this list of the exam's
// questions (another file's, for a file cut off before its own echo).
void numberEntries(XmcAnalysis* analysis, const std::vector<XmcExamQuestion>& exam);

// Whether the key start values in the file are those that the identifier and the exam
// password give. Unknown when the file stops before its key start values.
enum class XmcKeyMatch { Unknown, Matches, Differs };
XmcKeyMatch checkResultKey(const XmcReading& reading, const std::string& studentId,
                           const std::string& password);

enum class XmcVerdictKind { Genuine, CutShort, Foreign, Damaged, Unreadable };
struct XmcVerdict {
  XmcVerdictKind Kind = XmcVerdictKind::Unreadable;
  std::string Text;
};
// The verdict on a file of these bytes, read and analysed, for the exam's password.
XmcVerdict judgeXmc(const std::string& bytes, const XmcReading& reading,
                    const XmcAnalysis& analysis, const std::string& password);

// "#done", "#EXIT", "time", "all answered" or "cut short".
std::string xmcEndText(const XmcAnalysis& analysis);
// Minutes and seconds, "12:05", or hours too, "1:02:05".
std::string formatDuration(uint64_t seconds);
// "late 1:01", "left 47:26"; empty without a start.
std::string xmcLateText(const XmcAnalysis& analysis);
// The closing line of the read command: how the session ended, the time used and how
// late or early it was.
std::string xmcEndLine(const XmcAnalysis& analysis);
// The answer summary as the file holds it, with the exam's own number beside each order
// number: "Ques# 1. (exam 4)    ==> ...".
std::string xmcNumberedSummary(const XmcReading& reading, const XmcAnalysis& analysis);
