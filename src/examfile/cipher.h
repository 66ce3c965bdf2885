// The key-stream cipher of the exam file and the completed-exam file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "state/program_state.h"

// Sets the positions and steps from the state's digest and KeyLength.
void deriveCipherState(CipherState* state);
// XORs the bytes with the key stream and moves the positions on; enciphering and
// deciphering are the same operation. Passes run 0, 1, 2.
void applyKeyStream(CipherState* state, uint8_t* buffer, size_t length);
// The same stream with the passes run 2, 1, 0, as the exam file reader runs them.
void applyKeyStreamExamOrder(CipherState* state, uint8_t* buffer, size_t length);
