// What putting the records on the disk costs the student: the time from ENTER on an
// answer's confirmation to the next prompt, over 200 answers, and the closing part of a
// 980-question exam (from the confirmed #done to the final screen), each with the syncs
// and, as the reference measured in the same run, without them; on this machine's disk
// and on a tmpfs. The aims: the 95th percentile under 20 ms on a local disk, and the
// closing part under 0.5 s more than without the syncs.
//
//   cmake -S . -B build -DVERITOR_BENCH=ON -DCMAKE_BUILD_TYPE=Release
//   cmake --build build -j2 --target sync_bench
//   ./build/bench/sync_bench [DISK_FOLDER [TMPFS_FOLDER]]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "crypto/key_data.h"
#include "crypto/sha256.h"
#include "examfile/exam_loader.h"
#include "format/body_parser.h"
#include "format/exam_header.h"
#include "format/question_store.h"
#include "platform/posix/posix_platform.h"
#include "session/exam_session.h"
#include "state/program_state.h"
#include "window/question_window.h"

namespace {

using Clock = std::chrono::steady_clock;

const char* const Header =
    ";Bench 2026;  BN 100: Benchmarks: (001) ---> Sync Exam:  TimeLimit: 600 minutes  ---  "
    "Version 1.07";

// Types the student's lines, a few seconds apart on the program's clock, keeps the
// console quiet, and notes when the ENTER of a confirmation is taken and when the next
// prompt (or, with the end of the exam, the file to turn in) is written.
class BenchPlatform : public PosixPlatform {
 public:
  bool Syncs = true;
  std::vector<double> Waits;  // milliseconds from a confirmation's ENTER to the next prompt
  double Closing = 0;         // milliseconds from the last confirmation to the final screen

  void script(const std::string& lines) {
    lines_ = lines;
    at_ = 0;
    Waits.clear();
    waiting_ = false;
  }
  void write(ConsoleStream, const char* text, size_t length) override {
    if (!waiting_)
      return;
    std::string piece(text, length);
    bool prompt = piece.find("Answer?") != std::string::npos ||
                  piece.find("Press ENTER") != std::string::npos;
    bool finalScreen = piece.find("TURN IN THIS FILE") != std::string::npos;
    if (!prompt && !finalScreen)
      return;
    double ms = std::chrono::duration<double, std::milli>(Clock::now() - confirmed_).count();
    if (finalScreen)
      Closing = ms;
    else
      Waits.push_back(ms);
    waiting_ = false;
  }
  int readLineChar() override {
    if (at_ >= lines_.size())
      return -1;
    if (at_ == 0 || lines_[at_ - 1] == '\n')
      tick_ += 4000;
    int c = static_cast<unsigned char>(lines_[at_++]);
    // The line end of a "y" line confirms an answer (or the end of the exam).
    if (c == '\n' && at_ >= 2 && lines_[at_ - 2] == 'y' && (at_ == 2 || lines_[at_ - 3] == '\n')) {
      waiting_ = true;
      confirmed_ = Clock::now();
    }
    return c;
  }
  int readKey() override { return readLineChar(); }
  void echoKey(int) override {}
  void clearScreen() override {}
  void setTitle(const char*) override {}
  uint32_t tickCount() override { return tick_; }
  bool syncFile(FILE* stream) override {
    return Syncs ? PosixPlatform::syncFile(stream) : fflush(stream) == 0;
  }
  bool syncFolder(const char* path) override {
    return Syncs ? PosixPlatform::syncFolder(path) : true;
  }

