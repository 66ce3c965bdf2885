// Hooks for tests and benchmarks that look at the real question window: they wait for
// what the window thread does instead of sleeping, and see its frames as pixels.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/window_backend.h"

struct WindowFrame {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;  // 0xAARRGGBB, row by row
  std::string Title;
  std::string Text;       // the question text the frame shows
  uint64_t TimerPass = 0; // the timer pass that drew it (0: drawn for another reason)

  uint32_t rgbAt(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x] & 0xFFFFFF; }
};

// Replaces the platform's window backend for the windows opened from now on (none: the
// platform's own again).
void setQuestionWindowBackendFactory(std::function<std::unique_ptr<QuestionWindowBackend>()> make);

// The backend of the open window, for injecting events; none without a window.
QuestionWindowBackend* questionWindowBackend();

// Each waits at most timeoutMs and is false when that was not enough.
// The frame the window draws at its next timer pass.
bool captureQuestionWindowFrame(WindowFrame* frame, int timeoutMs);
// Every event injected before the call has been handled.
bool syncQuestionWindow(int timeoutMs);
// The newest published text has been laid out and drawn.
bool waitForQuestionTextDrawn(int timeoutMs);
// The window thread has ended by itself (Escape in the colour preview).
bool waitForQuestionWindowEnd(int timeoutMs);

// Timer passes the open window has handled.
uint64_t questionWindowTimerPasses();
