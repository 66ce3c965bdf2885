// veritor-author report over a folder of completed files made by real sessions.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <vector>

#include "crypto/sha256.h"
#include "session/question_order.h"
#include "support/session_fixture.h"
#include "support/system_calls.h"
#include "support/xmc_rewrite.h"

namespace {

struct ToolRun {
  int Status;
  std::string Out, Err;
};

class ReportTest : public SessionTest {
 protected:
  // The next session is this student's, with the result key of this password.
  void student(const char* name, const char* id, const char* password = "secret") {
    snprintf(State.StudentFullName, sizeof State.StudentFullName, "%s", name);
    snprintf(State.StudentId, sizeof State.StudentId, "%s", id);
    uint8_t seed[38];
    memcpy(seed, id, 6);
    sha256(seed + 6, password, strlen(password));
    sha256(State.ResultCipherState.Digest, seed, sizeof seed);
  }
  // A short session in file order, kept under the name given.
  void take(const std::string& file, const std::string& first, const std::string& second,
            uint32_t thinkMs = 60000) {
    loadInFileOrder("QUESTIONS\n1. (2 pts) First?\n2. Parts.\n  2.a. (1 pt) A.\n  2.b. (1 pt) B.\n"
                    "{\n3. (1 pt) Pool one\n4. (1 pt) Pool two\n}\n");
    begin();
    answer(first, thinkMs);
    if (thinkMs > 3600000) {
      console.typeLine("");  // the over-time warning ends the session
    } else {
      answer(second);
      console.typeLine("#done");
      console.typeLine("y");
    }
    console.typeLine("");
    ASSERT_EQ(runSession(), NoExit);
    folder.write(file, bytes);
  }
  ToolRun report(const std::string& arguments) {
    std::string command = nativePath(std::string(VERITOR_BINARY_DIR) + "/veritor-author") +
                          " report " + arguments + " 2>" + folder.file("err.txt");
    std::string out;
    int status = runCommand(command, &out);
    // Messages to a file have CR LF line ends on Windows; the texts are the same.
    std::string err = folder.read("err.txt");
    err.erase(std::remove(err.begin(), err.end(), '\r'), err.end());
    return {status, out, err};
  }
  // A folder of five files: genuine, cut short, damaged, another password's, and two
  // of one identifier.
  void classFolder() {
    std::filesystem::create_directory(folder.file("class"));
    student("Lovelace, Ada", "abc123");
    take("class/ada.xmc", "=HYPERLINK(\"http://x\")", "-3");
    student("Babbage, Charles", "cab001");
    take("class/charles.xmc", "gears, \"many\"", "b", 3700000);
    std::string whole = bytes;
    folder.write("class/cut.xmc", whole.substr(0, whole.find("\r\n\r\n", whole.find("START:")) ));
    student("Hopper, <b>Grace</b>", "gmh042", "other");
    take("class/grace.xmc", "<script>alert(1)</script>", "x");
    student("Lovelace, Ada", "abc123");
    take("class/ada-again.xmc", "again", "again");
    std::string damaged = bytes;
    damaged[damaged.size() / 2] = 'G';
    folder.write("class/damaged.xmc", damaged);
    std::filesystem::create_directory(folder.file("class/folder.xmc"));
  }
};

// The line of the table that names the file.
std::string rowOf(const std::string& table, const std::string& file) {
  size_t at = table.find(file + " ");
  if (at == std::string::npos)
    return "";
  size_t start = table.rfind('\n', at) + 1;
  return table.substr(start, table.find('\n', at) - start);
}

TEST_F(ReportTest, EachFileGetsItsVerdictAndNoneIsChanged) {
  classFolder();
  std::vector<std::string> names = {"ada.xmc", "ada-again.xmc", "charles.xmc", "cut.xmc",
                                    "damaged.xmc", "grace.xmc"};
  std::vector<std::string> before;
  for (const std::string& name : names)
    before.push_back(folder.read("class/" + name));
  const auto timeBefore = std::filesystem::last_write_time(folder.file("class/ada.xmc"));

  ToolRun run = report("--password secret " + folder.file("class"));
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Err, "");  // no progress line when the error stream is not a terminal
  const std::string& t = run.Out;
  std::string dir = folder.file("class/");
  EXPECT_EQ(t.substr(0, t.find('\n')).substr(0, 6), "file  ");
  for (const char* column : {"student", "identifier", "exam", "start", "finish", "time used",
                             "late/left", "closed after", "answered", "skips", "ended",
                             "exam count", "verdict", "note"})
    EXPECT_NE(t.substr(0, t.find('\n')).find(column), std::string::npos) << column;

