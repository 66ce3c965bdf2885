// Fuzz target over the console primitives and answer entry, fed random keys and lines.
//
// An input is a list of calls and the keys typed for them:
//   byte 0           how many calls (1 to 8); the list is run again while keys are left,
//                    up to MaxCalls calls in all
//   next bytes       one a call: its low 2 bits pick readConsoleLine, readNumber,
//                    askKeyChoice or enterAnswer, the rest its capacity, maximum, key list
//                    or review mode
//   the rest         the keys, as the student types them; 0xFE starts a new burst of keys
//                    that comes after a pause (so the 200 ms rule of askKeyChoice is met
//                    both ways)
// Every call must return (or end the program when the keys run out), stay inside its
// buffer and give a result its callers can take: a line of printable characters shorter
// than its capacity, a number from -1 to the maximum, one of the keys asked for.
#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "console/console.h"
#include "crypto/key_data.h"
#include "examfile/cipher.h"
#include "format/question_store.h"
#include "fuzz/fuzz_support.h"
#include "session/answer_entry.h"
#include "state/program_state.h"

namespace {

constexpr int MaxCalls = 64;
constexpr uint8_t PauseMark = 0xFE;

FILE* g_result = nullptr;
const uint8_t* g_keyData = nullptr;
uint32_t g_keyLength = 0;

// A result no caller could take: say which check failed, and stop so that the fuzzer
// keeps the input.
#define check(good)                                                             \
  do {                                                                          \
    if (!(good)) {                                                              \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #good); \
      abort();                                                                  \
    }                                                                           \
  } while (0)

ssize_t discardRecords(void*, const char*, size_t size) {
  return ssize_t(size);
}

void typeBursts(ScriptedPlatform& console, const uint8_t* keys, size_t size) {
  std::string burst;
  uint32_t pause = 0;
  for (size_t i = 0; i <= size; ++i) {
    if (i == size || keys[i] == PauseMark) {
      if (!burst.empty())
        console.typeKeys(burst, pause);
      burst.clear();
      pause = 1000;
      continue;
    }
    burst += char(keys[i]);
  }
}

void callLine(uint8_t parameter) {
  // Capacities from 0 (nothing fits) to the answer's 4096.
  const int capacities[] = {0, 1, 2, 8, 48, 60, 4096, 17};
  int capacity = capacities[parameter & 7];
  bool navigation = parameter & 8;
  std::unique_ptr<char[]> buffer(new char[capacity > 0 ? capacity : 1]);
  buffer[0] = 'x';
  int key = readConsoleLine(buffer.get(), capacity, "\nAnswer?\n", navigation);
  if (capacity <= 0)
    return;
  check(key == 0 || (navigation && (key == KeyUp || key == KeyDown || key == KeyPageUp ||
                                    key == KeyPageDown)));
  size_t length = strnlen(buffer.get(), size_t(capacity));
  check(length < size_t(capacity));
  for (size_t i = 0; i < length; ++i)
    check(buffer[i] >= 0x20 && buffer[i] <= 0x7E);
}

void callNumber(uint8_t parameter) {
  int maximum = parameter >> 2 == 0 ? 9 : parameter >> 2;
  int value = readNumber("Enter your choice: ", maximum);
  check(value >= -1 && value <= maximum);
}

void callKeyChoice(uint8_t parameter) {
  char out = 0;
  if (parameter & 4) {
    askKeyChoice(&out, nullptr, 0, nullptr, 12);
    check(out == '\n' || out == '\r' || (out >= 0x20 && out <= 0x7F));
    return;
  }
  askKeyChoice(&out, "YyNn", 4, "Is the information correct?  Y(y) / N(n): ", 14);
  check(out != 0 && strchr("YyNn", out));
}

void callAnswer(uint8_t parameter) {
  State.ReviewMode = parameter & 4 ? 0x11 : 0x00;
  State.SkipCount = (parameter >> 3) & 3;
  Question* record = &State.QuestionSlots[1];
  bool firstAnswerGiven = false;
  int result = enterAnswer(&firstAnswerGiven, record, g_result);
  check(result == AnswerStored || result == AnswerSkipped || result == SessionOver ||
        result == KeyUp || result == KeyDown || result == KeyPageUp || result == KeyPageDown);
  // Each answer is stored with its terminator: the last may end right at the capacity.
  check(record->AnswerLength <= record->AnswerCapacity);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  freshPlatform();
  setUpKeyData(0, nullptr);
  g_keyData = State.KeyData;
  g_keyLength = State.KeyLength;
  // The answers' records are enciphered and written as in a session, into a stream that
  // keeps nothing: written to /dev/null, every record cost a system call.
  cookie_io_functions_t calls = {nullptr, discardRecords, nullptr, nullptr};
  g_result = fopencookie(nullptr, "wb", calls);
  check(g_result != nullptr);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  size_t calls = 1 + data[0] % 8;
  if (size < 1 + calls)
    return 0;
  const uint8_t* list = data + 1;

  ScriptedPlatform& console = freshPlatform();
  State.KeyData = g_keyData;
  State.KeyLength = g_keyLength;
  deriveCipherState(&State.ResultCipherState);
  char text[] = "1. (5 pts) A question.";
  newQuestion(1, text, 5.0f);
  typeBursts(console, data + 1 + calls, size - 1 - calls);

  runToEnd([&] {
    for (int made = 0; made < MaxCalls && (made == 0 || !console.scriptDone()); ++made) {
      uint8_t call = list[size_t(made) % calls];
      switch (call & 3) {
        case 0: callLine(call); break;
        case 1: callNumber(call); break;
        case 2: callKeyChoice(call); break;
        case 3: callAnswer(call); break;
      }
    }
  });
  clearQuestionStore();
  setPlatform(nullptr);
  return 0;
}
