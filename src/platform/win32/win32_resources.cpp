// The key data and the prime table: resources of the program's own file (veritor.rc, made by the build),
// used in place where the loader mapped them.
#include <windows.h>

#include "platform/win32/win32_platform.h"

bool Win32Platform::loadResource(const char* type, int id, const uint8_t** data,
                                 size_t* size) {
  *data = nullptr;
  *size = 0;
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), type);
  if (!found)
    return false;
  HGLOBAL loaded = LoadResource(nullptr, found);
  if (!loaded)
    return false;
  const void* bytes = LockResource(loaded);
  DWORD length = SizeofResource(nullptr, found);
  if (!bytes || length == 0)
    return false;
  *data = static_cast<const uint8_t*>(bytes);
  *size = length;
  return true;
}
