// The program's entry: start-up, the identity dialogue and the main menu loop.
#pragma once

#include <cstdint>

// The whole program. Never returns: it ends from the menu (status 0) or on an error
// (status -1).
[[noreturn]] void runVeritor(int argc, char** argv);

// Everything runVeritor does after starting the console guard. Tests run the program
// through here, so that no guard thread outlives a test's scripted console.
[[noreturn]] void runConsoleProgram(int argc, char** argv);

// Starts the thread that keeps the console guarded for the life of the process.
void startConsoleGuard();

// Title, buffer size, window place, a clear screen and the banner with the program path.
void prepareConsole(const char* programPath);

// Sets up the exam state and the key data, before anything is asked of the student.
void setUpExamStateAndKey(int argc, char** argv);

// Reads the current directory into State.WorkingDirectory, where the exam search starts.
// Ends the program when it cannot be read or does not fit.
void readWorkingDirectory();
