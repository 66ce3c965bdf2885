// The header line as an instructor writes it: composing one from its field values, and
// explaining, piece by piece, why a written one does not have the layout the header
// parser reads. The parser's own refusals stay as they are; this is what the author's
// tool adds on top of them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "format/exam_header.h"
#include "state/program_state.h"

// The values an instructor gives for the header; Minutes is the time limit as written.
struct HeaderFields {
  std::string Semester;
  std::string CourseNumber;
  std::string CourseName;
  std::string Section;
  std::string ExamName;
  std::string Minutes;
};

// One text field of the header: what it is called, the longest text the parser keeps,
// and the character that closes it in the line (so it cannot stand inside the text).
struct HeaderTextField {
  const char* Name;
  std::string HeaderFields::*Value;
  size_t Limit;
  char Closer;
};

// The five text fields in the order the header holds them.
extern const HeaderTextField HeaderTextFields[5];

constexpr long LongestMinutes = LongestTimeLimit;

// The layout with every value replaced by its name, for help texts.
extern const char* const HeaderLayout;

// Why these values cannot make a header (naming the field and its limit), or "" when
// they can. optionNames chooses how a field is named: "--course-name" rather than
// "the course name".
std::string checkHeaderFields(const HeaderFields& fields, bool optionNames);

// The header line (without its line end) that the parser reads back as these values.
// Blanks around each value are dropped, since the parser would drop most of them.
std::string composeExamHeader(const HeaderFields& fields);

struct HeaderFault {
  size_t Column;  // 1 for the first character of the line
  std::string Problem;
};

struct HeaderDiagnosis {
  // Every piece that departs from the layout, in the order of the line. Empty when the
  // parser reads the line as its writer meant it.
  std::vector<HeaderFault> Faults;
  // The values the writer meant, as far as they can be made out: found by their closing
  // characters and keywords rather than by the parser's fixed widths.
  HeaderFields Values;
  // The time limit as written, also when it is not a whole number of minutes ("2.5").
  std::string WrittenMinutes;
};

HeaderDiagnosis diagnoseExamHeader(const std::string& line);

// Where the parser took the line (into State.Header) otherwise than its writer meant,
// one sentence a field: "veritor would read the exam name as "dterm 1", not "Midterm
// 1"". Empty when every value the diagnosis made out is the one read. Blanks around a
// value are not counted.
std::vector<std::string> valuesReadOtherwise(const HeaderDiagnosis& diagnosis,
                                             const ExamHeader& read);

// Whether a line is laid out as a header, if not necessarily right: it has at least two
// of "--->", "TimeLimit" (or "Time Limit") and "Version", in any letter case. A line of
// notes at the top of a text rarely has two.
bool looksLikeExamHeader(const std::string& line);
