// veritor-author show: what an .exm file holds, deciphered with its password.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "author.h"
#include "author_arguments.h"
#include "author_support.h"
#include "crypto/sha256.h"
#include "examfile/cipher.h"
#include "examfile/exam_loader.h"
#include "examfile/exam_writer.h"
#include "examfile/hex_reader.h"
#include "format/exam_header.h"
#include "format/exam_text_parse.h"
#include "format/question_store.h"
#include "state/program_state.h"

namespace {

const char* const ShowUsage =
    "usage: veritor-author show EXAM.exm --password PASSWORD [--key FILE]\n"
    "\n"
    "Prints what the exam file holds, as veritor reads it: the header line and the values\n"
    "veritor reads from it (semester, course, section, exam name, time limit), the fields\n"
    "of its protected block (version, expiry, question order, clock check, review, open\n"
    "counter), the questions and points veritor counts, and the deciphered body as it\n"
    "stands in the file (make leaves an empty line there for each line of the text that\n"
    "veritor does not use). Characters that are not plain text are shown as \\xNN.\n"
    "\n"
    "options:\n"
    "  --password PASSWORD   the exam's password\n"
    "  --key FILE            the key file the exam was made with (default: the built-in key)\n"
    "  --help                this text\n"
    "\n"
    "exit status: 0 shown, 1 the file cannot be read, the password does not match or\n"
    "veritor would refuse the exam (its message is written too), 2 wrong usage\n";

const char* const Command = "show";

// Bytes from the file as a terminal may be given them: line ends and tabs as they are,
// every other control byte and every byte outside ASCII as \xNN, so that nothing in a
// file can move the cursor, retitle the window or change its colours.
std::string printable(const uint8_t* bytes, size_t length, bool lines = false) {
  std::string out;
  for (size_t i = 0; i < length; ++i) {
    bool lineEnd = bytes[i] == '\n' || (bytes[i] == '\r' && i + 1 < length && bytes[i + 1] == '\n');
    if ((bytes[i] >= 0x20 && bytes[i] < 0x7F) || (lines && (lineEnd || bytes[i] == '\t'))) {
      out += char(bytes[i]);
    } else {
      char escaped[8];
      snprintf(escaped, sizeof escaped, "\\x%02X", bytes[i]);
      out += escaped;
    }
  }
  return out;
}

}  // namespace

int authorShow(int argc, char** argv) {
  std::string input, password, keyFile;
  bool havePassword = false;
  int status = parseAuthorArguments(Command, ShowUsage, "exam file", argc, argv,
                                    {{"--password", &password, &havePassword},
                                     {"--key", &keyFile}},
                                    &input);
  if (status >= 0)
    return status;
  if (!havePassword)
    return usageError(Command, "%sno --password given", "");

  FILE* file = fopen(input.c_str(), "rb");
  if (!file)
    return refused(Command, "cannot read '%s'", input.c_str());
  char header[1024] = {}, second[1024] = {};
  bool framed = fgets(header, sizeof header, file) && fgets(second, sizeof second, file) &&
                isEmptyLine(second);
  std::vector<uint8_t> bytes;
  bool wellFormed = framed;
  if (framed) {
    HexReader hex(file, ftell(file));
    for (;;) {
      uint8_t byte;
      HexReader::Result read = hex.next(&byte, nullptr);
      if (read == HexReader::End)
        break;
      if (read == HexReader::Bad) {
        wellFormed = false;
        break;
      }
      bytes.push_back(byte);
    }
  }
  fclose(file);
  if (!wellFormed || bytes.size() < 64)
    return refused(Command, "'%s' is not a well-formed exam file", input.c_str());

  installAuthorPlatform();
  if (!setUpAuthorKey(keyFile))
    return refused(Command, "%sthe key could not be set up", "");

  CipherState cipher;
  sha256(cipher.Digest, password.data(), password.size());
  deriveCipherState(&cipher);
  applyKeyStream(&cipher, bytes.data(), bytes.size());
  const uint8_t* block = bytes.data();
  if (memcmp(block + 4, cipher.Digest, 32) != 0)
    return refused(Command, "the password does not match '%s' (or it was made with another key)",
                   input.c_str());

  size_t headerLength = strcspn(header, "\r\n");
  header[headerLength] = '\0';
  const uint8_t counter = block[63];
  printf("Header:        %s\n",
         printable(reinterpret_cast<const uint8_t*>(header), headerLength).c_str());
  // The values veritor reads from the header, which are not always those the line seems
  // to say; its refusal, if it has one, goes to the error stream as veritor writes it.
  char parsed[1024];
  snprintf(parsed, sizeof parsed, "%s\n", header);
  bool headerRead = runChecked([&] { parseExamHeader(parsed); });
  if (headerRead) {
    const ExamHeader& h = State.Header;
    auto field = [](const char* name, const char* value) {
      printf("%-15s%s\n", name,
             printable(reinterpret_cast<const uint8_t*>(value), strlen(value)).c_str());
    };
    field("Semester:", h.Semester);
    field("Course number:", h.CourseNumber);
    field("Course name:", h.CourseName);
    field("Section:", h.Section);
    field("Exam name:", h.ExamName);
    printf("Time limit:    %u minutes\n", h.TimeLimit);
    printf("Version:       %.2f\n", static_cast<double>(h.Version));
  } else {
    printf("               (veritor refuses this header line: its message is above)\n");
  }
  printf("Block version: %s\n", printable(block, 4).c_str());
  printf("Password:      matches\n");
  printf("Expires:       %s (students' local time)\n", printable(block + 36, 20).c_str());
  printf("Order:         %s\n", block[56] == OrderFileOrder ? "file order" : "shuffled");
  printf("Clock check:   %s\n", block[57] == ClockCheckOff ? "off" : "on");
  printf("Review:        %s\n", block[58] == ReviewOn ? "on" : "off");
  printf("Open counter:  0x%02X (the next load counts as %d)\n", counter,
         -1 - int(int8_t(uint8_t(counter - 1))));

  std::string body(reinterpret_cast<const char*>(bytes.data() + 64), bytes.size() - 64);
  ExamTextParse parse = parseExamText(body, nullptr);
  fputs(parse.Messages.c_str(), stderr);
  if (parse.Read) {
    countQuestionsAndPoints();
    std::string limit;
    if (State.QuestionLimit != 65535 && State.QuestionLimit < State.QuestionCount)
      limit = " (each student is asked at most " + std::to_string(State.QuestionLimit) + ")";
    printf("Questions:     %u%s, %.1f points\n", State.QuestionCount, limit.c_str(),
           static_cast<double>(State.TotalPoints));
  } else {
    printf("Questions:     (veritor refuses this body: its message is above)\n");
  }
  clearQuestionStore();
  printf("Body:          %zu bytes\n\n", body.size());
  std::string shown = printable(bytes.data() + 64, bytes.size() - 64, true);
  fwrite(shown.data(), 1, shown.size(), stdout);
  return headerRead && parse.Read ? 0 : 1;
}
