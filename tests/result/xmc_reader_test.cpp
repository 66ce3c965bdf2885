#include "result/xmc_reader.h"

#include <cstdio>
#include <vector>

#include "examfile/cipher.h"
#include "result/record_writer.h"
#include "result/result_blocks.h"
#include "support/session_fixture.h"
#include "support/system_calls.h"

namespace {

class XmcReaderTest : public SessionTest {
 protected:
  // A short whole session in file order: two questions, one rejection, the end.
  void takeExam() {
    loadInFileOrder("QUESTIONS\n1. (1 pt) One?\n2. Parts.\n  2.a. (1 pt) A.\n  2.b. (1 pt) B.\n");
    begin();
    answer("one", 4000);
    console.typeLine("nope", 2500);
    console.typeLine("n");
    answer("a");
    console.typeLine("#done", 1500);
    console.typeLine("y");
    console.typeLine("");
    ASSERT_EQ(runSession(), NoExit);
    ASSERT_TRUE(reading.ok()) << reading.Problem << " at " << reading.ProblemOffset;
  }
};

TEST_F(XmcReaderTest, WholeFileReadsToTheEndWithItsTimeline) {
  takeExam();
  EXPECT_EQ(reading.Reached, XmcSection::End);
  EXPECT_EQ(events(), "Q:01.|C:one|Q:02.a.|R:|C:a|Q:02.b.|E:#done|");
  EXPECT_EQ(xmcTimeline(reading),
            "shown at    question   outcome\n"
            "   0:00.000  01.        answered after 4.000 s\n"
            "   0:05.000  02.a.      answered after 4.500 s\n"
            "   0:10.500  02.b.      ended with #done after 1.500 s\n");
  std::string text = xmcTranscript(reading);
  EXPECT_EQ(text.substr(0, reading.ExamLine.size()), reading.ExamLine);
  EXPECT_NE(text.find("\nSTART:\n0:"), std::string::npos);
  EXPECT_NE(text.find("\n\nSAVING EXAM ... \n\n;Fall 2021;"), std::string::npos);
  EXPECT_NE(text.find("   2.b. (1 pt) B.\n   &<<<(EXIT DONE)>>>: No Answer.\n"), std::string::npos);
}

// Whatever length a kill leaves, every record written up to there reads back.
TEST_F(XmcReaderTest, EveryCutOffReadsAsFarAsItGoes) {
  takeExam();
  std::string whole = bytes;
  XmcReading full = reading;
  // Also in the echo, which has no end mark: down to the line feed that ends its last
  // question, one with sub-questions.
  for (size_t length = 0; length < whole.size(); ++length) {
    XmcReading cut = readXmc(whole.substr(0, length));
    ASSERT_FALSE(cut.ok()) << length;
    ASSERT_LE(cut.ProblemOffset, length) << length;
    ASSERT_LE(cut.Events.size(), full.Events.size());
    for (size_t i = 0; i < cut.Events.size(); ++i) {
      ASSERT_EQ(cut.Events[i].Tick, full.Events[i].Tick) << length;
      ASSERT_EQ(cut.Events[i].Label, full.Events[i].Label) << length;
    }
  }
  // Cut at the end of a record: nothing of it is lost.
  size_t logEnd = whole.find("\r\n\r\n", whole.find("START:\r\n") + 8);
  XmcReading atLogEnd = readXmc(whole.substr(0, logEnd));
  EXPECT_EQ(atLogEnd.Events.size(), full.Events.size());
  EXPECT_EQ(atLogEnd.Problem, "the file ends in the session records: the session did not finish");
  EXPECT_EQ(atLogEnd.ProblemOffset, logEnd);
}

// A kill between the closing records leaves a run that is only the start of what
// belongs there: a cut, not damage.
TEST_F(XmcReaderTest, ACutBeforeTheCompleteMarkOrTheEchoIsNamedAsACut) {
  takeExam();
  size_t saving = bytes.find("\r\n\r\nSAVING EXAM");
  size_t closingStart = bytes.rfind("\r\n\r\n", saving - 1) + 4;
  XmcReading r = readXmc(bytes.substr(0, closingStart));
  EXPECT_EQ(r.Reached, XmcSection::Closing);
  EXPECT_EQ(r.Problem, "the file is cut off in the complete mark");
  EXPECT_EQ(r.ProblemOffset, closingStart);

  size_t echoStart = bytes.find("\r\n\r\n", bytes.find(";", saving)) + 4;
  r = readXmc(bytes.substr(0, echoStart));
  EXPECT_EQ(r.Reached, XmcSection::Echo);
  EXPECT_EQ(r.Problem, "the file is cut off before the echo's QUESTIONS line");
  EXPECT_EQ(r.ProblemOffset, echoStart);
}

// The last question of the exam has sub-questions, no answer, and is alone in a pool: the
// line feed that ends it comes before the pool's close marker.
TEST_F(XmcReaderTest, AnEchoEndingInAPoolIsWholeOnlyWithItsLastLineFeed) {
  loadInFileOrder("QUESTIONS\n1. (1 pt) One?\n{\n2. Parts.\n  2.a. (1 pt) A.\n}\n");
  begin();
  console.typeLine("#done", 1500);
  console.typeLine("y");
  console.typeLine("");
  ASSERT_EQ(runSession(), NoExit);
  ASSERT_TRUE(reading.ok()) << reading.Problem;
  ASSERT_NE(reading.Echo.find("CLOSE POOL"), std::string::npos);
  for (size_t length = bytes.size() - 80; length < bytes.size(); length += 2)
    EXPECT_FALSE(readXmc(bytes.substr(0, length)).ok()) << length;
}

TEST_F(XmcReaderTest, DamageIsNamedWithItsPlace) {
  takeExam();
  size_t at = bytes.find("START:\r\n") + 8 + 200;
  std::string damaged = bytes;
  damaged[at] = 'x';
  XmcReading r = readXmc(damaged);
  EXPECT_EQ(r.Problem, "a byte 0x78 that is not a hexadecimal digit stands in a run");
  EXPECT_EQ(r.ProblemOffset, at);
  EXPECT_EQ(r.Reached, XmcSection::Log);

  // A byte more in a run shows where the key stream no longer fits.
  std::string lengthened = bytes;
  size_t logEnd = lengthened.find("\r\n\r\n", lengthened.find("START:\r\n") + 8);
  lengthened.insert(logEnd + 4, "00");
  r = readXmc(lengthened);
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.Reached, XmcSection::Summary);
  EXPECT_EQ(r.Problem, "the summary does not decipher (the key stream does not continue here)");

