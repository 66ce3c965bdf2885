// What a completed-exam file says about its session once it has been read: who took which
// exam, when, how it ended, what was asked and answered. The read and report commands of
// the author tool both work from this, and judge the file with xmc_verdict.h.
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
  std::string Number;     // "4", or "4.a" for a sub-question
  std::string Points;     // "2.0", empty for a question without points
  std::string FirstLine;  // the first line of its text (a sub-question's: its question's)
  std::string Text;       // a sub-question's own first line; empty for a question
};

// How the session ended, as far as the file shows it.
enum class XmcEnd {
  Command,          // #done or #exit, confirmed
  Time,             // the allowance ran out
  AllAnswered,      // every question had its answer
  AfterLastAnswer,  // no closing part: the file ends after an answer to each question presented
  CutShort,         // the file stops somewhere else, before its finish stamp
};

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

  // Whole seconds as the program counts them (tick / 1000), from the start stamp. The time
  // used runs to the last session record: the last answer, skip or end command the
  // student gave (or the last question he moved to). The program takes its finish stamp
  // only once the student has left its last screen, so the wait there is kept apart, and
  // never makes a student late.
  bool HasStart = false;
  bool Finished = false;  // the finish stamp is there
  bool EndKnown = false;  // finished, or the file ends after the student's last answer
  uint32_t UsedSeconds = 0;
  uint32_t ClosedAfterSeconds = 0;  // from the last session record to the finish stamp
  int64_t LateSeconds = 0;          // time used past the allowance; negative: the time left

  int Presented = 0;
  int Answered = 0;
  int SkipsUsed = 0;
  // The questions of the session: all of them where the file holds its whole summary,
  // else those it presented (more may have followed).
  int Questions = 0;
  bool AllQuestionsKnown = false;
  XmcEnd End = XmcEnd::CutShort;
  std::string EndCommand;  // #done or #exit as typed, for XmcEnd::Command

  std::vector<XmcEntry> Entries;               // in the order asked
  std::vector<XmcExamQuestion> ExamQuestions;  // in the order of the exam text
  // Empty, or where the copies the file keeps of one thing disagree (the name line and
  // the start stamp, the answers confirmed and the summary, how it ended and when).
  std::string Mismatch;
};

XmcAnalysis analyzeXmc(const XmcReading& reading);

// Gives the entries that have none their exam numbers from this list of the exam's
// questions (another file's, for a file cut off before its own echo).
void numberEntries(std::vector<XmcEntry>* entries, const std::vector<XmcExamQuestion>& exam);

// Whether the entry's final answer is one the student gave: not a no-answer mark of the
// program, and not a #skip left standing.
bool givesAnswer(const XmcEntry& entry);

// "#done", "#EXIT", "time", "all answered", "after last answer" or "cut short".
std::string xmcEndText(XmcEnd end, const std::string& endCommand);
inline std::string xmcEndText(const XmcAnalysis& analysis) {
  return xmcEndText(analysis.End, analysis.EndCommand);
}
// "each of the 3 questions it presented", "the one question it presented".
std::string questionsPresented(int count);
// Minutes and seconds, "12:05", or hours too, "1:02:05".
std::string formatDuration(uint64_t seconds);
// Always hours, minutes and seconds, "0:12:05", as a spreadsheet reads a duration.
std::string formatHoursMinutesSeconds(uint64_t seconds);
// "late 1:01", "left 47:26": the time used past the allowance, or the time left; a
// student is late only from the first second past it.
std::string formatLateness(int64_t lateSeconds);
// The lateness of the session; empty without a start, or when the end is not known.
std::string xmcLateText(const XmcAnalysis& analysis);
// The closing lines of the read command: how the session ended, the time used and how
// late or early it was, and how long the file stayed open after that.
std::string xmcEndLine(const XmcAnalysis& analysis);
// The answer summary as the file holds it, with the exam's own number beside each order
// number: "Ques# 1. (exam 4)    ==> ...".
std::string xmcNumberedSummary(const XmcReading& reading, const XmcAnalysis& analysis);