  struct Expected {
    const char* File;
    std::vector<std::string> Cells;
  };
  for (const Expected& e : std::vector<Expected>{
           {"charles.xmc", {"Babbage, Charles", "cab001", "CS 1234 (001) Exam 1", "1:01:40",
                            "late 1:40", "1 of 4", "  time  ", "whole, for this student and password",
                            "same identifier as cut.xmc"}},
           // Charles's file cut where the time ran out: his one answer is there.
           {"cut.xmc", {"1:01:40 ", "late 1:40", "after last answer",
                        "closing part missing: the file ends after an answer to the one question "
                        "it presented"}},
           {"grace.xmc", {"Hopper, <b>Grace</b>", "2 of 4", "#done",
                          "not made with this password or not for this identifier"}},
           {"ada.xmc", {"Lovelace, Ada", "2026/03/02 13:00:00", "1:04", "left 58:56", "0:01",
                        "whole, for this student and password",
                        "same identifier as 2 other files: ada-again.xmc, damaged.xmc"}},
           {"damaged.xmc", {"damaged: a byte 0x47 that is not a hexadecimal digit stands in a run "
                            "(byte 1060, in the answer summary)"}},
           {"folder.xmc", {"cannot be read: a folder, not a file"}}}) {
    std::string row = rowOf(t, dir + e.File);
    ASSERT_NE(row, "") << e.File;
    for (const std::string& cell : e.Cells)
      EXPECT_NE(row.find(cell), std::string::npos) << e.File << ": " << cell << "\n" << row;
  }
  // By student name, then identifier and file; a file that names no student last.
  std::vector<size_t> order;
  for (const char* file : {"charles.xmc", "cut.xmc", "grace.xmc", "ada-again.xmc", "ada.xmc",
                           "damaged.xmc", "folder.xmc"})
    order.push_back(t.find(dir + file + " "));
  EXPECT_TRUE(std::is_sorted(order.begin(), order.end())) << t;

  for (size_t i = 0; i < names.size(); ++i)
    EXPECT_EQ(folder.read("class/" + names[i]), before[i]) << names[i];
  EXPECT_EQ(std::filesystem::last_write_time(folder.file("class/ada.xmc")), timeBefore);

  // A whole file alone ends with status 0.
  EXPECT_EQ(report("--password secret " + folder.file("class/ada.xmc")).Status, 0);
}

