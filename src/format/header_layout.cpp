#include "format/header_layout.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "format/line_scan.h"
#include "format/text_number.h"
#include "state/program_state.h"

const HeaderTextField HeaderTextFields[5] = {
    {"semester", &HeaderFields::Semester, 30, ';'},
    {"course number", &HeaderFields::CourseNumber, 14, ':'},
    {"course name", &HeaderFields::CourseName, 126, ':'},
    {"section", &HeaderFields::Section, 6, ')'},
    {"exam name", &HeaderFields::ExamName, 30, ':'},
};

const char* const HeaderLayout =
    ";SEMESTER;  COURSE-NUMBER: COURSE-NAME: (SECTION) ---> EXAM-NAME:  TimeLimit: MINUTES "
    "minutes  ---  Version 1.07";

namespace {

std::string trimmed(const std::string& text) {
  size_t first = 0, last = text.size();
  while (first < last && isBlank(text[first]))
    ++first;
  while (last > first && isBlank(text[last - 1]))
    --last;
  return text.substr(first, last - first);
}

std::string optionName(const char* name) {
  std::string option = std::string("--") + name;
  for (char& c : option)
    if (c == ' ')
      c = '-';
  return option;
}

std::string fieldName(const char* name, bool optionNames) {
  return optionNames ? optionName(name) : std::string("the ") + name;
}

std::string character(char c) {
  return std::string("'") + c + "'";
}

// The time limit as written, when it is a whole number of minutes the header allows.
bool validMinutes(const std::string& minutes) {
  if (minutes.empty() || minutes.size() > 4)
    return false;
  for (char c : minutes)
    if (!isdigit(static_cast<unsigned char>(c)))
      return false;
  long value = strtol(minutes.c_str(), nullptr, 10);
  return value >= 1 && value <= LongestMinutes;
}

bool startsWithNoCase(const char* text, const char* keyword) {
  for (; *keyword; ++text, ++keyword)
    if (tolower(static_cast<unsigned char>(*text)) !=
        tolower(static_cast<unsigned char>(*keyword)))
      return false;
  return true;
}

// A case-blind search: a keyword written in the wrong case is still found, so that the
// fault can name it.
size_t findKeyword(const std::string& line, const char* keyword, size_t from) {
  size_t length = strlen(keyword);
  for (size_t k = from; k + length <= line.size(); ++k)
    if (startsWithNoCase(line.c_str() + k, keyword))
      return k;
  return std::string::npos;
}

// "TimeLimit" in any letter case, or written as two words: where it begins, and its
// length as written in *length.
size_t findTimeLimit(const std::string& line, size_t* length) {
  size_t found = findKeyword(line, "TimeLimit", 0);
  *length = 9;
  if (found != std::string::npos)
    return found;
  for (size_t time = findKeyword(line, "Time", 0); time != std::string::npos;
       time = findKeyword(line, "Time", time + 1)) {
    size_t limit = skipBlanks(line.c_str(), time + 4);
    if (limit > time + 4 && startsWithNoCase(line.c_str() + limit, "Limit")) {
      *length = limit + 5 - time;
      return time;
    }
  }
  return std::string::npos;
}

size_t skipBlanksIn(const std::string& line, size_t pos) {
  return skipBlanks(line.c_str(), pos);
}

// Walks the header as its writer laid it out, noting each departure from the layout.
class HeaderWalk {
 public:
  explicit HeaderWalk(const std::string& line) : line_(line) {}

  HeaderDiagnosis run();

 private:
  void fault(size_t index, const std::string& problem) {
    diagnosis_.Faults.push_back({index + 1, problem});
  }
  // A text field from start to its closing character; false when there is none.
  bool takeField(size_t start, size_t end, const HeaderTextField& field);
  // c from pos on, before the time limit: the fields before it cannot close in it.
  size_t findBeforeTimeLimit(char c, size_t pos) const {
    size_t found = line_.find(c, pos);
    return found < timeLimit_ ? found : std::string::npos;
  }
  // The parser passes some separators without looking at them; where it would land
  // elsewhere than the writer meant, a character is lost or kept in a field.
  void compareLanding(size_t parser, size_t meant, size_t at, const std::string& problem) {
    if (parser != meant)
      fault(at, problem);
  }
  void walkTimeLimit(size_t pos);
  void walkVersion(size_t separator, size_t version);

