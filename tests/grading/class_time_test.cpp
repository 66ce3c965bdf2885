// Start stamps become seconds to compare and order, and back to the words the flags use.
#include "grading/class_time.h"

#include <gtest/gtest.h>

namespace {

TEST(ClassTime, StampsCountSecondsFrom1970AndComeBackAsWritten) {
  int64_t seconds = -1;
  ASSERT_TRUE(readStampSeconds("1970/01/01 00:00:01", &seconds));
  EXPECT_EQ(seconds, 1);
  // Across a leap day and a year's end, and back.
  for (const char* stamp : {"2024/02/29 23:59:59", "2024/03/01 00:00:00", "2026/12/31 23:59:59",
                            "2027/01/01 00:00:00", "1999/12/31 12:00:00"}) {
    ASSERT_TRUE(readStampSeconds(stamp, &seconds)) << stamp;
    EXPECT_EQ(formatStampSeconds(seconds), stamp);
  }
  int64_t leap = 0, after = 0;
  ASSERT_TRUE(readStampSeconds("2024/02/28 12:00:00", &leap));
  ASSERT_TRUE(readStampSeconds("2024/03/01 12:00:00", &after));
  EXPECT_EQ(after - leap, 2 * 86400);
  EXPECT_EQ(formatSpan(after - leap + 3661), "2 days 1:01:01");
  EXPECT_EQ(formatSpan(leap - after), "2 days 0:00:00");

  // Not a real date or time, or not the stamp's form: refused, never wrapped round.
  for (const char* bad : {"2026/02/29 10:00:00", "2026/13/01 10:00:00", "2026/04/31 10:00:00",
                          "2026/03/02 24:00:00", "2026/03/02 13:00", "2026-03-02 13:00:00",
                          "1600/12/31 23:59:59"})
    EXPECT_FALSE(readStampSeconds(bad, &seconds)) << bad;
}

}  // namespace
