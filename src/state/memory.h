// The one allocator behind an exam's load and session.
#pragma once

#include <cstddef>

// Every allocation the program makes for an exam (the key data, the exam body, the list
// nodes, the question texts and the answers) goes through here, so that a test can make
// any one of them fail and see what the student is told. malloc by default; each block
// is released with free.
extern void* (*AllocateMemory)(size_t size);