TEST_F(ReportTest, CsvAnswersSheetAndPageKeepWhatStudentsTypedInert) {
  classFolder();
  ToolRun run = report("--password secret --csv " + folder.file("t.csv") + " --answers " +
                       folder.file("a.csv") + " --html " + folder.file("page.html") + " " +
                       folder.file("class"));
  EXPECT_EQ(run.Status, 1) << run.Err;
  std::string dir = folder.file("class/");

  std::string table = folder.read("t.csv");
  // Times as h:mm:ss, which a spreadsheet reads as a duration, and as seconds.
  EXPECT_EQ(table.substr(0, table.find("\r\n")),
            "file,student,identifier,exam,start,finish,time used,time used (s),late/left,late (s),"
            "closed after,closed after (s),answered,skips,ended,exam count,verdict,note");
  EXPECT_NE(table.find("\r\n" + dir + "ada.xmc,\"Lovelace, Ada\",abc123,CS 1234 (001) Exam 1,"
                       "2026/03/02 13:00:00,2026/03/02 13:01:06,0:01:04,64,left 0:58:56,-3536,"
                       "0:00:01,1,2 of 4,0,#done,1,\"whole, for this student and password\","
                       "\"same identifier as 2 other files: ada-again.xmc, damaged.xmc\"\r\n"),
            std::string::npos)
      << table;
  EXPECT_NE(table.find("\r\n" + dir + "charles.xmc,\"Babbage, Charles\",cab001,CS 1234 (001) Exam 1,"
                       "2026/03/02 13:00:00,2026/03/02 14:02:50,1:01:40,3700,late 0:01:40,100,"
                       "0:00:02,2,1 of 4,0,time,1,"),
            std::string::npos)
      << table;
  EXPECT_NE(table.find("\r\n" + dir + "folder.xmc,,,,,,,,,,,,,,,,\"cannot be read: a folder, not a file\",\r\n"),
            std::string::npos);

  // One column per question of the exam, as numbered in its text; a formula stays text,
  // a number stays a number; the pool's other question and the unreached ones are empty.
  std::string answers = folder.read("a.csv");
  EXPECT_EQ(answers.substr(0, answers.find("\r\n", answers.find("\r\n") + 2) + 2),
            "student,identifier,file,verdict,1,2.a,2.b,3,4\r\n,,,points,2.0,1.0,1.0,1.0,1.0\r\n");
  // The question Ada ended without answering is as empty as those never asked.
  EXPECT_NE(answers.find(dir + "ada.xmc,\"whole, for this student and password\","
                               "\"'=HYPERLINK(\"\"http://x\"\")\",-3,,,\r\n"),
            std::string::npos)
      << answers;
  EXPECT_NE(answers.find(dir + "charles.xmc,\"whole, for this student and password\","
                               "\"gears, \"\"many\"\"\",,,,\r\n"),
            std::string::npos);
  // Cut off before its echo, the file still has its answers under the exam's numbers.
  EXPECT_NE(answers.find(dir + "cut.xmc,closing part missing: the file ends after an answer to the "
                               "one question it presented,\"gears, \"\"many\"\"\",,,,\r\n"),
            std::string::npos);

  std::string page = folder.read("page.html");
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_EQ(page.find("src="), std::string::npos);
  EXPECT_EQ(page.find("<link"), std::string::npos);
  EXPECT_EQ(page.find("<b>"), std::string::npos);
  EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
  EXPECT_NE(page.find("<td>Hopper, &lt;b&gt;Grace&lt;/b&gt;</td>"), std::string::npos);
  EXPECT_NE(page.find("<table class=\"plot\">"), std::string::npos);
  // A sub-question shows its own text, with its question's.
  EXPECT_NE(page.find("<h3 id=\"q2.a\">Question 2.a (1.0 pts)</h3>\n<p class=\"text\">A.</p>\n"
                      "<p class=\"part\">part of: Parts.</p>"),
            std::string::npos);
  // The no-answer mark of the program is no answer, as for a question never reached.
  EXPECT_EQ(page.find("No Answer."), std::string::npos);
  EXPECT_NE(page.find("<td class=\"answer\">=HYPERLINK(&quot;http://x&quot;)</td>"), std::string::npos);
}

