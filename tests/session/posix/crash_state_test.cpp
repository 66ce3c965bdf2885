// A power cut at every moment of a session. The completed-exam file goes to a disk that
// records each write and each sync the program makes, in order with what the student is
// shown and asked. A power cut keeps what the last sync put on the disk and any part of
// what was written after it, cut anywhere, inside a record too; until its folder is
// synced the file may be gone altogether. Every such file must be judged, by the verdict
// 'read' and 'report' give, whole (only the whole file), cut short or closing part
// missing, never damaged, with the cut placed where its bytes stop; it must agree with
// the whole file as far as it goes, and hold every answer attempt the program had written
// before it last showed or asked the student anything (the answers the student saw
// confirmed). And while the program waits for the student, nothing it
// wrote may be off the disk: the questions the student sees are there too.
#include <stdio.h>

#include <map>
#include <vector>

#include "result/xmc_analysis.h"
#include "result/xmc_verdict.h"
#include "session/exam_session.h"
#include "support/session_fixture.h"

namespace {

// One thing the program did, and how many bytes of the file it had written by then.
struct Step {
  enum Kind { Write, Sync, FolderSync, Shown, Asked };
  Kind What;
  size_t Written;
};

class RecordingDisk : public ScriptedPlatform {
 public:
  std::string Bytes;
  std::vector<Step> Steps;

  FILE* open() {
    cookie_io_functions_t io = {nullptr, &RecordingDisk::diskWrite, nullptr, nullptr};
    return fopencookie(this, "w", io);
  }

  bool syncFile(FILE* stream) override {
    bool ok = ScriptedPlatform::syncFile(stream);  // it flushes: the writes come first
    note(Step::Sync);
    return ok;
  }
  bool syncFolder(const char* path) override {
    note(Step::FolderSync);
    return ScriptedPlatform::syncFolder(path);
  }
  void write(ConsoleStream stream, const char* text, size_t length) override {
    ScriptedPlatform::write(stream, text, length);
    note(Step::Shown);
  }
  void clearScreen() override {
    ScriptedPlatform::clearScreen();
    note(Step::Shown);
  }
  int readLineChar() override {
    note(Step::Asked);
    return ScriptedPlatform::readLineChar();
  }
  int readKey() override {
    note(Step::Asked);
    return ScriptedPlatform::readKey();
  }

