#include "crypto/key_data.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "console/console.h"
#include "state/memory.h"
#include "state/program_state.h"

namespace {

// The buffer of the key file in use, if any. A later -k replaces it, and the earlier one
// is released then: only one key is ever in use.
uint8_t* g_keyFileBuffer = nullptr;

const uint32_t* primes() {
  if (!State.PrimeTable)
    State.PrimeTable = loadPrimeTable();
  return State.PrimeTable;
}

// Index of the first odd table prime that divides the candidate, searching indices 1 to
// limit - 1; limit when none does.
uint32_t firstDivisorIndex(uint32_t candidate, uint32_t limit) {
  const uint32_t* table = primes();
  uint32_t index = 1;
  while (index < limit && candidate % table[index] != 0)
    ++index;
  return index;
}

// Trial division only has to reach the square root; counting table entries instead of
// their values keeps the bound simple and is never too small.
uint32_t divisionBound(uint32_t candidate) {
  return uint32_t(std::sqrt(double(candidate))) + 1;
}

// "-k" or "-K", compared by hand: the C library has no portable case-insensitive compare.
bool isKeyOption(const char* argument) {
  return argument[0] == '-' && (argument[1] == 'k' || argument[1] == 'K') && argument[2] == '\0';
}

// Reads one key file into a fresh buffer and makes it the key in use.
void readKeyFile(const char* name) {
  char path[PathCapacity];
  if (!platform().fullPath(name, path, sizeof path))
    snprintf(path, sizeof path, "%s", name);

  FILE* file = platform().isDirectory(path) ? nullptr : platform().openFile(path, "rb");
  long size = -1;
  if (file && fseek(file, 0, SEEK_END) == 0) {
    size = ftell(file);
    fseek(file, 0, SEEK_SET);
  }
  if (!file || size < 0) {
    if (file)
      fclose(file);
    consolePrintf(ConsoleStream::Err, "Error - Could not open specified key file: '%s'\n\n", path);
    waitForEnter();
    endProgram(-1);
  }

  // The cipher steps through the key modulo KeyLength - 1, so it needs a KeyLength of at
  // least 2, which takes a file of at least 3 bytes.
  if (size < 3) {
    fclose(file);
    consolePrintf(ConsoleStream::Err,
                  "Error - The key file '%s' is too short (%ld bytes); a key file must hold "
                  "at least 3 bytes.\n\n",
                  path, size);
    waitForEnter();
    endProgram(-1);
  }

  // KeyLength counts in 32 bits. The comparison is made in a type wider than both, since
  // long is 32 bits on Windows, where long(UINT32_MAX) is -1.
  uint8_t* buffer = uint64_t(size) <= UINT32_MAX
                        ? static_cast<uint8_t*>(AllocateMemory(size_t(size)))
                        : nullptr;
  if (!buffer) {
    fclose(file);
    consolePrintf(ConsoleStream::Err,
                  "Memory Error - Could not allocate enough memory for the key data. (%d)\n\n",
                  int(size));
    waitForEnter();
    endProgram(-1);
  }
  size_t got = fread(buffer, 1, size_t(size), file);
  fclose(file);
  if (got != size_t(size)) {
    free(buffer);
    consolePrintf(ConsoleStream::Err, "Error - Could not open specified key file: '%s'\n\n", path);
    waitForEnter();
    endProgram(-1);
  }

  free(g_keyFileBuffer);
  g_keyFileBuffer = buffer;
  State.KeyData = buffer;
  uint32_t lower = 0;
  primeBracket(uint32_t(size), &lower);
  State.KeyLength = lower;
}

}  // namespace

void loadKeyFile(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (!isKeyOption(argv[i]))
      continue;
    if (i + 1 >= argc) {
      showMessageAndWait("\n\nError - no file name following '-k' parameter.\n\n", 15);
      endProgram(-1);
    }
    ++i;
    readKeyFile(argv[i]);
  }
}

const uint8_t* loadKeyResource(uint32_t* length) {
  *length = 0;
  const uint8_t* data = nullptr;
  size_t size = 0;
  if (!platform().loadResource("RAW", 102, &data, &size) || !data || size == 0 ||
      size > UINT32_MAX) {
    showMessageAndWait("Internal Data Error - Unable to get key resource.\n\n", 15);
    endProgram(-1);
  }
  *length = uint32_t(size);
  return data;
}

void setUpKeyData(int argc, char** argv) {
  loadKeyFile(argc, argv);
  if (State.KeyData)
    return;
  uint32_t length = 0;
  State.KeyData = loadKeyResource(&length);
  checkEmbeddedKeyLength(length);
}

void checkEmbeddedKeyLength(uint32_t length) {
  if (length == State.KeyLength)
    return;
  showMessageAndWait("Internal Data Error getting key length.\n\n", 15);
  endProgram(-1);
}

const uint32_t* loadPrimeTable() {
  const uint8_t* data = nullptr;
  size_t size = 0;
  if (!platform().loadResource("PRIMES", 103, &data, &size)) {
    consolePrintf(ConsoleStream::Err, "Could not find prime table resource. Error = %u\n\n",
                  unsigned(platform().lastErrorCode()));
    waitForEnter();
    endProgram(0);
  }
  if (!data) {
    showMessageAndWait("Could not lock prime table resource.\n\n", 15);
    endProgram(0);
  }
  // The build aligns the table, so its bytes can be read as 32-bit words in place.
  return reinterpret_cast<const uint32_t*>(data);
}

uint32_t primeBracket(uint32_t v, uint32_t* lower) {
  if (v < 3) {
    *lower = 1;
    return 2;
  }
  if (v < 4) {
    *lower = 2;
    return 3;
  }
  if (v < 6) {
    *lower = 3;
    return 5;
  }
  if (v < 8) {
    *lower = 5;
    return 7;
  }
  const uint32_t* table = primes();
  const uint32_t last = table[PrimeTableCount - 1];
  if (v > last) {
    *lower = prevPrimeAtMost(v);
    return nextPrimeAtLeast(v);
  }
  if (v == last) {
    *lower = last;
    return last;
  }
  uint32_t lo = 0, hi = PrimeTableCount - 1, mid = (PrimeTableCount - 1) / 2;
  while (table[mid] != v) {
    if (mid == lo || mid == hi)
      break;
    if (table[mid] < v)
      lo = mid;
    else
      hi = mid;
    mid = (lo + hi) / 2;
  }
  if (table[mid] == v) {
    *lower = table[mid - 1];
    return table[mid];
  }
  *lower = table[hi - 1];
  return table[hi];
}

uint32_t nextPrimeAtLeast(uint32_t value) {
  // Beyond the largest 32-bit prime there is no answer; keep to it rather than wrap.
  if (value > 4294967291u)
    return 4294967291u;
  for (uint32_t candidate = value | 1u;; candidate += 2) {
    if (firstDivisorIndex(candidate, PrimeTableCount) >= divisionBound(candidate))
      return candidate;
  }
}

uint32_t prevPrimeAtMost(uint32_t value) {
  for (uint32_t candidate = (value & 1u) ? value : value - 1;; candidate -= 2) {
    uint32_t bound = divisionBound(candidate);
    if (firstDivisorIndex(candidate, bound) >= bound)
      return candidate;
  }
}
