#include "window/published_text.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "state/program_state.h"
#include "window/line_layout.h"

namespace {
std::mutex g_lock;
char g_staged[LayoutBufferSize];
uint64_t g_serial = 0;
}  // namespace

void storePublishedText(const char* text, uint32_t length) {
  size_t size = strnlen(text, std::min<uint32_t>(length, LayoutBufferSize - 1));
  std::lock_guard<std::mutex> lock(g_lock);
  memcpy(g_staged, text, size);
  g_staged[size] = '\0';
  ++g_serial;
  State.PendingTextLength.store(size ? static_cast<uint32_t>(size) : 1, std::memory_order_release);
}

bool takePublishedText(char* out, uint64_t* serial) {
  if (State.PendingTextLength.load(std::memory_order_acquire) == 0)
    return false;
  std::lock_guard<std::mutex> lock(g_lock);
  if (State.PendingTextLength.load(std::memory_order_acquire) == 0)
    return false;
  memcpy(out, g_staged, LayoutBufferSize);
  *serial = g_serial;
  State.PendingTextLength.store(0, std::memory_order_release);
  return true;
}

uint64_t publishedTextSerial() {
  std::lock_guard<std::mutex> lock(g_lock);
  return g_serial;
}
