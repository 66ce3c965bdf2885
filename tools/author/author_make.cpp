// veritor-author make: a plain exam text (the header line, then the body) to an .exm
// file that veritor loads with the password.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <strings.h>
#include <string>
#include <vector>

#include "author.h"
#include "author_arguments.h"
#include "author_expiry.h"
#include "author_header.h"
#include "author_support.h"
#include "examfile/exam_loader.h"
#include "examfile/exam_writer.h"
#include "format/exam_header.h"
#include "format/exam_text_check.h"
#include "format/exam_text_parse.h"
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
    "  ; a comment            lines before the QUESTIONS line are notes as well\n"
    "  QUESTIONS 10           the questions begin; ask each student at most 10 of them\n"
    "  1. (2 pts) Text        a question with its points\n"
    "  \\More text             continues the line above\n"
    "  a) Choice              a multiple-choice line, relettered a, b, c in order\n"
    "  &Text                  an initial answer, shown to the student as the prior one\n"
    "  = answer               the answer key of the question above (never in the .exm)\n"
    "  { ... }                a pool: each student is asked one of its questions\n"
    "  4. Text                a question without points, then its sub-questions\n"
    "     4.a. (1 pts) Text   with their own points\n"
    "  /* ... */              a block comment, from a line that begins with it\n"
    "The text is checked with veritor's own parser: a text it would refuse is refused\n"
    "here with the same message, and a header line not laid out right is explained\n"
    "column by column. Mistakes veritor would take without a word are named with the\n"
    "text's line numbers: refused where the exam would differ from the text (a pool or\n"
    "block comment never closed, a header read with other values, a bad key line),\n"
    "warned of where it may (a line veritor passes over that looks like a question or\n"
    "a choice, points that are not a number, ...). The .exm holds none of the lines\n"
    "veritor does not use (the notes before QUESTIONS, comments, block comments, the\n"
    "answer key), only an empty line in place of each, so that veritor's line numbers\n"
    "are the text's. 'veritor-author new' writes a text to start from, and\n"
    "docs/writing-exams.md describes every kind of line.\n"
    "\n"
    "options:\n"
    "  --password PASSWORD       the password students type (1 to 59 characters)\n"
    "  --expires DATE            YYYY/MM/DD::HH:MM:SS in the students' local time, not\n"
    "                            already past (default 9999/12/31::23:59:59, never)\n"
    "  --order file|shuffled     question order (default shuffled)\n"
    "  --clock-check on|off      refuse a computer whose clock was set back (default on)\n"
    "  --review on|off           let students move between questions with the arrow keys\n"
    "                            and change answers until #done (default off)\n"
    "  --counter N               starting open counter, 0 to 255 (default 255: the first\n"
    "                            load counts as 1)\n"
    "  --key FILE                encipher with this key file, as 'veritor -k FILE' uses it\n"
    "                            (default: the key built into veritor)\n"
    "  --strict                  refuse the text for any warning too\n";

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

