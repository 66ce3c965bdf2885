// What the question window costs while a student reads a full-screen question, and how
// soon a published text is on screen.
//
// Run on a display (xvfb-run works): build/bench/window_bench
// Goals: an idle exam window (a countdown running over a full-screen question) under
// 0.1 per cent of one core for the window and timer threads; publish to drawing under
// 20 ms at the 95th percentile.
//
// The reference, measured in the same run: the same window made to draw itself whole at
// every second of the countdown (a colour change each second), which is what each tick
// would cost if it redrew the question with the countdown's row.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "state/program_state.h"
#include "window/question_window.h"
#include "window/question_window_testing.h"

namespace {

using Clock = std::chrono::steady_clock;

double cpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

void publish(const std::string& text) {
  snprintf(State.QuestionText, sizeof State.QuestionText, "%s", text.c_str());
  publishQuestionText(static_cast<uint32_t>(strlen(State.QuestionText)));
}

// About 30 rows of 80 columns: the window at its first size is full.
std::string fullScreenQuestion(int variant) {
  std::string text = "--->  Questions Answered #3 of 20\n\n04. ( 10.0 pts) ";
  const char* words[] = {"Explain", "why", "the", "(quoted groups)", "stay", "together,", "and",
                         "\"what happens\"", "to", "[a bracketed list]", "when", "{braces}",
                         "meet", "the", "end", "of", "a", "line."};
  for (int i = 0; text.size() < 2300; ++i) {
    text += words[(i + variant) % (sizeof words / sizeof *words)];
    text += ' ';
  }
  return text;
}

double measureCpu(double seconds, bool wholeEverySecond) {
  double before = cpuSeconds();
  Clock::time_point end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(seconds));
  uint8_t colour = 6;
  while (Clock::now() < end) {
    if (wholeEverySecond) {
      colour = colour == 6 ? 7 : 6;
      State.ColorChoice = colour;
      refreshQuestionWindow();
      std::this_thread::sleep_for(std::chrono::seconds(1));
    } else {
      std::this_thread::sleep_until(end);
    }
  }
  return cpuSeconds() - before;
}

const char* verdict(bool met) { return met ? "met" : "NOT MET"; }

}  // namespace

int main() {
  if (windowView() != WindowView::Graphical) {
    fprintf(stderr, "window_bench: no graphical display (run it under xvfb-run)\n");
    return 1;
  }
  State.SessionActive = 1;
  State.TimeLimitSeconds = 3600;
  State.Warn90Seconds = 3240;
  uint32_t start = platform().tickCount();
  State.SessionStartTick = start;
  State.SessionStartSeconds = start / 1000;

  publish(fullScreenQuestion(0));
  openQuestionWindow();
  if (!questionWindowOpen() || !waitForQuestionTextDrawn(10000)) {
    fprintf(stderr, "window_bench: the window did not open\n");
    return 1;
  }

  const double seconds = 10.0;
  const double idleGoalPercent = 0.1;
  const double latencyGoalMs = 20.0;
  double steady = measureCpu(seconds, false);
  double redrawing = measureCpu(seconds, true);
  double idlePercent = steady / seconds * 100;
  printf("exam screen, full-screen question, %.0f s:\n", seconds);
  printf("  window + timer threads: %.1f ms CPU = %.3f%% of one core (goal < %.1f%%: %s)\n",
         steady * 1000, idlePercent, idleGoalPercent, verdict(idlePercent < idleGoalPercent));
  printf("  reference, whole window drawn every second: %.1f ms CPU = %.3f%% of one core "
         "(ratio %.2f)\n",
         redrawing * 1000, redrawing / seconds * 100, redrawing > 0 ? steady / redrawing : 0.0);

  // At random moments of the countdown's second, so that some texts meet a tick.
  std::mt19937 random(7);
  std::vector<double> latencies;
  for (int i = 1; i <= 60; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(random() % 1000));
    Clock::time_point published = Clock::now();
    publish(fullScreenQuestion(i));
    if (!waitForQuestionTextDrawn(10000)) {
      fprintf(stderr, "window_bench: text %d never drawn\n", i);
      return 1;
    }
    latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - published).count());
  }
  std::sort(latencies.begin(), latencies.end());
  double sum = 0;
  for (double value : latencies)
    sum += value;
  double p95 = latencies[latencies.size() * 95 / 100];
  printf("publish to drawing, %zu texts at random times:\n", latencies.size());
  printf("  mean %.1f ms, median %.1f ms, 95th percentile %.1f ms, max %.1f ms\n",
         sum / latencies.size(), latencies[latencies.size() / 2], p95, latencies.back());
  printf("  95th percentile %.1f ms (goal < %.0f ms: %s)\n", p95, latencyGoalMs,
         verdict(p95 < latencyGoalMs));
  closeQuestionWindow();
  return 0;
}
