// Checking a class of any size: `veritor-author report` over 100,000 completed files of a
// 20-question exam, some identifiers handed in many times over, against `cat` of the
// same files, measured in the same run. Each file is a real session of the program,
// written by its own record writer into memory and then to disk.
//
// Goals: with every output (table, CSV, answers sheet, page), and graded against the
// exam's key with every output of grading (gradebook, item analysis, roster, flags) too,
// at most 3 times as long as cat; the report's peak memory under 200 MB; each output
// linear in the class (the half class takes half as long and makes outputs half as
// large).
//
//   cmake -S . -B build -DVERITOR_BENCH=ON && cmake --build build -j2 --target report_bench
//   ./build/bench/report_bench [FILES [FOLDER]]
//
// The files go to FOLDER (default: report-bench-files in the build folder, on the same
// disk as the build, as /tmp may be a small memory disk), which is removed at the end.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

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

extern char** environ;

namespace {

const char* const Password = "benchmark";
const char* const Header =
    ";Bench 2026;  BN 100: Benchmarks: (001) ---> Class Exam:  TimeLimit: 50 minutes  ---  "
    "Version 1.07";

// Types a student's lines, each some seconds after the one before, and keeps the console
// quiet.
class BenchPlatform : public PosixPlatform {
 public:
  void script(const std::string& lines, uint32_t pace) {
    lines_ = lines;
    at_ = 0;
    pace_ = pace;
  }
  void write(ConsoleStream, const char*, size_t) override {}
  int readLineChar() override {
    if (at_ >= lines_.size())
      return -1;
    if (at_ == 0 || lines_[at_ - 1] == '\n')
      tick_ += pace_;
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
  uint32_t pace_ = 1000;
  uint32_t tick_ = 5000000;
};

// The answer key of question q, in the forms instructors write; every fifth question is
// marked by hand.
const char* const Keys[] = {"", "= 42 +- 1\n", "= b\n",
                            "= It sums the numbers from 1 to n\n= 50% *sum*\n", "= true\n"};

// 20 questions as an instructor writes a quiz: short questions, two of them a pool, the
// last in three parts (so 21 entries a session), with its answer key (which veritor
// passes over).
std::string examBody() {
  std::string body = "QUESTIONS\n";
  char line[256];
  for (int q = 1; q <= 20; ++q) {
    if (q == 7)
      body += "{\n";
    if (q == 20) {
      body += "20. Answer each part about the loop shown in class.\n";
      for (char part = 'a'; part <= 'c'; ++part) {
        snprintf(line, sizeof line, "   20.%c. (2 pts) Part %c: what does it print for n = %d?\n",
                 part, part, part - 'a' + 3);
        body += line;
        body += part == 'c' ? "" : "   = 42\n";
      }
      continue;
    }
    snprintf(line, sizeof line, "%d. (%d pts) Question %d: what does the code shown compute?\n",
             q, q % 3 + 1, q);
    body += line;
    body += Keys[q % 5];
    if (q == 8)
      body += "}\n";
  }
  return body;
}

const char* const Answers[] = {"42", "b", "O(n log n)", "It sums the numbers from 1 to n",
                               "true", "A linked list of the words", "-3",
                               "It prints the first n squares, one a line"};

// Three letters and three digits: a different identifier for each number below 17,576,000.
std::string identifierOf(int number) {
  char id[8];
  int letters = number / 1000;
  snprintf(id, sizeof id, "%c%c%c%03d", 'a' + letters / 676 % 26, 'a' + letters / 26 % 26,
           'a' + letters % 26, number % 1000);
  return id;
}

double seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

struct Run {
  double Seconds = 0;  // wall-clock time
  double Cpu = 0;      // user and system time of the command and everything it ran
  long PeakKilobytes = 0;
};

// Runs the command through the shell and waits for it alone, so that its own peak memory
// is known (the shell runs a single command in its own process, by exec).
Run timed(const std::string& command, bool mustSucceed = true) {
  const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
  auto start = std::chrono::steady_clock::now();
  pid_t child;
  if (posix_spawn(&child, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
    perror("report_bench: posix_spawn");
    exit(1);
  }
  int status = 0;
  struct rusage usage {};
  wait4(child, &status, 0, &usage);
  Run run;
  run.Seconds = seconds(std::chrono::steady_clock::now() - start);
  run.Cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
            usage.ru_stime.tv_usec / 1e6;
  run.PeakKilobytes = usage.ru_maxrss;
  if (mustSucceed && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) {
    fprintf(stderr, "report_bench: '%s' failed (status %d)\n", command.c_str(), status);
    exit(1);
  }
  return run;
}

// The medians of rounds runs, with the largest peak of them.
Run median(const std::string& command, int rounds) {
  std::vector<Run> runs;
  for (int i = 0; i < rounds; ++i)
    runs.push_back(timed(command));
  Run result;
  std::vector<double> wall, cpu;
  for (const Run& r : runs) {
    wall.push_back(r.Seconds);
    cpu.push_back(r.Cpu);
    result.PeakKilobytes = std::max(result.PeakKilobytes, r.PeakKilobytes);
  }
  std::sort(wall.begin(), wall.end());
  std::sort(cpu.begin(), cpu.end());
  result.Seconds = wall[wall.size() / 2];
  result.Cpu = cpu[cpu.size() / 2];
  return result;
}

uintmax_t sizeOf(const std::filesystem::path& path) {
  std::error_code error;
  uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}

}  // namespace

int main(int argc, char** argv) {
  const int students = argc > 1 ? atoi(argv[1]) : 100000;
  std::filesystem::path folder =
      argc > 2 ? std::filesystem::path(argv[2])
               : std::filesystem::path(VERITOR_BINARY_DIR) / "report-bench-files";
  if (students < 2) {
    fprintf(stderr, "usage: report_bench [FILES (at least 2) [FOLDER]]\n");
    return 2;
  }

  BenchPlatform bench;
  setPlatform(&bench);
  setUpKeyData(0, nullptr);
  State.PrimeTable = loadPrimeTable();
  setWindowView(WindowView::Off);

  // Two halves, so that the half class can be checked alone.
  std::filesystem::remove_all(folder);
  const std::filesystem::path halves[2] = {folder / "first", folder / "second"};
  for (const auto& half : halves)
    std::filesystem::create_directories(half);

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

  // Most students hand in once; every tenth identifier twice; and one identifier, shared
  // by a tenth of the class, stands for a login that a whole lab used.
  auto started = std::chrono::steady_clock::now();
  uintmax_t bytes = 0;
  std::vector<int> attempts(students, 0);
  for (int s = 0; s < students; ++s) {
    int number = s % 10 == 9 ? s / 10 * 10 : s;
    std::string id = s % 10 == 5 ? "lab001" : identifierOf(number);
    int attempt = s % 10 == 5 ? s / 10 : s % 10 == 9 ? 1 : 0;
    snprintf(State.StudentFullName, sizeof State.StudentFullName, "Student %06d, Pat", number);
    snprintf(State.StudentId, sizeof State.StudentId, "%s", id.c_str());
    uint8_t seed[38];
    memcpy(seed, State.StudentId, 6);
    sha256(seed + 6, Password, strlen(Password));
    sha256(State.ResultCipherState.Digest, seed, sizeof seed);
    State.LoadTime = bench.systemTimeUtc();

    // Each of the 20 entries answered and confirmed, one skipped now and then, and #done.
    std::string lines = "\n";
    // A seventh of the answers are the student's own, shared with the next student at
    // most: rare answers for the search for shared ones.
    for (int entry = 0; entry < 20; ++entry)
      lines += ((s + entry) % 7 == 3 ? "mine " + std::to_string(s / 2) : Answers[(s + entry) % 8]) +
               std::string("\ny\n");
    lines += "#done\ny\n\n";
    bench.script(lines, 3000 + static_cast<uint32_t>(s % 7) * 1500);  // under half the time
    loadExamText();
    State.OrderMode = s % 2 ? '+' : '-';

    char* memory = nullptr;
    size_t length = 0;
    FILE* stream = open_memstream(&memory, &length);
    char name[96];
    snprintf(name, sizeof name, "Bench2026_BN100_ClassZExam_%02d__XMC_%s_CompletedBy.xmc",
             attempt, State.StudentId);
    runExamSession(stream, name, static_cast<int8_t>(0xFE));
    fclose(stream);
    FILE* file = fopen((halves[s * 2 / students] / name).c_str(), "wb");
    if (!file || fwrite(memory, 1, length, file) != length || fclose(file) != 0) {
      fprintf(stderr, "report_bench: cannot write %s\n", name);
      return 1;
    }
    free(memory);
    bytes += length;
  }
  printf("made %d completed files (%.1f MB) in %.1f s\n", students, bytes / 1e6,
         seconds(std::chrono::steady_clock::now() - started));

  // The exam text with its key, and a roster of everyone but every hundredth student, with
  // a hundred who handed in nothing.
  const std::string examText = (folder / "exam.txt").string();
  const std::string roster = (folder / "roster.csv").string();
  {
    FILE* text = fopen(examText.c_str(), "wb");
    FILE* list = fopen(roster.c_str(), "wb");
    if (!text || !list) {
      fprintf(stderr, "report_bench: cannot write the exam text or the roster\n");
      return 1;
    }
    fprintf(text, "%s\n%s", Header, body.c_str());
    fprintf(list, "identifier,last name,first name\r\n");
    for (int s = 0; s < students + 100; ++s)
      if (s % 100 != 1)
        fprintf(list, "%s,Student %06d,Pat\r\n", identifierOf(s < students ? s : 20000000 - s).c_str(), s);
    fclose(text);
    fclose(list);
  }
  const std::string tool = std::string(VERITOR_BINARY_DIR) + "/veritor-author report --password " +
                           Password;
  auto outputs = [&](const char* tag) {
    std::string out = (folder / tag).string();
    return " --csv " + out + ".table.csv --answers " + out + ".answers.csv --html " + out +
           ".page.html > " + out + ".table.txt";
  };
  const std::string all = halves[0].string() + " " + halves[1].string();
  const std::string cat = "find " + all + " -name '*.xmc' -print0 | xargs -0 cat > /dev/null";
  const int rounds = 3;
  median(cat, 1);  // the files read once, so that every run finds them in the cache

  Run reference = median(cat, rounds);
  Run table = median(tool + " " + all + " > /dev/null", rounds);
  Run full = median(tool + outputs("all") + " " + all, rounds);
  Run half = median(tool + outputs("half") + " " + halves[0].string(), rounds);
  // Graded: scores, the answers sheet with its points, the gradebook, the item analysis,
  // the roster, the flags and the page.
  auto grading = [&](const char* tag) {
    std::string out = (folder / tag).string();
    return " --exam " + examText + " --roster " + roster + " --window 2026/01/01 2026/12/31 --grades " +
           out + ".grades.csv --items " + out + ".items.csv" + outputs(tag);
  };
  Run graded = median(tool + grading("graded") + " " + all, rounds);
  Run gradedHalf = median(tool + grading("gradedhalf") + " " + halves[0].string(), rounds);

  // The machine may be shared: the processor time of each command is the steadier measure.
  printf("medians of %d runs                             cpu (wall)\n", rounds);
  printf("cat of the %d files:                      %7.2f s (%.2f s)\n", students, reference.Cpu,
         reference.Seconds);
  printf("veritor-author report, table only:            %7.2f s (%.2f s), peak %6.1f MB\n",
         table.Cpu, table.Seconds, table.PeakKilobytes / 1024.0);
  printf("veritor-author report --csv --answers --html: %7.2f s (%.2f s), peak %6.1f MB\n",
         full.Cpu, full.Seconds, full.PeakKilobytes / 1024.0);
  printf("the same over the first half of the class:    %7.2f s (%.2f s), peak %6.1f MB\n",
         half.Cpu, half.Seconds, half.PeakKilobytes / 1024.0);
  printf("ratio report / cat: %.2f table only, %.2f with every output (wall: %.2f, %.2f; goal: at "
         "most 3.00)\n",
         table.Cpu / reference.Cpu, full.Cpu / reference.Cpu, table.Seconds / reference.Seconds,
         full.Seconds / reference.Seconds);
  printf("report --exam with every output:               %7.2f s (%.2f s), peak %6.1f MB\n",
         graded.Cpu, graded.Seconds, graded.PeakKilobytes / 1024.0);
  printf("ratio report --exam with every output / cat: %.2f (wall: %.2f; goal: at most 3.00)\n",
         graded.Cpu / reference.Cpu, graded.Seconds / reference.Seconds);
  printf("peak memory with every output: %.1f MB, graded %.1f MB (goal: under 200 MB)\n",
         full.PeakKilobytes / 1024.0, graded.PeakKilobytes / 1024.0);
  printf("graded, whole class / half class: time %.2f", graded.Cpu / gradedHalf.Cpu);
  for (const char* output : {"table.txt", "answers.csv", "grades.csv", "items.csv", "page.html"}) {
    uintmax_t whole = sizeOf(folder / (std::string("graded.") + output));
    uintmax_t part = sizeOf(folder / (std::string("gradedhalf.") + output));
    printf(", %s %.2f (%.1f MB)", output, part ? static_cast<double>(whole) / part : 0.0, whole / 1e6);
  }
  printf(" (linear: 2.00; the item analysis is one row a question)\n");
  printf("whole class / half class: time %.2f", full.Cpu / half.Cpu);
  for (const char* output : {"table.txt", "table.csv", "answers.csv", "page.html"}) {
    uintmax_t whole = sizeOf(folder / (std::string("all.") + output));
    uintmax_t part = sizeOf(folder / (std::string("half.") + output));
    printf(", %s %.2f (%.1f MB)", output, part ? static_cast<double>(whole) / part : 0.0, whole / 1e6);
  }
  printf(" (linear: 2.00)\n");
  std::filesystem::remove_all(folder);
  return 0;
}
