// Lengths in 96-DPI units and their size on a screen of another DPI.
//
// The program states its window sizes in pixels of a screen of 96 dots per inch (the
// question window's 960 x 640 and its font cells, the console window's 1200 x 342). A
// monitor scaled to 150 % has 144: there every such length is half as long again, so
// that the window and its text keep their size to the eye and are drawn at the
// monitor's own resolution, sharp, instead of being stretched by the window system.
#pragma once

#include <cstdint>

// The DPI at which a length in pixels is the length the program states.
constexpr int BaseDpi = 96;

// length, stated in pixels at fromDpi, in pixels at toDpi: rounded to the nearest pixel,
// halves away from zero (as Windows rounds its own scaling). A DPI that is not positive
// is taken as 96.
constexpr int scaleBetweenDpi(int length, int fromDpi, int toDpi) {
  if (fromDpi <= 0)
    fromDpi = BaseDpi;
  if (toDpi <= 0)
    toDpi = BaseDpi;
  int64_t scaled = int64_t{length} * toDpi;
  int64_t half = fromDpi / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / fromDpi : -((-scaled + half) / fromDpi));
}

// A length in 96-DPI units, in pixels at dpi.
constexpr int scaleToDpi(int length, int dpi) { return scaleBetweenDpi(length, BaseDpi, dpi); }
