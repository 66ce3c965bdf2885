// The console's key records as the bytes the console primitives read. Run on every
// system: the Win32 backend hands the console's records to this mapping as they come.
#include "platform/console_keys.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> bytesOf(bool down, uint16_t virtualKey, int character, bool alt = false) {
  ConsoleKeyRecord record;
  record.KeyDown = down;
  record.VirtualKey = virtualKey;
  record.Character = character;
  record.AltHeld = alt;
  unsigned char bytes[2];
  return std::vector<int>(bytes, bytes + consoleKeyBytes(record, bytes));
}

using Bytes = std::vector<int>;

}  // namespace

// Every byte of the code page is a key, handed out unsigned: an accented letter (0x81,
// u-umlaut in the console's usual code page; 0xFF, -1 if taken signed) is never the end of
// input, and the code page's 0xE0 is a letter, never the extended-key prefix.
TEST(ConsoleKeys, CharactersAreTheirCodePageByte) {
  EXPECT_EQ(bytesOf(true, 'A', 'a'), Bytes{'a'});
  EXPECT_EQ(bytesOf(true, 'Q', '@', true), Bytes{'@'});  // AltGr types characters
  for (int character = 0x80; character <= 0xFF; ++character)
    EXPECT_EQ(bytesOf(true, 0xDD, character), character == 0xE0 ? Bytes{} : Bytes{character});
  EXPECT_EQ(bytesOf(true, 0x45, -1), Bytes{});  // no byte in the code page: no key, no '?'
  EXPECT_EQ(bytesOf(true, VirtualKeyBackspace, 0x7F), Bytes{8});
  // Releases type nothing, but for Alt let go after a character composed on the keypad.
  EXPECT_EQ(bytesOf(false, 'A', 'a'), Bytes{});
  EXPECT_EQ(bytesOf(false, VirtualKeyAlt, 0x81), Bytes{0x81});
  EXPECT_EQ(bytesOf(false, VirtualKeyAlt, 0), Bytes{});
}

TEST(ConsoleKeys, KeysWithoutACharacterAreAPrefixAndACode) {
  struct Case {
    uint16_t VirtualKey;
    Bytes Expected;
  };
  const Case cases[] = {
      {0x26, {0xE0, 72}}, {0x28, {0xE0, 80}}, {0x25, {0xE0, 75}},  {0x27, {0xE0, 77}},
      {0x21, {0xE0, 73}}, {0x22, {0xE0, 81}}, {0x24, {0xE0, 71}},  {0x23, {0xE0, 79}},
      {0x2D, {0xE0, 82}}, {0x2E, {0xE0, 83}}, {0x70, {0x00, 59}},  {0x79, {0x00, 68}},
      {0x7B, {0x00, 134}},
      // Shift, Ctrl, Alt, Caps Lock, the Windows key: nothing by themselves.
      {0x10, {}}, {0x11, {}}, {VirtualKeyAlt, {}}, {0x14, {}}, {0x5B, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.VirtualKey);
    EXPECT_EQ(bytesOf(true, c.VirtualKey, 0), c.Expected);
    // With Alt held they belong to the system, or compose a character on the keypad.
    EXPECT_EQ(bytesOf(true, c.VirtualKey, 0, true), Bytes{});
  }
}