  std::string odd = bytes.substr(0, logEnd - 1);
  r = readXmc(odd);
  EXPECT_EQ(r.Problem, "the file is cut off in the middle of a byte");

  // The echo has no end mark: a cut between its records shows as a missing question.
  std::string echoCut = bytes.substr(0, bytes.size() - 8);
  r = readXmc(echoCut);
  EXPECT_EQ(r.Reached, XmcSection::Echo);
  EXPECT_EQ(r.Problem, "the echo of the exam is cut off");
}

TEST_F(XmcReaderTest, AnotherKeyDoesNotDecipher) {
  takeExam();
  std::vector<uint8_t> other(State.KeyData, State.KeyData + State.KeyLength);
  for (uint8_t& b : other)
    b ^= 0x5A;
  State.KeyData = other.data();
  XmcReading r = readXmc(bytes);
  EXPECT_EQ(r.Problem, "the start stamp does not decipher (wrong key, or damaged)");
  State.KeyLength = 1000;
  r = readXmc(bytes);
  EXPECT_EQ(r.Problem, "the key start values do not fit this key data (wrong key?)");
}

TEST_F(XmcReaderTest, ATickThatGoesBackIsReported) {
  loadExam(DemoHeader, "QUESTIONS\n1. (1 pt) One?\n");
  FILE* stream = fopen(folder.file("made.xmc").c_str(), "w+b");
  writeExamLine(stream);
  char name[] = "; Name: Ada Lovelace (abc123)\n\n";
  writeRecord(RecordMode::Plain, name, 0, stream, false);
  deriveCipherState(&State.ResultCipherState);
  writeKeyStart(stream);
  char stamp[] = "; Ada Lovelace (abc123) @ 2021/09/08::07:05:09 (tck:00002000) ExamCount:01\n\n";
  writeRecord(RecordMode::Hex, stamp, 0, stream, true);
  char question[] = "tck:00001FFF\n01. (  1.0 pt) One?\n";
  writeRecord(RecordMode::Hex, question, 0, stream, true);
  fclose(stream);
  XmcReading r = readXmc(folder.read("made.xmc"));
  EXPECT_EQ(r.Problem, "a tick goes back (tck:00001FFF after tck:00002000)");
}

