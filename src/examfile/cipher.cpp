#include "examfile/cipher.h"

namespace {

uint32_t littleEndianWord(const uint8_t* bytes) {
  return uint32_t(bytes[0]) | (uint32_t(bytes[1]) << 8) | (uint32_t(bytes[2]) << 16) |
         (uint32_t(bytes[3]) << 24);
}

// One progression through the key data: XOR each byte with the key byte at the position,
// then step on, wrapping at KeyLength.
void applyPass(CipherState* state, int pass, uint8_t* buffer, size_t length) {
  const uint8_t* key = State.KeyData;
  const uint32_t keyLength = State.KeyLength;
  uint32_t position = state->Positions[pass];
  const uint32_t step = state->Steps[pass];
  for (size_t i = 0; i < length; ++i) {
    buffer[i] ^= key[position];
    position += step;
    if (position >= keyLength)
      position -= keyLength;
  }
  state->Positions[pass] = position;
}

}  // namespace

void deriveCipherState(CipherState* state) {
  const uint32_t n = State.KeyLength;
  for (int pass = 0; pass < 3; ++pass) {
    state->Positions[pass] = littleEndianWord(state->Digest + 8 * pass) % n;
    state->Steps[pass] = littleEndianWord(state->Digest + 8 * pass + 4) % (n - 1) + 1;
  }
}

void applyKeyStream(CipherState* state, uint8_t* buffer, size_t length) {
  // Each pass is a fixed progression independent of the data, so the order of the
  // passes does not change the result; the completed-exam writer runs them 0, 1, 2.
  for (int pass = 0; pass < 3; ++pass)
    applyPass(state, pass, buffer, length);
}

void applyKeyStreamExamOrder(CipherState* state, uint8_t* buffer, size_t length) {
  for (int pass = 2; pass >= 0; --pass)
    applyPass(state, pass, buffer, length);
}
