#include "fuzz/fuzz_support.h"

#include <signal.h>

#include <cstdio>
#include <cstdlib>

namespace {

const int CrashSignals[] = {SIGTERM, SIGHUP, SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL, SIGPIPE};

}  // namespace

void FuzzPlatform::write(ConsoleStream, const char* text, size_t length) {
  dialogue_.append(text, length);
}

void FuzzPlatform::reset() {
  ScriptedPlatform::reset();
  dialogue_.clear();
}

void makeSystemPlatform() {
  struct sigaction kept[sizeof CrashSignals / sizeof CrashSignals[0]];
  for (size_t i = 0; i < sizeof CrashSignals / sizeof CrashSignals[0]; ++i)
    sigaction(CrashSignals[i], nullptr, &kept[i]);
  systemPlatform();
  for (size_t i = 0; i < sizeof CrashSignals / sizeof CrashSignals[0]; ++i)
    sigaction(CrashSignals[i], &kept[i], nullptr);
}

void runToEnd(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const ProgramExit&) {
  }
}

void showDialogue(const FuzzPlatform& console) {
  static const bool wanted = getenv("VERITOR_FUZZ_SHOW") != nullptr;
  if (wanted)
    fprintf(stderr, "%s\n", console.dialogue().c_str());
}
