// The window thread and the timer thread of the question window.
//
// The window thread owns everything it draws from: the laid-out text, the countdown and
// the cell size. It lays out only on its own thread (when it is woken for new text, on a
// resize and on a zoom), so a layout never runs during a drawing or beside another
// layout. A text handed over wakes the window at once; the timer thread sleeps until
// the countdown's next second and wakes the window only when the countdown then reads
// differently, which redraws the countdown's row alone.
//
// The window's place, its client area and the font cells are lengths for a 96-DPI
// screen, scaled by the DPI of the monitor the window is on (State.WindowDpi): at 150 %
// the window is 1440 x 960 with cells of 18 x 30, and lays out the same 80 columns and
// 32 rows as 960 x 640 with cells of 12 x 20 at 100 %.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>

#include "platform/dpi_scale.h"
#include "platform/platform.h"
#include "state/program_state.h"
#include "state/session_clock.h"
#include "window/countdown.h"
#include "window/line_layout.h"
#include "window/published_text.h"
#include "window/question_window_run.h"
#include "window/window_colors.h"

namespace {

// The timer wakes this long after the countdown's second, so that a clock read a little
// early still shows the new second.
constexpr int TimerSlackMs = 1;
constexpr int SeparatorLength = 40;
// The countdown row and the separator row under it.
constexpr int CountdownRows = 2;

struct Screen {
  QuestionLayout Layout;
  char ShownText[LayoutBufferSize] = {};
  uint64_t ShownSerial = 0;
  ShownCountdown Timer;
  uint8_t DrawnColorChoice = 0;
  bool ControlKeyDown = false;
  // Everything is to be drawn again: a new text, layout or colour.
  bool Dirty = true;
  // Rows from the top to draw again for the countdown: 1 for a new time, 2 when its
  // colour, which the separator shares, moved on.
  int CountdownRowsDirty = 0;
  // The window system wants the window drawn again (uncovered or resized); done once the
  // events already waiting are handled, so a stream of resizes makes one drawing.
  bool PaintWanted = false;
};

// The cell of the font size in use, in pixels of the window's monitor: the table's
// cells are for 96 DPI.
CellSize currentCell() {
  int index = std::min<int>(State.FontIndex.load(std::memory_order_relaxed), FontSizeCount - 1);
  int dpi = State.WindowDpi.load(std::memory_order_relaxed);
  return CellSize{scaleToDpi(FontSizeTable[index].Width, dpi),
                  scaleToDpi(FontSizeTable[index].Height, dpi)};
}

uint16_t clampedLength(int pixels) { return static_cast<uint16_t>(std::clamp(pixels, 0, 65535)); }

// The window's sizes from now on are for a monitor of dpi: the client area kept from
// before keeps its size in 96-DPI units.
void adoptDpi(int dpi) {
  int was = State.WindowDpi.load(std::memory_order_relaxed);
  if (dpi <= 0 || dpi == was)
    return;
  State.ClientWidth.store(clampedLength(scaleBetweenDpi(State.ClientWidth.load(), was, dpi)),
                          std::memory_order_relaxed);
  State.ClientHeight.store(clampedLength(scaleBetweenDpi(State.ClientHeight.load(), was, dpi)),
                           std::memory_order_relaxed);
  State.WindowDpi.store(clampedLength(dpi), std::memory_order_relaxed);
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

// The first count of the countdown's rows: the countdown, then the separator under it.
void drawCountdownRows(QuestionWindowBackend& backend, const Screen& screen, int count,
                       int columns, int rows, CellSize cell) {
  const Countdown& timer = screen.Timer.Shown;
  RgbColor timerColor = ColorTable[timer.Color];
  if (rows > 0 && count > 0)
    drawRow(backend, 0, timer.Text, static_cast<int>(strlen(timer.Text)), columns, cell,
            timerColor);
  if (rows > 1 && count > 1) {
    char separator[SeparatorLength];
    memset(separator, '-', sizeof separator);
    drawRow(backend, 1, separator, SeparatorLength, columns, cell, timerColor);
  }
}

// Hands a frame drawn so far to a test waiting for it, then shows it.
void finishFrame(QuestionWindowRun* run, const Screen& screen, bool capture) {
  QuestionWindowBackend& backend = *run->Backend;
  if (capture) {
    WindowFrame frame;
    backend.readFrame(&frame.Pixels, &frame.Width, &frame.Height);
    frame.Title = backend.title();
    frame.Text = screen.ShownText;
    frame.TimerPeriod = run->TimerPeriods.load(std::memory_order_relaxed);
    {
      std::lock_guard<std::mutex> lock(run->Lock);
      run->Captured = std::move(frame);
      run->CaptureDone = true;
      run->CaptureWanted.store(false, std::memory_order_relaxed);
    }
    run->Changed.notify_all();
  }
  backend.endFrame();
}

// The whole window. capture: a test waits for this frame.
void draw(QuestionWindowRun* run, Screen& screen, bool capture) {
  QuestionWindowBackend& backend = *run->Backend;
  CellSize cell = currentCell();
  int columns = State.ClientWidth.load(std::memory_order_relaxed) / cell.Width;
  int rows = std::min(State.ClientHeight.load(std::memory_order_relaxed) / cell.Height, LineTableSize);
  uint8_t choice = State.ColorChoice.load(std::memory_order_relaxed);

  backend.beginFrame();
  drawCountdownRows(backend, screen, CountdownRows, columns, rows, cell);
  for (int row = FirstTextLine; row < rows; ++row) {
    const LayoutLine& line = screen.Layout.Lines[row];
    if (line.Text)
      drawRow(backend, row, line.Text, line.Length, columns, cell, textColor(choice));
  }
  finishFrame(run, screen, capture);

  screen.Dirty = false;
  screen.CountdownRowsDirty = 0;
  screen.PaintWanted = false;
  screen.DrawnColorChoice = choice;
  {
    std::lock_guard<std::mutex> lock(run->Lock);
    run->DrawnSerial = screen.ShownSerial;
  }
  run->Changed.notify_all();
}

// The countdown rows alone, over the frame the window shows; the whole window when the
// backend has no frame to keep.
void drawCountdown(QuestionWindowRun* run, Screen& screen, bool capture) {
  QuestionWindowBackend& backend = *run->Backend;
  CellSize cell = currentCell();
  int columns = State.ClientWidth.load(std::memory_order_relaxed) / cell.Width;
  int rows = std::min(State.ClientHeight.load(std::memory_order_relaxed) / cell.Height, LineTableSize);
  if (!backend.beginBand(0, screen.CountdownRowsDirty * cell.Height)) {
    draw(run, screen, capture);
    return;
  }
  drawCountdownRows(backend, screen, screen.CountdownRowsDirty, columns, rows, cell);
  finishFrame(run, screen, capture);
  screen.CountdownRowsDirty = 0;
}

// A pass over what the window shows: take newly published text, bring the countdown to
// the clock, and draw what changed. A new text or colour, or a resize or an uncovering
// still waiting, draws everything; a countdown that reads differently only its rows; an
// unchanged screen is not drawn again.
void windowPass(QuestionWindowRun* run, Screen& screen) {
  // Asked for before this pass looked at the clock and the text, so the captured frame
  // shows what the asker had set up.
  bool capture = run->CaptureWanted.load(std::memory_order_acquire);
  uint64_t serial = 0;
  if (takePublishedText(screen.ShownText, &serial)) {
    screen.ShownSerial = serial;
    relayout(screen);
  }
  switch (advanceSessionCountdown(&screen.Timer, platform().tickCount())) {
    case CountdownChange::Color:
      screen.CountdownRowsDirty = CountdownRows;
      break;
    case CountdownChange::Text:
      screen.CountdownRowsDirty = std::max(screen.CountdownRowsDirty, 1);
      break;
    case CountdownChange::None:
      break;
  }
  if (State.ColorChoice.load(std::memory_order_relaxed) != screen.DrawnColorChoice)
    screen.Dirty = true;
  if (screen.Dirty || screen.PaintWanted || (capture && screen.CountdownRowsDirty == 0))
    draw(run, screen, capture);
  else if (screen.CountdownRowsDirty > 0)
    drawCountdown(run, screen, capture);
}

// Acts on one event; false when the window is to close (Escape in the colour preview).
bool handleEvent(QuestionWindowRun* run, Screen& screen, const WindowEvent& event) {
  using Kind = WindowEvent::Kind;
  switch (event.Type) {
    case Kind::Wake:
      if (event.Code == WakeTimer) {
        run->TickQueued.store(false, std::memory_order_relaxed);
        windowPass(run, screen);
      } else if (event.Code == WakeNow) {
        // Taken before the pass looks: whatever is handed over after this wakes the
        // window again, and whatever came before it this pass sees.
        run->NowQueued.exchange(false, std::memory_order_acq_rel);
        windowPass(run, screen);
      } else if (event.Code == WakeSync) {
        {
          std::lock_guard<std::mutex> lock(run->Lock);
          run->SyncDone = run->SyncWanted.load(std::memory_order_relaxed);
        }
        run->Changed.notify_all();
      }
      return true;
    case Kind::Resized:
      State.ClientWidth.store(clampedLength(event.Width), std::memory_order_relaxed);
      State.ClientHeight.store(clampedLength(event.Height), std::memory_order_relaxed);
      relayout(screen);
      screen.PaintWanted = true;
      return true;
    case Kind::DpiChanged:
      // The cells take the new monitor's scale now; the client area's new size comes
      // with the Resized the backend's own resize sends.
      if (event.Dpi > 0) {
        State.WindowDpi.store(clampedLength(event.Dpi), std::memory_order_relaxed);
        relayout(screen);
        screen.PaintWanted = true;
      }
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

// Whether the window has something new to show at this tick: the countdown reads
// differently, or a colour was chosen without the window being told. Texts are handed
// over with a wake of their own.
bool windowPassDue(uint32_t nowTick, ShownCountdown* timer, uint8_t* colorChoice) {
  bool due = advanceSessionCountdown(timer, nowTick) != CountdownChange::None;
  uint8_t choice = State.ColorChoice.load(std::memory_order_relaxed);
  if (choice != *colorChoice) {
    *colorChoice = choice;
    due = true;
  }
  return due;
}

// The countdown changes only on the second: the timer sleeps until then, and a question
// that sits still costs the window one small drawing a second.
void runTimerThread(QuestionWindowRun* run) {
  ShownCountdown timer;
  uint8_t colorChoice = 0;
  std::unique_lock<std::mutex> lock(run->TimerLock);
  while (!run->TimerStop) {
    run->TimerPeriods.fetch_add(1, std::memory_order_relaxed);
    uint32_t now = platform().tickCount();
    if (windowPassDue(now, &timer, &colorChoice) &&
        !run->TickQueued.exchange(true, std::memory_order_relaxed)) {
      lock.unlock();
      if (!run->Backend->wake(WakeTimer))
        run->TickQueued.store(false, std::memory_order_relaxed);
      lock.lock();
    }
    auto untilNextSecond = std::chrono::milliseconds(msToNextSessionSecond(now) + TimerSlackMs);
    run->TimerWake.wait_for(lock, untilNextSecond, [run] { return run->TimerStop; });
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
  // At the place and the size it last had, in 96-DPI units, on the monitor it opens on.
  int dpi = backend.dpi();
  adoptDpi(dpi);
  int corner = scaleToDpi(50, State.WindowDpi.load(std::memory_order_relaxed));
  if (!backend.create("QUESTION", corner, corner, State.ClientWidth.load(), State.ClientHeight.load())) {
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
