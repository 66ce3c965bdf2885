// veritor-author make: a plain exam text (the header line, then the body) to an .exm
// file that veritor loads with the password.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <string>
#include <vector>

#include "author.h"
#include "author_arguments.h"
#include "author_header.h"
#include "author_support.h"
#include "examfile/exam_loader.h"
#include "examfile/exam_writer.h"
#include "format/body_parser.h"
#include "format/exam_header.h"
#include "format/question_store.h"
#include "state/program_state.h"

namespace {

const char* const MakeUsageHead =
    "usage: veritor-author make EXAM.txt --password PASSWORD [options]\n"
    "\n"
    "Enciphers a plain exam text into an .exm file. The text's first line is the exam\n"
    "header, laid out as\n"
    "  ;SEMESTER;  COURSE-NUMBER: COURSE-NAME: (SECTION) ---> EXAM-NAME:  TimeLimit: MINUTES"
    " minutes  ---  Version 1.07\n"
    "and the rest is the exam body; or, with the header options below (--minutes then\n"
    "required), the whole text is the body. The body, briefly:\n"
    "  ; a comment            lines before the QUESTIONS line are ignored as well\n"
    "  QUESTIONS 10           the questions begin; ask each student at most 10 of them\n"
    "  1. (2 pts) Text        a question with its points\n"
    "  \\More text             continues the line above\n"
    "  a) Choice              a multiple-choice line, relettered a, b, c in order\n"
    "  &Text                  an initial answer, shown to the student as the prior one\n"
    "  { ... }                a pool: each student is asked one of its questions\n"
    "  4. Text                a question without points, then its sub-questions\n"
    "     4.a. (1 pts) Text   with their own points\n"
    "  /* ... */              a block comment, from a line that begins with it\n"
    "The text is checked with veritor's own parser: a text it would refuse is refused\n"
    "here with the same message, and a header line not laid out right is explained\n"
    "column by column. 'veritor-author new' writes a text to start from, and\n"
    "docs/writing-exams.md describes every kind of line.\n"
    "\n"
    "options:\n"
    "  --password PASSWORD       the password students type (1 to 59 characters)\n"
    "  --expires DATE            YYYY/MM/DD::HH:MM:SS in the students' local time\n"
    "                            (default 9999/12/31::23:59:59, never in practice)\n"
    "  --order file|shuffled     question order (default shuffled)\n"
    "  --clock-check on|off      refuse a computer whose clock was set back (default on)\n"
    "  --review on|off           let students move between questions with the arrow keys\n"
    "                            and change answers until #done (default off)\n"
    "  --counter N               starting open counter, 0 to 255 (default 255: the first\n"
    "                            load counts as 1)\n"
    "  --key FILE                encipher with this key file, as 'veritor -k FILE' uses it\n"
    "                            (default: the key built into veritor)\n";

const char* const MakeUsageTail =
    "  -o OUT                    the .exm file to write (default: EXAM.exm beside the text);\n"
    "                            veritor lists only names that contain \"Exam\"\n"
    "  --help                    this text\n"
    "\n"
    "exit status: 0 written, 1 the text or a file was refused, 2 wrong usage\n";

// Longest header line the loader reads: 1,023 characters with its line feed.
constexpr size_t HeaderLineLimit = 1022;

const char* const Command = "make";

bool onOff(const std::string& value, bool* out) {
  if (value == "on" || value == "off") {
    *out = value == "on";
    return true;
  }
  return false;
}

std::string defaultOutput(const std::string& input) {
  size_t name = fileNameStart(input);
  size_t dot = input.find_last_of('.');
  if (dot != std::string::npos && dot >= name)
    return input.substr(0, dot) + ".exm";
  return input + ".exm";
}

// An editor on Windows may begin the text with a UTF-8 byte order mark; veritor would
// take it for the header's first characters.
void dropByteOrderMark(std::string* text) {
  if (text->compare(0, 3, "\xEF\xBB\xBF") == 0)
    text->erase(0, 3);
}

// Runs the header through veritor's own parser, which writes its refusal as veritor
// would; then explains what in the line departs from the layout, also where veritor
// reads the line but not as it is meant. False when the header is refused.
bool checkHeader(const std::string& header) {
  char line[1024];
  snprintf(line, sizeof line, "%s\n", header.c_str());
  bool passed = runChecked([&] { parseExamHeader(line); });
  // The parser sees the line up to a NUL, if the text holds one; so does the explanation.
  HeaderDiagnosis diagnosis = diagnoseExamHeader(header.c_str());
  passed = passed && State.Header.Version == ExamFormatVersion;
  if (!passed || !diagnosis.Faults.empty())
    printHeaderDiagnosis(Command, header, diagnosis, !passed);
  return passed;
}

// Runs the body through veritor's own parser. False when veritor would refuse the
// exam; the parser's message has been written then.
bool checkExamBody(const std::string& body, int* questions, float* points) {
  int parsed = -1;
  bool passed = runChecked([&] {
    clearQuestionStore();
    State.Body.Text = body.c_str();
    State.Body.Position = 0;
    State.Body.End = body.size();
    parsed = parseQuestions();
  });
  // A parse that returned -1 has written its message too.
  passed = passed && parsed != -1;
  State.Body = BodyText();
  if (passed) {
    countQuestionsAndPoints();
    *questions = State.QuestionCount;
    *points = State.TotalPoints;
  }
  clearQuestionStore();
  return passed;
}

}  // namespace

