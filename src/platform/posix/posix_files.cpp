#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "platform/file_name_match.h"
#include "platform/posix/posix_platform.h"

namespace {

FileTime fromTimespec(const struct timespec& ts) {
  return static_cast<FileTime>(
      (static_cast<int64_t>(ts.tv_sec) + SecondsFrom1601To1970) * 10000000 + ts.tv_nsec / 100);
}

struct timespec toTimespec(FileTime time) {
  struct timespec ts;
  ts.tv_sec = static_cast<time_t>(static_cast<int64_t>(time / 10000000) - SecondsFrom1601To1970);
  ts.tv_nsec = static_cast<long>(time % 10000000) * 100;
  return ts;
}

std::string environmentOr(const char* name, const std::string& fallback) {
  const char* value = getenv(name);
  if (value && *value)
    return value;
  return fallback;
}

}  // namespace

bool PosixPlatform::currentDirectory(char* buffer, size_t capacity) {
  return getcwd(buffer, capacity) != nullptr;
}

bool PosixPlatform::setCurrentDirectory(const char* path) {
  return chdir(path) == 0;
}

bool PosixPlatform::fullPath(const char* path, char* buffer, size_t capacity) {
  std::string full;
  if (path[0] == '/') {
    full = path;
  } else {
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd))
      return false;
    full = cwd;
    if (full.empty() || full.back() != '/')
      full += '/';
    full += path;
  }
  if (full.size() + 1 > capacity)
    return false;
  memcpy(buffer, full.c_str(), full.size() + 1);
  return true;
}

bool PosixPlatform::listDirectory(const char* directory, const char* extension,
                                  const std::function<bool(const DirectoryEntry&)>& visit) {
  // Closed however the visit ends: the program may end inside it (memory running out
  // for the list it builds), and a test's end of the program unwinds through here.
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(directory), closedir);
  if (!dir)
    return false;
  std::string base = directory;
  if (!base.empty() && base.back() != '/')
    base += '/';
  while (struct dirent* entry = readdir(dir.get())) {
    if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0)
      continue;
    if (!nameHasExtension(entry->d_name, extension))
      continue;
    DirectoryEntry found;
    found.Name = entry->d_name;
    // The entry itself, not what a link points to: a link is never a folder to descend
    // into, and its time is its own.
    struct stat info;
    if (lstat((base + entry->d_name).c_str(), &info) == 0) {
      found.IsDirectory = S_ISDIR(info.st_mode);
      found.LastWrite = fromTimespec(info.st_mtim);
    } else {
      found.IsDirectory = entry->d_type == DT_DIR;
    }
    if (!visit(found))
      break;
  }
  return true;
}

bool PosixPlatform::getFileTimes(const char* path, FileTimes* times) {
  struct stat info;
  if (stat(path, &info) != 0)
    return false;
  // Linux keeps no creation time that a program can set back; the status-change time
  // stands in for it and is not restored.
  times->Creation = fromTimespec(info.st_ctim);
  times->LastAccess = fromTimespec(info.st_atim);
  times->LastWrite = fromTimespec(info.st_mtim);
  return true;
}

bool PosixPlatform::setFileTimes(const char* path, const FileTimes& times) {
  struct timespec both[2] = {toTimespec(times.LastAccess), toTimespec(times.LastWrite)};
  return utimensat(AT_FDCWD, path, both, 0) == 0;
}

bool PosixPlatform::isDirectory(const char* path) {
  struct stat info;
  return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

bool PosixPlatform::syncFile(FILE* stream) {
  if (fflush(stream) != 0)
    return false;
  int fd = fileno(stream);
  // A stream the C library keeps over memory has no descriptor: once flushed, its bytes
  // are wherever its owner keeps them, and the system has nothing to write.
  if (fd < 0)
    return true;
  // The data and the length that finds it; the file's times need not reach the disk.
  while (fdatasync(fd) != 0) {
    if (errno == EINTR)
      continue;
    // A pipe, a terminal or a device has no disk behind it to write through to.
    return errno == EINVAL;
  }
  return true;
}

bool PosixPlatform::syncFolder(const char* path) {
  int fd = open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0)
    return false;
  bool synced = fsync(fd) == 0 || errno == EINVAL;  // EINVAL: a file system without it
  close(fd);
  return synced;
}

int PosixPlatform::lastErrorCode() {
  return errno;
}

std::string PosixPlatform::userFolder(int candidate) {
  // Without HOME the folders that are named outright are still the user's.
  const char* homeValue = getenv("HOME");
  std::string home = homeValue ? homeValue : "";
  auto underHome = [&home](const char* rest) { return home.empty() ? home : home + rest; };
  switch (candidate) {
    case 1: return underHome("/.local/state");
    case 2: return environmentOr("XDG_DATA_HOME", underHome("/.local/share"));
    case 3: return environmentOr("XDG_CONFIG_HOME", underHome("/.config"));
    case 4: return environmentOr("XDG_CACHE_HOME", underHome("/.cache"));
    default: return "";
  }
}

Platform& posixPlatform() {
  // Never destroyed: the guard thread still uses it while exit() runs the destructors.
  static PosixPlatform* instance = new PosixPlatform;
  return *instance;
}
