// Writes the table of the first 200,000 primes (2 to 2,750,159), each an unsigned 32-bit
// little-endian integer, 800,000 bytes. Run by the build; the program embeds the result.
//
//   make_primes OUTPUT
#include <cstdint>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: make_primes OUTPUT\n");
    return 2;
  }
  const uint32_t count = 200000;
  const uint32_t limit = 2750160;  // one past the 200,000th prime
  std::vector<bool> composite(limit, false);
  std::vector<uint8_t> table;
  table.reserve(count * 4);
  uint32_t found = 0;
  for (uint32_t n = 2; n < limit && found < count; ++n) {
    if (composite[n])
      continue;
    for (uint64_t m = uint64_t(n) * n; m < limit; m += n)
      composite[m] = true;
    for (int shift = 0; shift < 32; shift += 8)
      table.push_back(uint8_t(n >> shift));
    ++found;
  }
  if (found != count) {
    fprintf(stderr, "make_primes: found only %u primes\n", found);
    return 1;
  }
  FILE* out = fopen(argv[1], "wb");
  if (!out || fwrite(table.data(), 1, table.size(), out) != table.size() || fclose(out) != 0) {
    fprintf(stderr, "make_primes: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
