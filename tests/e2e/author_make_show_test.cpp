// veritor-author make and show, run as an instructor runs them.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct ToolRun {
  int Status;
  std::string Out;
  std::string Err;
};

std::string readFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream all;
  all << file.rdbuf();
  return all.str();
}

class AuthorTool : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = std::filesystem::temp_directory_path() /
             ("veritor-author-" + std::to_string(getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder);
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  void write(const std::string& name, const std::string& content) {
    std::ofstream(folder / name, std::ios::binary) << content;
  }
  ToolRun author(const std::string& arguments) {
    std::string out = (folder / "stdout").string(), err = (folder / "stderr").string();
    std::string command = std::string(VERITOR_BINARY_DIR) + "/veritor-author " + arguments +
                          " >" + out + " 2>" + err + " </dev/null";
    int status = system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(out), readFile(err)};
  }
  std::string path(const std::string& name) { return (folder / name).string(); }

  std::filesystem::path folder;
};

const char* const Header =
    ";Spring 2027;  MA 200: Algebra: (002) ---> Quiz Exam:  TimeLimit: 15 minutes  ---  "
    "Version 1.07\n";

}  // namespace

TEST_F(AuthorTool, MakeThenShowWithThePassword) {
  write("QuizExam.txt", std::string(Header) +
                            "QUESTIONS\n1. (2 pts) Two plus two?\n2. Parts.\n   2.a. (1 pts) "
                            "One.\n   2.b. (1 pts) Two.\n");
  ToolRun made = author("make " + path("QuizExam.txt") +
                    " --password 'let me in' --expires 2030/06/01::08:30:00 --order file "
                    "--clock-check off --review on --counter 0");
  ASSERT_EQ(made.Status, 0) << made.Err;
  EXPECT_EQ(made.Out, "veritor-author make: wrote " + path("QuizExam.exm") +
                          ": 3 questions, 4.0 points, expires 2030/06/01::08:30:00\n");
  EXPECT_EQ(made.Err, "");
  std::string exam = readFile(folder / "QuizExam.exm");
  EXPECT_EQ(exam.substr(0, strlen(Header) + 1), std::string(Header) + "\n");

  ToolRun shown = author("show " + path("QuizExam.exm") + " --password 'let me in'");
  ASSERT_EQ(shown.Status, 0) << shown.Err;
  EXPECT_NE(shown.Out.find("Block version: 1.07\n"), std::string::npos);
  EXPECT_NE(shown.Out.find("Expires:       2030/06/01::08:30:00"), std::string::npos);
  EXPECT_NE(shown.Out.find("Order:         file order\n"), std::string::npos);
  EXPECT_NE(shown.Out.find("Clock check:   off\n"), std::string::npos);
  EXPECT_NE(shown.Out.find("Review:        on\n"), std::string::npos);
  EXPECT_NE(shown.Out.find("Open counter:  0x00 (the next load counts as 0)"),
            std::string::npos);
  EXPECT_NE(shown.Out.find("\n\nQUESTIONS\n1. (2 pts) Two plus two?\n"), std::string::npos);

  ToolRun wrong = author("show " + path("QuizExam.exm") + " --password 'let me out'");
  EXPECT_EQ(wrong.Status, 1);
  EXPECT_NE(wrong.Err.find("the password does not match"), std::string::npos);
}

