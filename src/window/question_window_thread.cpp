// The window thread and the timer thread of the question window.
//
// The window thread owns everything it draws from: the laid-out text, the countdown and
// the cell size. It lays out only on its own thread (when the timer tells it that new
// text is pending, on a resize and on a zoom), so a layout never runs during a drawing
// or beside another layout. The timer thread looks every 80 ms and wakes the window
// when its screen would change.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>

#include "platform/platform.h"
#include "state/program_state.h"
#include "window/countdown.h"
#include "window/line_layout.h"
#include "window/published_text.h"
#include "window/question_window_run.h"
#include "window/window_colors.h"

namespace {

constexpr int TimerPeriodMs = 80;
constexpr int SeparatorLength = 40;

struct Screen {
  QuestionLayout Layout;
  char ShownText[LayoutBufferSize] = {};
  uint64_t ShownSerial = 0;
  Countdown Timer = {{}, ColorGreen};
  uint8_t DrawnColorChoice = 0;
  bool ControlKeyDown = false;
  bool Dirty = true;
  // The window system wants the window drawn again (uncovered or resized); done once the
  // events already waiting are handled, so a stream of resizes makes one drawing.
  bool PaintWanted = false;
};

CellSize currentCell() {
  int index = std::min<int>(State.FontIndex.load(std::memory_order_relaxed), FontSizeCount - 1);
  return FontSizeTable[index];
}

RgbColor textColor(uint8_t choice) {
  return ColorTable[choice >= ColorBlue && choice <= ColorWhite ? choice : ColorWhite];
}

void relayout(Screen& screen) {
  CellSize cell = currentCell();
  int columns = State.ClientWidth.load(std::memory_order_relaxed) / cell.Width;
  int rows = State.ClientHeight.load(std::memory_order_relaxed) / cell.Height;
  layoutQuestionText(screen.ShownText, rows, columns, &screen.Layout);
  screen.Dirty = true;
}

void zoom(Screen& screen, int step) {
  int index = State.FontIndex.load(std::memory_order_relaxed) + step;
  State.FontIndex.store(static_cast<uint8_t>(std::clamp(index, 0, FontSizeCount - 1)),
                        std::memory_order_relaxed);
  relayout(screen);
  // The timer wakes the window only when the countdown or the text changes, which in the
  // colour preview is never: the new size is drawn as soon as the keys are handled.
  screen.PaintWanted = true;
}

void drawRow(QuestionWindowBackend& backend, int row, const char* text, int length, int columns,
             CellSize cell, RgbColor color) {
  backend.drawCells(cell.Width / 2, row * cell.Height, text, std::min(length, columns), cell.Width,
                    cell.Height, color.Red, color.Green, color.Blue);
}

// capture: a test waits for this frame.
void draw(QuestionWindowRun* run, Screen& screen, bool capture) {
  QuestionWindowBackend& backend = *run->Backend;
  CellSize cell = currentCell();
  int columns = State.ClientWidth.load(std::memory_order_relaxed) / cell.Width;
  int rows = std::min(State.ClientHeight.load(std::memory_order_relaxed) / cell.Height, LineTableSize);
  uint8_t choice = State.ColorChoice.load(std::memory_order_relaxed);

  backend.beginFrame();
  RgbColor timerColor = ColorTable[screen.Timer.Color];
  if (rows > 0)
    drawRow(backend, 0, screen.Timer.Text, static_cast<int>(strlen(screen.Timer.Text)), columns,
            cell, timerColor);
  if (rows > 1) {
    char separator[SeparatorLength];
    memset(separator, '-', sizeof separator);
    drawRow(backend, 1, separator, SeparatorLength, columns, cell, timerColor);
  }
  for (int row = FirstTextLine; row < rows; ++row) {
    const LayoutLine& line = screen.Layout.Lines[row];
    if (line.Text)
      drawRow(backend, row, line.Text, line.Length, columns, cell, textColor(choice));
  }

  if (capture) {
    WindowFrame frame;
    backend.readFrame(&frame.Pixels, &frame.Width, &frame.Height);
    frame.Title = backend.title();
    frame.Text = screen.ShownText;
    frame.TimerPeriod = run->TimerPeriods.load(std::memory_order_relaxed);
    std::lock_guard<std::mutex> lock(run->Lock);
    run->Captured = std::move(frame);
    run->CaptureDone = true;
    run->CaptureWanted.store(false, std::memory_order_relaxed);
  }
  backend.endFrame();

  screen.Dirty = false;
  screen.PaintWanted = false;
  screen.DrawnColorChoice = choice;
  {
    std::lock_guard<std::mutex> lock(run->Lock);
    run->DrawnSerial = screen.ShownSerial;
  }
  run->Changed.notify_all();
}

// A timer pass: take newly published text, update the countdown, and draw when
// anything on screen has changed. An unchanged screen is not drawn again.
void timerPass(QuestionWindowRun* run, Screen& screen) {
  // Asked for before this pass looked at the clock and the text, so the captured frame
  // shows what the asker had set up.
  bool capture = run->CaptureWanted.load(std::memory_order_acquire);
  uint64_t serial = 0;
  if (takePublishedText(screen.ShownText, &serial)) {
    screen.ShownSerial = serial;
    relayout(screen);
  }
  Countdown timer = formatSessionCountdown(platform().tickCount(), screen.Timer.Color);
  if (timer.Color != screen.Timer.Color || strcmp(timer.Text, screen.Timer.Text) != 0) {
    screen.Timer = timer;
    screen.Dirty = true;
  }
  if (State.ColorChoice.load(std::memory_order_relaxed) != screen.DrawnColorChoice)
    screen.Dirty = true;
  if (screen.Dirty || capture)
    draw(run, screen, capture);
}

// Acts on one event; false when the window is to close (Escape in the colour preview).
bool handleEvent(QuestionWindowRun* run, Screen& screen, const WindowEvent& event) {
  using Kind = WindowEvent::Kind;
  switch (event.Type) {
    case Kind::Wake:
      if (event.Code == WakeTimer) {
        run->TickQueued.store(false, std::memory_order_relaxed);
        timerPass(run, screen);
      } else if (event.Code == WakeSync) {
        {
          std::lock_guard<std::mutex> lock(run->Lock);
          run->SyncDone = run->SyncWanted.load(std::memory_order_relaxed);
        }
        run->Changed.notify_all();
      }
      return true;
    case Kind::Resized:
      State.ClientWidth.store(static_cast<uint16_t>(std::clamp(event.Width, 0, 65535)),
                              std::memory_order_relaxed);
      State.ClientHeight.store(static_cast<uint16_t>(std::clamp(event.Height, 0, 65535)),
                               std::memory_order_relaxed);
      relayout(screen);
      screen.PaintWanted = true;
      return true;
    case Kind::Exposed:
      screen.PaintWanted = true;
      return true;
    case Kind::FocusLost:
      screen.ControlKeyDown = false;
      return true;
    case Kind::KeyUp:
      if (event.Key == WindowKey::Control)
        screen.ControlKeyDown = false;
      return true;
    case Kind::KeyDown: {
      int index = State.FontIndex.load(std::memory_order_relaxed);
      switch (event.Key) {
        case WindowKey::Control:
          screen.ControlKeyDown = true;
          break;
        case WindowKey::Escape:
          // During an exam the student cannot put the question away.
          if (State.SessionActive.load(std::memory_order_relaxed) == 0)
            return false;
          break;
        case WindowKey::Plus:
          if (screen.ControlKeyDown && index < FontSizeCount - 1)
            zoom(screen, +1);
          break;
        case WindowKey::Minus:
          if (screen.ControlKeyDown && index > 0)
            zoom(screen, -1);
          break;
        default:
          break;
      }
      return true;
    }
    case Kind::Wheel: {
      if (!event.OnlyControlHeld)
        return true;
      int index = State.FontIndex.load(std::memory_order_relaxed);
      if (event.WheelSteps == 1 && index < FontSizeCount - 1)
        zoom(screen, +1);
      else if (event.WheelSteps == -1 && index > 0)
        zoom(screen, -1);
      else
        relayout(screen);
      return true;
    }
    default:
      return true;
  }
}

// Whether a timer period has anything for the window: new text, a countdown that reads
// differently, another colour, or a test waiting for a frame. A question that sits still
// wakes the window once a second, for the countdown, instead of at every period.
bool windowPassDue(QuestionWindowRun* run, Countdown* timer, uint8_t* colorChoice) {
  bool due = State.PendingTextLength.load(std::memory_order_acquire) != 0 ||
             run->CaptureWanted.load(std::memory_order_acquire);
  Countdown now = formatSessionCountdown(platform().tickCount(), timer->Color);
  if (now.Color != timer->Color || strcmp(now.Text, timer->Text) != 0) {
    *timer = now;
    due = true;
  }
  uint8_t choice = State.ColorChoice.load(std::memory_order_relaxed);
  if (choice != *colorChoice) {
    *colorChoice = choice;
    due = true;
  }
  return due;
}

void runTimerThread(QuestionWindowRun* run) {
  Countdown timer = {{}, ColorGreen};
  uint8_t colorChoice = 0;
  std::unique_lock<std::mutex> lock(run->TimerLock);
  while (!run->TimerStop) {
    run->TimerPeriods.fetch_add(1, std::memory_order_relaxed);
    // A pass the window has not handled yet is not queued twice: a busy window catches
    // up with one pass instead of a backlog.
    if (windowPassDue(run, &timer, &colorChoice) &&
        !run->TickQueued.exchange(true, std::memory_order_relaxed)) {
      lock.unlock();
      if (!run->Backend->wake(WakeTimer))
        run->TickQueued.store(false, std::memory_order_relaxed);
      lock.lock();
    }
    run->TimerWake.wait_for(lock, std::chrono::milliseconds(TimerPeriodMs),
                            [run] { return run->TimerStop; });
  }
  run->Backend->threadDone();
}

void reportStart(QuestionWindowRun* run, QuestionWindowRun::Start outcome) {
  {
    std::lock_guard<std::mutex> lock(run->Lock);
    run->Started = outcome;
  }
  run->Changed.notify_all();
}

}  // namespace

