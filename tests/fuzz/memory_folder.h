// A scripted backend with one folder that lives in memory, for the exam file target.
//
// The loader reaches its files only through the platform door: the folder listing, the
// file times, the current directory and the streams it reads and writes. Here those calls
// are answered from memory, so that an input costs no call to the system at all: on the
// disk, writing the file, listing the folder, opening the file three times and removing
// what the load left took some thirty system calls for every input, more than the whole
// load of most inputs.
//
// The streams are the C library's own (fopencookie), so the loader's fgets, fread, fseek,
// ftell and fwrite run as on a file. Only the one folder exists: any other path is not
// found.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz/fuzz_support.h"

class MemoryFolder : public FuzzPlatform {
 public:
  struct File {
    std::string Name;
    std::string Bytes;
    FileTimes Times;
  };

  // The folder's path, absolute; the current directory until the program moves.
  static const char* const Path;

  // Empties the folder (the room of its files is kept) and makes it the current
  // directory, besides what FuzzPlatform::reset forgets.
  void reset();
  // Puts a file into the folder, or replaces the one of that name.
  void putFile(const char* name, const uint8_t* data, size_t size, const FileTimes& times);
  // The file of that name, null when there is none.
  const File* file(const char* name) const;
  size_t fileCount() const { return used_; }
  // Streams opened and not closed yet: none once a load is over, or the load lost one.
  int openStreams() const;

  bool currentDirectory(char* buffer, size_t capacity) override;
  bool setCurrentDirectory(const char* path) override;
  bool fullPath(const char* path, char* buffer, size_t capacity) override;
  bool listDirectory(const char* directory, const char* extension,
                     const std::function<bool(const DirectoryEntry&)>& visit) override;
  bool getFileTimes(const char* path, FileTimes* times) override;
  bool setFileTimes(const char* path, const FileTimes& times) override;
  bool isDirectory(const char* path) override;
  FILE* openFile(const char* path, const char* mode) override;
  int lastErrorCode() override { return error_; }

  // A stream on one of the files; public only for the C library's calls.
  struct Stream {
    MemoryFolder* Folder = nullptr;
    File* Target = nullptr;
    size_t Position = 0;
    bool Appending = false;
    bool Written = false;
    bool Open = false;
    // The stream's buffer, kept with the stream so that opening one takes no room of
    // its own beyond the C library's record.
    char Buffer[4096];
  };

 private:
  const char* nameIn(const char* path) const;
  File* find(const char* path);
  File* make(const char* name);

  std::string current_;
  // Files past used_ are room kept from earlier inputs. A fixed number, so that a stream
  // can hold on to its file.
  File files_[4];
  size_t used_ = 0;
  // The loader holds at most two streams at once (the exam and the completed-exam file).
  Stream streams_[4];
  int error_ = 0;
};