int authorMake(int argc, char** argv) {
  std::string input, output, keyFile, password, expiry = "9999/12/31::23:59:59";
  std::string order = "shuffled", clockCheck = "on", review = "off", counter = "255";
  bool havePassword = false;
  std::vector<AuthorOption> options = {{"--password", &password, &havePassword},
                                       {"--expires", &expiry},
                                       {"--order", &order},
                                       {"--clock-check", &clockCheck},
                                       {"--review", &review},
                                       {"--counter", &counter},
                                       {"--key", &keyFile},
                                       {"-o", &output}};
  HeaderOptions headerOptions;
  addHeaderOptions(&headerOptions, &options);
  std::string usage = std::string(MakeUsageHead) + HeaderOptionsUsage + MakeUsageTail;
  int status =
      parseAuthorArguments(Command, usage.c_str(), "exam text", argc, argv, options, &input);
  if (status >= 0)
    return status;
  if (headerOptions.Given) {
    if (headerOptions.Fields.Minutes.empty())
      return usageError(Command, "%sthe header options need --minutes, the time limit", "");
    std::string problem = checkHeaderFields(headerOptions.Fields, true);
    if (!problem.empty())
      return usageError(Command, "%s", problem.c_str());
  }
  if (!havePassword)
    return usageError(Command, "%sno --password given", "");
  if (password.empty() || password.size() > 59)
    return usageError(Command, "%sthe password must have 1 to 59 characters", "");
  for (unsigned char c : password)
    if (c < 0x20 || c == 0x7F)
      return usageError(Command, "%sthe password may hold only characters a student can type",
                        "");
  if (!isValidExpiryDate(expiry))
    return usageError(Command,
                      "--expires '%s' is not a date and time of the form YYYY/MM/DD::HH:MM:SS",
                      expiry.c_str());
  bool clockOn = false, reviewOn = false;
  if (order != "file" && order != "shuffled")
    return usageError(Command, "--order must be 'file' or 'shuffled', not '%s'", order.c_str());
  if (!onOff(clockCheck, &clockOn))
    return usageError(Command, "--clock-check must be 'on' or 'off', not '%s'", clockCheck.c_str());
  if (!onOff(review, &reviewOn))
    return usageError(Command, "--review must be 'on' or 'off', not '%s'", review.c_str());
  char* end = nullptr;
  long counterValue = strtol(counter.c_str(), &end, 10);
  if (counter.empty() || *end != '\0' || counterValue < 0 || counterValue > 255)
    return usageError(Command, "--counter must be a number from 0 to 255, not '%s'",
                      counter.c_str());
  if (output.empty())
    output = defaultOutput(input);

  std::string text;
  if (!readWholeFile(input, &text))
    return refused(Command, "cannot read the exam text '%s'", input.c_str());
  dropByteOrderMark(&text);
  std::string header, body = text;
  if (headerOptions.Given) {
    header = composeExamHeader(headerOptions.Fields);
  } else {
    size_t lineEnd = text.find('\n');
    header = text.substr(0, lineEnd);
    body = lineEnd == std::string::npos ? "" : text.substr(lineEnd + 1);
    if (!header.empty() && header.back() == '\r')
      header.pop_back();
  }
  if (header.size() > HeaderLineLimit)
    return refused(Command,
                   "the header line is longer than veritor reads (%s characters at most)",
                   "1,022");

  installAuthorPlatform();
  if (!setUpAuthorKey(keyFile))
    return refused(Command, "%sthe key could not be set up", "");

  int questions = 0;
  float points = 0.0f;
  if (!checkHeader(header))
    return refused(Command, "%sthe header line was refused (see above)", "");
  if (!checkExamBody(body, &questions, &points))
    return refused(Command, "%sthe exam text was refused (see the message above)", "");

  ExamFileOptions examOptions;
  examOptions.Password = password;
  examOptions.ExpiryDate = expiry;
  examOptions.OrderMode = order == "file" ? OrderFileOrder : OrderShuffled;
  examOptions.ClockCheckMode = clockOn ? ClockCheckOn : ClockCheckOff;
  examOptions.ReviewMode = reviewOn ? ReviewOn : ReviewOff;
  examOptions.OpenCounter = uint8_t(counterValue);
  std::string exam = makeExamFileText(header, body, examOptions);

  FILE* out = fopen(output.c_str(), "wb");
  if (!out)
    return refused(Command, "cannot write '%s'", output.c_str());
  bool written = fwrite(exam.data(), 1, exam.size(), out) == exam.size();
  written = fclose(out) == 0 && written;
  if (!written) {
    remove(output.c_str());
    return refused(Command, "cannot write '%s'", output.c_str());
  }

  printf("veritor-author make: wrote %s: %d questions, %.1f points, expires %s\n",
         output.c_str(), questions, points, expiry.c_str());
  std::string fileName = output.substr(fileNameStart(output));
  if (fileName.find("Exam") == std::string::npos || fileName.size() < 4 ||
      strcasecmp(fileName.c_str() + fileName.size() - 4, ".exm") != 0)
    fprintf(stderr,
            "veritor-author make: warning: veritor lists only files named *.exm whose name "
            "contains \"Exam\"; it will not list '%s'\n",
            fileName.c_str());
  return 0;
}
