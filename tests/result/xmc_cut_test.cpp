// A power cut keeps any prefix of a file: every one must be judged a cut, placed where its
// bytes stop, and never as damaged; while one hex digit changed inside the file, with more
// of it after the change, must never pass for a cut.
#include <gtest/gtest.h>

#include <stdio.h>

#include "result/xmc_analysis.h"
#include "result/xmc_echo_check.h"
#include "result/xmc_form.h"
#include "result/xmc_reader.h"
#include "result/xmc_verdict.h"
#include "support/session_fixture.h"

namespace {

// A question with more lines and choices, a pool, a question with sub-questions of one
// point and of two, and a last question.
const char* const FullExam =
    "QUESTIONS\n"
    "1. (2 pts) First?\n"
    "\\Say why.\n"
    "a) yes\n"
    "b) no\n"
    "{\n"
    "2. (1 pt) P1\n"
    "3. (1 pt) P2\n"
    "}\n"
    "4. Parts.\n"
    "  4.a. (1 pt) A.\n"
    "  4.b. (2 pts) B.\n"
    "5. (1 pt) Last?\n";

class XmcCutTest : public SessionTest {
 protected:
  // Answers, a skip, then review: a sub-question answered again, #done declined and then
  // confirmed.
  void takeFullExam() {
    loadInFileOrder(FullExam);
    State.ReviewMode = 0x11;
    begin();
    answer("one");
    answer("#skip");
    console.typeLine("");
    answer("a");
    answer("b");
    answer("five");
    answer("pool");
    console.typeLine("");  // the review notice
    answer("uno");
    console.typeLine("#done");
    console.typeLine("n");
    console.typeLine("#done");
    console.typeLine("y");
    console.typeLine("");
    ASSERT_EQ(runSession(), NoExit);
    ASSERT_TRUE(reading.ok()) << reading.Problem;
    ASSERT_EQ(events(),
              "Q:01.|C:one|Q:02.|Q:03.a.|C:a|Q:03.b.|C:b|Q:04.|C:five|Q:02.|C:pool|Q:03.a.|"
              "C:uno|Q:03.b.|E:#done|E:#done|");
  }

