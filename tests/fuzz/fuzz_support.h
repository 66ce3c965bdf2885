// What the fuzz targets share: one scripted backend for the whole run, made fresh for
// each input, and a way to run code that may end the program.
#pragma once

#include <functional>

#include "platform/scripted/scripted_platform.h"

// The scripted backend, reset and made the platform. It is made once: making it sets up
// the terminal and the fatal-signal handlers each time, which would cost more than most
// inputs take, and its handlers would take crashes away from the sanitizers, so that the
// input that crashed would not be saved.
ScriptedPlatform& freshPlatform();

// Runs fn; a ProgramExit (any end of the program) ends the run quietly.
void runToEnd(const std::function<void()>& fn);

// With VERITOR_FUZZ_SHOW set, writes what the program said to the standard error stream:
// to see what a saved input does when run alone.
void showDialogue(const ScriptedPlatform& console);
