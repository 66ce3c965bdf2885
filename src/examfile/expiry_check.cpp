#include "examfile/expiry_check.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "crypto/key_data.h"
#include "format/question_store.h"

namespace {

// The scan thread and its end signal. The main thread waits for the end with a time-out,
// then clears State.ScanKeepRunning and joins, so the list is never read while the scan
// still writes it.
struct ScanThread {
  std::thread Thread;
  std::mutex Lock;
  std::condition_variable Ended;
  bool Done = false;

  ~ScanThread() { stop(); }

  void stop() {
    State.ScanKeepRunning.store(false);
    if (Thread.joinable())
      Thread.join();
  }
};

ScanThread g_scan;

// Folder scans stop once this much time has passed since the scan began.
constexpr uint32_t ScanBudgetMs = 5000;
// How long the exam check waits for the scan before stopping it.
constexpr auto ScanWaitLimit = std::chrono::milliseconds(4000);

constexpr FileTime TicksPerMinute = 600000000ULL;

void scanThreadBody() {
  recentFileScan();
  std::lock_guard<std::mutex> hold(g_scan.Lock);
  g_scan.Done = true;
  g_scan.Ended.notify_all();
}

// Waits for the scan to end, at most ScanWaitLimit; then makes sure it has stopped.
void waitForScan() {
  if (!g_scan.Thread.joinable())
    return;
  {
    std::unique_lock<std::mutex> hold(g_scan.Lock);
    g_scan.Ended.wait_for(hold, ScanWaitLimit, [] { return g_scan.Done; });
  }
  g_scan.stop();
}

// Reads the ExpiryDate text (YYYY/MM/DD::HH:MM:SS, local time) as a UTC file time.
// False when it names no real date and time.
bool expiryInstant(FileTime* out) {
  char* date = State.ExpiryDate;
  // The separators become terminators, so that each number reads alone; afterwards the
  // field reads as the year alone.
  for (int at : {4, 7, 10, 14, 17})
    date[at] = '\0';
  SystemTime local;
  local.Year = uint16_t(atoi(date));
  local.Month = uint16_t(atoi(date + 5));
  local.Day = uint16_t(atoi(date + 8));
  local.Hour = uint16_t(atoi(date + 12));
  local.Minute = uint16_t(atoi(date + 15));
  FileTime check = 0;
  if (local.Hour > 23 || local.Minute > 59 || !systemTimeToFileTime(local, &check))
    return false;
  SystemTime utc;
  if (!platform().localToUtc(local, &utc))
    return false;
  return systemTimeToFileTime(utc, out);
}

}  // namespace

int recordFileTime(const char* name, FileTime time) {
  RecentFileList& list = State.RecentFileTimes;
  if (!name) {
    list.Head = list.Tail = nullptr;
    list.Count = 0;
    return 0;
  }
  if (list.Count == 0) {
    RecentFileEntry* entry = &list.Pool[0];
    entry->Time = time;
    entry->Previous = entry->Next = nullptr;
    list.Head = list.Tail = entry;
    list.Count = 1;
    return 1;
  }

  RecentFileEntry* entry;
  if (list.Count < 4) {
    entry = &list.Pool[list.Count];
    ++list.Count;
  } else {
    if (time < list.Tail->Time)
      return 4;
    // The oldest of the four drops out and its entry takes the new time.
    entry = list.Tail;
    list.Tail = entry->Previous;
    list.Tail->Next = nullptr;
  }
  entry->Time = time;

  RecentFileEntry* before = list.Head;
  while (before && before->Time > time)
    before = before->Next;
  if (!before) {
    entry->Previous = list.Tail;
    entry->Next = nullptr;
    list.Tail->Next = entry;
    list.Tail = entry;
  } else {
    entry->Next = before;
    entry->Previous = before->Previous;
    if (before->Previous)
      before->Previous->Next = entry;
    else
      list.Head = entry;
    before->Previous = entry;
  }
  return list.Count;
}

