// The question window's door to the window system: one window, drawn in character
// cells, and the events the window thread acts on. The thread logic, the layout and the
// countdown live in src/window/; only the backend behind this interface talks to the
// window system (SDL2 with SDL2_ttf on Linux).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class WindowKey { Other, Control, Escape, Plus, Minus };

struct WindowEvent {
  enum class Kind {
    Wake,       // sent by wake() from another thread; Code says why
    Resized,    // the client area has a new size
    Exposed,    // the window must be drawn again
    FocusLost,  // keys released elsewhere are never seen: forget the Control key
    KeyDown,
    KeyUp,
    Wheel,
    // The window is now on a monitor of another DPI (Dpi): the backend has already asked
    // for the client area of the same size in 96-DPI units there, whose Resized follows.
    DpiChanged,
    Other,
  };
  Kind Type = Kind::Other;
  int Code = 0;
  WindowKey Key = WindowKey::Other;
  int Width = 0;
  int Height = 0;
  // Wheel notches: positive away from the student, negative toward.
  int WheelSteps = 0;
  // Wheel: Control is held and no other key or mouse button.
  bool OnlyControlHeld = false;
  // DpiChanged: the monitor's dots per inch.
  int Dpi = 0;
};

class QuestionWindowBackend {
 public:
  virtual ~QuestionWindowBackend() = default;

  // Everything the window needs before it can be made: the window system and the font.
  // Called on the window thread; false when it cannot be had.
  virtual bool prepare() = 0;
  // Makes and shows the window with a client area of width x height pixels, its
  // top-left corner at (x, y) on the screen.
  virtual bool create(const char* title, int x, int y, int width, int height) = 0;
  // The dots per inch of the monitor the window is on; before it is made, of the monitor
  // a new window opens on. The thread scales the window's sizes and font cells by it
  // (96 draws them as stated). A window system that does not scale says 96.
  virtual int dpi() { return 96; }
  // Waits at most timeoutMs for the next event; false when none came.
  virtual bool waitEvent(WindowEvent* event, int timeoutMs) = 0;
  // More events are waiting already (a drawing can wait until they are handled).
  virtual bool eventsPending() = 0;

  // One frame: cleared to black, rows of characters drawn one per cell, then shown.
  virtual void beginFrame() = 0;
  // A frame of only the pixel rows from y, height high (cut to the window): they are
  // cleared to black, drawn and shown by endFrame, while the rest of the window keeps
  // what the frames before it drew. A countdown tick costs a row, not the whole window.
  // False when the window holds no earlier frame to keep (nothing drawn yet, a new
  // size, a surface the window system took back): nothing was begun, and the whole
  // frame is to be drawn instead.
  virtual bool beginBand(int y, int height) = 0;
  // Draws length characters from (x, y), each in its own cell of the given size.
  virtual void drawCells(int x, int y, const char* text, int length, int cellWidth,
                         int cellHeight, uint8_t red, uint8_t green, uint8_t blue) = 0;
  // The whole window as drawn so far, as 0xAARRGGBB pixels (for tests and screenshots).
  virtual bool readFrame(std::vector<uint32_t>* pixels, int* width, int* height) = 0;
  virtual void endFrame() = 0;

  // The window system has gone (its connection is lost): the window cannot be used any
  // more, nor another one had. Every other call then does nothing.
  virtual bool lost() { return false; }

  virtual std::string title() = 0;
  // Closes the window and lets go of the window system.
  virtual void destroy() = 0;
  // Lets go of what the window system keeps for the calling thread, as it ends.
  virtual void threadDone() = 0;

  // --- Callable from any thread while the backend exists ---------------------------------
  // Makes waitEvent return a Wake event with the code.
  virtual bool wake(int code) = 0;
  // Test hooks: events as the window system would deliver them.
  // repeat: the window system's repeat of a key held down.
  virtual void injectKey(WindowKey key, bool down, bool control, bool repeat = false) = 0;
  virtual void injectWheel(int steps, bool control, bool shift) = 0;
  virtual void requestResize(int width, int height) = 0;
};

// The backend of this platform.
std::unique_ptr<QuestionWindowBackend> makeQuestionWindowBackend();

// Whether a window can be shown to the student: a graphical display is there, and the
// window system does not merely pretend to open windows nobody can see (unless such a
// driver was asked for by name, as the tests do).
bool graphicalDisplayAvailable();
