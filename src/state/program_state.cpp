#include "state/program_state.h"

#include <new>

ProgramState State;

void resetProgramState() {
  State.~ProgramState();
  new (&State) ProgramState();
}