// The text is checked by veritor's own parser, and refused with its message.
TEST_F(AuthorTool, RefusesWhatVeritorWouldRefuse) {
  write("BadExam.txt", std::string(Header) + "QUESTIONS\n1. (2 pts Two plus two?\n");
  ToolRun bad = author("make " + path("BadExam.txt") + " --password x");
  EXPECT_EQ(bad.Status, 1);
  EXPECT_NE(bad.Err.find("LineNumber: 2 --> Syntax Error - line=\"1. (2 pts Two plus two?\"\n\n"
                         "No closing parenethesis found after getting points.\n"),
            std::string::npos)
      << bad.Err;
  EXPECT_EQ(bad.Err.find("PRESS ENTER"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(folder / "BadExam.exm"));

  write("EmptyExam.txt", Header);
  ToolRun empty = author("make " + path("EmptyExam.txt") + " --password x");
  EXPECT_EQ(empty.Status, 1);
  EXPECT_NE(empty.Err.find("Fatal Error - Exam Format Corrupted - Did not find 'QUESTIONS' "
                           "before end of file."),
            std::string::npos);
}

// A mistake in the command line is status 2, a file that cannot be used status 1.
TEST_F(AuthorTool, UsageErrors) {
  write("QuizExam.txt", std::string(Header) + "QUESTIONS\n1. (2 pts) Two?\n");
  const std::string text = path("QuizExam.txt");
  struct Case {
    std::string Arguments;
    int Status;
  };
  const Case cases[] = {
      {"make " + text, 2},  // no password
      {"make " + text + " --password", 2},
      {"make " + text + " --password x --expires 2030/02/30::00:00:00", 2},
      {"make " + text + " --password x --order random", 2},
      {"make " + text + " --password x --counter 256", 2},
      {"make " + path("Missing.txt") + " --password x", 1},
      {"make " + text + " --password x --key " + text + "x", 1},  // no such key file
      {"show " + text + " --password x", 1},                     // not an exam file
      {"show --help", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Arguments);
    EXPECT_EQ(author(c.Arguments).Status, c.Status);
  }
  ToolRun help = author("make --help");
  EXPECT_EQ(help.Status, 0);
  EXPECT_NE(help.Out.find("usage: veritor-author make"), std::string::npos);
}

// An exam made with a key file can only be shown with that key file.
TEST_F(AuthorTool, KeyFileMustMatch) {
  write("QuizExam.txt", std::string(Header) + "QUESTIONS\n1. (2 pts) Two?\n");
  write("institution.key", std::string(1000, 'k') + std::string(1000, 'q'));
  ASSERT_EQ(author("make " + path("QuizExam.txt") + " --password x --key " +
                   path("institution.key"))
                .Status,
            0);
  EXPECT_EQ(author("show " + path("QuizExam.exm") + " --password x").Status, 1);
  EXPECT_EQ(author("show " + path("QuizExam.exm") + " --password x --key " +
                   path("institution.key"))
                .Status,
            0);
}

// The text new writes makes an exam as it stands, and new never writes over a file.
TEST_F(AuthorTool, NewWritesATextThatMakesAnExam) {
  ToolRun written = author("new " + path("FirstExam.txt") + " --course-number 'MA 200' "
                           "--minutes 45");
  ASSERT_EQ(written.Status, 0) << written.Err;
  std::string text = readFile(folder / "FirstExam.txt");
  EXPECT_EQ(text.substr(0, text.find('\n')),
            ";Fall 2026;  MA 200: Introduction to Programming: (001) ---> Exam 1:  TimeLimit: "
            "45 minutes  ---  Version 1.07");

  ToolRun made = author("make " + path("FirstExam.txt") + " --password pw");
  ASSERT_EQ(made.Status, 0) << made.Err;
  EXPECT_NE(made.Out.find(": 6 questions, 13.0 points,"), std::string::npos);
  EXPECT_EQ(made.Err, "");

  write("Taken.txt", "mine");
  ToolRun again = author("new " + path("Taken.txt"));
  EXPECT_EQ(again.Status, 1);
  EXPECT_EQ(again.Err, "veritor-author new: '" + path("Taken.txt") +
                           "' already exists; give the name of a new file\n");
  EXPECT_EQ(readFile(folder / "Taken.txt"), "mine");
  EXPECT_EQ(author("new " + path("Other.txt") + " --section 1234567").Status, 2);
  EXPECT_FALSE(std::filesystem::exists(folder / "Other.txt"));
}

// With the header options the whole text is the body, and a header line left in it is
// only preamble.
TEST_F(AuthorTool, MakeComposesTheHeaderFromOptions) {
  write("BodyExam.txt", std::string(Header) + "QUESTIONS\n1. (2 pts) Two plus two?\n");
  const std::string fields = " --semester 'Fall 2026' --course-number 'CS 101' --course-name "
                             "Intro --section 3 --exam-name 'Quiz 2'";
  ToolRun made = author("make " + path("BodyExam.txt") + " --password pw" + fields +
                        " --minutes 30");
  ASSERT_EQ(made.Status, 0) << made.Err;
  const std::string composed =
      ";Fall 2026;  CS 101: Intro: (3) ---> Quiz 2:  TimeLimit: 30 minutes  ---  "
      "Version 1.07\n\n";
  EXPECT_EQ(readFile(folder / "BodyExam.exm").substr(0, composed.size()), composed);

  ToolRun noMinutes = author("make " + path("BodyExam.txt") + " --password pw" + fields);
  EXPECT_EQ(noMinutes.Status, 2);
  EXPECT_EQ(noMinutes.Err.substr(0, noMinutes.Err.find('\n')),
            "veritor-author make: the header options need --minutes, the time limit");
  ToolRun tooLong = author("make " + path("BodyExam.txt") + " --password pw --minutes 30 "
                           "--exam-name 'The second quiz of the autumn term'");
  EXPECT_EQ(tooLong.Status, 2);
  EXPECT_EQ(tooLong.Err.substr(0, tooLong.Err.find('\n')),
            "veritor-author make: --exam-name has 34 characters; the header holds at most 30");
}

// veritor's refusal comes first, unchanged; then what the tool makes of the line.
TEST_F(AuthorTool, RefusedHeaderIsExplainedWithTheWritersValues) {
  const std::string line =
      ";Fall 2021;  CS 1234: Intro to Programming: (001) ---> Exam 1:  TimeLimit: 60 minutes "
      "--- Version 1.07";
  write("NaturalExam.txt", line + "\nQUESTIONS\n1. (2 pts) Two?\n");
  ToolRun made = author("make " + path("NaturalExam.txt") + " --password pw");
  EXPECT_EQ(made.Status, 1);
  const std::string refusal = "LineNumber: 0 --> Syntax Error - line=\"" + line +
                              "\n\"\n\nVersion not found - old file?\n\n\n";
  EXPECT_EQ(made.Err.substr(0, refusal.size()), refusal);
  for (const std::string& part :
       {std::string("\n  column 86: \" --- \" stands between the unit and \"Version\"; it must be "
        "\"  ---  \": two blanks, three dashes, two blanks\n"),
        "\n  the header:  " + line + "\n" + std::string(15 + 85, ' ') + "^\n",
        std::string("\n  with yours:  ;Fall 2021;  CS 1234: Intro to Programming: (001) ---> "
                    "Exam 1:  TimeLimit: 60 minutes  ---  Version 1.07\n")})
    EXPECT_NE(made.Err.find(part), std::string::npos) << part;
  EXPECT_FALSE(std::filesystem::exists(folder / "NaturalExam.exm"));

  // Read, but not as meant: the exam is made, with a warning.
  write("TightExam.txt", ";Fall 2021;  CS 1234:Intro: (001) ---> Exam 1:  TimeLimit: 60 "
                         "minutes  ---  Version 1.07\nQUESTIONS\n1. (2 pts) Two?\n");
  ToolRun tight = author("make " + path("TightExam.txt") + " --password pw");
  EXPECT_EQ(tight.Status, 0);
  EXPECT_NE(tight.Err.find("warning: veritor reads the header line, but not as it is meant:\n"
                           "  column 22: a blank follows the ':' after the course number"),
            std::string::npos)
      << tight.Err;
}