  static XmcVerdict verdictOn(const std::string& b, const XmcReading& r) {
    const std::string password = "secret";
    return judgeXmc(b, r, analyzeXmc(r), &password,
                    "Fall_CS_Exam_00__XMC_abc123_CompletedBy.xmc");
  }
};

TEST_F(XmcCutTest, EveryPrefixIsACutWhereItsBytesStop) {
  takeFullExam();
  EXPECT_EQ(verdictOn(bytes, reading).Kind, XmcVerdictKind::Whole);
  size_t cutShort = 0, closingMissing = 0;
  for (size_t n = 0; n < bytes.size(); ++n) {
    const std::string prefix = bytes.substr(0, n);
    const XmcReading r = readXmc(prefix);
    const XmcVerdict v = verdictOn(prefix, r);
    ASSERT_TRUE(v.Kind == XmcVerdictKind::CutShort || v.Kind == XmcVerdictKind::ClosingMissing)
        << n << " of " << bytes.size() << ": " << xmcVerdictText(v);
    ASSERT_TRUE(r.cut()) << n << ": stops at " << r.ProblemOffset << ": " << r.Problem;
    (v.Kind == XmcVerdictKind::CutShort ? cutShort : closingMissing)++;
    // Every complete record before the cut is kept, as the whole file has it.
    ASSERT_LE(r.Events.size(), reading.Events.size()) << n;
    for (size_t i = 0; i < r.Events.size(); ++i)
      ASSERT_TRUE(r.Events[i].Label == reading.Events[i].Label &&
                  r.Events[i].Tick == reading.Events[i].Tick)
          << n << ": record " << i;
  }
  // Every answer is in the file from the end of the summary on: the closing part is what
  // is missing then.
  EXPECT_GT(cutShort, 0u);
  EXPECT_GT(closingMissing, 0u);
  printf("%zu prefixes: %zu cut short, %zu closing part missing\n", bytes.size(), cutShort,
         closingMissing);
}

// One hex digit of a run changed: its nibble with one bit flipped.
char flipped(char digit, int bit) {
  int v = digit <= '9' ? digit - '0' : digit - 'A' + 10;
  v ^= bit;
  return static_cast<char>(v < 10 ? '0' + v : 'A' + v - 10);
}

// An enciphered run of the whole file: where its digits begin, and what they decipher to.
struct HexRun {
  const char* Name;
  size_t FileAt;              // where its hex digits begin
  const std::string* Plain;  // deciphered
};

TEST_F(XmcCutTest, AChangedDigitInsideTheFileIsNeverACut) {
  takeFullExam();
  const size_t logAt = bytes.find("START:\r\n") + 8 + 2 * 57;
  const size_t summaryAt = logAt + 2 * reading.Log.size() + 4;
  const size_t closingAt = summaryAt + 2 * reading.Summary.size() + 4;
  const size_t echoAt = bytes.size() - 2 * reading.Echo.size();
  const HexRun runs[] = {{"session records", logAt, &reading.Log},
                         {"summary", summaryAt, &reading.Summary},
                         {"closing", closingAt, &reading.Closing},
                         {"echo", echoAt, &reading.Echo}};

  // Where the program's own words stand: a change there always shows. A tick, a date or
  // the text of a question the session never showed may change unseen (what the verdict
  // cannot prove), but never into a cut.
  auto mustShow = [&](const HexRun& run, size_t at) {
    const std::string& p = *run.Plain;
    auto within = [&](const std::string& word) {
      for (size_t w = p.find(word); w != std::string::npos; w = p.find(word, w + 1))
        if (at >= w && at < w + word.size())
          return true;
      return false;
    };
    if (run.Plain == &reading.Summary)
      return true;
    if (run.Plain == &reading.Log)
      return within("tck:") || within(" - ANSWER CONFIRMED:\n") || within("\n****** #done *****\n");
    if (run.Plain == &reading.Closing)
      return within("\n\nEXAM COMPLETE:\n\n");
    // The answers, the words of the QUESTIONS line and the pool marks of the echo. (Its
    // total may be off by a tenth, unseen: the shown figures are rounded.)
    if (within("\n\nQUESTIONS:  (") || within(")  Total Points:  ("))
      return true;
    size_t lineAt = p.rfind('\n', at - (at > 0 && p[at] == '\n' ? 1 : 0));
    lineAt = lineAt == std::string::npos ? 0 : lineAt + 1;
    const std::string line = p.substr(lineAt, p.find('\n', lineAt) - lineAt);
    return line.rfind(" &", 0) == 0 || line.rfind("   &", 0) == 0 ||
           line.rfind(";  *****", 0) == 0;
  };

  const size_t echoText = reading.Echo.find_last_not_of('\n');  // its last character
  size_t changes = 0, damaged = 0, unseen = 0, cuts = 0;
  for (const HexRun& run : runs) {
    size_t shown = 0;
    for (size_t i = 0; i < 2 * run.Plain->size(); ++i) {
      for (int bit : {1, 8}) {
        std::string changed = bytes;
        changed[run.FileAt + i] = flipped(changed[run.FileAt + i], bit);
        const XmcReading r = readXmc(changed);
        const XmcVerdict v = verdictOn(changed, r);
        ++changes;
        if (v.Kind == XmcVerdictKind::CutShort || v.Kind == XmcVerdictKind::ClosingMissing) {
          // Only in the line feeds the file ends in: the echo has no end mark, and a file
          // whose last line goes on, or whose answer is followed by one empty line
          // instead of two, is what a cut leaves of another one.
          EXPECT_TRUE(run.Plain == &reading.Echo && i / 2 > echoText)
              << run.Name << " byte " << i / 2 << ": " << xmcVerdictText(v);
          ++cuts;
          continue;
        }
        ASSERT_TRUE(v.Kind == XmcVerdictKind::Damaged || v.Kind == XmcVerdictKind::Whole)
            << run.Name << " byte " << i / 2 << ": " << xmcVerdictText(v);
        if (v.Kind == XmcVerdictKind::Damaged) {
          ++damaged;
          continue;
        }
        ++unseen;
        EXPECT_FALSE(mustShow(run, i / 2))
            << run.Name << " byte " << i / 2 << " changed reads as whole";
      }
      shown += mustShow(run, i / 2) ? 1 : 0;
    }
    EXPECT_GT(shown, 0u) << run.Name;
  }
  printf("%zu one-digit changes: %zu damaged, %zu read as whole, %zu in the last line feeds read "
         "as cut\n", changes, damaged, unseen, cuts);
}

// The echo has no end mark: what it says of itself tells a cut from a change.
TEST_F(XmcCutTest, TheEchoTellsACutFromAChange) {
  takeFullExam();
  const std::string echo = reading.Echo;
  ASSERT_EQ(checkEcho(echo).What, EchoCheck::Whole);
  auto edited = [&](const std::string& from, const std::string& to) {
    std::string e = echo;
    size_t at = e.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return checkEcho(e.replace(at, from.size(), to)).What;
  };
  // Cut between two questions: whole as far as it goes, but the QUESTIONS line counts
  // one more, with its point.
  EXPECT_EQ(edited("5. (  1.0 pts) Last?\n &five\n\n\n", ""), EchoCheck::Cut);
  // A question taken out of the middle, or one line more or fewer between two of them.
  EXPECT_EQ(edited("3. (  1.0 pts) P2\n\n\n", ""), EchoCheck::Damaged);
  EXPECT_EQ(edited(" &five\n\n\n", " &five\n"), EchoCheck::Cut);
  EXPECT_EQ(edited("&uno\n\n\n", "&uno\n\n\n\n"), EchoCheck::Damaged);
  EXPECT_EQ(edited("&uno\n\n\n", "&uno\n\n"), EchoCheck::Damaged);
  // A count, a letter or a pool mark that is not the program's.
  EXPECT_EQ(edited("QUESTIONS:  (5)", "QUESTIONS:  (4)"), EchoCheck::Damaged);
  EXPECT_EQ(edited("QUESTIONS:  (5)", "QUESTIONS:  (6)"), EchoCheck::Damaged);
  EXPECT_EQ(edited("4.b.", "4.c."), EchoCheck::Damaged);
  EXPECT_EQ(edited("}\n;  ***** CLOSE POOL *****  [#1]\n", ""), EchoCheck::Damaged);
  EXPECT_EQ(edited("[#1]\n{", "[#0]\n{"), EchoCheck::Damaged);
}

TEST(XmcFormTest, AFigureOfPointsIsReadOnlyAsTheProgramWritesIt) {
  auto fit = [](const std::string& text) {
    double value = 0;
    Fit f = FormScan(text, 0).literal("(").number(&value).literal(" pts)").result();
    return f == Fit::Whole ? std::to_string(value).substr(0, 4) : f == Fit::Part ? "part" : "no";
  };
  EXPECT_EQ(fit("(  7.0 pts)"), "7.00");
  EXPECT_EQ(fit("( -1.0 pts)"), "-1.0");
  EXPECT_EQ(fit("(100.5 pts)"), "100.");
  EXPECT_EQ(fit("( 07.0 pts)"), "no");
  EXPECT_EQ(fit("(  7.00 pts)"), "no");
  EXPECT_EQ(fit("(7.0 pts)"), "no");
  EXPECT_EQ(fit("( pts)"), "no");
  EXPECT_EQ(fit("(  7."), "part");
  EXPECT_EQ(fit("(  7.0 p"), "part");
}

}  // namespace
