#include "app/startup.h"

#include "console/console.h"

void runVeritor(int, char**) {
  // Filled in by the start-up work; for now the program only greets and leaves.
  consoleWrite(ConsoleStream::Out, "\n\nGreat! Have a nice day!\n\n");
  endProgram(0);
}
