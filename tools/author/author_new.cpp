// veritor-author new: an exam text to start from, with a header and one example of
// every kind of line, each explained in a comment that veritor skips.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "author.h"
#include "author_arguments.h"
#include "author_header.h"
#include "author_new_text.h"
#include "author_support.h"

namespace {

const char* const Command = "new";

const char* const NewUsageHead =
    "usage: veritor-author new EXAM.txt [header options]\n"
    "\n"
    "Writes a new exam text to edit: a header line, then one example of every kind of\n"
    "line (a question with points, a continuation, multiple choice, an initial answer,\n"
    "answer key lines, a pool, sub-questions, a block comment), each explained in a\n"
    "comment line. It makes an exam as it stands: 'veritor-author make EXAM.txt\n"
    "--password PASSWORD'. Its comments and key stay in the text, out of the exam file.\n"
    "An existing file is never overwritten. docs/writing-exams.md is the full guide.\n"
    "\n"
    "options (each fills its field of the header; the rest keep the example's values):\n";

const char* const NewUsageTail =
    "  --help                    this text\n"
    "\n"
    "exit status: 0 written, 1 the file exists or cannot be written, 2 wrong usage\n";

// Values given on the command line take the place of the example's.
void fillFrom(const HeaderFields& given, HeaderFields* fields) {
  for (const HeaderTextField& field : HeaderTextFields)
    if (!(given.*field.Value).empty())
      fields->*field.Value = given.*field.Value;
  if (!given.Minutes.empty())
    fields->Minutes = given.Minutes;
}

}  // namespace

int authorNew(int argc, char** argv) {
  std::vector<AuthorOption> options;
  HeaderOptions headerOptions;
  addHeaderOptions(&headerOptions, &options);
  std::string usage = std::string(NewUsageHead) + HeaderOptionsUsage + NewUsageTail;
  std::string output;
  int status =
      parseAuthorArguments(Command, usage.c_str(), "file name", argc, argv, options, &output);
  if (status >= 0)
    return status;
  HeaderFields header = exampleHeaderFields();
  fillFrom(headerOptions.Fields, &header);
  std::string problem = checkHeaderFields(header, true);
  if (!problem.empty())
    return usageError(Command, "%s", problem.c_str());

  // "x": the file is created here or not at all, so an exam text already written is
  // never replaced.
  FILE* out = fopen(output.c_str(), "wbx");
  if (!out && errno == EEXIST)
    return refused(Command, "'%s' already exists; give the name of a new file",
                   output.c_str());
  if (!out)
    return refused(Command, "cannot write '%s'", output.c_str());
  std::string text = newExamText(header);
  bool written = fwrite(text.data(), 1, text.size(), out) == text.size();
  written = fclose(out) == 0 && written;
  if (!written) {
    remove(output.c_str());
    return refused(Command, "cannot write '%s'", output.c_str());
  }
  printf("veritor-author new: wrote %s; edit it, then run\n"
         "  veritor-author make %s --password PASSWORD\n",
         output.c_str(), output.c_str());
  // make names the exam file after the text, and veritor lists only names with "Exam"
  // in them: better said now than after the exam file is handed out.
  std::string name = output.substr(fileNameStart(output));
  if (name.find("Exam") == std::string::npos)
    fprintf(stderr,
            "veritor-author new: note: make names the exam file after the text, and veritor "
            "lists only exam files whose name contains \"Exam\"; rename '%s' (as in "
            "MidtermExam.txt) or give make -o NAMEExam.exm\n",
            name.c_str());
  return 0;
}
