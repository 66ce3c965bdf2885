// Checking a class: `veritor-author report` over 1,000 completed files of a 50-question
// exam, each written by a real session of the program, against `cat` of the same files
// into `xxd -r -p`, measured in the same run. Reading, deciphering, checking and
// tabulating a class should take at most twice as long as turning its digits into bytes.
//
//   cmake -S . -B build -DVERITOR_BENCH=ON && cmake --build build -j2 --target report_bench
//   ./build/bench/report_bench
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

const char* const Password = "benchmark";
const int Students = 1000;
const char* const Header =
    ";Bench 2026;  BN 100: Benchmarks: (001) ---> Class Exam:  TimeLimit: 90 minutes  ---  "
    "Version 1.07";

// Types a student's lines, each a few seconds after the one before, and keeps the
// console quiet.
class BenchPlatform : public PosixPlatform {
 public:
  void script(const std::string& lines) {
    lines_ = lines;
    at_ = 0;
  }
  void write(ConsoleStream, const char*, size_t) override {}
  int readLineChar() override {
    if (at_ >= lines_.size())
      return -1;
    if (at_ == 0 || lines_[at_ - 1] == '\n')
      tick_ += 4000;
    return static_cast<unsigned char>(lines_[at_++]);
  }
  int readKey() override { return readLineChar(); }
  void echoKey(int) override {}
  void clearScreen() override {}
  void setTitle(const char*) override {}
  uint32_t tickCount() override { return tick_; }

 private:
  std::string lines_;
  size_t at_ = 0;
  uint32_t tick_ = 5000000;
};

// 50 questions: 45 with an answer line each, 5 with three parts.
std::string examBody() {
  std::string body = "QUESTIONS\n";
  char line[256];
  for (int q = 1; q <= 50; ++q) {
    if (q % 10 == 0) {
      snprintf(line, sizeof line, "%d. Answer every part of question %d.\n", q, q);
      body += line;
      for (char part = 'a'; part <= 'c'; ++part) {
        snprintf(line, sizeof line, "   %d.%c. (2 pts) Part %c of question %d.\n", q, part, part, q);
        body += line;
      }
    } else {
      snprintf(line, sizeof line,
               "%d. (%d pts) Question %d: explain in a sentence or two what the code shown "
               "computes and why.\n",
               q, q % 4 + 1, q);
      body += line;
    }
  }
  return body;
}

double seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

double timed(const std::string& command) {
  auto start = std::chrono::steady_clock::now();
  int status = system(command.c_str());
  double took = seconds(std::chrono::steady_clock::now() - start);
  // Every file the bench makes is genuine and whole: the report exits 0.
  if (status != 0) {
    fprintf(stderr, "report_bench: '%s' failed\n", command.c_str());
    exit(1);
  }
  return took;
}

}  // namespace

int main() {
  BenchPlatform bench;
  setPlatform(&bench);
  setUpKeyData(0, nullptr);
  State.PrimeTable = loadPrimeTable();
  setWindowView(WindowView::Off);

  std::filesystem::path folder = std::filesystem::temp_directory_path() / "veritor-report-bench";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);

  // Each student's session starts from the exam as loading leaves it.
  const std::string body = examBody();
  auto loadExamText = [&] {
    clearQuestionStore();
    std::string header = Header;
    parseExamHeader(header.data());
    State.Body.Text = body.c_str();
    State.Body.Position = 0;
    State.Body.End = body.size();
    parseQuestions();
    memset(State.PoolMarks, 0, sizeof State.PoolMarks);
    countQuestionsAndPoints();
  };

  // Every student answers each of the 60 entries, then the exam ends with all answered.
  auto started = std::chrono::steady_clock::now();
  uintmax_t bytes = 0;
  for (int s = 0; s < Students; ++s) {
    snprintf(State.StudentFullName, sizeof State.StudentFullName, "Student%04d, Pat", s);
    snprintf(State.StudentId, sizeof State.StudentId, "stu%03d", s % 1000);
    uint8_t seed[38];
    memcpy(seed, State.StudentId, 6);
    sha256(seed + 6, Password, strlen(Password));
    sha256(State.ResultCipherState.Digest, seed, sizeof seed);
    State.LoadTime = bench.systemTimeUtc();
    std::string lines = "\n";
    for (int entry = 0; entry < 60; ++entry)
      lines += "The loop adds the numbers from 1 to n, so it takes time in proportion to n " +
               std::to_string(entry + s) + "\ny\n";
    lines += "\n\n";
    bench.script(lines);
    loadExamText();
    char name[64];
    snprintf(name, sizeof name, "Class_Exam_%04d__XMC_%s_CompletedBy.xmc", s, State.StudentId);
    std::string path = (folder / name).string();
    FILE* stream = fopen(path.c_str(), "w+b");
    runExamSession(stream, path.c_str(), static_cast<int8_t>(0xFE));
    fclose(stream);
    bytes += std::filesystem::file_size(path);
  }
  printf("made %d completed files (%.1f MB) in %.2f s\n", Students, bytes / 1e6,
         seconds(std::chrono::steady_clock::now() - started));

  const std::string tool = std::string(VERITOR_BINARY_DIR) + "/veritor-author report --password " +
                           Password + " " + folder.string();
  const std::string reference = "cat " + folder.string() + "/*.xmc | xxd -r -p > /dev/null";
  const std::string outputs = " --csv " + (folder / "t.csv.out").string() + " --answers " +
                              (folder / "a.csv.out").string() + " --html " +
                              (folder / "page.html.out").string();
  const int rounds = 5;
  std::vector<double> reports, withOutputs, references;
  for (int round = 0; round < rounds; ++round) {
    reports.push_back(timed(tool + " > /dev/null"));
    withOutputs.push_back(timed(tool + outputs + " > /dev/null"));
    references.push_back(timed(reference));
  }
  std::sort(reports.begin(), reports.end());
  std::sort(withOutputs.begin(), withOutputs.end());
  std::sort(references.begin(), references.end());
  const double report = reports[rounds / 2], full = withOutputs[rounds / 2],
               ref = references[rounds / 2];
  printf("veritor-author report (table only):         %8.1f ms (median of %d)\n", report * 1e3, rounds);
  printf("veritor-author report --csv --answers --html: %6.1f ms (median of %d)\n", full * 1e3, rounds);
  printf("cat | xxd -r -p on the same files:          %8.1f ms (median of %d)\n", ref * 1e3, rounds);
  printf("ratio report / xxd: %.2f (goal: at most 2.00); with every output: %.2f\n", report / ref,
         full / ref);
  std::filesystem::remove_all(folder);
  return 0;
}
