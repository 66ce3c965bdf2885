// A window backend for tests that wraps the real one and logs the frames the window
// finishes: how many, whether each was the whole window or a band of it, and which rows
// it drew. It can also drop the timer's wakes, to show what happens without them.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "window/question_window_run.h"
#include "window/window_test_support.h"

struct LoggedFrame {
  bool Band = false;     // a band of the window, drawn over the frame before
  int BandY = 0;
  int BandHeight = 0;
  int CellWidth = 0;
  std::vector<int> RowsY;  // the y of every row drawn, in order
  bool Read = false;       // its pixels were read: the frame a test captured
};

struct FrameLog {
  std::mutex Lock;
  std::condition_variable Changed;
  int Frames = 0;
  int CellWidth = 0;  // of the last row drawn
  LoggedFrame Last;
  // The frames whose pixels were read, and the last of them.
  int ReadFrames = 0;
  LoggedFrame LastRead;
  std::atomic<bool> DropTimerWakes{false};
};

class FrameLogging : public QuestionWindowBackend {
 public:
  explicit FrameLogging(FrameLog* log) : inner_(makeQuestionWindowBackend()), log_(log) {}
  bool prepare() override { return inner_->prepare(); }
  bool create(const char* title, int x, int y, int width, int height) override {
    return inner_->create(title, x, y, width, height);
  }
  int dpi() override { return inner_->dpi(); }
  bool waitEvent(WindowEvent* event, int timeoutMs) override {
    return inner_->waitEvent(event, timeoutMs);
  }
  bool eventsPending() override { return inner_->eventsPending(); }
  void beginFrame() override {
    frame_ = LoggedFrame();
    inner_->beginFrame();
  }
  bool beginBand(int y, int height) override {
    if (!inner_->beginBand(y, height))
      return false;
    frame_ = LoggedFrame();
    frame_.Band = true;
    frame_.BandY = y;
    frame_.BandHeight = height;
    return true;
  }
  void drawCells(int x, int y, const char* text, int length, int cellWidth, int cellHeight,
                 uint8_t red, uint8_t green, uint8_t blue) override {
    frame_.CellWidth = cellWidth;
    lastCellWidth_ = cellWidth;
    frame_.RowsY.push_back(y);
    inner_->drawCells(x, y, text, length, cellWidth, cellHeight, red, green, blue);
  }
  bool readFrame(std::vector<uint32_t>* pixels, int* width, int* height) override {
    frame_.Read = true;
    return inner_->readFrame(pixels, width, height);
  }
  void endFrame() override {
    inner_->endFrame();
    {
      std::lock_guard<std::mutex> lock(log_->Lock);
      ++log_->Frames;
      log_->CellWidth = lastCellWidth_;
      log_->Last = frame_;
      if (frame_.Read) {
        ++log_->ReadFrames;
        log_->LastRead = frame_;
      }
    }
    log_->Changed.notify_all();
  }
  std::string title() override { return inner_->title(); }
  void destroy() override { inner_->destroy(); }
  void threadDone() override { inner_->threadDone(); }
  bool lost() override { return inner_->lost(); }
  bool wake(int code) override {
    if (code == WakeTimer && log_->DropTimerWakes.load())
      return false;
    return inner_->wake(code);
  }
  void injectKey(WindowKey key, bool down, bool control, bool repeat) override {
    inner_->injectKey(key, down, control, repeat);
  }
  void injectWheel(int steps, bool control, bool shift) override {
    inner_->injectWheel(steps, control, shift);
  }
  void requestResize(int width, int height) override { inner_->requestResize(width, height); }

 private:
  std::unique_ptr<QuestionWindowBackend> inner_;
  FrameLog* log_;
  LoggedFrame frame_;
  int lastCellWidth_ = 0;
};

class WindowRedrawTest : public RealWindowTest {
 protected:
  void SetUp() override {
    RealWindowTest::SetUp();
    setQuestionWindowBackendFactory([this] { return std::make_unique<FrameLogging>(&log); });
  }
  void TearDown() override {
    closeQuestionWindow();
    setQuestionWindowBackendFactory(nullptr);
    RealWindowTest::TearDown();
  }
  // Waits, at most WindowWaitMs, for a frame drawn in cells of the width.
  bool frameDrawnInCellsOf(int cellWidth) {
    std::unique_lock<std::mutex> lock(log.Lock);
    return log.Changed.wait_for(lock, std::chrono::milliseconds(WindowWaitMs),
                                [&] { return log.Frames > 0 && log.CellWidth == cellWidth; });
  }
  // Waits, at most WindowWaitMs, for a frame after the first `frames`; gives the last.
  bool frameAfter(int frames, LoggedFrame* last) {
    std::unique_lock<std::mutex> lock(log.Lock);
    bool drawn = log.Changed.wait_for(lock, std::chrono::milliseconds(WindowWaitMs),
                                      [&] { return log.Frames > frames; });
    *last = log.Last;
    return drawn;
  }
  int framesSoFar() {
    std::lock_guard<std::mutex> lock(log.Lock);
    return log.Frames;
  }
  // The next frame, captured, and how it was drawn (logged once it is shown, which comes
  // after the capture; other frames, such as a real display's requests to draw the
  // window again, may come between).
  WindowFrame nextFrame(LoggedFrame* drawn) {
    int captured = 0;
    {
      std::lock_guard<std::mutex> lock(log.Lock);
      captured = log.ReadFrames;
    }
    WindowFrame shown = frame();
    std::unique_lock<std::mutex> lock(log.Lock);
    EXPECT_TRUE(log.Changed.wait_for(lock, std::chrono::milliseconds(WindowWaitMs),
                                     [&] { return log.ReadFrames > captured; }));
    *drawn = log.LastRead;
    return shown;
  }

  FrameLog log;
};
