#include "crypto/sha256.h"

#include <cstring>

namespace {

const uint32_t InitialState[8] = {
    0x6A09E667, 0xBB67AE85, 0x3C6EF372, 0xA54FF53A,
    0x510E527F, 0x9B05688C, 0x1F83D9AB, 0x5BE0CD19,
};

const uint32_t RoundConstants[64] = {
    0x428A2F98, 0x71374491, 0xB5C0FBCF, 0xE9B5DBA5, 0x3956C25B, 0x59F111F1, 0x923F82A4,
    0xAB1C5ED5, 0xD807AA98, 0x12835B01, 0x243185BE, 0x550C7DC3, 0x72BE5D74, 0x80DEB1FE,
    0x9BDC06A7, 0xC19BF174, 0xE49B69C1, 0xEFBE4786, 0x0FC19DC6, 0x240CA1CC, 0x2DE92C6F,
    0x4A7484AA, 0x5CB0A9DC, 0x76F988DA, 0x983E5152, 0xA831C66D, 0xB00327C8, 0xBF597FC7,
    0xC6E00BF3, 0xD5A79147, 0x06CA6351, 0x14292967, 0x27B70A85, 0x2E1B2138, 0x4D2C6DFC,
    0x53380D13, 0x650A7354, 0x766A0ABB, 0x81C2C92E, 0x92722C85, 0xA2BFE8A1, 0xA81A664B,
    0xC24B8B70, 0xC76C51A3, 0xD192E819, 0xD6990624, 0xF40E3585, 0x106AA070, 0x19A4C116,
    0x1E376C08, 0x2748774C, 0x34B0BCB5, 0x391C0CB3, 0x4ED8AA4A, 0x5B9CCA4F, 0x682E6FF3,
    0x748F82EE, 0x78A5636F, 0x84C87814, 0x8CC70208, 0x90BEFFFA, 0xA4506CEB, 0xBEF9A3F7,
    0xC67178F2,
};

// One-shot hashing copies the caller's bytes through a buffer of this size.
constexpr size_t StagingSize = 4096;

inline uint32_t rotateRight(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

}  // namespace

void sha256Init(Sha256Context* context) {
  context->LengthLow = 0;
  context->LengthHigh = 0;
  memcpy(context->StateWords, InitialState, sizeof InitialState);
  memset(context->Block, 0, sizeof context->Block);
}

void sha256Transform(Sha256Context* context, const uint8_t block[64]) {
  uint32_t w[64];
  for (int i = 0; i < 16; ++i)
    w[i] = (uint32_t(block[4 * i]) << 24) | (uint32_t(block[4 * i + 1]) << 16) |
           (uint32_t(block[4 * i + 2]) << 8) | uint32_t(block[4 * i + 3]);
  for (int i = 16; i < 64; ++i) {
    uint32_t s0 = rotateRight(w[i - 15], 7) ^ rotateRight(w[i - 15], 18) ^ (w[i - 15] >> 3);
    uint32_t s1 = rotateRight(w[i - 2], 17) ^ rotateRight(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }

  uint32_t a = context->StateWords[0], b = context->StateWords[1];
  uint32_t c = context->StateWords[2], d = context->StateWords[3];
  uint32_t e = context->StateWords[4], f = context->StateWords[5];
  uint32_t g = context->StateWords[6], h = context->StateWords[7];
  for (int i = 0; i < 64; ++i) {
    uint32_t s1 = rotateRight(e, 6) ^ rotateRight(e, 11) ^ rotateRight(e, 25);
    uint32_t choose = (e & f) ^ (~e & g);
    uint32_t t1 = h + s1 + choose + RoundConstants[i] + w[i];
    uint32_t s0 = rotateRight(a, 2) ^ rotateRight(a, 13) ^ rotateRight(a, 22);
    uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
    uint32_t t2 = s0 + majority;
    h = g;
    g = f;
    f = e;
    e = d + t1;
    d = c;
    c = b;
    b = a;
    a = t1 + t2;
  }
  context->StateWords[0] += a;
  context->StateWords[1] += b;
  context->StateWords[2] += c;
  context->StateWords[3] += d;
  context->StateWords[4] += e;
  context->StateWords[5] += f;
  context->StateWords[6] += g;
  context->StateWords[7] += h;
}

void sha256Update(Sha256Context* context, const void* data, size_t length) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  size_t held = context->LengthLow % 64;

  uint64_t total = (uint64_t(context->LengthHigh) << 32) | context->LengthLow;
  total += length;
  context->LengthLow = uint32_t(total);
  context->LengthHigh = uint32_t(total >> 32);

  if (held > 0) {
    size_t room = 64 - held;
    if (length < room) {
      memcpy(context->Block + held, bytes, length);
      return;
    }
    memcpy(context->Block + held, bytes, room);
    sha256Transform(context, context->Block);
    bytes += room;
    length -= room;
  }
  while (length >= 64) {
    sha256Transform(context, bytes);
    bytes += 64;
    length -= 64;
  }
  if (length > 0)
    memcpy(context->Block, bytes, length);
}

void sha256Final(Sha256Context* context, uint8_t out[32]) {
  uint64_t bits = ((uint64_t(context->LengthHigh) << 32) | context->LengthLow) * 8;
  uint8_t lengthBytes[8];
  for (int i = 0; i < 8; ++i)
    lengthBytes[i] = uint8_t(bits >> (56 - 8 * i));

  size_t held = context->LengthLow % 64;
  uint8_t pad[120] = {0x80};
  sha256Update(context, pad, held < 56 ? 56 - held : 120 - held);
  sha256Update(context, lengthBytes, 8);

  for (int i = 0; i < 8; ++i) {
    out[4 * i] = uint8_t(context->StateWords[i] >> 24);
    out[4 * i + 1] = uint8_t(context->StateWords[i] >> 16);
    out[4 * i + 2] = uint8_t(context->StateWords[i] >> 8);
    out[4 * i + 3] = uint8_t(context->StateWords[i]);
  }
}

void sha256(uint8_t out[32], const void* data, size_t length) {
  memset(out, 0, 32);
  Sha256Context context;
  sha256Init(&context);
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  uint8_t staging[StagingSize];
  while (length > 0) {
    size_t chunk = length < StagingSize ? length : StagingSize;
    memcpy(staging, bytes, chunk);
    sha256Update(&context, staging, chunk);
    bytes += chunk;
    length -= chunk;
  }
  sha256Final(&context, out);
}
