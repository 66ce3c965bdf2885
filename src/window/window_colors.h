// Colours and character cells of the question window.
#pragma once

#include <cstdint>

struct RgbColor {
  uint8_t Red;
  uint8_t Green;
  uint8_t Blue;
};

// The text colours the font colour menu offers, by number; 0 is the background.
enum : uint8_t {
  ColorBlack = 0,
  ColorBlue = 1,
  ColorGreen = 2,
  ColorRed = 3,
  ColorCyan = 4,
  ColorMagenta = 5,
  ColorYellow = 6,
  ColorWhite = 7,
};

constexpr RgbColor ColorTable[8] = {
    {0, 0, 0},   {0, 0, 255},   {0, 255, 0},   {255, 0, 0},
    {0, 255, 255}, {255, 0, 255}, {255, 255, 0}, {255, 255, 255},
};

struct CellSize {
  int Width;
  int Height;
};

// The eight font sizes, smallest first; Ctrl +/- and Ctrl with the wheel step through them.
constexpr int FontSizeCount = 8;
constexpr CellSize FontSizeTable[FontSizeCount] = {
    {8, 14}, {8, 16}, {10, 16}, {10, 18}, {12, 18}, {12, 20}, {14, 20}, {14, 22},
};

// The window's client area when it first opens.
constexpr int InitialClientWidth = 960;
constexpr int InitialClientHeight = 640;
