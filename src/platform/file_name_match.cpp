#include "platform/file_name_match.h"

#include <cctype>
#include <cstring>

bool nameHasExtension(const char* name, const char* extension) {
  if (!extension || !*extension || strcmp(extension, "*") == 0)
    return true;
  size_t nameLength = strlen(name);
  size_t extLength = strlen(extension);
  if (nameLength < extLength + 1)
    return false;
  const char* dot = name + nameLength - extLength - 1;
  if (*dot != '.')
    return false;
  for (size_t i = 0; i < extLength; ++i)
    if (tolower(static_cast<unsigned char>(dot[1 + i])) !=
        tolower(static_cast<unsigned char>(extension[i])))
      return false;
  return true;
}
