// Fuzz target over the completed-file reader: a file as a student hands it in, whatever
// its bytes. Reading, analysing, judging and printing it must stay inside its buffers
// and never end the program: the report shows any file as a row with its reason.
//
// The key is the one built into the program, so that the seeds (real completed files)
// decipher and the fuzzer reaches past the key start into every section.
#include <cstddef>
#include <cstdint>
#include <string>

#include "crypto/key_data.h"
#include "fuzz/fuzz_support.h"
#include "result/xmc_analysis.h"
#include "result/xmc_reader.h"
#include "result/xmc_verdict.h"
#include "state/program_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  freshPlatform();
  static bool keyed = [] {
    uint32_t length = 0;
    State.KeyData = loadKeyResource(&length);
    State.KeyLength = length;
    return true;
  }();
  (void)keyed;

  std::string bytes(reinterpret_cast<const char*>(data), size);
  XmcReading reading = readXmc(bytes);
  XmcAnalysis analysis = analyzeXmc(reading);
  const std::string password = "secret";
  XmcVerdict verdict = judgeXmc(bytes, reading, analysis, &password, "f_00__XMC_abc123_CompletedBy.xmc");
  if (xmcVerdictText(verdict).empty())
    __builtin_trap();  // every file gets a reason
  if (verdict.Kind == XmcVerdictKind::Whole && !reading.ok())
    __builtin_trap();  // a file that stops early is never whole
  numberEntries(&analysis.Entries, analysis.ExamQuestions);
  std::string summary = xmcNumberedSummary(reading, analysis);
  std::string text = xmcTranscript(reading, &summary) + xmcTimeline(reading) + xmcEndLine(analysis) +
                     xmcLateText(analysis) + xmcEndText(analysis);
  (void)text;
  setPlatform(nullptr);
  return 0;
}