std::string counted(size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Takes --strict, the one option without a value, out of the command line.
bool takeStrict(int* argc, char** argv) {
  bool strict = false;
  int kept = 0;
  for (int i = 0; i < *argc; ++i) {
    if (strcmp(argv[i], "--strict") == 0)
      strict = true;
    else
      argv[kept++] = argv[i];
  }
  *argc = kept;
  return strict;
}

// Runs the header through veritor's own parser, which writes its refusal as veritor
// would; then explains what in the line departs from the layout. A line veritor refuses,
// or reads with other values than written (a short arrow cuts the exam name, "2.5"
// minutes are read as 2), is refused. Sets *warned when the line departs from the layout
// but is read as written.
bool checkHeader(const std::string& header, bool* warned) {
  char line[1024];
  snprintf(line, sizeof line, "%s\n", header.c_str());
  bool passed = runChecked([&] { parseExamHeader(line); });
  // The parser sees the line up to a NUL, if the text holds one; so does the explanation.
  HeaderDiagnosis diagnosis = diagnoseExamHeader(header.c_str());
  passed = passed && State.Header.Version == ExamFormatVersion;
  std::vector<std::string> otherwise;
  if (passed && !diagnosis.Faults.empty())
    otherwise = valuesReadOtherwise(diagnosis, State.Header);
  HeaderVerdict verdict = !passed            ? HeaderVerdict::RefusedByVeritor
                          : otherwise.empty() ? HeaderVerdict::ReadAsMeant
                                              : HeaderVerdict::ReadOtherwise;
  if (!passed || !diagnosis.Faults.empty())
    printHeaderDiagnosis(Command, header, diagnosis, verdict, otherwise);
  *warned = verdict == HeaderVerdict::ReadAsMeant && !diagnosis.Faults.empty();
  return verdict != HeaderVerdict::RefusedByVeritor && verdict != HeaderVerdict::ReadOtherwise;
}

struct CheckedText {
  bool Parsed = false;
  int Refusals = 0;
  int Warnings = 0;
  std::string StudentBody;
  int Questions = 0;
  float Points = 0;
  int QuestionLimit = 0;
  int KeyItems = 0;
  int KeyedItems = 0;
};

// Runs the text through veritor's own parser, watched by the checks, and prints what
// they find with the text's own line numbers. The body the exam file will hold is parsed
// again, and must fill the store exactly as the text did.
CheckedText checkExamText(const std::string& input, const std::string& text) {
  CheckedText checked;
  ExamTextCheck check(text);
  ExamTextParse parse = parseExamText(text, &check);
  // veritor's own words come first: they are what a student's copy would say.
  fputs(parse.Messages.c_str(), stderr);
  if (!parse.Read) {
    if (parse.Messages.find("LineNumber: ") != std::string::npos)
      fprintf(stderr, "%s:%d: error: veritor stops at this line (its message is above)\n",
              input.c_str(), parse.StopLine);
    clearQuestionStore();
    checked.Refusals = 1;
    return checked;
  }
  check.finish();
  countQuestionsAndPoints();
  checked.Parsed = true;
  checked.Questions = State.QuestionCount;
  checked.Points = State.TotalPoints;
  checked.QuestionLimit = State.QuestionLimit;
  checked.KeyItems = static_cast<int>(check.key().key().Items.size());
  checked.KeyedItems = check.key().keyedCount();
  // A message veritor writes and reads on after (an answer beyond a question's 255) is
  // a warning of its own.
  if (!parse.Messages.empty())
    ++checked.Warnings;
  for (const TextNote& note : check.notes()) {
    fprintf(stderr, "%s:%d: %s: %s\n", input.c_str(), note.LineNumber,
            note.Refusal ? "error" : "warning", note.Message.c_str());
    ++(note.Refusal ? checked.Refusals : checked.Warnings);
  }
  std::string written = describeQuestionStore();
  checked.StudentBody = check.studentBody();
  ExamTextParse again = parseExamText(checked.StudentBody, nullptr);
  if (!again.Read || describeQuestionStore() != written) {
    fprintf(stderr,
            "veritor-author make: the exam file would not hold the exam the text describes "
            "(a fault of this tool: please report it with the text)\n");
    ++checked.Refusals;
  }
  clearQuestionStore();
  return checked;
}

void printSummary(const std::string& output, const CheckedText& checked,
                  const std::string& expiry) {
  std::string limit;
  if (checked.QuestionLimit != 65535 && checked.QuestionLimit < checked.Questions)
    limit = " (each student is asked at most " + std::to_string(checked.QuestionLimit) + ")";
  printf("veritor-author make: wrote %s: %d questions%s, %.1f points, expires %s\n",
         output.c_str(), checked.Questions, limit.c_str(), static_cast<double>(checked.Points),
         expiry.c_str());
  size_t items = static_cast<size_t>(checked.KeyItems);
  size_t keyed = static_cast<size_t>(checked.KeyedItems);
  if (keyed == 0)
    printf("veritor-author make: no answer key: %s left to mark by hand\n",
           counted(items, "question or sub-question is", "questions and sub-questions are")
               .c_str());
  else
    printf("veritor-author make: the answer key scores %zu of the %s; %zu %s left to mark "
           "by hand\n",
           keyed, counted(items, "question or sub-question", "questions and sub-questions").c_str(),
           items - keyed, items - keyed == 1 ? "is" : "are");
}

}  // namespace

