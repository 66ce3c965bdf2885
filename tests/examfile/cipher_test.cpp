#include "examfile/cipher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "crypto/key_data.h"
#include "crypto/sha256.h"
#include "support/scripted_test.h"

class CipherTest : public ScriptedTest {
 protected:
  void SetUp() override {
    ScriptedTest::SetUp();
    setUpKeyData(0, nullptr);
    sha256(start.Digest, "secret", 6);
    deriveCipherState(&start);
  }
  std::vector<uint8_t> text(size_t length) {
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i)
      bytes[i] = uint8_t(i * 13 + 5);
    return bytes;
  }
  CipherState start;
};

TEST_F(CipherTest, DeriveTakesLittleEndianWordsModuloKeyLength) {
  CipherState state;
  for (int i = 0; i < 32; ++i)
    state.Digest[i] = uint8_t(i + 1);
  deriveCipherState(&state);
  EXPECT_EQ(state.Positions[0], 0x04030201u % 65537);
  EXPECT_EQ(state.Steps[0], 0x08070605u % 65536 + 1);
  EXPECT_EQ(state.Positions[1], 0x0C0B0A09u % 65537);
  EXPECT_EQ(state.Steps[1], 0x100F0E0Du % 65536 + 1);
  EXPECT_EQ(state.Positions[2], 0x14131211u % 65537);
  EXPECT_EQ(state.Steps[2], 0x18171615u % 65536 + 1);
}

// The writer runs its passes in the order 0,1,2 and the exam side in 2,1,0: both make the
// same stream, so what one enciphers the other deciphers.
TEST_F(CipherTest, RoundTripAcrossPassOrders) {
  std::vector<uint8_t> plain = text(3000), writer = plain, exam = plain;
  CipherState a = start, b = start;
  applyKeyStream(&a, writer.data(), writer.size());
  applyKeyStreamExamOrder(&b, exam.data(), exam.size());
  EXPECT_NE(writer, plain);
  EXPECT_EQ(writer, exam);
  EXPECT_EQ(memcmp(a.Positions, b.Positions, sizeof a.Positions), 0);
  CipherState decipher = start;
  applyKeyStreamExamOrder(&decipher, writer.data(), writer.size());
  EXPECT_EQ(writer, plain);
}

// The stream runs on across calls: the protected block and then the body.
TEST_F(CipherTest, OneCallEqualsTwoCalls) {
  for (size_t n : {0, 1, 63, 5000}) {
    SCOPED_TRACE(n);
    std::vector<uint8_t> once = text(64 + n), twice = once;
    CipherState a = start, b = start;
    applyKeyStream(&a, once.data(), once.size());
    applyKeyStream(&b, twice.data(), 64);
    applyKeyStream(&b, twice.data() + 64, n);
    EXPECT_EQ(once, twice);
    EXPECT_EQ(memcmp(a.Positions, b.Positions, sizeof a.Positions), 0);
  }
}

// Positions always stay inside the key, even with the smallest key a file may give.
TEST_F(CipherTest, SmallestKeyStaysInside) {
  static const uint8_t key[2] = {0x0F, 0xF0};
  State.KeyData = key;
  State.KeyLength = 2;
  CipherState state;
  sha256(state.Digest, "x", 1);
  deriveCipherState(&state);
  for (int pass = 0; pass < 3; ++pass) {
    EXPECT_LT(state.Positions[pass], 2u);
    EXPECT_EQ(state.Steps[pass], 1u);
  }
  std::vector<uint8_t> bytes(5, 0);
  applyKeyStream(&state, bytes.data(), bytes.size());
  for (int pass = 0; pass < 3; ++pass)
    EXPECT_LT(state.Positions[pass], 2u);
}
