// Expiry and clock-reset detection, and the start-up step of exam loading.
#pragma once

#include "state/program_state.h"

void initExamState();
// 0 neither, 1 expired, 2 clock set back, 3 both.
int checkExpiryAndClock();
void nowPlusMinutes(FileTime* out, int minutes);
int recordFileTime(const char* name, FileTime time);
