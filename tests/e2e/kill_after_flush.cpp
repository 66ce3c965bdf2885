// Loaded into the real program ahead of the C library by the kill loop of the end-to-end
// tests: it counts the flushes of the completed-exam file that bring it new bytes (a
// record; the flush that begins a sync of the file brings none) and, when
// VERITOR_KILL_AFTER_FLUSH names one, ends the process with SIGKILL right after it, as a
// kill after that record would. With VERITOR_FLUSH_COUNT_FILE set, each flush writes the count so far
// there, so that a whole session tells how many kill points it has.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Whether stream writes a completed-exam file: its name ends in ".xmc".
bool isCompletedExamFile(FILE* stream) {
  if (!stream)
    return false;
  char link[64];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fileno(stream));
  char target[4096];
  ssize_t length = readlink(link, target, sizeof target - 1);
  if (length < 4)
    return false;
  return memcmp(target + length - 4, ".xmc", 4) == 0;
}

void writeCount(long count) {
  const char* path = getenv("VERITOR_FLUSH_COUNT_FILE");
  if (!path)
    return;
  int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0)
    return;
  char text[32];
  int length = snprintf(text, sizeof text, "%ld\n", count);
  if (write(fd, text, size_t(length)) != length)
    abort();
  close(fd);
}

long g_flushes = 0;
off_t g_size = 0;  // the file's size at the last flush counted

}  // namespace

extern "C" int fflush(FILE* stream) {
  using Flush = int (*)(FILE*);
  static Flush realFlush = reinterpret_cast<Flush>(dlsym(RTLD_NEXT, "fflush"));
  int result = realFlush(stream);
  if (!isCompletedExamFile(stream))
    return result;
  struct stat info;
  if (fstat(fileno(stream), &info) != 0 || info.st_size == g_size)
    return result;
  g_size = info.st_size;
  ++g_flushes;
  writeCount(g_flushes);
  const char* killAt = getenv("VERITOR_KILL_AFTER_FLUSH");
  if (killAt && atol(killAt) == g_flushes)
    kill(getpid(), SIGKILL);
  return result;
}