 private:
  std::string lines_;
  size_t at_ = 0;
  uint32_t tick_ = 5000000;
  bool waiting_ = false;
  Clock::time_point confirmed_;
};

BenchPlatform g_bench;

std::string examBody(int questions) {
  std::string body = "QUESTIONS\n";
  char line[256];
  for (int q = 1; q <= questions; ++q) {
    snprintf(line, sizeof line,
             "%d. (%d pts) Question %d: explain in a sentence or two what the code shown "
             "computes and why.\n",
             q, q % 4 + 1, q);
    body += line;
  }
  return body;
}

// One session in folder over an exam of that many questions, typed as lines.
void runSession(const std::filesystem::path& folder, int questions, const std::string& lines) {
  const std::string body = examBody(questions);
  clearQuestionStore();
  std::string header = Header;
  parseExamHeader(header.data());
  State.Body.Text = body.c_str();
  State.Body.Position = 0;
  State.Body.End = body.size();
  parseQuestions();
  State.Body = BodyText();
  memset(State.PoolMarks, 0, sizeof State.PoolMarks);
  countQuestionsAndPoints();
  State.OrderMode = '+';
  State.LoadTime = g_bench.systemTimeUtc();
  g_bench.script(lines);
  const std::string path = (folder / "Sync_Exam_00__XMC_ben100_CompletedBy.xmc").string();
  FILE* stream = fopen(path.c_str(), "w+b");
  if (!stream) {
    fprintf(stderr, "sync_bench: cannot make %s\n", path.c_str());
    exit(1);
  }
  runExamSession(stream, path.c_str(), static_cast<int8_t>(0xFE));
  fclose(stream);
  std::filesystem::remove(path);
}

struct Figures {
  double Median = 0;
  double P95 = 0;
};

Figures figuresOf(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  Figures f;
  f.Median = samples[samples.size() / 2];
  f.P95 = samples[(samples.size() * 95 + 99) / 100 - 1];
  return f;
}

// 200 answers, each confirmed; the prompt after the last one is the all-answered pause.
Figures answerWaits(const std::filesystem::path& folder, bool syncs) {
  g_bench.Syncs = syncs;
  std::string lines = "\n";
  for (int answer = 1; answer <= 200; ++answer)
    lines += "The loop adds the numbers from 1 to n, so its time grows with n (" +
             std::to_string(answer) + ")\ny\n";
  lines += "\n\n";
  runSession(folder, 200, lines);
  if (g_bench.Waits.size() != 200) {
    fprintf(stderr, "sync_bench: %zu waits measured, not 200\n", g_bench.Waits.size());
    exit(1);
  }
  return figuresOf(g_bench.Waits);
}

// #done at once on a 980-question exam: the summary and the echo of every question.
double closingPart(const std::filesystem::path& folder, bool syncs) {
  g_bench.Syncs = syncs;
  std::vector<double> runs;
  for (int run = 0; run < 5; ++run) {
    runSession(folder, 980, "\n#done\ny\n\n");
    runs.push_back(g_bench.Closing);
  }
  return figuresOf(runs).Median;
}

void measure(const char* kind, const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  const Figures with = answerWaits(folder, true);
  const Figures without = answerWaits(folder, false);
  printf("%s (%s): ENTER on a confirmation to the next prompt, 200 answers\n", kind,
         folder.string().c_str());
  printf("  with the syncs     median %7.3f ms   95th percentile %7.3f ms\n", with.Median,
         with.P95);
  printf("  without the syncs  median %7.3f ms   95th percentile %7.3f ms\n", without.Median,
         without.P95);
  printf("  ratio with / without: median %.1f, 95th percentile %.1f\n", with.Median / without.Median,
         with.P95 / without.P95);
  const double closingWith = closingPart(folder, true);
  const double closingWithout = closingPart(folder, false);
  printf("  closing part of a 980-question exam (median of 5): %.1f ms with the syncs, "
         "%.1f ms without, %.1f ms more\n",
         closingWith, closingWithout, closingWith - closingWithout);
  std::filesystem::remove_all(folder, error);
}

}  // namespace

int main(int argc, char** argv) {
  setPlatform(&g_bench);
  setUpKeyData(0, nullptr);
  State.PrimeTable = loadPrimeTable();
  setWindowView(WindowView::Off);
  snprintf(State.StudentFullName, sizeof State.StudentFullName, "Bench, Pat");
  snprintf(State.StudentId, sizeof State.StudentId, "ben100");
  uint8_t seed[38];
  memcpy(seed, State.StudentId, 6);
  sha256(seed + 6, "benchmark", 9);
  sha256(State.ResultCipherState.Digest, seed, sizeof seed);

  const std::filesystem::path disk =
      argc > 1 ? std::filesystem::path(argv[1])
               : std::filesystem::path(VERITOR_BINARY_DIR) / "sync-bench";
  const std::filesystem::path tmpfs =
      argc > 2 ? std::filesystem::path(argv[2]) : std::filesystem::path("/dev/shm/veritor-sync-bench");
  measure("disk", disk);
  measure("tmpfs", tmpfs);
  printf("goals: 95th percentile with the syncs under 20 ms on a local disk; the closing part "
         "under 500 ms more\n");
  return 0;
}
