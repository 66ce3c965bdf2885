// The manual pages stay true of the programs: every command and option that
// veritor-author's help names is described in veritor-author(1).
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace {

std::string readPage(const std::string& name) {
  std::ifstream file(std::string(VERITOR_SOURCE_DIR) + "/docs/man/" + name, std::ios::binary);
  std::stringstream all;
  all << file.rdbuf();
  // roff writes a hyphen as \-; the option names are compared as typed.
  std::string page;
  for (char c : all.str()) {
    if (c == '-' && !page.empty() && page.back() == '\\')
      page.pop_back();
    page += c;
  }
  return page;
}

std::string helpOf(const std::string& command) {
  std::string line = std::string(VERITOR_BINARY_DIR) + "/veritor-author " + command +
                     " --help 2>&1";
  std::string out;
  if (FILE* pipe = popen(line.c_str(), "r")) {
    char chunk[4096];
    for (size_t got; (got = fread(chunk, 1, sizeof chunk, pipe)) > 0;)
      out.append(chunk, got);
    pclose(pipe);
  }
  return out;
}

bool isNameChar(char c) {
  return (c >= 'a' && c <= 'z') || c == '-';
}

// The commands of the tool's own list: lines of two blanks, a name and its description.
std::set<std::string> commandsOf(const std::string& help) {
  std::set<std::string> found;
  std::istringstream lines(help);
  for (std::string line; std::getline(lines, line);) {
    if (line.size() < 3 || line.compare(0, 2, "  ") != 0 || !isNameChar(line[2]))
      continue;
    size_t end = line.find(' ', 2);
    if (end != std::string::npos && line.compare(end, 2, "  ") == 0)
      found.insert(line.substr(2, end - 2));
  }
  return found;
}

// Every word of the help that is an option: --name, or - and one letter.
std::set<std::string> optionsOf(const std::string& help) {
  std::set<std::string> found;
  std::istringstream words(help);
  for (std::string word; words >> word;) {
    size_t start = word.find_first_not_of("'\"([");
    if (start == std::string::npos || word.compare(start, 1, "-") != 0)
      continue;
    size_t end = start + 1;
    while (end < word.size() && isNameChar(word[end]))
      ++end;
    std::string option = word.substr(start, end - start);
    if (option.compare(0, 2, "--") == 0 ? option.size() > 2 : option.size() == 2)
      found.insert(option);
  }
  return found;
}

}  // namespace

TEST(ManualPages, AuthorPageDescribesEveryCommandAndOption) {
  const std::string page = readPage("veritor-author.1");
  ASSERT_FALSE(page.empty());

  // The commands of the tool's own list ("  make   encipher ...").
  std::set<std::string> commands = commandsOf(helpOf(""));
  ASSERT_TRUE(commands.count("make") && commands.count("show") && commands.count("read"));
  for (const std::string& command : commands)
    EXPECT_NE(page.find(".SS " + command + "\n"), std::string::npos) << command;

  // The commands whose options the page lists one by one.
  for (const std::string command : {"make", "show", "read", "report"}) {
    std::set<std::string> options = optionsOf(helpOf(command));
    ASSERT_FALSE(options.empty()) << command;
    for (const std::string& option : options)
      EXPECT_NE(page.find(option), std::string::npos) << command << " " << option;
  }
}

TEST(ManualPages, StudentPageNamesTheKeyOptionAndTheMenu) {
  const std::string page = readPage("veritor.1");
  ASSERT_FALSE(page.empty());
  EXPECT_NE(page.find(".BI -k \" KEYFILE\""), std::string::npos);
  for (const char* item : {"1 - Help!", "2 - Select Font Colors", "3 - Take Exam",
                           "9 - Exit Program"})
    EXPECT_NE(page.find(item), std::string::npos) << item;
}
