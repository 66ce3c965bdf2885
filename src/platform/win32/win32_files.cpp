#include <windows.h>
#include <io.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include <memory>
#include <string>

#include "platform/file_name_match.h"
#include "platform/win32/win32_platform.h"

namespace {

FileTime fromFileTime(const FILETIME& time) {
  return (FileTime{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

FILETIME toFileTime(FileTime time) {
  FILETIME out;
  out.dwLowDateTime = static_cast<DWORD>(time & 0xFFFFFFFFu);
  out.dwHighDateTime = static_cast<DWORD>(time >> 32);
  return out;
}

// Fills buffer through one of the calls that return the length they wrote, or the size
// they need when the buffer is too small, or 0 on failure.
bool fitted(DWORD result, size_t capacity) {
  return result != 0 && result < capacity;
}

// A directory and a name below it: a drive root such as "C:\" already ends in the
// separator and gets no second one.
std::string below(const char* directory, const char* name) {
  std::string path = directory;
  if (!path.empty() && path.back() != '\\' && path.back() != '/')
    path += '\\';
  path += name;
  return path;
}

HANDLE openForTimes(const char* path, DWORD access) {
  // Shared for writing too: the exam loader may hold the file open for reading and
  // updating while it asks for its times, and read sharing alone would refuse the
  // program its own exam. Directories open only with backup semantics; ordinary files
  // ignore the flag.
  return CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

std::string shellFolder(int csidl) {
  char path[MAX_PATH] = "";
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
    return "";
  return path;
}

}  // namespace

bool Win32Platform::currentDirectory(char* buffer, size_t capacity) {
  return fitted(GetCurrentDirectoryA(static_cast<DWORD>(capacity), buffer), capacity);
}

bool Win32Platform::setCurrentDirectory(const char* path) {
  return SetCurrentDirectoryA(path) != 0;
}

bool Win32Platform::fullPath(const char* path, char* buffer, size_t capacity) {
  return fitted(GetFullPathNameA(path, static_cast<DWORD>(capacity), buffer, nullptr), capacity);
}

bool Win32Platform::listDirectory(const char* directory, const char* extension,
                                  const std::function<bool(const DirectoryEntry&)>& visit) {
  bool everything = !extension || !*extension || strcmp(extension, "*") == 0;
  std::string pattern = below(directory, everything ? "*" : (std::string("*.") + extension).c_str());
  WIN32_FIND_DATAA found;
  memset(&found, 0, sizeof found);
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    // An empty folder is still a folder that was read.
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES;
  }
  // Closed however the visit ends: the program may end inside it (memory running out
  // for the list it builds), and a test's end of the program unwinds through here.
  std::unique_ptr<void, BOOL(WINAPI*)(HANDLE)> closer(search, FindClose);
  do {
    const char* name = found.cFileName;
    if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
      continue;
    // The search also matches a name by its short 8.3 form, whose extension is cut to
    // three letters: "c.exmx" comes up for "*.exm". The long name decides.
    if (!nameHasExtension(name, extension))
      continue;
    DirectoryEntry entry;
    entry.Name = name;
    // A link or junction is never followed: it counts as a file, with its own time.
    entry.IsDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                        !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
    entry.LastWrite = fromFileTime(found.ftLastWriteTime);
    if (!visit(entry))
      break;
    memset(&found, 0, sizeof found);
  } while (FindNextFileA(search, &found));
  return true;
}

bool Win32Platform::getFileTimes(const char* path, FileTimes* times) {
  HANDLE file = openForTimes(path, FILE_READ_ATTRIBUTES);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  FILETIME creation, access, write;
  BOOL read = GetFileTime(file, &creation, &access, &write);
  DWORD error = GetLastError();
  CloseHandle(file);
  if (!read) {
    SetLastError(error);
    return false;
  }
  times->Creation = fromFileTime(creation);
  times->LastAccess = fromFileTime(access);
  times->LastWrite = fromFileTime(write);
  return true;
}

bool Win32Platform::setFileTimes(const char* path, const FileTimes& times) {
  // Only the attributes: a read-only exam file still gets its times back.
  HANDLE file = openForTimes(path, FILE_WRITE_ATTRIBUTES);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  FILETIME creation = toFileTime(times.Creation);
  FILETIME access = toFileTime(times.LastAccess);
  FILETIME write = toFileTime(times.LastWrite);
  BOOL set = SetFileTime(file, &creation, &access, &write);
  DWORD error = GetLastError();
  CloseHandle(file);
  SetLastError(error);
  return set != 0;
}

bool Win32Platform::isDirectory(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32Platform::syncFile(FILE* stream) {
  if (fflush(stream) != 0)
    return false;
  HANDLE file = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  if (file == INVALID_HANDLE_VALUE)
    return false;
  if (FlushFileBuffers(file))
    return true;
  // A console or a pipe has no disk behind it to write through to.
  return GetFileType(file) != FILE_TYPE_DISK;
}

bool Win32Platform::syncFolder(const char*) {
  // Flushing a file (FlushFileBuffers) also writes the entry that names it in its
  // folder: there is nothing more to put on the disk.
  return true;
}

int Win32Platform::lastErrorCode() {
  return static_cast<int>(GetLastError());
}

std::string Win32Platform::userFolder(int candidate) {
  std::string folder;
  switch (candidate) {
    case 1:
      folder = shellFolder(CSIDL_PROFILE);
      return folder.empty() ? folder : folder + "\\AppData\\LocalLow";
    case 2:
      return shellFolder(CSIDL_LOCAL_APPDATA);
    case 3:
      return shellFolder(CSIDL_APPDATA);
    case 4:
      folder = shellFolder(CSIDL_PROFILE);
      return folder.empty() ? folder : folder + "\\AppData";
    default:
      return "";
  }
}
