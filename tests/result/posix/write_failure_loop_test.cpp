// A whole session on a completed-exam file whose writes and syncs fail from the k-th on,
// for every k the session reaches: a full disk or a pulled stick at any record. The
// stream is a stdio stream over memory (fopencookie), so the stdio buffering and flushing
// are the ones the real file gets; the syncs come through the platform door.
#include <errno.h>
#include <stdio.h>

#include <memory>
#include <vector>

#include "console/console.h"
#include "result/record_writer.h"
#include "session/exam_session.h"
#include "support/session_fixture.h"

namespace {

// The disk: what reached it, how much of it after each write or sync, and from which of
// them on it fails (or which one alone fails).
struct FailingDisk {
  std::string Bytes;
  std::vector<size_t> CallEnds;
  std::vector<bool> CallIsSync;
  size_t FailFrom = 0;  // 1-based; 0 never fails
  bool FailOnlyThat = false;
  size_t Calls = 0;
  bool Failed = false;

  // Whether the next write or sync fails.
  bool nextFails() {
    ++Calls;
    bool fails = FailFrom != 0 && (FailOnlyThat ? Calls == FailFrom : Calls >= FailFrom);
    Failed = Failed || fails;
    return fails;
  }
  void done(bool sync) {
    CallEnds.push_back(Bytes.size());
    CallIsSync.push_back(sync);
  }
};

ssize_t diskWrite(void* cookie, const char* data, size_t size) {
  FailingDisk* disk = static_cast<FailingDisk*>(cookie);
  if (disk->nextFails()) {
    errno = ENOSPC;
    return -1;
  }
  disk->Bytes.append(data, size);
  disk->done(false);
  return static_cast<ssize_t>(size);
}

FILE* openDisk(FailingDisk* disk) {
  cookie_io_functions_t io = {nullptr, diskWrite, nullptr, nullptr};
  return fopencookie(disk, "w", io);
}

// The student presses ENTER at the write warning's pause: a key the script cannot place
// ahead of time, since where the pause comes depends on which write fails.
// Its syncs go to the failing disk.
class PausingConsole : public ScriptedPlatform {
 public:
  bool AnswerPause = false;
  FailingDisk* Disk = nullptr;
  int readLineChar() override { return pending() ? '\n' : ScriptedPlatform::readLineChar(); }
  int readKey() override { return pending() ? '\n' : ScriptedPlatform::readKey(); }
  bool syncFile(FILE* stream) override {
    if (!ScriptedPlatform::syncFile(stream))
      return false;
    if (Disk->nextFails()) {
      errno = EIO;
      return false;
    }
    Disk->done(true);
    return true;
  }

 private:
  bool pending() {
    if (!AnswerPause || !State.ResultWriteFailureShown)
      return false;
    AnswerPause = false;
    advance(1000);  // a fresh key, not a stale line end
    return true;
  }
};

class WriteFailureLoop : public SessionTest {
 protected:
  // One session on a disk failing from write failFrom on (0: never).
  void run(FailingDisk* disk) {
    TearDown();
    SetUp();
    student = std::make_unique<PausingConsole>();
    student->Disk = disk;
    setPlatform(student.get());
    State.LoadTime = student->systemTimeUtc();
    loadInFileOrder(ThreeQuestions);
    student->typeLine("");
    for (const char* text : {"alpha", "beta"}) {
      student->typeLine(text);
      student->typeLine("y");
    }
    student->typeLine("wrong");
    student->typeLine("n");
    for (const char* text : {"gamma", "delta"}) {
      student->typeLine(text);
      student->typeLine("y");
    }
    student->typeLine("");  // all answered
    student->typeLine("");  // the final pause
    student->AnswerPause = true;
    FILE* stream = openDisk(disk);
    ASSERT_NE(stream, nullptr);
    status = runProgram([&] { runExamSession(stream, "result.xmc", -2); });
    fclose(stream);
  }

  // The session went on to its end, and the student was told once, in light red, and
  // again before the file to turn in.
  void expectToldOnce() {
    EXPECT_TRUE(student->scriptDone());
    const std::string err = student->text(ConsoleStream::Err);
    const std::string out = student->text(ConsoleStream::Out);
    EXPECT_EQ(countOf(err, ResultWriteFailedMessage), 1u);
    EXPECT_NE(err.find(ResultWriteFailedMessage + std::string(PressEnterBanner)),
              std::string::npos);
    int inRed = 0;
    for (const WrittenPiece& piece : student->pieces())
      if (piece.Text.find("WARNING - The XMC file") != std::string::npos)
        inRed += piece.Attribute == 12 ? 1 : 0;
    EXPECT_EQ(inRed, 2);
    size_t again = out.find(ResultIncompleteMessage);
    ASSERT_NE(again, std::string::npos);
    EXPECT_LT(again, out.find("\nTURN IN THIS FILE: "));
  }

