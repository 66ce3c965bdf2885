// The console's key records as the bytes the console primitives read. Run on every
// system: the Win32 backend hands the console's records to this mapping as they come.
#include "platform/console_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<int> bytesOf(const ConsoleKeyRecord& record) {
  unsigned char bytes[2] = {0x55, 0x55};
  int count = consoleKeyBytes(record, bytes);
  return std::vector<int>(bytes, bytes + count);
}

ConsoleKeyRecord pressed(uint16_t virtualKey, int character, bool altHeld = false) {
  ConsoleKeyRecord record;
  record.KeyDown = true;
  record.VirtualKey = virtualKey;
  record.Character = character;
  record.AltHeld = altHeld;
  return record;
}

}  // namespace

// Every byte of the code page is a key of its own, handed out unsigned: a student's
// accented letter (0x81, u-umlaut in the console's usual code page; 0xFF, the byte that reads
// as -1 when taken signed) is never the end of input.
TEST(ConsoleKeys, CharactersAreTheirCodePageByte) {
  EXPECT_EQ(bytesOf(pressed('A', 'a')), std::vector<int>{'a'});
  EXPECT_EQ(bytesOf(pressed(0x0D, '\r')), std::vector<int>{'\r'});
  EXPECT_EQ(bytesOf(pressed('C', 3)), std::vector<int>{3});  // Ctrl+C as processed-off input
  for (int character = 0x80; character <= 0xFF; ++character) {
    SCOPED_TRACE(character);
    std::vector<int> expected;
    if (character != 0xE0)  // a letter of the code page, never the extended-key prefix
      expected.push_back(character);
    EXPECT_EQ(bytesOf(pressed(0xDD, character)), expected);
  }
  // A character the code page has no single byte for is no key at all, not a '?'.
  EXPECT_EQ(bytesOf(pressed(0x45, -1)), std::vector<int>{});
  // AltGr types characters: they count.
  EXPECT_EQ(bytesOf(pressed('Q', '@', true)), std::vector<int>{'@'});
}

TEST(ConsoleKeys, BackspaceRubsOutWhateverCharacterItCarries) {
  EXPECT_EQ(bytesOf(pressed(VirtualKeyBackspace, 8)), std::vector<int>{8});
  EXPECT_EQ(bytesOf(pressed(VirtualKeyBackspace, 0x7F)), std::vector<int>{8});
}

TEST(ConsoleKeys, KeysWithoutACharacterAreAPrefixAndACode) {
  struct Case {
    uint16_t VirtualKey;
    std::vector<int> Bytes;
  };
  const Case cases[] = {
      {0x26, {0xE0, 72}},  {0x28, {0xE0, 80}},  {0x25, {0xE0, 75}},  {0x27, {0xE0, 77}},
      {0x21, {0xE0, 73}},  {0x22, {0xE0, 81}},  {0x24, {0xE0, 71}},  {0x23, {0xE0, 79}},
      {0x2D, {0xE0, 82}},  {0x2E, {0xE0, 83}},  {0x70, {0x00, 59}},  {0x79, {0x00, 68}},
      {0x7A, {0x00, 133}}, {0x7B, {0x00, 134}},
      // Shift, Ctrl, Alt, Caps Lock, Num Lock, the Windows key: nothing by themselves.
      {0x10, {}}, {0x11, {}}, {VirtualKeyAlt, {}}, {0x14, {}}, {0x90, {}}, {0x5B, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.VirtualKey);
    EXPECT_EQ(bytesOf(pressed(c.VirtualKey, 0)), c.Bytes);
    // With Alt held they belong to the system, or compose a character on the keypad.
    EXPECT_EQ(bytesOf(pressed(c.VirtualKey, 0, true)), std::vector<int>{});
  }
}

TEST(ConsoleKeys, OnlyAltLetGoWithACharacterIsAKeyOnRelease) {
  ConsoleKeyRecord released = pressed('A', 'a');
  released.KeyDown = false;
  EXPECT_EQ(bytesOf(released), std::vector<int>{});
  released.VirtualKey = 0x26;
  released.Character = 0;
  EXPECT_EQ(bytesOf(released), std::vector<int>{});
  // Alt+0252 on the keypad: the composed character comes with Alt's release.
  released.VirtualKey = VirtualKeyAlt;
  released.Character = 0x81;
  EXPECT_EQ(bytesOf(released), std::vector<int>{0x81});
  released.Character = 0;
  EXPECT_EQ(bytesOf(released), std::vector<int>{});
}
