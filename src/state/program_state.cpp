#include "state/program_state.h"

#include <cstdio>
#include <new>

ProgramState State;

void resetProgramState() {
  State.~ProgramState();
  new (&State) ProgramState();
}

void resetExamLoadFields() {
  State.ExamPassword[0] = '\0';
  snprintf(State.ExpiryDate, sizeof State.ExpiryDate, "%s", "9999/99/99::99:99:00");
  State.OrderMode = State.ClockCheckMode = State.ReviewMode = 0;
  State.QuestionCount = 0;
  State.TotalPoints = 0.0f;
  State.LoadTime = SystemTime();
  State.ExamCipherState = CipherState();
  State.ResultCipherState = CipherState();
}
