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
#include <utility>

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

// show prints what the file holds and the values veritor reads from it; the notes,
// comments and key of the text are not in the file.
TEST_F(AuthorTool, MakeThenShowWithThePassword) {
  write("QuizExam.txt", std::string(Header) +
                            "Preamble: SECRET notes for the grader.\n"
                            "QUESTIONS 2\n"
                            "; SECRET comment\n"
                            "1. (2 pts) Two plus two?\n"
                            "= 4\n"
                            "2. Parts.\n"
                            "   2.a. (1 pts) One.\n"
                            "   = SECRET one\n"
                            "/* SECRET for next term\n"
                            "3. (5 pts) Three?\n"
                            "*/\n"
                            "   2.b. (1 pts) Two.\n");
  ToolRun made = author("make " + path("QuizExam.txt") +
                    " --password 'let me in' --expires 2030/06/01::08:30:00 --order file "
                    "--clock-check off --review on --counter 0");
  ASSERT_EQ(made.Status, 0) << made.Err;
  EXPECT_EQ(made.Out, "veritor-author make: wrote " + path("QuizExam.exm") +
                          ": 3 questions (each student is asked at most 2), 4.0 points, "
                          "expires 2030/06/01::08:30:00\n"
                          "veritor-author make: the answer key scores 2 of the 3 questions and "
                          "sub-questions; 1 is left to mark by hand\n");
  EXPECT_EQ(made.Err, "");
  std::string exam = readFile(folder / "QuizExam.exm");
  EXPECT_EQ(exam.substr(0, strlen(Header) + 1), std::string(Header) + "\n");

  ToolRun shown = author("show " + path("QuizExam.exm") + " --password 'let me in'");
  ASSERT_EQ(shown.Status, 0) << shown.Err;
  EXPECT_EQ(shown.Out.substr(0, shown.Out.find("Body:")),
            "Header:        " + std::string(Header) +
                "Semester:      Spring 2027\n"
                "Course number: MA 200\n"
                "Course name:   Algebra\n"
                "Section:       002\n"
                "Exam name:     Quiz Exam\n"
                "Time limit:    15 minutes\n"
                "Version:       1.07\n"
                "Block version: 1.07\n"
                "Password:      matches\n"
                "Expires:       2030/06/01::08:30:00 (students' local time)\n"
                "Order:         file order\n"
                "Clock check:   off\n"
                "Review:        on\n"
                "Open counter:  0x00 (the next load counts as 0)\n"
                "Questions:     3 (each student is asked at most 2), 4.0 points\n");
  // The deciphered body: an empty line for each line veritor does not use, so that its
  // line numbers are the text's.
  EXPECT_EQ(shown.Out.substr(shown.Out.find("Body:")),
            "Body:          97 bytes\n\n"
            "\n\nQUESTIONS 2\n\n1. (2 pts) Two plus two?\n\n2. Parts.\n   2.a. (1 pts) One.\n"
            "\n\n\n\n   2.b. (1 pts) Two.\n");
  EXPECT_EQ(shown.Out.find("SECRET"), std::string::npos);

  // A header veritor would refuse (changed in the file by hand): show says so, veritor's
  // message on the error stream, and ends with status 1.
  std::string broken = exam;
  broken.replace(broken.find("TimeLimit"), 9, "Time-limit");
  write("BrokenExam.exm", broken);
  ToolRun refusedShow = author("show " + path("BrokenExam.exm") + " --password 'let me in'");
  EXPECT_EQ(refusedShow.Status, 1);
  EXPECT_NE(refusedShow.Out.find("Header:        ;Spring 2027;  MA 200: Algebra: (002) ---> "
                                 "Quiz Exam:  Time-limit: 15 minutes  ---  Version 1.07\n"
                                 "               (veritor refuses this header line: its "
                                 "message is above)\nBlock version: 1.07\n"),
            std::string::npos)
      << refusedShow.Out;
  EXPECT_NE(refusedShow.Err.find("TimeLimit not found - corrupted file"), std::string::npos);

  ToolRun wrong = author("show " + path("QuizExam.exm") + " --password 'let me out'");
  EXPECT_EQ(wrong.Status, 1);
  EXPECT_NE(wrong.Err.find("the password does not match"), std::string::npos);
}

