// The key data and the table of primes.
#pragma once

#include <cstdint>

// Scans the command line for -k / -K FILE; the last one wins. Sets KeyData and
// KeyLength (the lower prime of primeBracket: the largest prime below the file size, or
// not above it from the table's last prime on) when the option is there.
void loadKeyFile(int argc, char** argv);
// The embedded key data; its size goes to *length.
const uint8_t* loadKeyResource(uint32_t* length);
// The start-up key step: a -k key file, or else the embedded key, whose size must be
// KeyLength. Ends the program with a message when neither can be used.
void setUpKeyData(int argc, char** argv);
// Ends the program when the embedded key's length is not the one the cipher expects.
void checkEmbeddedKeyLength(uint32_t length);
const uint32_t* loadPrimeTable();
// The two neighbouring primes around a length: returns the upper, *lower the lower.
uint32_t primeBracket(uint32_t dataLength, uint32_t* lower);
uint32_t nextPrimeAtLeast(uint32_t value);
uint32_t prevPrimeAtMost(uint32_t value);

constexpr uint32_t PrimeTableCount = 200000;
