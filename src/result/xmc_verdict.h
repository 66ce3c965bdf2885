// The verdict on a completed-exam file: what reading it, analysing it and the exam's
// password prove about it, and no more. The read and report commands both judge files
// with this one function, so they cannot disagree.
#pragma once

#include <string>

#include "result/xmc_analysis.h"
#include "result/xmc_reader.h"

enum class XmcVerdictKind {
  Whole,           // whole, written for its identifier and this password
  WholeUnchecked,  // whole, but no password was given to check it against
  Renamed,         // written for another identifier than the one its file name carries
  ClosingMissing,  // every answer is there, but the closing part the program writes is not
  CutShort,        // the file stops before the session was over
  Foreign,         // not made with this password, or not for this identifier
  Damaged,         // not as the program writes it: what is wrong, and where
  NotXmc,          // no completed-exam file at all
  Unreadable,      // the file could not be read
};

struct XmcVerdict {
  XmcVerdictKind Kind = XmcVerdictKind::Unreadable;
  std::string Detail;  // what follows the kind's words; empty for a whole file
};

// The verdict as the tools print it: "whole, for this student and password",
// "cut short: the file ends in the session records".
std::string xmcVerdictText(const XmcVerdict& verdict);

// What the verdict "whole, for this student and password" proves and what it cannot, in
// the words every output and the help use (lines of at most 80 characters).
extern const char* const XmcVerdictMeaning;

// Whether the key start values in the file are those that the identifier and the exam
// password give. Unknown when the file stops before its key start values.
enum class XmcKeyMatch { Unknown, Matches, Differs };
XmcKeyMatch checkResultKey(const XmcReading& reading, const std::string& studentId,
                           const std::string& password);

// Whether the bytes are an exam (.exm) file: a header line, an empty line, hex digits.
bool looksLikeExamFile(const std::string& bytes);

// The verdict on a file of these bytes, read and analysed. password: the exam's, or null
// when none was given (then the key start values are not checked). fileName: the name
// the file was handed in under, whose identifier must be the file's own.
XmcVerdict judgeXmc(const std::string& bytes, const XmcReading& reading,
                    const XmcAnalysis& analysis, const std::string* password,
                    const std::string& fileName);
