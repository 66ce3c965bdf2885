#include "format/exam_header.h"

#include <cstdio>
#include <cstring>

#include "console/console.h"
#include "format/line_scan.h"
#include "format/text_number.h"
#include "state/program_state.h"

namespace {

// The header is read from a 1,024-byte line of the exam file.
constexpr size_t HeaderCapacity = 1024;

// Cuts the line at end and copies the text from start into field. The search windows
// keep each text within its field; the copy is bounded all the same.
void takeField(char* line, size_t start, long end, char* field, size_t fieldSize) {
  line[end] = '\0';
  snprintf(field, fieldSize, "%s", line + start);
}

}  // namespace

void reportSyntaxError(const char* line, const char* message) {
  reportSyntaxErrorAt(State.LineNumber, line, message);
}

void reportSyntaxErrorAt(int32_t lineNumber, const char* line, const char* message) {
  consolePrintf(ConsoleStream::Err, "LineNumber: %d --> Syntax Error - line=\"%s\"\n\n",
                lineNumber, line);
  consolePrintf(ConsoleStream::Err, "%s\n", message);
  waitForEnter();
  endProgram(-1);
}

void parseExamHeader(char* line) {
  State.LineNumber = 0;
  ExamHeader& header = State.Header;

  // The parser cuts the line as it goes; an error shows the line as the file holds it,
  // so that the instructor sees which header failed.
  char whole[HeaderCapacity];
  snprintf(whole, sizeof whole, "%s", line);

  // The lead character is never examined, but an empty line has none to pass.
  size_t pos = line[0] == '\0' ? 0 : 1;

  long end = findWithin(line, pos, ';', 31);
  if (end < 0)
    reportSyntaxError(whole, "Error - Semicolon not found after semester, corrupted file.\n\n");
  takeField(line, pos, end, header.Semester, sizeof header.Semester);
  pos = skipBlanks(line, end + 1);

  end = findWithin(line, pos, ':', 15);
  if (end < 0)
    reportSyntaxError(whole, "Error - Colon not found after course number, corrupted file.\n\n");
  takeField(line, pos, end, header.CourseNumber, sizeof header.CourseNumber);
  pos = skipBlanks(line, passCharacters(line, end + 1, 1));

  end = findWithin(line, pos, ':', 127);
  if (end < 0)
    reportSyntaxError(whole, "Error - Colon not found after course name, corrupted file.\n\n");
  takeField(line, pos, end, header.CourseName, sizeof header.CourseName);

  long open = findWithin(line, passCharacters(line, end + 1, 1), '(', 6);
  long close = open < 0 ? -1 : findWithin(line, open + 1, ')', 7);
  if (close < 0)
    reportSyntaxError(whole, "Close paren not found after course section, corrupted file.\n\n");
  takeField(line, open + 1, close, header.Section, sizeof header.Section);
  pos = skipBlanks(line, passCharacters(line, close + 1, 6));

  end = findWithin(line, pos, ':', 31);
  if (end < 0)
    reportSyntaxError(whole, "Error - Colon not found after exam name, corrupted file.\n\n");
  takeField(line, pos, end, header.ExamName, sizeof header.ExamName);
  pos = skipBlanks(line, end + 1);

  if (strncmp(line + pos, "TimeLimit", 9) != 0)
    reportSyntaxError(whole, "TimeLimit not found - corrupted file\n\n");
  pos = skipBlanks(line, passCharacters(line, pos, 10));
  size_t cut = skipToBlank(line, pos);
  bool endOfLine = line[cut] == '\0';
  line[cut] = '\0';
  // A negative count, read as unsigned, is far above the limit.
  header.TimeLimit = static_cast<uint32_t>(textToInt(line + pos));
  if (header.TimeLimit < 1 || header.TimeLimit > LongestTimeLimit)
    reportSyntaxError(whole, "TimeLimit is less than 1 minute OR > 50 hours.\n\n");
  uint32_t minutes = header.TimeLimit;
  State.TimeLimitSeconds = minutes * 60;
  State.Warn50Seconds = minutes * 60 / 2;
  State.Warn75Seconds = minutes * 60 * 3 / 4;
  State.Warn90Seconds = minutes * 60 * 9 / 10;

  // Past the unit word, then the fixed "  ---  " before the version.
  pos = passCharacters(line, skipToBlank(line, endOfLine ? cut : cut + 1), 7);

  if (strncmp(line + pos, "Version", 7) != 0)
    reportSyntaxError(whole, "Version not found - old file?\n\n");
  pos = skipBlanks(line, pos + 7);
  header.Version = textToFloat(line + pos);
  if (header.Version > ExamFormatVersion) {
    consolePrintf(ConsoleStream::Err,
                  "Error! The exam version (%5.2f) is newer than the software's compatible "
                  "version (%5.2f) so it will not work.\n\n",
                  static_cast<double>(header.Version), 1.07);
    showMessageAndWait("Get updated software.", 12);
    endProgram(-1);
  }
}
