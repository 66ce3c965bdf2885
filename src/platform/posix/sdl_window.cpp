// The question window on Linux: SDL2 draws, SDL2_ttf renders the glyphs, fontconfig
// finds the font.
//
// Every character is drawn into its own cell from a sheet that holds the 256 glyphs of
// one cell size, so the columns and rows on screen are exactly those the layout counted,
// and a frame costs one copy per character. The frames are drawn straight into the
// window's own surface, which keeps what was drawn: a band of it can be drawn again and
// sent to the display alone, as when only the countdown changes.
#include <SDL.h>
#include <SDL_ttf.h>

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <strings.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/posix/font_lookup.h"
#include "platform/posix/x11_guard.h"
#include "platform/window_backend.h"

namespace {

// Internal codes of the window's own user events; codes from 0 up are wake() codes.
constexpr Sint32 ResizeRequest = -1;
constexpr Sint32 SetModifiers = -2;

Uint32 userEventType() {
  static const Uint32 type = SDL_RegisterEvents(1);
  return type;
}

// Question texts are single-byte Windows text; 0x80 to 0x9F hold the typographic quotes
// and dashes that instructors paste in.
const uint16_t Cp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

uint32_t codePointOf(unsigned char c) {
  if (c <= 0x20 || c == 0x7F)
    return 0;
  if (c >= 0x80 && c < 0xA0)
    return Cp1252High[c - 0x80];
  return c;
}

// Drivers that "open" windows nobody sees, or take over the whole screen away from the
// terminal the student types in; only used when asked for by name.
bool driverShowsAWindow(const char* driver) {
  return driver && (strcmp(driver, "x11") == 0 || strcmp(driver, "wayland") == 0);
}

bool driverAskedFor(const char* driver) {
  const char* asked = getenv("SDL_VIDEODRIVER");
  return driver && asked && strcasecmp(asked, driver) == 0;
}

WindowKey keyOf(SDL_Keycode sym) {
  switch (sym) {
    case SDLK_LCTRL:
    case SDLK_RCTRL: return WindowKey::Control;
    case SDLK_ESCAPE: return WindowKey::Escape;
    case SDLK_EQUALS:  // the plus key of a US keyboard
    case SDLK_PLUS: return WindowKey::Plus;
    case SDLK_MINUS: return WindowKey::Minus;
    default: return WindowKey::Other;
  }
}

SDL_Keycode symOf(WindowKey key) {
  switch (key) {
    case WindowKey::Control: return SDLK_LCTRL;
    case WindowKey::Escape: return SDLK_ESCAPE;
    case WindowKey::Plus: return SDLK_EQUALS;
    case WindowKey::Minus: return SDLK_MINUS;
    default: return SDLK_a;
  }
}

struct GlyphAtlas {
  int CellWidth = 0;
  int CellHeight = 0;
  SDL_Surface* Sheet = nullptr;
  bool Drawn[256] = {};
};

class SdlQuestionWindow : public QuestionWindowBackend {
 public:
  ~SdlQuestionWindow() override {
    destroy();
    // Closed only here: another thread may still wake a window that has just ended.
    for (int end : wakePipe_)
      if (end >= 0)
        close(end);
  }

  bool prepare() override {
    userEventType();
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");  // Ctrl+C stays the console guard's
    // The window's pixels go to the display directly, not through an OpenGL texture:
    // without a graphics card that texture costs a software rasteriser and its threads.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // Video stays up from the first window to the end of the process: reopening the
    // display straight after closing it now and then fails.
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
      return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    onX11_ = driver && strcmp(driver, "x11") == 0;
    if (onX11_)
      guardXDisplay();
    // Drivers without a window system wait by polling every millisecond; wait on our own
    // signal instead, as every event they can have comes from wake() or a test hook.
    selfWaiting_ = !driverShowsAWindow(driver);
    if (TTF_Init() != 0)
      return false;
    ttfUp_ = true;
    std::string file = findFontFile("Courier New");
    if (file.empty())
      return false;
    font_ = TTF_OpenFont(file.c_str(), 20);
    return font_ != nullptr;
  }

