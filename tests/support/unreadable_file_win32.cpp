#include "support/unreadable_file.h"

#include <windows.h>

#include <cstdio>

UnreadableFile::UnreadableFile(const std::string& path) : path_(path) {
  HANDLE file = CreateFileA(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE)
    held_ = file;
}

UnreadableFile::~UnreadableFile() {
  if (held_)
    CloseHandle(static_cast<HANDLE>(held_));
}

unsigned UnreadableFile::openErrorCode() {
  return ERROR_SHARING_VIOLATION;
}
