#include "crypto/key_data.h"

#include <string>
#include <vector>

#include "support/scripted_test.h"

class KeyDataTest : public ScriptedTest {
 protected:
  int loadWithArguments(std::vector<std::string> words) {
    std::vector<char*> argv;
    for (std::string& word : words)
      argv.push_back(word.data());
    return runProgram([&] { loadKeyFile(int(argv.size()), argv.data()); });
  }
  // Types the ENTER that the press-ENTER pause of an error waits for.
  void pressEnterLater() { console.typeLine(""); }
};

TEST_F(KeyDataTest, PrimeTableEntries) {
  const uint32_t* table = loadPrimeTable();
  EXPECT_EQ(table[0], 2u);
  EXPECT_EQ(table[1], 3u);
  EXPECT_EQ(table[99999], 1299709u);
  EXPECT_EQ(table[199999], 2750159u);
  for (uint32_t i = 1; i < PrimeTableCount; ++i)
    ASSERT_LT(table[i - 1], table[i]) << i;
}

TEST_F(KeyDataTest, EmbeddedKeyHasItsLength) {
  uint32_t length = 0;
  const uint8_t* key = loadKeyResource(&length);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(length, 65537u);
  setUpKeyData(0, nullptr);
  EXPECT_EQ(State.KeyData, key);
  EXPECT_EQ(State.KeyLength, 65537u);
}

// The prime at or above a size, and the one at or below it.
TEST_F(KeyDataTest, PrimeBracket) {
  struct Case {
    uint32_t Size;
    uint32_t Upper;
    uint32_t Lower;
  } cases[] = {
      {2, 2, 1},
      {3, 3, 2},
      {7, 7, 5},
      {10, 11, 7},
      {11, 11, 7},
      {65537, 65537, 65521},
      {100, 101, 97},
      {1299710, 1299721, 1299709},
      {2750159, 2750159, 2750159},
      {3000000, 3000017, 2999999},
      {2999999, 2999999, 2999999},
  };
  for (const Case& c : cases) {
    uint32_t lower = 0;
    EXPECT_EQ(primeBracket(c.Size, &lower), c.Upper) << c.Size;
    EXPECT_EQ(lower, c.Lower) << c.Size;
  }
}

TEST_F(KeyDataTest, KeyFileLengthIsThePrimeBelowItsSize) {
  TempFolder folder;
  struct Case {
    size_t Size;
    uint32_t KeyLength;
  } cases[] = {{65537, 65521}, {100, 97}, {2750159, 2750159}, {3000000, 2999999}, {3, 2}};
  for (const Case& c : cases) {
    folder.write("key.bin", std::string(c.Size, 'k'));
    ASSERT_EQ(loadWithArguments({"veritor", "-k", folder.file("key.bin")}), NoExit);
    EXPECT_EQ(State.KeyLength, c.KeyLength) << c.Size;
    EXPECT_EQ(State.KeyData[0], 'k');
  }
}

// Later -k / -K options win; the embedded key is not touched after a key file was read.
TEST_F(KeyDataTest, LastKeyOptionWinsIgnoringCase) {
  TempFolder folder;
  folder.write("first.bin", std::string(100, '1'));
  folder.write("second.bin", std::string(200, '2'));
  ASSERT_EQ(loadWithArguments({"veritor", "-x", "-k", folder.file("first.bin"), "other", "-K",
                               folder.file("second.bin")}),
            NoExit);
  EXPECT_EQ(State.KeyLength, 199u);
  EXPECT_EQ(State.KeyData[0], '2');
  setUpKeyData(0, nullptr);
  EXPECT_EQ(State.KeyData[0], '2');
}

TEST_F(KeyDataTest, NoKeyOptionChangesNothing) {
  ASSERT_EQ(loadWithArguments({"veritor", "-x", "k"}), NoExit);
  EXPECT_EQ(State.KeyData, nullptr);
  EXPECT_EQ(State.KeyLength, 65537u);
}

// Each refusal shows its message on the error stream, waits for ENTER and ends with -1.
TEST_F(KeyDataTest, RefusedKeyOptions) {
  TempFolder folder;
  const std::string missing = folder.file("none.bin");
  for (size_t size : {0, 1, 2})
    folder.write("short" + std::to_string(size) + ".bin", std::string(size, 's'));
  auto tooShort = [&](size_t size) {
    return "Error - The key file '" + folder.file("short" + std::to_string(size) + ".bin") +
           "' is too short (" + std::to_string(size) +
           " bytes); a key file must hold at least 3 bytes.\n\n";
  };
  struct Case {
    std::vector<std::string> Arguments;
    std::string Message;
  } cases[] = {
      {{"veritor", "-K"}, "\n\nError - no file name following '-k' parameter.\n\n"},
      {{"veritor", "-k", missing},
       "Error - Could not open specified key file: '" + missing + "'\n\n"},
      // Too short for the cipher's three passes.
      {{"veritor", "-k", folder.file("short0.bin")}, tooShort(0)},
      {{"veritor", "-k", folder.file("short1.bin")}, tooShort(1)},
      {{"veritor", "-k", folder.file("short2.bin")}, tooShort(2)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Message);
    pressEnterLater();
    EXPECT_EQ(loadWithArguments(c.Arguments), -1);
    EXPECT_NE(err().find(c.Message), std::string::npos);
  }
}