// The text is checked by veritor's own parser, and refused with its message.
TEST_F(AuthorTool, RefusesWhatVeritorWouldRefuse) {
  write("BadExam.txt", std::string(Header) + "QUESTIONS\n1. (2 pts Two plus two?\n");
  ToolRun bad = author("make " + path("BadExam.txt") + " --password x");
  EXPECT_EQ(bad.Status, 1);
  // veritor's message, with the text's own line number, then make's.
  EXPECT_EQ(bad.Err, "LineNumber: 3 --> Syntax Error - line=\"1. (2 pts Two plus two?\"\n\n"
                     "No closing parenethesis found after getting points.\n\n" +
                         path("BadExam.txt") +
                         ":3: error: veritor stops at this line (its message is above)\n"
                         "veritor-author make: the exam text was refused (see above); no exam "
                         "file was written\n");
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
      {"make " + text + " --password x --expires 2020/01/01::00:00:00", 2},
      {"make " + text + " --password x --order random", 2},
      {"make " + text + " --password x --counter 256", 2},
      {"make " + text + " --password x -o " + text, 2},  // would write over the text
      {"make " + path("Missing.txt") + " --password x", 1},
      {"make " + text + " --password x --key " + text + "x", 1},  // no such key file
      {"show " + text + " --password x", 1},                     // not an exam file
      {"show --help", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Arguments);
    EXPECT_EQ(author(c.Arguments).Status, c.Status);
  }
  EXPECT_EQ(author("make " + text + " --password x -o " + text).Err,
            "veritor-author make: -o '" + text + "' is the exam text itself; name another "
            "file\n(see 'veritor-author make --help')\n");
  EXPECT_EQ(readFile(folder / "QuizExam.txt"), std::string(Header) + "QUESTIONS\n1. (2 pts) Two?\n");
  ToolRun help = author("make --help");
  EXPECT_EQ(help.Status, 0);
  EXPECT_NE(help.Out.find("usage: veritor-author make"), std::string::npos);

  // A date of the right form that does not exist, or is already past, is named as such.
  const std::pair<std::string, std::string> dates[] = {
      {"2027/02/30::18:00:00", "is no such date: February 2027 has 28 days"},
      {"2028/02/30::18:00:00", "is no such date: February 2028 has 29 days"},
      {"2027/13/01::18:00:00", "is no such date: a year has the months 01 to 12"},
      {"2027/06/30::24:00:00",
       "is no such time: hours go from 00 to 23, minutes and seconds from 00 to 59"},
      {"2020/06/30::18:00:00", "is already past: veritor would refuse the exam as expired"},
      {"2027/6/30", "is not a date and time of the form YYYY/MM/DD::HH:MM:SS"},
  };
  for (const auto& [date, problem] : dates) {
    ToolRun refused = author("make " + text + " --password x --expires " + date);
    EXPECT_EQ(refused.Status, 2);
    EXPECT_EQ(refused.Err, "veritor-author make: --expires '" + date + "' " + problem +
                               "\n(see 'veritor-author make --help')\n");
  }
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

  EXPECT_EQ(written.Err, "");

  // A name veritor would not list is named at once.
  ToolRun unlisted = author("new " + path("midterm.txt"));
  EXPECT_EQ(unlisted.Status, 0);
  EXPECT_EQ(unlisted.Err,
            "veritor-author new: note: make names the exam file after the text, and veritor "
            "lists only exam files whose name contains \"Exam\"; rename 'midterm.txt' (as in "
            "MidtermExam.txt) or give make -o NAMEExam.exm\n");

  write("Taken.txt", "mine");
  ToolRun again = author("new " + path("Taken.txt"));
  EXPECT_EQ(again.Status, 1);
  EXPECT_EQ(again.Err, "veritor-author new: '" + path("Taken.txt") +
                           "' already exists; give the name of a new file\n");
  EXPECT_EQ(readFile(folder / "Taken.txt"), "mine");
  EXPECT_EQ(author("new " + path("Other.txt") + " --section 1234567").Status, 2);
  EXPECT_FALSE(std::filesystem::exists(folder / "Other.txt"));
}

// With the header options the whole text is the body. A header line left in it would be
// only preamble, and the exam another than the text says: refused.
TEST_F(AuthorTool, MakeComposesTheHeaderFromOptions) {
  write("BothExam.txt", std::string(Header) + "QUESTIONS\n1. (2 pts) Two plus two?\n");
  ToolRun both = author("make " + path("BothExam.txt") + " --password pw --minutes 5");
  EXPECT_EQ(both.Status, 1);
  EXPECT_EQ(both.Err, path("BothExam.txt") +
                          ":1: error: this line is an exam header, and the header options "
                          "give one too; leave the line out of the text, or the options off "
                          "the command line\n"
                          "veritor-author make: the exam text was refused; no exam file was "
                          "written\n");
  EXPECT_FALSE(std::filesystem::exists(folder / "BothExam.exm"));

  write("BodyExam.txt", "QUESTIONS\n1. (2 pts) Two plus two?\n");
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

  // Read, but with other values than written: refused too, each value named.
  struct Case {
    std::string Line;
    std::string Explained;
  };
  const Case cases[] = {
      {";Spring 2027;  MA 200: Algebra: (002) -> Midterm 1:  TimeLimit: 60 minutes  ---  "
       "Version 1.07",
       "  column 38: \" ---> \" follows the section's ')': a blank, three dashes, '>' and a "
       "blank (these 6 characters are passed unread)\n"
       "  veritor would read the exam name as \"dterm 1\", not \"Midterm 1\"\n"},
      {";Spring 2027;  MA 200: Algebra: (002) ---> Quiz:  TimeLimit: 2.5 minutes  ---  Version "
       "1.07",
       "  column 62: the time limit is a whole number of minutes, from 1 to 3000\n"
       "  veritor would read the time limit as 2 minutes, not 2.5\n"},
  };
  for (const Case& c : cases) {
    write("TightExam.txt", c.Line + "\nQUESTIONS\n1. (2 pts) Two?\n");
    ToolRun tight = author("make " + path("TightExam.txt") + " --password pw");
    EXPECT_EQ(tight.Status, 1);
    EXPECT_EQ(tight.Err.substr(0, tight.Err.find("\n\n") + 1),
              "veritor-author make: the header line would make another exam than the one "
              "written:\n" + c.Explained)
        << tight.Err;
    EXPECT_FALSE(std::filesystem::exists(folder / "TightExam.exm"));
  }
  // "Time Limit" is pointed at where it stands, and the mended line keeps the minutes.
  write("SpacedExam.txt", ";Spring 2027;  MA 200: Algebra: (002) ---> Quiz:  Time Limit: 30 "
                          "minutes  ---  Version 1.07\nQUESTIONS\n1. (2 pts) Two?\n");
  ToolRun spaced = author("make " + path("SpacedExam.txt") + " --password pw");
  EXPECT_EQ(spaced.Status, 1);
  EXPECT_NE(spaced.Err.find("  column 51: \"TimeLimit\" is one word, written with a capital T "
                            "and a capital L\n\n  the header:  ;Spring 2027;  MA 200: Algebra: "
                            "(002) ---> Quiz:  Time Limit: 30 minutes  ---  Version 1.07\n" +
                            std::string(15 + 50, ' ') + "^\n"),
            std::string::npos)
      << spaced.Err;
  EXPECT_NE(spaced.Err.find("  with yours:  ;Spring 2027;  MA 200: Algebra: (002) ---> Quiz:  "
                            "TimeLimit: 30 minutes  ---  Version 1.07\n"),
            std::string::npos);
}

