// Console primitives: every dialogue with the student runs through these.
//
// Two kinds of input are used side by side: line input (askKeyChoice, readNumber),
// which the terminal echoes and edits, and raw unechoed keys (readConsoleLine), which
// the program echoes itself. Every primitive that colours its output sets the attribute
// back to DefaultAttribute when it is done.
#pragma once

#include <cstdarg>
#include <cstddef>

#include "platform/platform.h"
#include "platform/printf_format.h"

// The banner of every press-ENTER pause.
extern const char* const PressEnterBanner;

// Scan codes of the navigation keys that end readConsoleLine when navigation is on.
constexpr int KeyUp = 72;
constexpr int KeyDown = 80;
constexpr int KeyPageUp = 73;
constexpr int KeyPageDown = 81;

// Writes a printf-formatted text on the stream in the attribute in force. The text may
// be of any length (an answer is up to 4095 characters).
void consolePrintf(ConsoleStream stream, const char* format, ...) PRINTF_FORMAT(2, 3);
void consoleWrite(ConsoleStream stream, const char* text);
void setConsoleAttribute(ConsoleStream stream, int attribute);

void printInColor(const char* text, int attribute);
int askKeyChoice(char* out, const char* keys, int keyCount, const char* prompt, int attribute);
void showMessageAndWait(const char* message, int attribute);
void waitForEnter();
[[noreturn]] void fatalError(const char* message);
int readNumber(const char* prompt, int maximum);
int readConsoleLine(char* buffer, int capacity, const char* prompt, bool navigation);

// Clears the console before a menu, a help screen or a question.
void clearScreen();

// Ends the process with the status. Every end of the program goes through here, so a
// test can catch it without ending the test process.
[[noreturn]] void endProgram(int status);

// What happens when standard input ends: there is no keyboard left to answer with, so
// the program says so on the error stream and ends with status -1.
[[noreturn]] void endOfInput();
extern const char* const EndOfInputMessage;
