#include "fuzz/fuzz_support.h"

#include <signal.h>

#include <cstdio>
#include <cstdlib>


namespace {

const int CrashSignals[] = {SIGTERM, SIGHUP, SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL, SIGPIPE};

ScriptedPlatform& makePlatform() {
  struct sigaction kept[sizeof CrashSignals / sizeof CrashSignals[0]];
  for (size_t i = 0; i < sizeof CrashSignals / sizeof CrashSignals[0]; ++i)
    sigaction(CrashSignals[i], nullptr, &kept[i]);
  static ScriptedPlatform platform;
  for (size_t i = 0; i < sizeof CrashSignals / sizeof CrashSignals[0]; ++i)
    sigaction(CrashSignals[i], &kept[i], nullptr);
  return platform;
}

}  // namespace

ScriptedPlatform& freshPlatform() {
  static ScriptedPlatform& platform = makePlatform();
  platform.reset();
  setPlatform(&platform);
  return platform;
}

void runToEnd(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const ProgramExit&) {
  }
}

void showDialogue(const ScriptedPlatform& console) {
  static const bool wanted = getenv("VERITOR_FUZZ_SHOW") != nullptr;
  if (wanted)
    fprintf(stderr, "%s\n", console.allText().c_str());
}