TEST_F(ReportTest, BadInputIsARowWithItsReason) {
  folder.write("empty.xmc", "");
  folder.write("noise.xmc", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
  folder.write("latin1.xmc", "; Name: M\xfcller\r\n");
  std::filesystem::resize_file(folder.file("empty.xmc"), 0);
  folder.write("huge.xmc", "");
  std::filesystem::resize_file(folder.file("huge.xmc"), (64u << 20) + 1);
  ToolRun run = report("--password secret --csv " + folder.file("t.csv") + " " +
                       folder.file("empty.xmc") + " " + folder.file("noise.xmc") + " " +
                       folder.file("huge.xmc") + " " + folder.file("missing.xmc") + " " +
                       folder.file("latin1.xmc"));
  EXPECT_EQ(run.Status, 1);
  for (const auto& [file, reason] : std::vector<std::pair<std::string, std::string>>{
           {"empty.xmc", "cut short: the file is empty"},
           {"noise.xmc", "not a completed-exam (XMC) file"},
           {"huge.xmc", "cannot be read: larger than 64 MiB, too large for a completed-exam file"},
           {"missing.xmc", "cannot be read: No such file or directory"},
           {"latin1.xmc", "cut short: the file ends in the exam line"}})
    EXPECT_NE(rowOf(run.Out, folder.file(file)).find(reason), std::string::npos)
        << file << "\n" << run.Out;

  // A name typed in a single-byte code page comes out as UTF-8 in the CSV.
  student("M\xfcller, J\xf6rg", "mue001");
  take("mueller.xmc", "cafe", "x");
  EXPECT_EQ(report("--password secret --csv " + folder.file("t.csv") + " --answers " +
                   folder.file("a.csv") + " " + folder.file("mueller.xmc"))
                .Status,
            0);
  EXPECT_NE(folder.read("t.csv").find(",\"M\xc3\xbcller, J\xc3\xb6rg\",mue001,"), std::string::npos);
  EXPECT_NE(folder.read("a.csv").find("\"M\xc3\xbcller, J\xc3\xb6rg\",mue001,"), std::string::npos);

  // An output over a file it reads is refused before anything is written.
  std::string ada = folder.read("noise.xmc");
  ToolRun over = report("--password secret --csv " + folder.file("noise.xmc") + " " + folder.file("noise.xmc"));
  EXPECT_EQ(over.Status, 2);
  EXPECT_EQ(over.Err, "veritor-author report: '" + folder.file("noise.xmc") +
                          "' is one of the files read: the report changes none of them\n"
                          "(see 'veritor-author report --help')\n");
  EXPECT_EQ(folder.read("noise.xmc"), ada);
  // A folder with no completed file in it is no success.
  std::filesystem::create_directory(folder.file("empty"));
  ToolRun none = report("--password secret " + folder.file("empty"));
  EXPECT_EQ(none.Status, 1);
  EXPECT_EQ(none.Err, "veritor-author report: no completed-exam (.xmc) file found\n");
  ToolRun bare = report(folder.file("noise.xmc"));
  EXPECT_EQ(bare.Status, 2);
  EXPECT_EQ(bare.Err, "veritor-author report: the exam's password is needed (--password)\n"
                      "(see 'veritor-author report --help')\n");
}

}  // namespace

// An eleven-student class of a one-minute quiz, as an instructor collects it: files left
// alone, and the ones that go wrong in each of the ways a class brings.
class ClassOfElevenTest : public ReportTest {
 protected:
  static std::string nameFor(const char* id) {
    return std::string("class/Fall2021_CS1234_Quiz_00__XMC_") + id + "_CompletedBy.xmc";
  }
  // The student's session, answers typed a few seconds apart; script adds what follows
  // them. Kept under the program's own name for the student.
  void sit(const char* name, const char* id, const std::function<void()>& script,
           const char* password = "secret", int status = NoExit) {
    student(name, id, password);
    loadExam(";Fall 2021;  CS 1234: Intro: (001) ---> Quiz:  TimeLimit: 1 minutes  ---  "
             "Version 1.07",
             "QUESTIONS\n1. (1 pt) One?\n2. Parts.\n  2.a. (1 pt) A.\n  2.b. (1 pt) B.\n"
             "3. (2 pts) Three?\n");
    State.OrderMode = '+';
    begin();
    script();
    EXPECT_EQ(runSession(), status) << id;
    freeQuestionList();  // left by a session the script ended
    folder.write(nameFor(id), bytes);
  }
  // Each answer typed 2 s after the question, the last one 11 s into the session.
  void answerAll() {
    for (const char* text : {"1", "a", "b", "42"})
      answer(text, 2000);
  }
};

