// What the question window needs from Xlib itself, beside SDL: a display that fails or
// goes away must not end the process, and the window's decorations.
#pragma once

struct SDL_Window;

// A failed request never ends the process, and a lost connection only marks the display
// as lost. Called after the window system is set up, before any window is made.
void guardXDisplay();
// The same for the display of this window, and its decorations: a title, a border to
// resize it by, and a close box (which the window ignores), but no box to minimise or
// maximise it. Called before the window is shown. Returns the descriptor of the
// display's connection, to wait on; -1 off X11.
int prepareXWindow(SDL_Window* window);
// Whether the connection to the X display has been lost. Once it has, nothing may use
// the display again.
bool xDisplayLost();
