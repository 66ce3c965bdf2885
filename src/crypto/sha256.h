// SHA-256 as FIPS 180-4 defines it.
#pragma once

#include <cstddef>
#include <cstdint>

struct Sha256Context {
  uint32_t LengthLow = 0;
  uint32_t LengthHigh = 0;
  uint32_t StateWords[8] = {};
  uint8_t Block[64] = {};
};

void sha256(uint8_t out[32], const void* data, size_t length);
void sha256Init(Sha256Context* context);
void sha256Update(Sha256Context* context, const void* data, size_t length);
void sha256Final(Sha256Context* context, uint8_t out[32]);
void sha256Transform(Sha256Context* context, const uint8_t block[64]);
