// The console side of the question window: choosing the view, opening and closing the
// window, and publishing texts to it.
#include "window/question_window.h"

#include <chrono>
#include <cstring>
#include <mutex>

#include "console/console.h"
#include "state/program_state.h"
#include "window/countdown.h"
#include "window/line_layout.h"
#include "window/published_text.h"
#include "window/question_window_run.h"
#include "window/window_colors.h"

namespace {

// All of these belong to the console thread.
bool g_viewChosen = false;
WindowView g_view = WindowView::Off;
QuestionWindowRun* g_run = nullptr;
std::function<std::unique_ptr<QuestionWindowBackend>()> g_makeBackend;

// Long enough for a slow display to answer; the session goes on if it does not.
constexpr auto StartWait = std::chrono::seconds(20);

WindowView chosenView() {
  if (!g_viewChosen) {
    g_view = graphicalDisplayAvailable() ? WindowView::Graphical : WindowView::Console;
    g_viewChosen = true;
  }
  return g_view;
}

// The console's nearest colour to the one chosen for the window's text.
int consoleAttributeOf(uint8_t colorChoice) {
  static const int attributes[8] = {15, 9, 10, 12, 11, 13, 14, 15};
  return attributes[colorChoice < 8 ? colorChoice : 7];
}

// The window's countdown row, in the console colour nearest its own.
void printCountdownLine() {
  Countdown countdown = formatSessionCountdown(platform().tickCount(), ColorGreen);
  setConsoleAttribute(ConsoleStream::Out, consoleAttributeOf(countdown.Color));
  consolePrintf(ConsoleStream::Out, "%s\n\n", countdown.Text);
  setConsoleAttribute(ConsoleStream::Out, DefaultAttribute);
}

}  // namespace

// The console view: the text laid out at the terminal's width, printed now. During an
// exam the texts published are questions, and a student without a window sees the time
// left only here, so each one comes under the countdown row as in the window.
void printQuestionOnConsole(const char* text, uint32_t length) {
  // The window thread prints here once, when the window system goes away under it.
  static std::mutex lock;
  std::lock_guard<std::mutex> hold(lock);
  if (State.SessionActive.load() == 1)
    printCountdownLine();
  static QuestionLayout layout;
  char copy[LayoutBufferSize];
  size_t size = strnlen(text, length < LayoutBufferSize - 1 ? length : LayoutBufferSize - 1);
  memcpy(copy, text, size);
  copy[size] = '\0';
  layoutQuestionText(copy, LineTableSize, platform().consoleColumns(), &layout);

  setConsoleAttribute(ConsoleStream::Out, consoleAttributeOf(State.ColorChoice.load()));
  char line[LayoutBufferSize + 2];
  for (int i = FirstTextLine; i < LineTableSize && layout.Lines[i].Text; ++i) {
    memcpy(line, layout.Lines[i].Text, layout.Lines[i].Length);
    line[layout.Lines[i].Length] = '\n';
    line[layout.Lines[i].Length + 1] = '\0';
    consoleWrite(ConsoleStream::Out, line);
  }
  setConsoleAttribute(ConsoleStream::Out, DefaultAttribute);
}

namespace {

// A window whose display went away is collected, and the console view takes over for
// the rest of the run: the window system cannot be had again.
void takeOverFromLostWindow() {
  if (!g_run || !g_run->DisplayLost.load(std::memory_order_acquire))
    return;
  g_run->WindowThread.join();
  delete g_run;
  g_run = nullptr;
  g_view = WindowView::Console;
  g_viewChosen = true;
}

}  // namespace

void setWindowView(WindowView view) {
  g_view = view;
  g_viewChosen = true;
}

WindowView windowView() {
  takeOverFromLostWindow();
  return chosenView();
}

