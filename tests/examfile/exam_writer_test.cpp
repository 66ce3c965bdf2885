#include "examfile/exam_writer.h"

#include <gtest/gtest.h>

#include <cstring>

#include "crypto/key_data.h"
#include "support/scripted_test.h"

class ExamWriterTest : public ScriptedTest {};

TEST_F(ExamWriterTest, ExpiryDates) {
  EXPECT_TRUE(isValidExpiryDate("2026/12/31::23:59:59"));
  EXPECT_TRUE(isValidExpiryDate("2028/02/29::00:00:00"));
  EXPECT_FALSE(isValidExpiryDate("2027/02/29::00:00:00"));
  EXPECT_FALSE(isValidExpiryDate("9999/99/99::99:99:00"));
  EXPECT_FALSE(isValidExpiryDate("2026/12/31::24:00:00"));
  EXPECT_FALSE(isValidExpiryDate("2026/12/31::23:60:00"));
  EXPECT_FALSE(isValidExpiryDate("2026/12/31 23:59:59"));
  EXPECT_FALSE(isValidExpiryDate("2026-12-31::23:59:59"));
  EXPECT_FALSE(isValidExpiryDate("2026/12/31::23:59:5"));
  EXPECT_FALSE(isValidExpiryDate(""));
}

// The file is the header line, an empty line, then pairs of upper-case digits: 64 for
// the protected block and one for each byte of the body.
TEST_F(ExamWriterTest, Layout) {
  setUpKeyData(0, nullptr);
  ExamFileOptions options;
  options.Password = "pw";
  std::string text = makeExamFileText(";header", std::string(100, 'b'), options);
  ASSERT_EQ(text.compare(0, 9, ";header\n\n"), 0);
  size_t digits = 0;
  for (size_t i = 9; i < text.size(); ++i) {
    if (text[i] == '\n')
      continue;
    ASSERT_TRUE(isxdigit(static_cast<unsigned char>(text[i])) && !islower(text[i])) << i;
    ++digits;
  }
  EXPECT_EQ(digits, 2u * (64 + 100));
  EXPECT_EQ(text.back(), '\n');
}