  std::unique_ptr<PausingConsole> student;
  int status = 0;
};

TEST_F(WriteFailureLoop, EveryWriteOrSyncOfASessionMayFailAndTheFileKeepsWhatCameBefore) {
  FailingDisk whole;
  run(&whole);
  ASSERT_EQ(status, NoExit);
  ASSERT_FALSE(whole.Failed);
  XmcReading full = readXmc(whole.Bytes);
  ASSERT_TRUE(full.ok()) << full.Problem;
  ASSERT_EQ(full.Events.size(), 9u);
  const std::vector<size_t> ends = whole.CallEnds;
  ASSERT_GT(ends.size(), 10u);

  size_t tried = 0;
  size_t eventsBefore = 0;
  for (size_t k = 1; k <= ends.size(); ++k) {
    SCOPED_TRACE("failing from write or sync " + std::to_string(k));
    FailingDisk disk;
    disk.FailFrom = k;
    run(&disk);
    ++tried;
    ASSERT_EQ(status, NoExit);
    ASSERT_TRUE(disk.Failed);
    expectToldOnce();

    // The disk holds exactly what the writes before the failure carried, and reads back
    // as far as it goes: every record on it deciphers as in the whole file, and where
    // the reading stops short of the end it says the file is cut off there.
    const size_t kept = k == 1 ? 0 : ends[k - 2];
    ASSERT_EQ(disk.Bytes, whole.Bytes.substr(0, kept));
    XmcReading cut = readXmc(disk.Bytes);
    if (!cut.ok() && cut.ProblemOffset != disk.Bytes.size()) {
      EXPECT_NE(cut.Problem.find("cut off"), std::string::npos) << cut.Problem;
    }
    ASSERT_LE(cut.Events.size(), full.Events.size());
    EXPECT_GE(cut.Events.size(), eventsBefore);
    eventsBefore = cut.Events.size();
    for (size_t e = 0; e < cut.Events.size(); ++e) {
      EXPECT_EQ(cut.Events[e].Label, full.Events[e].Label);
      EXPECT_EQ(cut.Events[e].Tick, full.Events[e].Tick);
    }
    EXPECT_EQ(full.Log.compare(0, cut.Log.size(), cut.Log), 0);
    EXPECT_EQ(full.Summary.compare(0, cut.Summary.size(), cut.Summary), 0);
    EXPECT_EQ(full.Echo.compare(0, cut.Echo.size(), cut.Echo), 0);
  }
  // Once the last answer's record is kept, every event of the session is read back.
  EXPECT_EQ(eventsBefore, full.Events.size());
  RecordProperty("failure_points", static_cast<int>(tried));
  printf("write and sync failure points tried: %zu\n", tried);
}

// A sync that fails once, the writes around it going through: the records may not be on
// the disk, and the student is told so as for a failed write.
TEST_F(WriteFailureLoop, ASyncThatFailsIsAFailedWrite) {
  FailingDisk whole;
  run(&whole);
  ASSERT_EQ(status, NoExit);
  const XmcReading full = readXmc(whole.Bytes);
  size_t syncs = 0;
  for (size_t k = 1; k <= whole.CallIsSync.size(); ++k) {
    if (!whole.CallIsSync[k - 1])
      continue;
    SCOPED_TRACE("failing sync " + std::to_string(k));
    ++syncs;
    FailingDisk disk;
    disk.FailFrom = k;
    disk.FailOnlyThat = true;
    run(&disk);
    ASSERT_EQ(status, NoExit);
    ASSERT_TRUE(disk.Failed);
    expectToldOnce();
    // Every write went through: the file is whole (its ticks moved on with the pause).
    XmcReading reading = readXmc(disk.Bytes);
    EXPECT_TRUE(reading.ok()) << reading.Problem;
    ASSERT_EQ(reading.Events.size(), full.Events.size());
    for (size_t e = 0; e < full.Events.size(); ++e)
      EXPECT_EQ(reading.Events[e].Label, full.Events[e].Label);
  }
  EXPECT_GE(syncs, 12u);
}

}  // namespace
