// The package's copyright and changelog files, made at build time from LICENSE and
// CHANGELOG.md by the scripts in cmake/debian/: what Debian's tools read must say what
// the project's own files say.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

const std::string Source = VERITOR_SOURCE_DIR;
const std::string Maintainer = "Veritor developers <veritor-developers@example.org>";

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream all;
  all << file.rdbuf();
  return all.str();
}

struct CommandResult {
  std::string Out;
  int Status = -1;
};

CommandResult run(const std::string& command) {
  CommandResult result;
  if (FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r")) {
    char chunk[4096];
    for (size_t got; (got = fread(chunk, 1, sizeof chunk, pipe)) > 0;)
      result.Out.append(chunk, got);
    int status = pclose(pipe);
    result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  return result;
}

CommandResult debianChangelogOf(const std::string& markdownFile) {
  return run("awk -v package=veritor -v 'maintainer=" + Maintainer + "' -f '" + Source +
             "/cmake/debian/changelog.awk' '" + markdownFile + "'");
}

std::string writeTemporary(const std::string& text) {
  char path[] = "/tmp/veritor-changelog-XXXXXX";
  int fd = mkstemp(path);
  EXPECT_GE(fd, 0);
  FILE* file = fdopen(fd, "w");
  fputs(text.c_str(), file);
  fclose(file);
  return path;
}

// The program's version as it prints it, from the constant it prints.
std::string programVersion() {
  std::string header = readFile(Source + "/src/state/program_state.h");
  const std::string mark = "constexpr double ProgramVersion = ";
  size_t at = header.find(mark);
  if (at == std::string::npos)
    return "";
  at += mark.size();
  return header.substr(at, header.find(';', at) - at);
}

}  // namespace

TEST(DebianChangelog, ReleasedVersionsBecomeEntriesWithTheirDaysOfTheWeek) {
  std::string markdown = writeTemporary(
      "# Changelog\n"
      "\n"
      "Intro text that is no entry.\n"
      "\n"
      "## Unreleased\n"
      "\n"
      "- not shipped yet\n"
      "\n"
      "## 2.01 (2024-02-29)\n"
      "\n"
      "### For students\n"
      "- one item that goes on\n"
      "  over two lines\n"
      "\n"
      "\n"
      "- another\n"
      "\n"
      "## 1.00 (2000-01-01)\n"
      "\n"
      "A paragraph.\n");
  CommandResult made = debianChangelogOf(markdown);
  remove(markdown.c_str());
  EXPECT_EQ(made.Status, 0);
  EXPECT_EQ(made.Out,
            "veritor (2.01) unstable; urgency=medium\n"
            "\n"
            "  For students:\n"
            "  * one item that goes on\n"
            "    over two lines\n"
            "\n"
            "  * another\n"
            "\n"
            " -- " + Maintainer + "  Thu, 29 Feb 2024 12:00:00 +0000\n"
            "\n"
            "veritor (1.00) unstable; urgency=medium\n"
            "\n"
            "  A paragraph.\n"
            "\n"
            " -- " + Maintainer + "  Sat, 01 Jan 2000 12:00:00 +0000\n");
}

TEST(DebianChangelog, TheProjectsNewestReleaseIsTheProgramsVersionAndFitsDebiansWidth) {
  CommandResult made = debianChangelogOf(Source + "/CHANGELOG.md");
  ASSERT_EQ(made.Status, 0);
  ASSERT_FALSE(programVersion().empty());
  std::istringstream lines(made.Out);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line, "veritor (" + programVersion() + ") unstable; urgency=medium");
  // The lines of the changes (not the trailer with its date); lintian counts one column
  // more than each holds.
  for (int number = 2; std::getline(lines, line); ++number) {
    if (line.compare(0, 2, "  ") == 0) {
      EXPECT_LT(line.size(), 79u) << "line " << number << ": " << line;
    }
  }
}

TEST(DebianCopyright, HoldsTheLicenceOfLicenseWordForWord) {
  CommandResult made = run("awk -v name=Veritor -v 'contact=" + Maintainer + "' -f '" + Source +
                 "/cmake/debian/copyright.awk' '" + Source + "/LICENSE'");
  ASSERT_EQ(made.Status, 0);
  const std::string head =
      "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
      "Upstream-Name: Veritor\n"
      "Upstream-Contact: " + Maintainer + "\n"
      "\n"
      "Files: *\n"
      "Copyright: 2026 the Veritor developers\n"
      "License: Expat\n";
  ASSERT_EQ(made.Out.compare(0, head.size(), head), 0) << made.Out;

  // The licence's body, its indentation and " ." lines undone, is LICENSE from the
  // first line after its copyright line.
  std::string body;
  std::istringstream lines(made.Out.substr(head.size()));
  for (std::string line; std::getline(lines, line);)
    body += (line == " ." ? "" : line.substr(1)) + "\n";
  std::string licence = readFile(Source + "/LICENSE");
  size_t from = licence.find("Permission is hereby granted");
  ASSERT_NE(from, std::string::npos);
  EXPECT_EQ(body, licence.substr(from));
}