  const std::string& line_;
  size_t timeLimit_ = std::string::npos;  // where "TimeLimit" begins, in any letter case
  size_t timeLimitLength_ = 9;            // and its length, "Time Limit" being 10
  HeaderDiagnosis diagnosis_;
};

bool HeaderWalk::takeField(size_t start, size_t end, const HeaderTextField& field) {
  if (end == std::string::npos) {
    size_t stop = std::min(timeLimit_, line_.size());
    diagnosis_.Values.*field.Value = trimmed(line_.substr(start, stop - start));
    fault(stop, "no " + character(field.Closer) + " closes the " + field.Name);
    return false;
  }
  std::string value = line_.substr(start, end - start);
  diagnosis_.Values.*field.Value = trimmed(value);
  if (value.size() > field.Limit)
    fault(start + field.Limit, std::string("the ") + field.Name + " has " +
                                   std::to_string(value.size()) +
                                   " characters; the header holds at most " +
                                   std::to_string(field.Limit));
  return true;
}

HeaderDiagnosis HeaderWalk::run() {
  const char* line = line_.c_str();
  if (line_.empty()) {
    fault(0, "the header line is empty: the exam text must begin with its header");
    return diagnosis_;
  }
  timeLimit_ = findTimeLimit(line_, &timeLimitLength_);
  if (timeLimit_ == std::string::npos &&
      findKeyword(line_, "Version", 0) == std::string::npos &&
      line_.find("--->") == std::string::npos) {
    fault(0, "this line is not a header (it has no \"--->\", \"TimeLimit\" or "
             "\"Version\"): the exam text begins with its header line, unless make is "
             "given the header options");
    return diagnosis_;
  }
  size_t pos = 0;
  if (line[0] == ';')
    pos = 1;
  else
    fault(0, "the header begins with ';' (the first character is passed unread, so " +
                 character(line[0]) + " would be lost)");

  size_t end = findBeforeTimeLimit(';', pos);
  if (!takeField(pos, end, HeaderTextFields[0]))
    return diagnosis_;
  pos = skipBlanksIn(line_, end + 1);

  end = findBeforeTimeLimit(':', pos);
  if (!takeField(pos, end, HeaderTextFields[1]))
    return diagnosis_;
  size_t meant = skipBlanksIn(line_, end + 1);
  compareLanding(skipBlanksIn(line_, passCharacters(line, end + 1, 1)), meant, end + 1,
                 "a blank follows the ':' after the course number (the character there is "
                 "passed unread, so the course name would lose its first letter)");
  pos = meant;

  end = findBeforeTimeLimit(':', pos);
  if (!takeField(pos, end, HeaderTextFields[2]))
    return diagnosis_;
  size_t open = findBeforeTimeLimit('(', end + 1);
  if (open == std::string::npos) {
    fault(end + 1, "no '(' opens the section after the course name's ':'");
    return diagnosis_;
  }
  if (open < end + 2 || open > end + 7)
    fault(end + 1, "the '(' of the section follows the course name's ':' and one blank");
  size_t close = findBeforeTimeLimit(')', open + 1);
  if (!takeField(open + 1, close, HeaderTextFields[3]))
    return diagnosis_;

  // The arrow between the section and the exam name is passed by its width alone.
  meant = close + 1;
  while (meant < line_.size() && (isBlank(line[meant]) || line[meant] == '-' ||
                                  line[meant] == '>'))
    ++meant;
  compareLanding(skipBlanksIn(line_, passCharacters(line, close + 1, 6)), meant, close + 1,
                 "\" ---> \" follows the section's ')': a blank, three dashes, '>' and a "
                 "blank (these 6 characters are passed unread)");
  pos = meant;

  size_t keyword = timeLimit_;
  end = findBeforeTimeLimit(':', pos);
  if (end == std::string::npos) {
    diagnosis_.Values.ExamName = trimmed(line_.substr(pos, keyword - pos));
    fault(keyword == std::string::npos ? line_.size() : keyword,
          "no ':' closes the exam name before \"TimeLimit\"");
  } else {
    takeField(pos, end, HeaderTextFields[4]);
    size_t after = skipBlanksIn(line_, end + 1);
    if (keyword != std::string::npos && after != keyword)
      fault(after, "only blanks stand between the exam name's ':' and \"TimeLimit\" (an exam "
                   "name cannot hold a ':')");
  }
  if (keyword == std::string::npos) {
    fault(line_.size(), "no \"TimeLimit: MINUTES minutes\" follows the exam name");
    return diagnosis_;
  }
  if (timeLimitLength_ != 9)
    fault(keyword, "\"TimeLimit\" is one word, written with a capital T and a capital L");
  else if (line_.compare(keyword, 9, "TimeLimit") != 0)
    fault(keyword, "\"TimeLimit\" is written with a capital T and a capital L");
  walkTimeLimit(keyword + timeLimitLength_);
  return diagnosis_;
}

void HeaderWalk::walkTimeLimit(size_t pos) {
  const char* line = line_.c_str();
  size_t meant = skipBlanksIn(line_, line[pos] == ':' ? pos + 1 : pos);
  compareLanding(skipBlanksIn(line_, passCharacters(line, pos, 1)), meant, pos,
                 "a ':' follows \"TimeLimit\" (the character there is passed unread)");
  size_t digits = meant;
  while (isdigit(static_cast<unsigned char>(line[digits])))
    ++digits;
  std::string minutes = line_.substr(meant, digits - meant);
  // A fraction ("2.5") is part of the number as written; veritor reads the whole
  // minutes before it.
  if ((line[digits] == '.' || line[digits] == ',') &&
      isdigit(static_cast<unsigned char>(line[digits + 1]))) {
    for (++digits; isdigit(static_cast<unsigned char>(line[digits]));)
      ++digits;
  }
  diagnosis_.WrittenMinutes = line_.substr(meant, digits - meant);
  if (diagnosis_.WrittenMinutes == minutes && validMinutes(minutes))
    diagnosis_.Values.Minutes = minutes;
  else
    fault(meant, "the time limit is a whole number of minutes, from 1 to 3000");

  // One blank, the unit word, then exactly "  ---  " before "Version": the parser
  // finds the unit by the blank after the number, and the separator by its width.
  size_t unit = digits;
  while (isBlank(line[unit]))
    ++unit;
  size_t unitEnd = unit;
  if (line[unit] != '-' && !startsWithNoCase(line + unit, "Version"))
    unitEnd = skipToBlank(line, unit);
  if (unitEnd == unit) {
    fault(digits + 1, "the word \"minutes\" follows the number of minutes");
    unitEnd = digits;
  } else if (unit - digits != 1) {
    fault(digits, "one blank, no more and no fewer, separates the minutes from the word "
                  "\"minutes\"");
  }
  size_t version = findKeyword(line_, "Version", unitEnd);
  if (version == std::string::npos) {
    fault(line_.size(), "no \"Version 1.07\" follows the time limit");
    return;
  }
  walkVersion(unitEnd, version);
}

void HeaderWalk::walkVersion(size_t separator, size_t version) {
  std::string between = line_.substr(separator, version - separator);
  if (between != "  ---  ")
    fault(separator, "\"" + between +
                         "\" stands between the unit and \"Version\"; it must be \"  ---  \": "
                         "two blanks, three dashes, two blanks");
  if (line_.compare(version, 7, "Version") != 0)
    fault(version, "\"Version\" is written with a capital V");
  size_t number = skipBlanksIn(line_, version + 7);
  if (textToFloat(line_.c_str() + number) != ExamFormatVersion)
    fault(number, "the version is 1.07, the exam format veritor reads");
}

}  // namespace