int authorMake(int argc, char** argv) {
  std::string input, output, keyFile, password, expiry = "9999/12/31::23:59:59";
  std::string order = "shuffled", clockCheck = "on", review = "off", counter = "255";
  bool havePassword = false;
  bool strict = takeStrict(&argc, argv);
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
  std::string expiryFault = expiryProblem(expiry);
  if (!expiryFault.empty())
    return usageError(Command, ("--expires '%s' " + expiryFault).c_str(), expiry.c_str());
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
  // "-o" naming the text itself would put the enciphered exam in place of the only copy
  // of the text, its notes and key.
  std::error_code unknown;
  if (output == input || std::filesystem::equivalent(input, output, unknown))
    return usageError(Command, "-o '%s' is the exam text itself; name another file",
                      output.c_str());

  std::string text;
  if (!readWholeFile(input, &text))
    return refused(Command, "cannot read the exam text '%s'", input.c_str());
  dropByteOrderMark(&text);
  // The text is parsed whole, its header line (if it has one) being one more line of
  // the preamble: every line number is the text's own.
  size_t lineEnd = text.find('\n');
  std::string firstLine = text.substr(0, lineEnd);
  if (!firstLine.empty() && firstLine.back() == '\r')
    firstLine.pop_back();
  std::string header;
  if (headerOptions.Given) {
    // veritor would take the line for preamble and the exam would have the options'
    // header: say so rather than drop what the text says.
    if (looksLikeExamHeader(firstLine)) {
      fprintf(stderr,
              "%s:1: error: this line is an exam header, and the header options give one "
              "too; leave the line out of the text, or the options off the command line\n",
              input.c_str());
      return refused(Command, "%sthe exam text was refused; no exam file was written", "");
    }
    header = composeExamHeader(headerOptions.Fields);
  } else {
    header = firstLine;
  }
  if (header.size() > HeaderLineLimit)
    return refused(Command,
                   "the header line is longer than veritor reads (%s characters at most)",
                   "1,022");

  installAuthorPlatform();
  if (!setUpAuthorKey(keyFile))
    return refused(Command, "%sthe key could not be set up", "");

  // The body is checked even after the header is refused: every mistake is named at once.
  bool headerWarned = false;
  bool headerTaken = checkHeader(header, &headerWarned);
  CheckedText checked = checkExamText(input, text);
  if (!headerTaken)
    return refused(Command, "%sthe header line was refused (see above); no exam file was "
                            "written", "");
  if (checked.Refusals > 0)
    return refused(Command, "%sthe exam text was refused (see above); no exam file was written",
                   "");
  int warnings = checked.Warnings + (headerWarned ? 1 : 0);
  if (strict && warnings > 0)
    return refused(Command, "%s; no exam file was written",
                   ("--strict refuses the exam text for its " +
                    counted(static_cast<size_t>(warnings), "warning", "warnings") + " (see above)")
                       .c_str());

  ExamFileOptions examOptions;
  examOptions.Password = password;
  examOptions.ExpiryDate = expiry;
  examOptions.OrderMode = order == "file" ? OrderFileOrder : OrderShuffled;
  examOptions.ClockCheckMode = clockOn ? ClockCheckOn : ClockCheckOff;
  examOptions.ReviewMode = reviewOn ? ReviewOn : ReviewOff;
  examOptions.OpenCounter = uint8_t(counterValue);
  std::string exam = makeExamFileText(header, checked.StudentBody, examOptions);

  FILE* out = fopen(output.c_str(), "wb");
  if (!out)
    return refused(Command, "cannot write '%s'", output.c_str());
  bool written = fwrite(exam.data(), 1, exam.size(), out) == exam.size();
  written = fclose(out) == 0 && written;
  if (!written) {
    remove(output.c_str());
    return refused(Command, "cannot write '%s'", output.c_str());
  }

  printSummary(output, checked, expiry);
  std::string fileName = output.substr(fileNameStart(output));
  if (fileName.find("Exam") == std::string::npos || fileName.size() < 4 ||
      strcasecmp(fileName.c_str() + fileName.size() - 4, ".exm") != 0)
    fprintf(stderr,
            "veritor-author make: warning: veritor lists only files named *.exm whose name "
            "contains \"Exam\"; it will not list '%s'\n",
            fileName.c_str());
  return 0;
}
