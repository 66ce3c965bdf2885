#include "fuzz/memory_folder.h"

#include <errno.h>

#include <algorithm>
#include <cstring>

#include "platform/file_name_match.h"

const char* const MemoryFolder::Path = "/veritor-fuzz-memory";

namespace {

using Stream = MemoryFolder::Stream;

ssize_t readStream(void* cookie, char* buffer, size_t size) {
  Stream& stream = *static_cast<Stream*>(cookie);
  const std::string& bytes = stream.Target->Bytes;
  if (stream.Position >= bytes.size())
    return 0;
  size_t count = std::min(size, bytes.size() - stream.Position);
  memcpy(buffer, bytes.data() + stream.Position, count);
  stream.Position += count;
  return ssize_t(count);
}

ssize_t writeStream(void* cookie, const char* buffer, size_t size) {
  Stream& stream = *static_cast<Stream*>(cookie);
  std::string& bytes = stream.Target->Bytes;
  if (stream.Appending)
    stream.Position = bytes.size();
  // A write past the end fills the gap with zeros, as a file does.
  if (stream.Position > bytes.size())
    bytes.resize(stream.Position, '\0');
  bytes.replace(stream.Position, std::min(size, bytes.size() - stream.Position), buffer, size);
  stream.Position += size;
  stream.Written = true;
  return ssize_t(size);
}

int seekStream(void* cookie, off64_t* offset, int whence) {
  Stream& stream = *static_cast<Stream*>(cookie);
  off64_t base = whence == SEEK_SET   ? 0
                 : whence == SEEK_CUR ? off64_t(stream.Position)
                 : whence == SEEK_END ? off64_t(stream.Target->Bytes.size())
                                      : -1;
  if (base < 0 || base + *offset < 0) {
    errno = EINVAL;
    return -1;
  }
  stream.Position = size_t(base + *offset);
  *offset = off64_t(stream.Position);
  return 0;
}

int closeStream(void* cookie) {
  Stream& stream = *static_cast<Stream*>(cookie);
  if (stream.Written) {
    // Writing moves the file's last-write time to the scripted clock's present.
    FileTime now = 0;
    systemTimeToFileTime(stream.Folder->systemTimeUtc(), &now);
    stream.Target->Times.LastWrite = now;
  }
  stream.Open = false;
  return 0;
}

}  // namespace

void MemoryFolder::reset() {
  FuzzPlatform::reset();
  for (size_t i = 0; i < used_; ++i)
    files_[i].Bytes.clear();
  used_ = 0;
  current_ = Path;
  error_ = 0;
}

void MemoryFolder::putFile(const char* name, const uint8_t* data, size_t size,
                           const FileTimes& times) {
  File* target = make(name);
  if (!target)
    abort();
  target->Bytes.assign(reinterpret_cast<const char*>(data), size);
  target->Times = times;
}

const MemoryFolder::File* MemoryFolder::file(const char* name) const {
  for (size_t i = 0; i < used_; ++i)
    if (files_[i].Name == name)
      return &files_[i];
  return nullptr;
}

int MemoryFolder::openStreams() const {
  int count = 0;
  for (const Stream& stream : streams_)
    count += stream.Open ? 1 : 0;
  return count;
}

// The name of the file a path names in the folder: the folder's path and a name, or a name
// alone while the folder is the current directory. Null for a path elsewhere.
const char* MemoryFolder::nameIn(const char* path) const {
  const size_t folderLength = strlen(Path);
  const char* name = nullptr;
  if (strncmp(path, Path, folderLength) == 0 && path[folderLength] == '/')
    name = path + folderLength + 1;
  else if (path[0] != '/' && current_ == Path)
    name = path;
  return name && *name && !strchr(name, '/') ? name : nullptr;
}

MemoryFolder::File* MemoryFolder::find(const char* path) {
  const char* name = nameIn(path);
  if (name)
    for (size_t i = 0; i < used_; ++i)
      if (files_[i].Name == name)
        return &files_[i];
  error_ = ENOENT;
  return nullptr;
}

