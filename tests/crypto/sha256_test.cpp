#include "crypto/sha256.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string hex(const uint8_t digest[32]) {
  std::string out;
  char pair[3];
  for (int i = 0; i < 32; ++i) {
    snprintf(pair, sizeof pair, "%02x", digest[i]);
    out += pair;
  }
  return out;
}

std::string digestOf(const void* data, size_t length) {
  uint8_t digest[32];
  sha256(digest, data, length);
  return hex(digest);
}

std::vector<uint8_t> pattern(size_t length) {
  std::vector<uint8_t> bytes(length);
  for (size_t i = 0; i < length; ++i)
    bytes[i] = uint8_t(i * 31 + 7);
  return bytes;
}

}  // namespace

TEST(Sha256, FipsExamples) {
  EXPECT_EQ(digestOf("", 0), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(digestOf("abc", 3), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  const char* twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
  EXPECT_EQ(digestOf(twoBlocks, 56),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

// Lengths around the padding boundaries and around the 4,096-byte staging buffer.
TEST(Sha256, LengthsAroundBlockAndStagingBoundaries) {
  struct Case {
    size_t Length;
    const char* Digest;
  } cases[] = {
      {55, "8aa994584139d128848eeebc4e815639ba5ab6e6e39574195a63ac4f14f7c43b"},
      {56, "ad574708f75c044c9b85de64cb568ee7711ff4f36448c6242f053ba8f6cc2b63"},
      {63, "280ed3e8ff1df845b2e7dfe6ac6cee817bef20e783cc65abc41b818b4d2fe076"},
      {64, "c6ab9724ade5b6a7a1edfffb12f3aa9181351355af8fd08c919952ad211339dd"},
      {65, "788367c73c7ddf4c53f65e68cc0d943e6227ab55b0e78ba63ace822b1c6301c0"},
      {4096, "d41d438c379110c7f7b2c561b1f04f26c1b4549110791f8e022f48974280c13e"},
      {4097, "bb37fb3430fb3bc003f70512ee0189aec84b029b221885c8f16280d1b935483e"},
      {10000, "470b2cd71bff57ce8be0be3fc23df273052c4bb10a1235fddb8f158d6f928546"},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = pattern(c.Length);
    EXPECT_EQ(digestOf(bytes.data(), bytes.size()), c.Digest) << "length " << c.Length;
  }
}

TEST(Sha256, MillionAs) {
  std::string as(1000000, 'a');
  EXPECT_EQ(digestOf(as.data(), as.size()),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

// Feeding the bytes in odd pieces gives the same digest as one call.
TEST(Sha256, UpdateInPiecesMatchesOneShot) {
  std::vector<uint8_t> bytes = pattern(10000);
  Sha256Context context;
  sha256Init(&context);
  size_t done = 0;
  for (size_t piece = 1; done < bytes.size(); piece = piece * 3 % 97 + 1) {
    size_t take = std::min(piece, bytes.size() - done);
    sha256Update(&context, bytes.data() + done, take);
    done += take;
  }
  uint8_t digest[32];
  sha256Final(&context, digest);
  EXPECT_EQ(hex(digest), "470b2cd71bff57ce8be0be3fc23df273052c4bb10a1235fddb8f158d6f928546");
}