TEST_F(ClassOfElevenTest, EveryVerdictIsRightAndTheLastScreenNeverMakesAStudentLate) {
  std::filesystem::create_directory(folder.file("class"));
  sit("Ames, Ada", "ada001", [&] {
    answer("1", 2000);
    console.typeLine("#done", 3000);
    console.typeLine("y");
    console.typeLine("");
  });
  // Left "Press ENTER to Complete the Exam" on the screen for 90 s, and for 4 minutes.
  sit("Bell, Bob", "bob002", [&] {
    answerAll();
    console.typeLine("", 90000);
    console.typeLine("");
  });
  sit("Cole, Cat", "cat003", [&] {
    answerAll();
    console.typeLine("", 240000);
    console.typeLine("");
  });
  // The terminal closed at the third question, before an answer: cut mid-exam.
  sit("Dunn, Dan", "dan004", [&] {
    answer("1", 2000);
    answer("a", 2000);
  }, "secret", -1);
  // Everything answered, the terminal closed at the last screen.
  sit("Earl, Eve", "eve005", [&] { answerAll(); }, "secret", -1);
  // Answered 42; the file then rewritten, everywhere, to 24.
  sit("Fox, Fay", "fay006", [&] {
    answerAll();
    console.typeLine("");
    console.typeLine("");
  });
  std::string rewritten = bytes;
  rewriteEverywhere(&rewritten, reading, "42\n", "24\n");
  ASSERT_NE(rewritten, bytes);
  folder.write(nameFor("fay006"), rewritten);
  sit("Gray, Gar", "gar101", [&] {
    answerAll();
    console.typeLine("");
    console.typeLine("");
  });
  // Kim hands in Gar's file under her own name.
  folder.write(nameFor("kim112"), bytes);
  // Taken with another exam's password.
  sit("Hale-Featherstonehaugh, Hallam Maximilian Alexander", "hal008", [&] {
    answerAll();
    console.typeLine("");
    console.typeLine("");
  }, "other");
  // A byte of the summary lost to a bad disk.
  sit("Ivey, Ida", "ida009", [&] {
    answerAll();
    console.typeLine("");
    console.typeLine("");
  });
  std::string damaged = bytes;
  damaged[runStartOf(bytes, XmcSection::Summary) + 6] = 'G';
  folder.write(nameFor("ida009"), damaged);
  // The first answer typed 70 s in: the session ends on time at the next question.
  sit("Jory, Jon", "jon010", [&] {
    answer("1", 70000);
    console.typeLine("");  // the warning that ends it
    console.typeLine("");
  });

  ToolRun run = report("--password secret --csv " + folder.file("t.csv") + " --answers " +
                       folder.file("a.csv") + " --html " + folder.file("page.html") + " " +
                       folder.file("class"));
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Err, "");
  struct Expected {
    const char* Id;
    std::vector<std::string> Cells;  // in the order of the table's columns
  };
  for (const Expected& e : std::vector<Expected>{
           {"ada001", {"Ames, Ada", "0:06", "left 0:54", "0:01", "1 of 4", "#done",
                       "whole, for this student and password"}},
           {"bob002", {"Bell, Bob", "0:11", "left 0:49", "1:31", "4 of 4", "all answered",
                       "whole, for this student and password"}},
           {"cat003", {"Cole, Cat", "0:11", "left 0:49", "4:01", "4 of 4", "all answered",
                       "whole, for this student and password"}},
           {"dan004", {"Dunn, Dan", "0:06+", "2 of 3+", "cut short",
                       "cut short: the file ends in the session records"}},
           {"eve005", {"Earl, Eve", "0:11", "left 0:49", "4 of 4+", "after last answer",
                       "closing part missing: the file ends after an answer to each of the 4 "
                       "questions it presented"}},
           // Rewritten everywhere, the file is as Veritor writes it: the check cannot
           // tell, and says no more than it proves.
           {"fay006", {"Fox, Fay", "0:11", "whole, for this student and password"}},
           {"gar101", {"Gray, Gar", "whole, for this student and password",
                       "same identifier as Fall2021_CS1234_Quiz_00__XMC_kim112_CompletedBy.xmc"}},
           {"kim112", {"Gray, Gar", "gar101",
                       "renamed: written for gar101, not for kim112 as its file name says"}},
           {"hal008", {"Hale-Featherstonehaugh, Hallam Maximilian Alexander", "not made with this password or not for this identifier"}},
           {"ida009", {"Ivey, Ida", "damaged: a byte 0x47 that is not a hexadecimal digit"}},
           {"jon010", {"Jory, Jon", "1:10", "late 0:10", "1 of 4", "time",
                       "whole, for this student and password"}}}) {
    std::string row = rowOf(run.Out, folder.file(nameFor(e.Id)));
    ASSERT_NE(row, "") << e.Id << "\n" << run.Out;
    size_t at = 0;
    for (const std::string& cell : e.Cells) {
      size_t found = row.find(cell, at);
      EXPECT_NE(found, std::string::npos) << e.Id << ": " << cell << "\n" << row;
      at = found == std::string::npos ? at : found + cell.size();
    }
  }
  // A file cut mid-exam has no lateness: it may have gone on.
  EXPECT_EQ(rowOf(run.Out, folder.file(nameFor("dan004"))).find("left "), std::string::npos);

  // Kim has no answers; the answers sheet says whose they are.
  std::string answers = folder.read("a.csv");
  EXPECT_NE(answers.find("\"Gray, Gar\",gar101," + folder.file(nameFor("kim112")) +
                         ",\"renamed: written for gar101, not for kim112 as its file name says\",1,a,b,42\r\n"),
            std::string::npos)
      << answers;
  EXPECT_NE(answers.find("\"Fox, Fay\",fay006," + folder.file(nameFor("fay006")) +
                         ",\"whole, for this student and password\",1,a,b,24\r\n"),
            std::string::npos)
      << answers;
  std::string page = folder.read("page.html");
  EXPECT_NE(page.find("<p>11 files: 6 whole, for this student and password; 1 renamed; 1 closing "
                      "part missing; 1 cut short; 1 not made with this password or not for this "
                      "identifier; 1 damaged.</p>"),
            std::string::npos)
      << page.substr(0, 3000);
}

