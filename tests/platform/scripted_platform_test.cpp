#include "platform/scripted/scripted_platform.h"

#include <gtest/gtest.h>

#include <cstring>

// A reset backend is as a new one: the fuzz targets run every input on one, and
// anything left over from the input before would make a finding depend on the order.
TEST(ScriptedPlatform, ResetForgetsScriptRecordAndClock) {
  ScriptedPlatform fresh;
  ScriptedPlatform used;
  used.typeLine("left over");
  used.pressKey(0xE0, 72);
  used.write(ConsoleStream::Err, "said", 4);
  used.setAttribute(ConsoleStream::Out, 12);
  used.echoKey('x');
  used.clearScreen();
  used.setTitle("title");
  used.setConsoleColumns(40);
  used.advance(5000);
  used.setUtcOffsetMinutes(60);
  used.setUserFolder(1, "/somewhere");

  used.reset();
  EXPECT_TRUE(used.scriptDone());
  EXPECT_EQ(used.readKey(), -1);
  EXPECT_TRUE(used.pieces().empty());
  EXPECT_EQ(used.takeText(), "");
  EXPECT_EQ(used.echoed(), "");
  EXPECT_EQ(used.clearCount(), 0);
  EXPECT_EQ(used.title(), "");
  EXPECT_EQ(used.consoleColumns(), fresh.consoleColumns());
  EXPECT_EQ(used.tickCount(), fresh.tickCount());
  EXPECT_EQ(used.userFolder(1), fresh.userFolder(1));
  SystemTime usedNow = used.systemTimeUtc(), freshNow = fresh.systemTimeUtc();
  SystemTime usedLocal{}, freshLocal{};
  used.utcToLocal(usedNow, &usedLocal);
  fresh.utcToLocal(freshNow, &freshLocal);
  EXPECT_EQ(memcmp(&usedLocal, &freshLocal, sizeof usedLocal), 0);

  // What is written after the reset is recorded in the resting attribute.
  used.write(ConsoleStream::Out, "new", 3);
  ASSERT_EQ(used.pieces().size(), 1u);
  EXPECT_EQ(used.pieces()[0].Attribute, DefaultAttribute);
  EXPECT_EQ(used.takeText(), "new");
}
