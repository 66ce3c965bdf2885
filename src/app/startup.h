// The program's entry: start-up, the identity dialogue and the main menu loop.
#pragma once

// Never returns: the program ends from the menu (status 0) or on an error (status -1).
[[noreturn]] void runVeritor(int argc, char** argv);
