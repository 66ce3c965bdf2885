#include "console/console.h"
#include "support/scripted_test.h"

class ConsoleSmokeTest : public ScriptedTest {};

TEST_F(ConsoleSmokeTest, ReadsANumber) {
  console.typeLine("3");
  EXPECT_EQ(readNumber("Enter your choice: ", 9), 3);
  EXPECT_EQ(out(), "Enter your choice: ");
}
