// Expiry and clock-reset detection, and the start-up step of exam loading.
#pragma once

#include <cstddef>

#include "state/program_state.h"

// The start-up step: starts the recent-file scan, notes the start directory, loads the
// prime table, empties the question store and sets the exam records to their defaults.
void initExamState();
// 0 neither, 1 expired, 2 clock set back, 3 both.
int checkExpiryAndClock();
void nowPlusMinutes(FileTime* out, int minutes);
// Inserts a time into the four newest; with no name, empties the list. Returns the count.
int recordFileTime(const char* name, FileTime time);

// The scan thread's body and its steps.
void recentFileScan();
// Fills State.ScanFolderPath for candidate *step (moving on to the next candidate while
// the system has no folder for one); 0, with the path left empty when no candidate is
// left, which ends the scan. -1 when *step is out of range or the path names something
// other than a folder.
int selectScanFolder(int* step);
void scanFolderTree(char* path, size_t capacity, int* count);

// Stops the scan, if it still runs, and waits for it to end. Safe to call at any time;
// the scan must be stopped this way before the process ends or the state is reset.
void stopRecentFileScan();