void runQuestionWindowThread(QuestionWindowRun* run) {
  QuestionWindowBackend& backend = *run->Backend;
  if (!backend.prepare()) {
    backend.destroy();
    backend.threadDone();
    reportStart(run, QuestionWindowRun::Start::ClassFailed);
    return;
  }
  State.ClassRegistered.store(1, std::memory_order_relaxed);
  if (!backend.create("QUESTION", 50, 50, State.ClientWidth.load(), State.ClientHeight.load())) {
    backend.destroy();
    backend.threadDone();
    reportStart(run, QuestionWindowRun::Start::WindowFailed);
    return;
  }

  auto screen = std::make_unique<Screen>();
  relayout(*screen);
  std::thread timer(runTimerThread, run);
  reportStart(run, QuestionWindowRun::Start::Open);

  while (!run->StopRequested.load(std::memory_order_acquire)) {
    WindowEvent event;
    // A drawing put off until the queue is empty must not also wait for the next event:
    // the queue may hold only events the window ignores.
    if (backend.waitEvent(&event, screen->PaintWanted ? 0 : 1000) &&
        !handleEvent(run, *screen, event))
      break;
    if (backend.lost()) {
      run->DisplayLost.store(true, std::memory_order_release);
      break;
    }
    if (screen->PaintWanted && !backend.eventsPending())
      draw(run, *screen, false);
  }

  {
    std::lock_guard<std::mutex> lock(run->TimerLock);
    run->TimerStop = true;
  }
  run->TimerWake.notify_all();
  timer.join();
  backend.destroy();
  backend.threadDone();
  // The student is answering the question the window showed, or the one handed to it
  // since: it goes on in the console.
  if (run->DisplayLost.load(std::memory_order_relaxed)) {
    uint64_t serial = 0;
    takePublishedText(screen->ShownText, &serial);
    printQuestionOnConsole(screen->ShownText, LayoutBufferSize - 1);
  }
  {
    std::lock_guard<std::mutex> lock(run->Lock);
    run->Ended = true;
  }
  run->Changed.notify_all();
}
