// veritor-author make: a plain exam text (the header line, then the body) to an .exm
// file that veritor loads with the password.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <string>

#include "author.h"
#include "author_arguments.h"
#include "author_support.h"
#include "examfile/exam_loader.h"
#include "examfile/exam_writer.h"
#include "format/body_parser.h"
#include "format/exam_header.h"
#include "format/question_store.h"
#include "state/program_state.h"

namespace {

const char* const MakeUsage =
    "usage: veritor-author make EXAM.txt --password PASSWORD [options]\n"
    "\n"
    "Enciphers a plain exam text into an .exm file. The text's first line is the exam\n"
    "header; the rest is the exam body. The text is checked with veritor's own parser\n"
    "first, and a text it would refuse is refused here with the same message.\n"
    "\n"
    "options:\n"
    "  --password PASSWORD       the password students type (1 to 59 characters)\n"
    "  --expires DATE            YYYY/MM/DD::HH:MM:SS in the students' local time\n"
    "                            (default 9999/12/31::23:59:59, never in practice)\n"
    "  --order file|shuffled     question order (default shuffled)\n"
    "  --clock-check on|off      refuse a computer whose clock was set back (default on)\n"
    "  --review on|off           let students review their answers at the end (default off)\n"
    "  --counter N               starting open counter, 0 to 255 (default 255: the first\n"
    "                            load counts as 1)\n"
    "  --key FILE                encipher with this key file, as 'veritor -k FILE' uses it\n"
    "                            (default: the key built into veritor)\n"
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

// Runs the header and body through veritor's own parser. False when veritor would
// refuse the exam; the parser's message has been written then.
bool checkExamText(const std::string& header, const std::string& body, int* questions,
                   float* points) {
  char line[1024];
  snprintf(line, sizeof line, "%s\n", header.c_str());
  int parsed = -1;
  bool passed = runChecked([&] {
    clearQuestionStore();
    parseExamHeader(line);
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
  int status = parseAuthorArguments(Command, MakeUsage, "exam text", argc, argv,
                                    {{"--password", &password, &havePassword},
                                     {"--expires", &expiry},
                                     {"--order", &order},
                                     {"--clock-check", &clockCheck},
                                     {"--review", &review},
                                     {"--counter", &counter},
                                     {"--key", &keyFile},
                                     {"-o", &output}},
                                    &input);
  if (status >= 0)
    return status;
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
  size_t lineEnd = text.find('\n');
  std::string header = text.substr(0, lineEnd);
  std::string body = lineEnd == std::string::npos ? "" : text.substr(lineEnd + 1);
  if (!header.empty() && header.back() == '\r')
    header.pop_back();
  if (header.size() > HeaderLineLimit)
    return refused(Command,
                   "the header line is longer than veritor reads (%s characters at most)",
                   "1,022");

  installAuthorPlatform();
  if (!setUpAuthorKey(keyFile))
    return refused(Command, "%sthe key could not be set up", "");

  int questions = 0;
  float points = 0.0f;
  if (!checkExamText(header, body, &questions, &points))
    return refused(Command, "%sthe exam text was refused (see the message above)", "");
  if (State.Header.Version != ExamFormatVersion)
    return refused(Command, "%sthe header's Version must be 1.07, the version veritor reads",
                   "");

  ExamFileOptions options;
  options.Password = password;
  options.ExpiryDate = expiry;
  options.OrderMode = order == "file" ? OrderFileOrder : OrderShuffled;
  options.ClockCheckMode = clockOn ? ClockCheckOn : ClockCheckOff;
  options.ReviewMode = reviewOn ? ReviewOn : ReviewOff;
  options.OpenCounter = uint8_t(counterValue);
  std::string exam = makeExamFileText(header, body, options);

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