void openQuestionWindow() {
  takeOverFromLostWindow();
  if (g_run) {
    if (questionWindowOpen())
      return;
    closeQuestionWindow();  // ended by itself (Escape): collect its thread first
  }
  if (chosenView() != WindowView::Graphical)
    return;
  platform();  // settles the backend before the window thread reads the clock

  auto* run = new QuestionWindowRun;
  run->Backend = g_makeBackend ? g_makeBackend() : makeQuestionWindowBackend();
  run->WindowThread = std::thread(runQuestionWindowThread, run);
  QuestionWindowRun::Start outcome;
  {
    std::unique_lock<std::mutex> lock(run->Lock);
    run->Changed.wait_for(lock, StartWait,
                          [run] { return run->Started != QuestionWindowRun::Start::Pending; });
    outcome = run->Started;
  }
  if (outcome == QuestionWindowRun::Start::ClassFailed ||
      outcome == QuestionWindowRun::Start::WindowFailed) {
    run->WindowThread.join();
    delete run;
    // Said here on the console thread, which owns the keyboard, rather than by the
    // window thread while the session reads answers.
    showMessageAndWait(outcome == QuestionWindowRun::Start::ClassFailed
                           ? "Error! Failed to Register Window Class for questions.\n\n"
                           : "Error! Failed to Create Window for questions.\n\n",
                       15);
    return;
  }
  g_run = run;
}

void closeQuestionWindow() {
  takeOverFromLostWindow();
  if (!g_run)
    return;
  g_run->StopRequested.store(true, std::memory_order_release);
  g_run->Backend->wake(WakeStop);
  g_run->WindowThread.join();
  delete g_run;
  g_run = nullptr;
}

bool questionWindowOpen() {
  if (!g_run)
    return false;
  std::lock_guard<std::mutex> lock(g_run->Lock);
  return g_run->Started == QuestionWindowRun::Start::Open && !g_run->Ended;
}

void printCountdownInConsoleView() {
  takeOverFromLostWindow();
  if (chosenView() == WindowView::Console && State.SessionActive.load() == 1)
    printCountdownLine();
}

void publishQuestionText(uint32_t length) {
  takeOverFromLostWindow();
  storePublishedText(State.QuestionText, length);
  if (g_run && g_run->DisplayLost.load(std::memory_order_acquire)) {
    // Lost while the text was handed over: the window thread may have printed it as it
    // ended; if it had already ended, the text is still waiting here.
    takeOverFromLostWindow();
    char waiting[LayoutBufferSize];
    uint64_t serial = 0;
    if (takePublishedText(waiting, &serial))
      printQuestionOnConsole(waiting, LayoutBufferSize - 1);
    return;
  }
  if (g_run)
    wakeWindowNow(g_run);
  else if (chosenView() == WindowView::Console)
    printQuestionOnConsole(State.QuestionText, length);
}

void refreshQuestionWindow() {
  takeOverFromLostWindow();
  if (g_run)
    wakeWindowNow(g_run);
}

// ---- Test hooks ---------------------------------------------------------------------------

void setQuestionWindowBackendFactory(std::function<std::unique_ptr<QuestionWindowBackend>()> make) {
  g_makeBackend = std::move(make);
}

QuestionWindowBackend* questionWindowBackend() { return g_run ? g_run->Backend.get() : nullptr; }

namespace {
template <typename Done>
bool waitFor(int timeoutMs, Done done) {
  if (!g_run)
    return false;
  std::unique_lock<std::mutex> lock(g_run->Lock);
  return g_run->Changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), done);
}
}  // namespace

bool captureQuestionWindowFrame(WindowFrame* frame, int timeoutMs) {
  if (!g_run)
    return false;
  {
    std::lock_guard<std::mutex> lock(g_run->Lock);
    g_run->CaptureDone = false;
  }
  g_run->CaptureWanted.store(true, std::memory_order_release);
  wakeWindowNow(g_run);
  if (!waitFor(timeoutMs, [] { return g_run->CaptureDone || g_run->Ended; }))
    return false;
  std::lock_guard<std::mutex> lock(g_run->Lock);
  if (!g_run->CaptureDone)
    return false;
  *frame = std::move(g_run->Captured);
  return true;
}

bool syncQuestionWindow(int timeoutMs) {
  if (!g_run)
    return false;
  uint64_t wanted = g_run->SyncWanted.fetch_add(1) + 1;
  g_run->Backend->wake(WakeSync);
  return waitFor(timeoutMs, [wanted] { return g_run->SyncDone >= wanted || g_run->Ended; }) &&
         !g_run->Ended;
}

bool waitForQuestionTextDrawn(int timeoutMs) {
  uint64_t wanted = publishedTextSerial();
  return waitFor(timeoutMs, [wanted] { return g_run->DrawnSerial >= wanted; });
}

bool waitForQuestionWindowEnd(int timeoutMs) {
  return waitFor(timeoutMs, [] { return g_run->Ended; });
}

uint64_t questionWindowTimerPeriods() { return g_run ? g_run->TimerPeriods.load() : 0; }
