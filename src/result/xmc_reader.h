// Reading a completed-exam file back: the plain parts, the key start, and every
// enciphered run deciphered by continuing the key stream, with a check of the structure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One tick-stamped record of the session log.
struct XmcEvent {
  enum Kind { Question, Confirmed, Rejected, EndCommand };
  Kind What = Question;
  uint32_t Tick = 0;
  std::string Label;  // "03." or "03.b." for a question; the answer or the command otherwise
  std::string FirstLine;  // a question's first line of text
  std::string Heading;    // a sub-question's: the first line of its question's text
  std::string Points;     // a question's points as written, "  1.0" (empty otherwise)
};

// How far the reading got; a file that stops early stops at one of these.
enum class XmcSection { ExamLine, NameLine, KeyStart, Log, Summary, Closing, Saving, Echo, End };

struct XmcReading {
  std::string ExamLine;  // plain parts with their line breaks as line feeds
  std::string NameLine;
  uint32_t Steps[3] = {0, 0, 0};
  uint32_t StartPositions[3] = {0, 0, 0};
  std::string Log;  // deciphered: the start stamp and the session records
  std::string Summary;
  std::string Closing;  // the complete mark and the finish stamp
  std::string EchoLine;
  std::string Echo;
  uint32_t StartTick = 0;
  bool HasEndTick = false;
  uint32_t EndTick = 0;
  std::vector<XmcEvent> Events;
  bool LogWhole = false;  // the session records end with a whole record


  size_t Size = 0;                            // of the file read
  XmcSection Reached = XmcSection::ExamLine;  // End when the file is whole
  std::string Problem;                       // empty when the file is whole and sound
  size_t ProblemOffset = 0;                  // byte offset in the file where it stops
  bool ok() const { return Problem.empty(); }
  // Stopped where the file ends: cut off, rather than damaged before its end.
  bool cut() const { return !ok() && ProblemOffset >= Size; }
};

// Whether a confirmed answer is the #skip command, in any letter case: it puts the
// question off and answers nothing.
bool isSkipAnswer(const std::string& answer);

// "the session records", "the echo of the exam": where a reading stopped, for messages.
const char* xmcSectionName(XmcSection section);

// Reads the bytes of a completed-exam file with the key data in State (KeyData,
// KeyLength). A damaged or cut-off file is read as far as it goes; Problem and
// ProblemOffset say where and why it stops.
XmcReading readXmc(const std::string& bytes);

// The whole file as text: plain parts and deciphered runs in file order; summary, when
// given, stands for the answer summary as deciphered.
std::string xmcTranscript(const XmcReading& reading, const std::string* summary = nullptr);
// Per presented question: when it was shown and what became of it: answered, skipped or
// an end command, and how long after it was shown.
std::string xmcTimeline(const XmcReading& reading);
