#include "support/unreadable_file.h"

#include <cstdio>

bool UnreadableFile::unreadable() const {
  FILE* file = fopen(path_.c_str(), "rb");
  if (!file)
    return true;
  fclose(file);
  return false;
}
