#include <cstdio>
#include <cstring>

#include "author.h"

namespace {

const char* const Usage =
    "usage: veritor-author COMMAND [options]\n"
    "\n"
    "commands:\n"
    "  new    write an exam text to start from, every kind of line explained\n"
    "  make   encipher a plain exam text into an .exm file\n"
    "  show   print what an .exm file holds (needs its password)\n"
    "  read   decipher, check and print a completed .xmc file\n"
    "  report check a whole class's completed files; table, CSV, answers, page\n"
    "\n"
    "'veritor-author COMMAND --help' describes a command's options;\n"
    "docs/writing-exams.md is the guide to writing an exam.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0) {
    fputs(Usage, argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  const char* command = argv[1];
  if (strcmp(command, "new") == 0)
    return authorNew(argc - 2, argv + 2);
  if (strcmp(command, "make") == 0)
    return authorMake(argc - 2, argv + 2);
  if (strcmp(command, "show") == 0)
    return authorShow(argc - 2, argv + 2);
  if (strcmp(command, "read") == 0)
    return authorRead(argc - 2, argv + 2);
  if (strcmp(command, "report") == 0)
    return authorReport(argc - 2, argv + 2);
  fprintf(stderr, "veritor-author: unknown command '%s'\n\n%s", command, Usage);
  return 2;
}
