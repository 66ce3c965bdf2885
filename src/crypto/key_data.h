// The key data and the table of primes.
#pragma once

#include <cstdint>

// Scans the command line for -k / -K FILE; the last one wins.
void loadKeyFile(int argc, char** argv);
const uint8_t* loadKeyResource(uint32_t* length);
const uint32_t* loadPrimeTable();
// The two neighbouring primes around a length: returns the upper, *lower the lower.
uint32_t primeBracket(uint32_t dataLength, uint32_t* lower);
uint32_t nextPrimeAtLeast(uint32_t value);
uint32_t prevPrimeAtMost(uint32_t value);
