// What the fuzz targets share: one scripted backend for the whole run, made fresh for
// each input, and a way to run code that may end the program.
#pragma once

#include <functional>
#include <string>

#include "platform/scripted/scripted_platform.h"

// The scripted backend as the fuzz targets use it. What the program writes is kept as one
// text whose room outlives the input: a piece of its own for every change of colour, taken
// and freed again for every input, cost more under the address sanitizer than most inputs
// take, and each input that wrote more than the one before looked like a leak to the
// fuzzer, which then ran it a second time to look. The bytes are still copied, so a text
// handed over with a length past its end is still caught. The targets start no other
// thread, so the text needs no lock.
class FuzzPlatform : public ScriptedPlatform {
 public:
  void write(ConsoleStream stream, const char* text, size_t length) override;
  // Forgets the script, the clock and what was written, keeping the room.
  void reset();
  const std::string& dialogue() const { return dialogue_; }

 private:
  std::string dialogue_;
};

// Makes the system's own backend, which every scripted one passes what it does not script
// on to. Making it sets up the terminal and the fatal-signal handlers, and those handlers
// would take crashes away from the sanitizers, so that the input that crashed would not be
// saved: the sanitizers' handlers are put back.
void makeSystemPlatform();

// The target's backend, reset and made the platform. It is made once: making one per
// input would cost more than most inputs take.
template <class Backend>
Backend& freshPlatform() {
  static const bool systemMade = (makeSystemPlatform(), true);
  (void)systemMade;
  static Backend backend;
  backend.reset();
  setPlatform(&backend);
  return backend;
}

inline FuzzPlatform& freshPlatform() {
  return freshPlatform<FuzzPlatform>();
}

// Runs fn; a ProgramExit (any end of the program) ends the run quietly.
void runToEnd(const std::function<void()>& fn);

// With VERITOR_FUZZ_SHOW set, writes what the program said to the standard error stream:
// to see what a saved input does when run alone.
void showDialogue(const FuzzPlatform& console);
