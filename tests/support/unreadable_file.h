// A file that the test's own process cannot open for reading, while the object lives.
#pragma once

#include <string>

// On Linux: takes every permission bit away. A test run as root still reads any file, so
// for as long as the object lives the calling thread also gives up the capabilities that
// let root pass over permission bits; both come back when the object goes away.
// On Windows: holds the file open with no sharing, so that no one else can open it.
class UnreadableFile {
 public:
  explicit UnreadableFile(const std::string& path);
  ~UnreadableFile();
  UnreadableFile(const UnreadableFile&) = delete;
  UnreadableFile& operator=(const UnreadableFile&) = delete;

  // Whether opening the file for reading really fails now.
  bool unreadable() const;
  // The system's code for the failed open, as the program reports it.
  static unsigned openErrorCode();

 private:
  std::string path_;
  bool capabilitiesDropped_ = false;
  unsigned effective_[2] = {};
  void* held_ = nullptr;
};
