// The keys a Windows console hands over as input records, turned into the bytes the
// console primitives read: a typed character as its byte in the console's code page, a
// navigation key as 0xE0 and its scan code, a function key as 0x00 and its code. Plain
// data in and out, so that the same tests run on every system; the Win32 backend fills
// the record from the console's own.
#pragma once

#include <cstdint>

struct ConsoleKeyRecord {
  bool KeyDown = false;
  // Windows' virtual-key code of the key.
  uint16_t VirtualKey = 0;
  // Either Alt key is held (AltGr, which types characters, counts too).
  bool AltHeld = false;
  // The character the key typed, as its byte in the console's code page (1 to 255); 0 when
  // the key types none; -1 when its character has no single byte in that code page.
  int Character = 0;
};

// Windows' virtual-key codes that the reading of keys tells apart.
constexpr uint16_t VirtualKeyBackspace = 0x08;
constexpr uint16_t VirtualKeyAlt = 0x12;

// The bytes of one press of the key, into bytes; returns how many (0 to 2).
int consoleKeyBytes(const ConsoleKeyRecord& record, unsigned char bytes[2]);
