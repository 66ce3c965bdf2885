// veritor-author report over a folder of completed files made by real sessions.
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstring>

#include "crypto/sha256.h"
#include "support/session_fixture.h"

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
    std::string out = folder.file("out.txt"), err = folder.file("err.txt");
    std::string command = std::string(VERITOR_BINARY_DIR) + "/veritor-author report " + arguments +
                          " >" + out + " 2>" + err + " </dev/null";
    int status = system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, folder.read("out.txt"), folder.read("err.txt")};
  }
  // A folder of five files: genuine, cut short, damaged, another password's, and two
  // of one identifier.
  void classFolder() {
    mkdir(folder.file("class").c_str(), 0700);
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
    mkdir(folder.file("class/folder.xmc").c_str(), 0700);
  }
};

TEST_F(ReportTest, TheTableGivesEachFileItsVerdict) {
  classFolder();
  ToolRun run = report("--password secret " + folder.file("class"));
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Err, "");
  printf("%s", run.Out.c_str());
  ToolRun files = report("--password secret --csv " + folder.file("t.csv") + " --answers " + folder.file("a.csv") + " --html /tmp/report-demo.html " + folder.file("class"));
  printf("%s\n----\n%s\n", folder.read("t.csv").c_str(), folder.read("a.csv").c_str());
  system(("cp -r " + folder.file("class") + " /tmp/report-demo-class").c_str());
}

}  // namespace
