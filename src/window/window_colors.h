// Colours and character cells of the question window.
#pragma once

#include <cstdint>

struct RgbColor {
  uint8_t Red;
  uint8_t Green;
  uint8_t Blue;
};

// The text colours the font colour menu offers, by number; 0 is the background.
constexpr uint8_t ColorBlack = 0;
constexpr uint8_t ColorBlue = 1;
constexpr uint8_t ColorGreen = 2;
constexpr uint8_t ColorRed = 3;
constexpr uint8_t ColorCyan = 4;
constexpr uint8_t ColorMagenta = 5;
constexpr uint8_t ColorYellow = 6;
constexpr uint8_t ColorWhite = 7;

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
