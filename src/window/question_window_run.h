// One run of the question window: its threads and what they share with the console
// side. Internal to the window module.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/window_backend.h"
#include "window/question_window_testing.h"

// Why the window thread is woken.
enum WakeCode {
  WakeTimer = 1,  // the countdown reads differently: draw its row again
  WakeStop = 2,   // the console side closes the window
  WakeSync = 3,   // a test waits for the events it injected
  WakeNow = 4,    // the console side handed over a text, a colour or a started clock,
                  // or a test wants a frame: look at them at once
};

struct QuestionWindowRun {
  enum class Start { Pending, Open, ClassFailed, WindowFailed };

  std::unique_ptr<QuestionWindowBackend> Backend;
  std::thread WindowThread;
  std::atomic<bool> StopRequested{false};
  // The window system went away under the window: the console view takes over.
  std::atomic<bool> DisplayLost{false};
  // A wake of each kind is waiting for the window: more of the same are not sent, so a
  // busy window catches up with one pass instead of a backlog.
  std::atomic<bool> TickQueued{false};
  std::atomic<bool> NowQueued{false};
  std::atomic<uint64_t> TimerPeriods{0};
  std::atomic<bool> CaptureWanted{false};
  std::atomic<uint64_t> SyncWanted{0};

  // The timer thread's sleep, cut short when the window ends.
  std::mutex TimerLock;
  std::condition_variable TimerWake;
  bool TimerStop = false;

  // What the console side and the test hooks wait for.
  std::mutex Lock;
  std::condition_variable Changed;
  Start Started = Start::Pending;
  bool Ended = false;
  uint64_t DrawnSerial = 0;
  uint64_t SyncDone = 0;
  bool CaptureDone = false;
  WindowFrame Captured;
};

// Has the window make a pass now over what the console side handed over. Called after
// the hand-over: the window's taking of the flag orders it after what was handed over.
inline void wakeWindowNow(QuestionWindowRun* run) {
  if (!run->NowQueued.exchange(true, std::memory_order_acq_rel) && !run->Backend->wake(WakeNow))
    run->NowQueued.store(false, std::memory_order_release);
}

// The console view: prints the text laid out at the terminal's width, in the console
// colour nearest the chosen text colour. Callable from any thread.
void printQuestionOnConsole(const char* text, uint32_t length);

// The window thread's body: makes the window, starts the timer thread, handles events
// until the window is closed, then stops the timer and closes the window.
void runQuestionWindowThread(QuestionWindowRun* run);
