// The embedded data: assembled into the program by the build (cmake/resources.cmake).
#include <cerrno>
#include <cstring>

#include "platform/posix/posix_platform.h"

// Defined in the build's generated embedded_data.cpp.
bool embeddedData(int id, const uint8_t** data, size_t* size);

bool PosixPlatform::loadResource(const char* type, int id, const uint8_t** data,
                                 size_t* size) {
  *data = nullptr;
  *size = 0;
  bool known = (strcmp(type, "RAW") == 0 && id == 102) ||
               (strcmp(type, "PRIMES") == 0 && id == 103);
  if (!known || !embeddedData(id, data, size)) {
    errno = ENOENT;
    return false;
  }
  return true;
}
