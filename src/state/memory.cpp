#include "state/memory.h"

#include <cstdlib>

void* (*AllocateMemory)(size_t size) = malloc;
