// Counts the heap allocations that the calling thread makes between Start and Stop. Linking
// this unit replaces the program's allocator: every form of operator new and, where no sanitizer
// owns it, the C allocator too.
#pragma once

namespace allocation_counter {

void Start();
// Returns the allocations (and C frees) made on this thread since Start.
long Stop();

}  // namespace allocation_counter