  bool create(const char* title, int x, int y, int width, int height) override {
    window_ = SDL_CreateWindow(title, x, y, width, height, SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN);
    if (!window_)
      return false;
    if (onX11_) {
      xConnection_ = prepareXWindow(window_);
      if (xConnection_ >= 0 && pipe2(wakePipe_, O_NONBLOCK | O_CLOEXEC) != 0)
        xConnection_ = -1;
    }
    // An Escape already held down when the window appears (the one that closed the last
    // preview, say) is not a press in this window: it counts only once released.
    escapeReleased_ = !SDL_GetKeyboardState(nullptr)[SDL_SCANCODE_ESCAPE];
    shownAt_ = SDL_GetTicks();
    // The student types the answers in the terminal: showing the question must not take
    // the keyboard away from it.
    SDL_SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, "1");
    SDL_ShowWindow(window_);
    // Drawn in memory by the processor: a few hundred glyph copies a second need no
    // graphics driver, and a broken one cannot take the exam window down.
    if (!SDL_GetWindowSurface(window_))
      return false;
    windowId_ = SDL_GetWindowID(window_);
    // Whatever an earlier window left in the queue is not this window's business.
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    return true;
  }

  bool waitEvent(WindowEvent* event, int timeoutMs) override {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      if (lost())
        return false;
      SDL_Event raw;
      if (xConnection_ >= 0 || selfWaiting_) {
        if (!SDL_PollEvent(&raw)) {
          if (!waitForMore(deadline))
            return false;
          continue;
        }
      } else {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (!SDL_WaitEventTimeout(&raw, left.count() > 0 ? static_cast<int>(left.count()) : 0))
          return false;
      }
      if (lost())
        return false;
      if (translate(raw, event))
        return true;
      if (std::chrono::steady_clock::now() >= deadline)
        return false;
    }
  }

  bool eventsPending() override { return !lost() && SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT); }

  bool lost() override { return onX11_ && (connectionClosed_.load() || xDisplayLost()); }

  void beginFrame() override {
    banded_ = false;
    frameKept_ = false;
    surface_ = lost() || !window_ ? nullptr : SDL_GetWindowSurface(window_);
    if (!surface_)
      return;
    SDL_SetClipRect(surface_, nullptr);
    SDL_FillRect(surface_, nullptr, SDL_MapRGB(surface_->format, 0, 0, 0));
    frameWidth_ = surface_->w;
    frameHeight_ = surface_->h;
    frameKept_ = true;
  }

  bool beginBand(int y, int height) override {
    if (lost() || !window_ || !frameKept_)
      return false;
    // SDL makes the surface anew after the window changed size; what the new one holds
    // is not the last frame.
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (!surface || surface != surface_ || surface->w != frameWidth_ || surface->h != frameHeight_)
      return false;
    SDL_Rect wanted = {0, y, surface->w, height};
    SDL_Rect whole = {0, 0, surface->w, surface->h};
    if (!SDL_IntersectRect(&wanted, &whole, &band_))
      band_ = SDL_Rect{0, 0, 0, 0};
    banded_ = true;
    // Glyphs of a row outside the band must not reach it, or the surface would hold
    // what the display is never sent.
    SDL_SetClipRect(surface_, &band_);
    if (band_.h > 0)
      SDL_FillRect(surface_, &band_, SDL_MapRGB(surface_->format, 0, 0, 0));
    return true;
  }

  void drawCells(int x, int y, const char* text, int length, int cellWidth, int cellHeight,
                 uint8_t red, uint8_t green, uint8_t blue) override {
    if (lost() || !surface_ || (banded_ && band_.h == 0))
      return;
    GlyphAtlas* atlas = atlasFor(cellWidth, cellHeight);
    if (!atlas || !atlas->Sheet)
      return;
    SDL_SetSurfaceColorMod(atlas->Sheet, red, green, blue);
    for (int i = 0; i < length; ++i) {
      unsigned char c = static_cast<unsigned char>(text[i]);
      if (!atlas->Drawn[c])
        continue;
      SDL_Rect source = {(c % 16) * cellWidth, (c / 16) * cellHeight, cellWidth, cellHeight};
      SDL_Rect target = {x + i * cellWidth, y, cellWidth, cellHeight};
      SDL_BlitSurface(atlas->Sheet, &source, surface_, &target);
    }
  }

  bool readFrame(std::vector<uint32_t>* pixels, int* width, int* height) override {
    if (lost() || !surface_)
      return false;
    *width = surface_->w;
    *height = surface_->h;
    pixels->assign(static_cast<size_t>(*width) * *height, 0);
    if (SDL_MUSTLOCK(surface_) && SDL_LockSurface(surface_) != 0)
      return false;
    bool read = SDL_ConvertPixels(*width, *height, surface_->format->format, surface_->pixels,
                                  surface_->pitch, SDL_PIXELFORMAT_ARGB8888, pixels->data(),
                                  *width * 4) == 0;
    if (SDL_MUSTLOCK(surface_))
      SDL_UnlockSurface(surface_);
    return read;
  }

  void endFrame() override {
    if (lost() || !surface_)
      return;
    if (!banded_)
      SDL_UpdateWindowSurface(window_);
    else if (band_.h > 0)
      SDL_UpdateWindowSurfaceRects(window_, &band_, 1);
    SDL_SetClipRect(surface_, nullptr);
    banded_ = false;
  }

  std::string title() override { return window_ ? SDL_GetWindowTitle(window_) : ""; }

  void destroy() override {
    // The glyph sheets are plain memory, whatever became of the display.
    for (GlyphAtlas& atlas : atlases_) {
      if (atlas.Sheet)
        SDL_FreeSurface(atlas.Sheet);
      atlas = GlyphAtlas();
    }
    atlasCount_ = 0;
    surface_ = nullptr;
    frameKept_ = false;
    if (lost()) {
      // The window and its surface belong to a display that is gone: any call on them
      // would talk to it. They are let go of unreleased.
      window_ = nullptr;
      windowId_ = 0;
    }
    if (window_)
      SDL_DestroyWindow(window_);
    window_ = nullptr;
    windowId_ = 0;
    if (font_)
      TTF_CloseFont(font_);
    font_ = nullptr;
    if (ttfUp_)
      TTF_Quit();
    ttfUp_ = false;
  }

  void threadDone() override { SDL_TLSCleanup(); }

  bool wake(int code) override { return pushUser(code, 0, 0); }

  void injectKey(WindowKey key, bool down, bool control, bool repeat) override {
    SDL_Event event;
    SDL_zero(event);
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = windowId_;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.timestamp = SDL_GetTicks();
    event.key.keysym.sym = symOf(key);
    event.key.keysym.scancode = SDL_GetScancodeFromKey(event.key.keysym.sym);
    event.key.keysym.mod = control ? KMOD_LCTRL : KMOD_NONE;
    push(&event);
  }

  void injectWheel(int steps, bool control, bool shift) override {
    int modifiers = (control ? KMOD_LCTRL : 0) | (shift ? KMOD_LSHIFT : 0);
    pushUser(SetModifiers, modifiers, 0);
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_MOUSEWHEEL;
    event.wheel.windowID = windowId_;
    event.wheel.y = steps;
    event.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    push(&event);
    pushUser(SetModifiers, KMOD_NONE, 0);
  }

  void requestResize(int width, int height) override { pushUser(ResizeRequest, width, height); }

 private:
  bool pushUser(Sint32 code, intptr_t first, intptr_t second) {
    SDL_Event event;
    SDL_zero(event);
    event.type = userEventType();
    event.user.code = code;
    event.user.data1 = reinterpret_cast<void*>(first);
    event.user.data2 = reinterpret_cast<void*>(second);
    return push(&event);
  }

  bool push(SDL_Event* event) {
    // A lost display takes no more events; the window thread sees the loss itself.
    bool pushed = !lost() && SDL_PushEvent(event) == 1;
    if (xConnection_ >= 0) {
      char byte = 0;
      (void)!write(wakePipe_[1], &byte, 1);  // a full pipe wakes the window all the same
      return pushed;
    }
    {
      std::lock_guard<std::mutex> lock(kickLock_);
      kicked_ = true;
    }
    kickChanged_.notify_one();
    return pushed;
  }

  // Waits until an event may have come, or the deadline; false at the deadline. On X11
  // the wait is on the display's connection and the wake pipe: no other thread then
  // ever talks to the display to wake this one, and a display whose connection has
  // closed is seen at once, before anything tries to talk to it.
  bool waitForMore(std::chrono::steady_clock::time_point deadline) {
    if (xConnection_ < 0) {
      std::unique_lock<std::mutex> lock(kickLock_);
      if (!kickChanged_.wait_until(lock, deadline, [this] { return kicked_; }))
        return false;
      kicked_ = false;
      return true;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0)
      return false;
    struct pollfd wanted[2] = {{xConnection_, POLLIN | POLLRDHUP, 0}, {wakePipe_[0], POLLIN, 0}};
    int ready = poll(wanted, 2, static_cast<int>(left.count()));
    if (ready < 0)
      return errno == EINTR;
    if (ready == 0)
      return false;
    if (wanted[0].revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) {
      connectionClosed_.store(true);
      return false;
    }
    if (wanted[1].revents & POLLIN) {
      char drain[64];
      while (read(wakePipe_[0], drain, sizeof drain) > 0) {
      }
    }
    return true;
  }

  // The event in the window's own terms; false for events the window does not act on.
  bool translate(const SDL_Event& raw, WindowEvent* event) {
    *event = WindowEvent();
    if (raw.type == userEventType()) {
      intptr_t first = reinterpret_cast<intptr_t>(raw.user.data1);
      intptr_t second = reinterpret_cast<intptr_t>(raw.user.data2);
      if (raw.user.code == ResizeRequest) {
        if (!window_)
          return false;
        // Reported at once, as the size event SDL queues for it comes after whatever
        // was pushed behind this request.
        SDL_SetWindowSize(window_, static_cast<int>(first), static_cast<int>(second));
        event->Type = WindowEvent::Kind::Resized;
        SDL_GetWindowSize(window_, &event->Width, &event->Height);
        return true;
      }
      if (raw.user.code == SetModifiers) {
        SDL_SetModState(static_cast<SDL_Keymod>(first));
        return false;
      }
      event->Type = WindowEvent::Kind::Wake;
      event->Code = raw.user.code;
      return true;
    }
    switch (raw.type) {
      case SDL_WINDOWEVENT:
        if (raw.window.windowID != windowId_)
          return false;
        switch (raw.window.event) {
          case SDL_WINDOWEVENT_SIZE_CHANGED:
            event->Type = WindowEvent::Kind::Resized;
            event->Width = raw.window.data1;
            event->Height = raw.window.data2;
            return true;
          case SDL_WINDOWEVENT_EXPOSED:
            event->Type = WindowEvent::Kind::Exposed;
            return true;
          case SDL_WINDOWEVENT_FOCUS_LOST:
            event->Type = WindowEvent::Kind::FocusLost;
            return true;
          default:
            return false;  // the close button among them: the window has none that works
        }
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        event->Type = raw.type == SDL_KEYDOWN ? WindowEvent::Kind::KeyDown : WindowEvent::Kind::KeyUp;
        event->Key = keyOf(raw.key.keysym.sym);
        if (event->Key == WindowKey::Escape && !escapePressedHere(raw))
          event->Key = WindowKey::Other;
        return true;
      case SDL_MOUSEWHEEL: {
        int steps = raw.wheel.y;
        if (raw.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
          steps = -steps;
        if (steps == 0)
          return false;
        int held = SDL_GetModState() & (KMOD_CTRL | KMOD_SHIFT | KMOD_ALT | KMOD_GUI);
        event->Type = WindowEvent::Kind::Wheel;
        event->WheelSteps = steps;
        event->OnlyControlHeld = (held & KMOD_CTRL) && !(held & ~KMOD_CTRL) &&
                                 SDL_GetMouseState(nullptr, nullptr) == 0;
        return true;
      }
      default:
        return false;
    }
  }

  // Whether an Escape event is a press made in this window since it appeared: not a
  // repeat of a key held down, not a press from before, and not for another window.
  // Its release is noted, so that a key held over from before counts once let go.
  bool escapePressedHere(const SDL_Event& raw) {
    if (raw.type == SDL_KEYUP) {
      escapeReleased_ = true;
      return true;
    }
    bool fresh = escapeReleased_ && raw.key.repeat == 0 &&
                 SDL_TICKS_PASSED(raw.key.timestamp, shownAt_) &&
                 (raw.key.windowID == 0 || raw.key.windowID == windowId_);
    return fresh;
  }

  // The glyphs of one cell size, made the first time that size is drawn: the largest
  // font size whose glyphs fit the cell, each glyph centred in its cell.
  GlyphAtlas* atlasFor(int cellWidth, int cellHeight) {
    for (int i = 0; i < atlasCount_; ++i)
      if (atlases_[i].CellWidth == cellWidth && atlases_[i].CellHeight == cellHeight)
        return &atlases_[i];
    if (atlasCount_ == AtlasSlots || !font_)
      return nullptr;
    GlyphAtlas& atlas = atlases_[atlasCount_++];
    atlas.CellWidth = cellWidth;
    atlas.CellHeight = cellHeight;

    int advance = 0;
    int fontHeight = 0;
    for (int points = cellHeight; points >= 4; --points) {
      TTF_SetFontSize(font_, points);
      fontHeight = TTF_FontHeight(font_);
      TTF_GlyphMetrics32(font_, 'M', nullptr, nullptr, nullptr, nullptr, &advance);
      if (fontHeight <= cellHeight && advance <= cellWidth)
        break;
    }
    SDL_Surface* sheet = SDL_CreateRGBSurfaceWithFormat(0, 16 * cellWidth, 16 * cellHeight, 32,
                                                        SDL_PIXELFORMAT_ARGB8888);
    atlas.Sheet = sheet;
    if (!sheet)
      return &atlas;
    SDL_FillRect(sheet, nullptr, 0);
    const SDL_Color white = {255, 255, 255, 255};
    for (int c = 0; c < 256; ++c) {
      uint32_t codePoint = codePointOf(static_cast<unsigned char>(c));
      if (!codePoint || !TTF_GlyphIsProvided32(font_, codePoint))
        continue;
      SDL_Surface* glyph = TTF_RenderGlyph32_Blended(font_, codePoint, white);
      if (!glyph)
        continue;
      SDL_SetSurfaceBlendMode(glyph, SDL_BLENDMODE_NONE);
      SDL_Rect cell = {(c % 16) * cellWidth, (c / 16) * cellHeight, cellWidth, cellHeight};
      SDL_SetClipRect(sheet, &cell);
      SDL_Rect place = {cell.x + (cellWidth - advance) / 2, cell.y + (cellHeight - fontHeight) / 2,
                        glyph->w, glyph->h};
      SDL_BlitSurface(glyph, nullptr, sheet, &place);
      SDL_FreeSurface(glyph);
      atlas.Drawn[c] = true;
    }
    SDL_SetClipRect(sheet, nullptr);
    SDL_SetSurfaceBlendMode(sheet, SDL_BLENDMODE_BLEND);
    return &atlas;
  }

  static constexpr int AtlasSlots = 16;
  SDL_Window* window_ = nullptr;
  // The window's surface the frames are drawn in, and the size of the last whole frame
  // in it; frameKept_ once a whole frame is there for a band to be drawn over.
  SDL_Surface* surface_ = nullptr;
  int frameWidth_ = 0;
  int frameHeight_ = 0;
  bool frameKept_ = false;
  // The frame in progress is the band alone.
  bool banded_ = false;
  SDL_Rect band_ = {0, 0, 0, 0};
  TTF_Font* font_ = nullptr;
  std::atomic<Uint32> windowId_{0};
  bool ttfUp_ = false;
  bool onX11_ = false;
  // The display's connection while the window is up on X11, and the pipe that wakes the
  // window thread's wait on it.
  int xConnection_ = -1;
  int wakePipe_[2] = {-1, -1};
  std::atomic<bool> connectionClosed_{false};
  bool escapeReleased_ = true;
  Uint32 shownAt_ = 0;
  bool selfWaiting_ = false;
  GlyphAtlas atlases_[AtlasSlots];
  int atlasCount_ = 0;

  std::mutex kickLock_;
  std::condition_variable kickChanged_;
  bool kicked_ = false;
};

}  // namespace

std::unique_ptr<QuestionWindowBackend> makeQuestionWindowBackend() {
  return std::make_unique<SdlQuestionWindow>();
}

bool graphicalDisplayAvailable() {
  const char* asked = getenv("SDL_VIDEODRIVER");
  if (!(asked && *asked) && !getenv("DISPLAY") && !getenv("WAYLAND_DISPLAY"))
    return false;
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    return false;
  const char* driver = SDL_GetCurrentVideoDriver();
  bool usable = driverShowsAWindow(driver) || driverAskedFor(driver);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return usable;
}
