#include "platform/console_keys.h"

namespace {

constexpr int ExtendedPrefix = 0xE0;
constexpr int FunctionPrefix = 0x00;

struct KeyCode {
  uint16_t VirtualKey;
  unsigned char Prefix;
  unsigned char Code;
};

// The keys without a character that the primitives know, with the codes a console-character
// read gives them. The navigation keys of the numeric keypad (Num Lock off) count as those
// of the dedicated block, as on a terminal, which cannot tell them apart: the arrow a
// student presses moves the same wherever it sits. Modifiers (Shift, Ctrl) are not told
// apart either, as on a terminal.
constexpr KeyCode KnownKeys[] = {
    {0x21, ExtendedPrefix, 73},   // Page Up
    {0x22, ExtendedPrefix, 81},   // Page Down
    {0x23, ExtendedPrefix, 79},   // End
    {0x24, ExtendedPrefix, 71},   // Home
    {0x25, ExtendedPrefix, 75},   // Left
    {0x26, ExtendedPrefix, 72},   // Up
    {0x27, ExtendedPrefix, 77},   // Right
    {0x28, ExtendedPrefix, 80},   // Down
    {0x2D, ExtendedPrefix, 82},   // Insert
    {0x2E, ExtendedPrefix, 83},   // Delete
    {0x70, FunctionPrefix, 59},   // F1 to F10: 59 to 68
    {0x71, FunctionPrefix, 60},
    {0x72, FunctionPrefix, 61},
    {0x73, FunctionPrefix, 62},
    {0x74, FunctionPrefix, 63},
    {0x75, FunctionPrefix, 64},
    {0x76, FunctionPrefix, 65},
    {0x77, FunctionPrefix, 66},
    {0x78, FunctionPrefix, 67},
    {0x79, FunctionPrefix, 68},
    {0x7A, FunctionPrefix, 133},  // F11
    {0x7B, FunctionPrefix, 134},  // F12
};

// A typed character as its byte. The code page's 0xE0 is a character (an accented or a
// Greek letter, as the code page has it), never the prefix of an extended key, and a
// character without a byte of its own is none the primitives could take: neither is
// handed out.
int characterByte(int character, unsigned char bytes[2]) {
  if (character <= 0 || character > 0xFF || character == ExtendedPrefix)
    return 0;
  bytes[0] = static_cast<unsigned char>(character);
  return 1;
}

}  // namespace

int consoleKeyBytes(const ConsoleKeyRecord& record, unsigned char bytes[2]) {
  if (!record.KeyDown) {
    // A character composed on the keypad with Alt held arrives as Alt is let go; every
    // other release is no key.
    return record.VirtualKey == VirtualKeyAlt ? characterByte(record.Character, bytes) : 0;
  }
  // Backspace rubs out whatever character a console gives it (some give DEL).
  if (record.VirtualKey == VirtualKeyBackspace) {
    bytes[0] = 8;
    return 1;
  }
  if (record.Character != 0)
    return characterByte(record.Character, bytes);
  // With Alt held a key without a character belongs to the system (a window shortcut),
  // or is a digit of a character being composed on the keypad.
  if (record.AltHeld)
    return 0;
  for (const KeyCode& key : KnownKeys) {
    if (key.VirtualKey == record.VirtualKey) {
      bytes[0] = key.Prefix;
      bytes[1] = key.Code;
      return 2;
    }
  }
  // Shift, Ctrl, Alt, Caps Lock and the like type nothing by themselves.
  return 0;
}
