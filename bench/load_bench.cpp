// Loading a large exam (about 1,000 questions, a few MB of hexadecimal digits): from the
// file to a filled question store, against `xxd -r -p` turning the same digits back into
// bytes, measured in the same run. The whole load (listing, hex decoding, deciphering,
// parsing) should take no longer than xxd alone.
//
//   cmake -S . -B build -DVERITOR_BENCH=ON && cmake --build build -j2 --target load_bench
//   ./build/bench/load_bench
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "crypto/key_data.h"
#include "examfile/exam_loader.h"
#include "examfile/exam_writer.h"
#include "format/question_store.h"
#include "platform/posix/posix_platform.h"
#include "state/program_state.h"

namespace {

const char* const Password = "benchmark";
const char* const Header =
    ";Bench 2026;  BN 100: Benchmarks: (001) ---> Large Exam:  TimeLimit: 180 minutes  ---  "
    "Version 1.07";

// Types the choice and the password, and keeps the console quiet.
class BenchPlatform : public PosixPlatform {
 public:
  void script(const std::string& lineInput, const std::string& keys) {
    lines_ = lineInput;
    keys_ = keys;
    lineAt_ = keyAt_ = 0;
  }
  void write(ConsoleStream, const char*, size_t) override {}
  int readLineChar() override { return lineAt_ < lines_.size() ? lines_[lineAt_++] : -1; }
  int readKey() override { return keyAt_ < keys_.size() ? keys_[keyAt_++] : -1; }
  void echoKey(int) override {}
  void clearScreen() override {}

 private:
  std::string lines_, keys_;
  size_t lineAt_ = 0, keyAt_ = 0;
};

std::string largeBody() {
  std::string body = "QUESTIONS\n";
  const std::string filler =
      "Consider the function below and explain, step by step, what it computes for an "
      "input of n items, how long it takes, and how much memory it needs.\n";
  char line[256];
  for (int q = 1; q <= 1000; ++q) {
    if (q % 50 == 1)
      body += "{\n";
    if (q % 10 == 0) {
      snprintf(line, sizeof line, "%d. Answer every part of this question.\n", q);
      body += line;
      for (char part = 'a'; part <= 'c'; ++part) {
        snprintf(line, sizeof line, "   %d.%c. (2 pts) Part %c of question %d.\n", q, part,
                 part, q);
        body += line;
      }
    } else {
      snprintf(line, sizeof line, "%d. (%d pts) Question %d.\n", q, q % 7 + 1, q);
      body += line;
      for (int k = 0; k < 8; ++k)
        body += "\\" + filler;
      if (q % 3 == 0)
        body += "a) the first choice\nb) the second choice\nc) the third choice\n";
      body += "&\n";
    }
    if (q % 50 == 10)
      body += "}\n";
  }
  return body;
}

double seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

}  // namespace

int main() {
  BenchPlatform bench;
  setPlatform(&bench);
  setUpKeyData(0, nullptr);

  std::filesystem::path folder = std::filesystem::temp_directory_path() / "veritor-load-bench";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const std::filesystem::path examPath = folder / "LargeExam.exm";
  const std::filesystem::path hexPath = folder / "digits.hex";

  ExamFileOptions options;
  options.Password = Password;
  options.ClockCheckMode = ClockCheckOff;
  const std::string exam = makeExamFileText(Header, largeBody(), options);
  std::ofstream(examPath, std::ios::binary) << exam;
  const size_t hexStart = strlen(Header) + 2;
  std::ofstream(hexPath, std::ios::binary) << exam.substr(hexStart);

  snprintf(State.WorkingDirectory, sizeof State.WorkingDirectory, "%s", folder.c_str());
  snprintf(State.StartDirectory, sizeof State.StartDirectory, "%s", folder.c_str());
  snprintf(State.StudentId, sizeof State.StudentId, "abc123");
  ExamSessionRunner = [](FILE*, const char*, int8_t) {};

  const int rounds = 7;
  std::vector<double> loads, references;
  unsigned questions = 0;
  for (int round = 0; round < rounds; ++round) {
    // Each load finds the completed-exam file of the one before and is told to reuse it.
    bench.script("1\ny\n", std::string(Password) + "\r");
    auto start = std::chrono::steady_clock::now();
    loadExam();
    loads.push_back(seconds(std::chrono::steady_clock::now() - start));
    questions = State.QuestionCount;
    clearQuestionStore();

    std::string command = "xxd -r -p '" + hexPath.string() + "' > /dev/null";
    start = std::chrono::steady_clock::now();
    int status = system(command.c_str());
    references.push_back(seconds(std::chrono::steady_clock::now() - start));
    if (status != 0) {
      fprintf(stderr, "load_bench: xxd failed (is the xxd package installed?)\n");
      return 1;
    }
  }
  std::sort(loads.begin(), loads.end());
  std::sort(references.begin(), references.end());
  const double load = loads[rounds / 2], reference = references[rounds / 2];
  printf("exam file: %.2f MB, %zu hex digits, %u questions counted\n", exam.size() / 1e6,
         exam.size() - hexStart, questions);
  printf("veritor load (list, decode, decipher, parse): %8.2f ms (median of %d)\n", load * 1e3,
         rounds);
  printf("xxd -r -p on the same digits:                 %8.2f ms (median of %d)\n",
         reference * 1e3, rounds);
  printf("ratio load / xxd: %.2f (goal: at most 1.00)\n", load / reference);
  std::filesystem::remove_all(folder);
  return 0;
}
