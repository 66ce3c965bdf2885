#include "platform/platform.h"

namespace {
Platform* g_backend = nullptr;
}  // namespace

Platform& platform() {
  if (!g_backend)
    g_backend = &systemPlatform();
  return *g_backend;
}

void setPlatform(Platform* backend) {
  g_backend = backend;
}

bool Platform::loadResource(const char*, int, const uint8_t** data, size_t* size) {
  *data = nullptr;
  *size = 0;
  return false;
}

FILE* Platform::openFile(const char* path, const char* mode) {
  // The C library's streams are the same on every system the program is built for.
  return fopen(path, mode);
}