int selectScanFolder(int* step) {
  if (*step < 1 || *step > 4)
    return -1;
  State.ScanFolderPath[0] = '\0';
  for (int candidate = *step; candidate <= 4; ++candidate) {
    *step = candidate;
    std::string folder = platform().userFolder(candidate);
    if (folder.empty())
      continue;
    if (folder.size() + 1 > sizeof State.ScanFolderPath)
      return 0;  // a folder too long to name ends the scan, as an empty path does
    memcpy(State.ScanFolderPath, folder.c_str(), folder.size() + 1);
    break;
  }
  // A folder that does not exist is still taken: its scan finds nothing. Only a path
  // that names something other than a folder is refused.
  if (State.ScanFolderPath[0] && !platform().isDirectory(State.ScanFolderPath)) {
    FileTimes times;
    if (platform().getFileTimes(State.ScanFolderPath, &times))
      return -1;
  }
  return 0;
}

void scanFolderTree(char* path, size_t capacity, int* count) {
  const size_t n = strlen(path);
  const char separator = platform().pathSeparator();
  platform().listDirectory(path, "*", [&](const DirectoryEntry& entry) {
    if (entry.IsDirectory) {
      bool needsSeparator = n == 0 || path[n - 1] != separator;
      if (n + (needsSeparator ? 1 : 0) + entry.Name.size() + 1 <= capacity) {
        size_t at = n;
        if (needsSeparator)
          path[at++] = separator;
        memcpy(path + at, entry.Name.c_str(), entry.Name.size() + 1);
        scanFolderTree(path, capacity, count);
        path[n] = '\0';
      }
    } else {
      *count = recordFileTime(entry.Name.c_str(), entry.LastWrite);
    }
    return State.ScanKeepRunning.load();
  });
}

void recentFileScan() {
  recordFileTime(nullptr, 0);
  int step = 1;
  const uint32_t started = platform().tickCount();
  char path[PathCapacity];
  while (State.ScanKeepRunning.load() && selectScanFolder(&step) != -1 &&
         State.ScanFolderPath[0]) {
    memcpy(path, State.ScanFolderPath, strlen(State.ScanFolderPath) + 1);
    int count = 0;
    scanFolderTree(path, sizeof path, &count);
    if (count >= 4)
      break;
    if (platform().tickCount() - started > ScanBudgetMs)
      break;
    ++step;
    if (step >= 4)
      break;
  }
}

void stopRecentFileScan() {
  g_scan.stop();
}

void initExamState() {
  // The process may end from anywhere (endProgram); the scan must be stopped and joined
  // before the platform it walks the folders with goes away, so register the stop
  // once the platform exists.
  platform();
  static const bool stopAtExit = std::atexit(stopRecentFileScan) == 0;
  (void)stopAtExit;
  stopRecentFileScan();
  State.ScanFolderPath[0] = '\0';
  recordFileTime(nullptr, 0);
  {
    std::lock_guard<std::mutex> hold(g_scan.Lock);
    g_scan.Done = false;
  }
  State.ScanKeepRunning.store(true);
  g_scan.Thread = std::thread(scanThreadBody);

  if (!platform().currentDirectory(State.StartDirectory, sizeof State.StartDirectory))
    State.StartDirectory[0] = '\0';
  State.PrimeTable = loadPrimeTable();
  clearQuestionStore();

  State.Header = ExamHeader();
  resetExamLoadFields();
}

void nowPlusMinutes(FileTime* out, int minutes) {
  FileTime now = 0;
  systemTimeToFileTime(platform().systemTimeUtc(), &now);
  *out = now + FileTime(int64_t(minutes)) * TicksPerMinute;
}

int checkExpiryAndClock() {
  int result = 0;
  if (State.ClockCheckMode != ' ') {
    waitForScan();
    const RecentFileList& list = State.RecentFileTimes;
    if (list.Count > 0) {
      FileTime load = 0;
      systemTimeToFileTime(State.LoadTime, &load);
      int later = 0;
      for (const RecentFileEntry* entry = list.Head; entry; entry = entry->Next)
        if (entry->Time > load)
          ++later;
      if (later >= 4)
        result = 2;
    }
  }
  stopRecentFileScan();

  // A date that does not exist (the start-up placeholder has month 99) never expires.
  FileTime expiry = 0;
  if (expiryInstant(&expiry)) {
    FileTime load = 0;
    systemTimeToFileTime(State.LoadTime, &load);
    if (load > expiry)
      result += 1;
  }
  return result;
}