TEST_F(XmcReaderTest, AuthorToolReadsTheFileAndSaysWhereACutFileStops) {
  takeExam();
  std::string tool = nativePath(std::string(VERITOR_BINARY_DIR) + "/veritor-author") + " read ";
  auto run = [&](const std::string& arguments, std::string* output) {
    return runCommand(tool + arguments + " 2>&1", output);
  };
  std::string output;
  EXPECT_EQ(run("--timeline --password secret " + folder.file("result.xmc"), &output), 0);
  EXPECT_EQ(output,
            "shown at    question   outcome\n"
            "   0:00.000  01.        answered after 4.000 s\n"
            "   0:05.000  02.a.      answered after 4.500 s\n"
            "   0:10.500  02.b.      ended with #done after 1.500 s\n"
            "\nThe session ended with #done as typed.\n"
            "Time used: 0:12 of 1:00:00 allowed, left 59:48 (from the start stamp to the last "
            "session record).\n"
            "The finish stamp came 0:01 after that record; that wait is not time used.\n"
            "veritor-author read: " + folder.file("result.xmc") +
                ": whole, for this student and password (7 session records, ticks in order)\n");
  // Without the password the verdict says what it could not check; with another, that
  // the file is not this password's.
  output.clear();
  EXPECT_EQ(run("--timeline " + folder.file("result.xmc"), &output), 0);
  EXPECT_NE(output.find(": whole, but not checked against the exam's password (give --password) "
                        "(7 session records, ticks in order)\n"),
            std::string::npos)
      << output;
  output.clear();
  EXPECT_EQ(run("--password=Secret " + folder.file("result.xmc"), &output), 1);
  EXPECT_NE(output.find(": not made with this password or not for this identifier\n"),
            std::string::npos)
      << output;
  // The summary numbers answers in the order asked, with the exam's own number beside.
  output.clear();
  EXPECT_EQ(run(folder.file("result.xmc"), &output), 0);
  EXPECT_NE(output.find("\n\nQues# 1. (exam 1)    ==> one\nSubQ# 2.a. (exam 2.a) --> a\n"),
            std::string::npos)
      << output;

  // A key file is used as veritor -k uses it: up to the prime below its size, here the
  // 65,537 bytes of the built-in key followed by one more.
  std::string key(reinterpret_cast<const char*>(State.KeyData), State.KeyLength);
  folder.write("key.bin", key + "!");
  output.clear();
  EXPECT_EQ(run("--key " + folder.file("key.bin") + " " + folder.file("result.xmc"), &output), 0) << output;
  folder.write("short.bin", key);  // 65,521 bytes of it count: another key
  output.clear();
  EXPECT_EQ(run("--key " + folder.file("short.bin") + " " + folder.file("result.xmc"), &output), 1);
  EXPECT_NE(output.find("stops at byte "), std::string::npos) << output;

  folder.write("cut.xmc", bytes.substr(0, bytes.size() / 2));
  output.clear();
  EXPECT_EQ(run(folder.file("cut.xmc"), &output), 1);
  EXPECT_NE(output.find("veritor-author read: " + folder.file("cut.xmc") + ": stops at byte "),
            std::string::npos)
      << output;
}

}  // namespace