 private:
  static ssize_t diskWrite(void* cookie, const char* data, size_t size) {
    RecordingDisk* disk = static_cast<RecordingDisk*>(cookie);
    disk->Bytes.append(data, size);
    disk->note(Step::Write);
    return static_cast<ssize_t>(size);
  }
  void note(Step::Kind what) {
    // A run of output, or of keys, with nothing written in between is one moment.
    if ((what == Step::Shown || what == Step::Asked) && !Steps.empty() &&
        Steps.back().What == what && Steps.back().Written == Bytes.size())
      return;
    Steps.push_back({what, Bytes.size()});
  }
};

// Whether the record is one of the student's answer attempts: an answer confirmed or
// rejected, or an end command.
bool isAnswerRecord(const XmcEvent& event) {
  return event.What != XmcEvent::Question;
}

bool startsWith(const std::string& whole, const std::string& part) {
  return whole.compare(0, part.size(), part) == 0;
}

// What the file of the first n bytes reads as, against the whole file.
struct CutReading {
  size_t Events = 0;   // session records read back
  size_t Answers = 0;  // answer attempts among them
  std::string Fault;   // empty when the reading is what a file cut there must give
};

// The verdict 'read' and 'report' give, with the exam's password and the file's own name.
XmcVerdict verdictOn(const std::string& bytes, const XmcReading& reading) {
  const std::string password = "secret";
  return judgeXmc(bytes, reading, analyzeXmc(reading), &password,
                  "Fall_CS_Exam_00__XMC_abc123_CompletedBy.xmc");
}

CutReading readCut(const std::string& file, size_t n, const XmcReading& whole) {
  const std::string bytes = file.substr(0, n);
  const XmcReading r = readXmc(bytes);
  const XmcVerdict verdict = verdictOn(bytes, r);
  CutReading cut;
  cut.Events = r.Events.size();
  for (const XmcEvent& event : r.Events)
    cut.Answers += isAnswerRecord(event) ? 1 : 0;
  if (n == file.size()) {
    if (verdict.Kind != XmcVerdictKind::Whole)
      cut.Fault = "the whole file reads as " + xmcVerdictText(verdict);
    return cut;
  }
  // Cut short, or every answer there with the closing part missing; and the reading stops
  // where the bytes do, not before.
  if (verdict.Kind != XmcVerdictKind::CutShort && verdict.Kind != XmcVerdictKind::ClosingMissing) {
    cut.Fault = "reads as " + xmcVerdictText(verdict);
    return cut;
  }
  if (!r.cut()) {
    cut.Fault = "is read as stopping at byte " + std::to_string(r.ProblemOffset) + ": " + r.Problem;
    return cut;
  }
  for (size_t i = 0; i < r.Events.size() && cut.Fault.empty(); ++i) {
    const XmcEvent& got = r.Events[i];
    if (i >= whole.Events.size() || got.What != whole.Events[i].What ||
        got.Tick != whole.Events[i].Tick || got.Label != whole.Events[i].Label)
      cut.Fault = "session record " + std::to_string(i + 1) + " differs from the whole file's";
  }
  if (cut.Fault.empty() &&
      !(startsWith(whole.Log, r.Log) && startsWith(whole.Summary, r.Summary) &&
        startsWith(whole.Closing, r.Closing) && startsWith(whole.Echo, r.Echo)))
    cut.Fault = "what it deciphers differs from the whole file";
  return cut;
}

// What a session's crash states came to.
struct Tally {
  size_t States = 0;  // one per moment and file a power cut then could leave
  size_t Files = 0;   // the different files among them
  size_t Prompts = 0;  // moments the program waits for the student
  std::map<std::string, int> Syncs;  // the file's syncs, by what came before each
};

// What a sync made durable: the kind of the last session record before it, or the part
// of the file it closes.
std::string syncPoint(const CutReading& before, const CutReading& after, size_t written,
                      const XmcReading& whole, size_t fileSize) {
  if (before.Events == 0 && after.Events == 0 && whole.Events.size() > 0)
    return "opening";
  if (after.Events > before.Events) {
    switch (whole.Events[after.Events - 1].What) {
      case XmcEvent::Question: return "question";
      case XmcEvent::Confirmed: return "answer confirmed";
      case XmcEvent::Rejected: return "answer rejected";
      case XmcEvent::EndCommand: return "end command";
    }
  }
  return written == fileSize ? "closing" : "summary";
}

// Every file a power cut could leave, at every step of the session on the disk.
Tally checkEveryCrashState(const RecordingDisk& disk) {
  Tally tally;
  const std::string& file = disk.Bytes;
  const XmcReading whole = readXmc(file);
  EXPECT_TRUE(whole.ok()) << whole.Problem;
  std::vector<CutReading> cuts;
  for (size_t n = 0; n <= file.size(); ++n)
    cuts.push_back(readCut(file, n, whole));

  size_t durable = 0;     // bytes the last sync put on the disk
  bool named = false;     // the file's name is on the disk too
  size_t required = 0;    // answer attempts every crash state must hold from now on
  size_t lastSync = 0;
  std::vector<bool> seen(file.size() + 1, false);
  for (size_t t = 0; t < disk.Steps.size(); ++t) {
    const Step& step = disk.Steps[t];
    SCOPED_TRACE("step " + std::to_string(t) + " of " + std::to_string(disk.Steps.size()) +
                 ", " + std::to_string(step.Written) + " bytes written");
    switch (step.What) {
      case Step::Sync:
        tally.Syncs[syncPoint(cuts[durable], cuts[step.Written], step.Written, whole,
                              file.size())]++;
        durable = lastSync = step.Written;
        break;
      case Step::FolderSync:
        named = durable > 0;
        break;
      case Step::Asked:
        // Nothing the program wrote is left off the disk while it waits for the student.
        if (durable != step.Written) {
          ADD_FAILURE() << "the student is asked for something while " << step.Written - durable
                        << " bytes are not yet on the disk";
          return tally;
        }
        ++tally.Prompts;
        [[fallthrough]];
      case Step::Shown:
        // The student is shown or asked something: the answers written before it are
        // what the student relies on, having seen them confirmed.
        required = cuts[step.Written].Answers;
        break;
      case Step::Write:
        break;
    }
    if (!named) {
      ++tally.States;  // no file at all
      if (required > 0) {
        ADD_FAILURE() << "the file may be gone, yet the student saw answers confirmed";
        return tally;
      }
    }
    for (size_t n = durable; n <= step.Written; ++n) {
      ++tally.States;
      if (!seen[n]) {
        seen[n] = true;
        ++tally.Files;
      }
      // One failing state says enough; the rest of the session would say it again.
      if (!cuts[n].Fault.empty()) {
        ADD_FAILURE() << "the file cut at byte " << n << " " << cuts[n].Fault;
        return tally;
      }
      if (cuts[n].Answers < required) {
        ADD_FAILURE() << "a power cut leaving " << n << " of " << step.Written
                      << " bytes loses an answer the student saw confirmed";
        return tally;
      }
    }
  }
  // The whole file is on the disk before the student is told to turn it in.
  EXPECT_EQ(lastSync, file.size());
  EXPECT_NE(disk.Steps.back().What, Step::Write);
  return tally;
}

std::string describe(const Tally& tally) {
  std::string text = std::to_string(tally.States) + " crash states (" +
                     std::to_string(tally.Files) + " files), " + std::to_string(tally.Prompts) +
                     " prompts, syncs:";
  for (const auto& [point, count] : tally.Syncs)
    text += " " + point + " " + std::to_string(count) + ",";
  text.pop_back();
  return text;
}

class CrashStateTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    setPlatform(&disk);
    State.LoadTime = disk.systemTimeUtc();
  }

  // Runs the session typed onto the recording disk and checks every crash state of it.
  // The labels of the whole file's events, each followed by "|".
  std::string eventLabels() const {
    std::string events;
    for (const XmcEvent& e : reading.Events)
      events += e.Label + "|";
    return events;
  }

  Tally runAndCheck() {
    FILE* stream = disk.open();
    EXPECT_NE(stream, nullptr);
    const std::string path = folder.file("result.xmc");
    int status = runProgram([&] { runExamSession(stream, path.c_str(), -2); });
    fclose(stream);
    EXPECT_EQ(status, NoExit);
    EXPECT_TRUE(disk.scriptDone());
    reading = readXmc(disk.Bytes);
    EXPECT_EQ(disk.folderSyncs(), 1);
    Tally tally = checkEveryCrashState(disk);
    printf("%s\n", describe(tally).c_str());
    return tally;
  }
  void answer(const std::string& text) {
    disk.typeLine(text);
    disk.typeLine("y");
  }

  RecordingDisk disk;
};