MemoryFolder::File* MemoryFolder::make(const char* name) {
  if (const File* existing = file(name))
    return const_cast<File*>(existing);
  if (used_ == sizeof files_ / sizeof files_[0]) {
    error_ = ENOSPC;
    return nullptr;
  }
  File& made = files_[used_++];
  made.Name = name;
  made.Bytes.clear();
  FileTime now = 0;
  systemTimeToFileTime(systemTimeUtc(), &now);
  made.Times.Creation = made.Times.LastAccess = made.Times.LastWrite = now;
  return &made;
}

bool MemoryFolder::currentDirectory(char* buffer, size_t capacity) {
  if (current_.size() + 1 > capacity)
    return false;
  memcpy(buffer, current_.c_str(), current_.size() + 1);
  return true;
}

bool MemoryFolder::setCurrentDirectory(const char* path) {
  if (strcmp(path, Path) != 0) {
    error_ = ENOENT;
    return false;
  }
  current_ = Path;
  return true;
}

bool MemoryFolder::fullPath(const char* path, char* buffer, size_t capacity) {
  std::string full = path[0] == '/' ? std::string(path) : current_ + "/" + path;
  if (full.size() + 1 > capacity)
    return false;
  memcpy(buffer, full.c_str(), full.size() + 1);
  return true;
}

bool MemoryFolder::listDirectory(const char* directory, const char* extension,
                                 const std::function<bool(const DirectoryEntry&)>& visit) {
  if (strcmp(directory, Path) != 0) {
    error_ = ENOENT;
    return false;
  }
  DirectoryEntry entry;
  for (size_t i = 0; i < used_; ++i) {
    if (!nameHasExtension(files_[i].Name.c_str(), extension))
      continue;
    entry.Name = files_[i].Name;
    entry.LastWrite = files_[i].Times.LastWrite;
    if (!visit(entry))
      break;
  }
  return true;
}

bool MemoryFolder::getFileTimes(const char* path, FileTimes* times) {
  const File* target = find(path);
  if (target)
    *times = target->Times;
  return target != nullptr;
}

bool MemoryFolder::setFileTimes(const char* path, const FileTimes& times) {
  File* target = find(path);
  if (!target)
    return false;
  // As on the disk the program is built for first: the creation time cannot be set.
  target->Times.LastAccess = times.LastAccess;
  target->Times.LastWrite = times.LastWrite;
  return true;
}

bool MemoryFolder::isDirectory(const char* path) {
  return strcmp(path, Path) == 0;
}

FILE* MemoryFolder::openFile(const char* path, const char* mode) {
  Stream* stream = nullptr;
  for (Stream& candidate : streams_)
    if (!candidate.Open) {
      stream = &candidate;
      break;
    }
  if (!stream) {
    error_ = EMFILE;
    return nullptr;
  }
  if (mode[0] != 'r' && mode[0] != 'w' && mode[0] != 'a') {
    error_ = EINVAL;
    return nullptr;
  }
  File* target = find(path);
  if (!target && mode[0] != 'r' && nameIn(path))
    target = make(nameIn(path));
  if (!target)
    return nullptr;
  if (mode[0] == 'w') {
    target->Bytes.clear();
    systemTimeToFileTime(systemTimeUtc(), &target->Times.LastWrite);
  }

  stream->Folder = this;
  stream->Target = target;
  stream->Position = 0;
  stream->Appending = mode[0] == 'a';
  stream->Written = false;
  cookie_io_functions_t calls = {readStream, writeStream, seekStream, closeStream};
  FILE* file = fopencookie(stream, mode, calls);
  if (!file) {
    error_ = errno;
    return nullptr;
  }
  stream->Open = true;
  setvbuf(file, stream->Buffer, _IOFBF, sizeof stream->Buffer);
  return file;
}