// What veritor would take without a word is named with the text's own line numbers:
// warnings make the exam, refusals do not, and --strict refuses for a warning too.
TEST_F(AuthorTool, MistakesAreNamedWithTheTextsLineNumbers) {
  write("SlipsExam.txt", std::string(Header) +
                             "QUESTIONS\n"
                             "1. (2 pts) Which is prime?\n"
                             "A) 21\n"
                             "a) 29\n"
                             "Q2. (1 pts) Lost?\n");
  const std::string slips =
      path("SlipsExam.txt") +
      ":4: warning: veritor passes over this line: a choice begins with a small letter (\"a) "
      "...\"); begin the line with ';' if it is a note\n" +
      path("SlipsExam.txt") +
      ":6: warning: veritor passes over this line: a question line begins with its number "
      "(\"1. (2 pts) ...\"); begin the line with ';' if it is a note\n";
  ToolRun warned = author("make " + path("SlipsExam.txt") + " --password pw");
  EXPECT_EQ(warned.Status, 0);
  EXPECT_EQ(warned.Err, slips);
  EXPECT_EQ(warned.Out, "veritor-author make: wrote " + path("SlipsExam.exm") +
                            ": 1 questions, 2.0 points, expires 9999/12/31::23:59:59\n"
                            "veritor-author make: no answer key: 1 question or sub-question is "
                            "left to mark by hand\n");
  std::filesystem::remove(folder / "SlipsExam.exm");

  ToolRun strict = author("make " + path("SlipsExam.txt") + " --password pw --strict");
  EXPECT_EQ(strict.Status, 1);
  EXPECT_EQ(strict.Err, slips + "veritor-author make: --strict refuses the exam text for its 2 "
                                "warnings (see above); no exam file was written\n");
  EXPECT_FALSE(std::filesystem::exists(folder / "SlipsExam.exm"));

  // Ten questions, a '}' missing: the pool would take in every question after it.
  std::string text = std::string(Header) + "QUESTIONS\n{\n";
  for (int n = 1; n <= 10; ++n)
    text += std::to_string(n) + ". (1 pts) Question " + std::to_string(n) + ".\n";
  write("PoolExam.txt", text);
  ToolRun pool = author("make " + path("PoolExam.txt") + " --password pw");
  EXPECT_EQ(pool.Status, 1);
  EXPECT_EQ(pool.Err, path("PoolExam.txt") +
                          ":3: error: this pool is never closed: no '}' follows, so every "
                          "question after it is in the pool and each student is asked only one "
                          "of them\n"
                          "veritor-author make: the exam text was refused (see above); no exam "
                          "file was written\n");
  EXPECT_FALSE(std::filesystem::exists(folder / "PoolExam.exm"));
}

// --help is an answer, not a mistake: the usage on the standard output, status 0.
TEST_F(AuthorTool, HelpIsAskedForWithStatusZero) {
  for (const char* command : {"", "new ", "make ", "show ", "read ", "report "}) {
    ToolRun help = author(std::string(command) + "--help");
    EXPECT_EQ(help.Status, 0) << command;
    EXPECT_EQ(help.Out.rfind("usage: veritor-author ", 0), 0u) << command;
    EXPECT_EQ(help.Err, "") << command;
  }
  ToolRun bare = author("");
  EXPECT_EQ(bare.Status, 2);
  EXPECT_EQ(bare.Out, "");
}