// The two sessions below come to 22,755 crash states in all (4,924 different files):
// 11,202 (2,315 files) and 11,553 (2,609 files).
TEST_F(CrashStateTest, APowerCutLosesNoRecordTheStudentSawAnswersASkipAndARejection) {
  loadInFileOrder(ThreeQuestions);
  disk.typeLine("");       // begin
  answer("alpha");
  disk.typeLine("wrong");  // rejected
  disk.typeLine("n");
  answer("#skip");
  disk.typeLine("");       // the skip list's pause
  answer("gamma");
  answer("delta");
  answer("beta");          // the skipped question comes back
  disk.typeLine("");       // all answered
  disk.typeLine("");       // the final pause
  Tally tally = runAndCheck();
  ASSERT_TRUE(reading.ok()) << reading.Problem;
  EXPECT_EQ(eventLabels(), "01.|alpha|02.||#skip|03.a.|gamma|03.b.|delta|02.|beta|");
  EXPECT_EQ(tally.Syncs["opening"], 1);
  EXPECT_EQ(tally.Syncs["question"], 5);
  EXPECT_EQ(tally.Syncs["answer confirmed"], 5);
  EXPECT_EQ(tally.Syncs["answer rejected"], 1);
  EXPECT_EQ(tally.Syncs["summary"], 1);
  EXPECT_EQ(tally.Syncs["closing"], 1);
  RecordProperty("crash_states", static_cast<int>(tally.States));
}

TEST_F(CrashStateTest, APowerCutLosesNoRecordTheStudentSawReviewAndDone) {
  loadInFileOrder(ThreeQuestions);
  State.ReviewMode = 0x11;
  disk.typeLine("");            // begin
  answer("alpha");
  disk.pressKey(0xE0, 80);      // Down: from 2 on to 3.a.
  disk.pressKey(0xE0, 72);      // Up: back to 2
  answer("beta");
  answer("gamma");
  answer("delta");
  disk.typeLine("");            // the review notice
  disk.pressKey(0xE0, 81);      // Page Down: nothing open
  disk.typeLine("");
  disk.typeLine("#done");       // declined
  disk.typeLine("n");
  disk.typeLine("#done");
  disk.typeLine("y");
  disk.typeLine("");            // the final pause
  Tally tally = runAndCheck();
  ASSERT_TRUE(reading.ok()) << reading.Problem;
  EXPECT_EQ(eventLabels(), "01.|alpha|02.|03.a.|02.|beta|03.a.|gamma|03.b.|delta|01.|01.|#done|#done|");
  EXPECT_EQ(tally.Syncs["opening"], 1);
  EXPECT_EQ(tally.Syncs["question"], 8);
  EXPECT_EQ(tally.Syncs["answer confirmed"], 4);
  EXPECT_EQ(tally.Syncs["end command"], 2);
  EXPECT_EQ(tally.Syncs["summary"], 1);
  EXPECT_EQ(tally.Syncs["closing"], 1);
  RecordProperty("crash_states", static_cast<int>(tally.States));
}

}  // namespace