std::string checkHeaderFields(const HeaderFields& fields, bool optionNames) {
  for (const HeaderTextField& field : HeaderTextFields) {
    std::string value = trimmed(fields.*field.Value);
    std::string name = fieldName(field.Name, optionNames);
    if (value.size() > field.Limit)
      return name + " has " + std::to_string(value.size()) +
             " characters; the header holds at most " + std::to_string(field.Limit);
    if (value.find(field.Closer) != std::string::npos)
      return name + " may not hold a " + character(field.Closer) +
             ", which closes it in the header";
    for (unsigned char c : value)
      if (c < 0x20 || c == 0x7F)
        return name + " may hold only characters that can be typed on one line";
  }
  if (!validMinutes(trimmed(fields.Minutes)))
    return fieldName("minutes", optionNames) +
           " must be a whole number of minutes from 1 to 3000, not '" + fields.Minutes + "'";
  return "";
}

std::string composeExamHeader(const HeaderFields& fields) {
  return ";" + trimmed(fields.Semester) + ";  " + trimmed(fields.CourseNumber) + ": " +
         trimmed(fields.CourseName) + ": (" + trimmed(fields.Section) + ") ---> " +
         trimmed(fields.ExamName) + ":  TimeLimit: " + trimmed(fields.Minutes) +
         " minutes  ---  Version 1.07";
}

HeaderDiagnosis diagnoseExamHeader(const std::string& line) {
  return HeaderWalk(line).run();
}

std::vector<std::string> valuesReadOtherwise(const HeaderDiagnosis& diagnosis,
                                             const ExamHeader& read) {
  std::vector<std::string> differences;
  const char* const fieldsRead[5] = {read.Semester, read.CourseNumber, read.CourseName,
                                     read.Section, read.ExamName};
  for (size_t k = 0; k < 5; ++k) {
    const HeaderTextField& field = HeaderTextFields[k];
    const std::string& meant = diagnosis.Values.*field.Value;
    std::string got = trimmed(fieldsRead[k]);
    if (meant != got)
      differences.push_back(std::string("veritor would read the ") + field.Name + " as \"" +
                            got + "\", not \"" + meant + "\"");
  }
  const std::string& minutes = diagnosis.WrittenMinutes;
  if (!minutes.empty() && minutes != std::to_string(read.TimeLimit))
    differences.push_back("veritor would read the time limit as " +
                          std::to_string(read.TimeLimit) + " minutes, not " + minutes);
  return differences;
}

bool looksLikeExamHeader(const std::string& line) {
  size_t length = 0;
  int marks = 0;
  if (line.find("--->") != std::string::npos)
    ++marks;
  if (findTimeLimit(line, &length) != std::string::npos)
    ++marks;
  if (findKeyword(line, "Version", 0) != std::string::npos)
    ++marks;
  return marks >= 2;
}