// Nothing a student typed reaches the instructor's terminal as a control character, in
// the table or in read; a lab's shared login makes a note that names only a few files.
TEST_F(ReportTest, TheTerminalGetsEscapesAndNotesStayShort) {
  std::filesystem::create_directory(folder.file("lab"));
  student("Eve\x1b]0;owned\x07 Smith", "lab001");
  take("lab/a.xmc", "wxyz", "mirrored");
  // The console takes no control characters: answers that hold them were written in.
  std::string written = bytes;
  rewriteEverywhere(&written, reading, "wxyz", "\x1b[2J");
  rewriteEverywhere(&written, reading, "mirrored", "\xe2\x80\xae" "olleh");
  for (const char* copy : {"lab/a.xmc", "lab/b.xmc", "lab/c.xmc", "lab/d.xmc", "lab/e.xmc"})
    folder.write(copy, written);
  ToolRun run = report("--password secret " + folder.file("lab"));
  EXPECT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Out.find('\x1b'), std::string::npos);
  EXPECT_EQ(run.Out.find('\x07'), std::string::npos);
  std::string row = rowOf(run.Out, folder.file("lab/a.xmc"));
  EXPECT_NE(row.find("Eve\\x1B]0;owned\\x07 Smith"), std::string::npos) << row;
  EXPECT_NE(row.find("same identifier as 4 other files: b.xmc, c.xmc, d.xmc, ..."), std::string::npos)
      << row;
  EXPECT_NE(rowOf(run.Out, folder.file("lab/e.xmc")).find("same identifier as 4 other files: a.xmc, "
                                                        "b.xmc, c.xmc, ..."),
            std::string::npos);

  std::string out;
  std::string read = nativePath(std::string(VERITOR_BINARY_DIR) + "/veritor-author") + " read ";
  EXPECT_EQ(runCommand(read + "--password secret " + folder.file("lab/a.xmc") + " 2>&1", &out), 0);
  EXPECT_EQ(out.find('\x1b'), std::string::npos);
  EXPECT_NE(out.find("ANSWER CONFIRMED:\n\\x1B[2J\n"), std::string::npos) << out;
  EXPECT_NE(out.find("ANSWER CONFIRMED:\n\\u202Eolleh\n"), std::string::npos) << out;

  // An exam file handed to read is named for what it is.
  folder.write("Exam.exm", std::string(DemoHeader) + "\r\n\r\n" + std::string(128, 'C') + "\r\n");
  out.clear();
  EXPECT_EQ(runCommand(read + folder.file("Exam.exm") + " 2>&1", &out), 1);
  EXPECT_EQ(out, "veritor-author read: " + folder.file("Exam.exm") +
                     ": not a completed-exam (XMC) file: it is an exam (.exm) file, which "
                     "'veritor-author show' prints\n");
}
