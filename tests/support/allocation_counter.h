// Counts the heap allocations that the calling thread makes between Start and Stop. Linking
// this unit replaces the program's allocator: every form of operator new and, where no sanitizer
// owns it, the C allocator too.
#pragma once

namespace allocation_counter {

void Start();
// Returns the allocations (and C frees) made on this thread since Start.
long Stop();

// While set, the C allocator's malloc, calloc and realloc fail on this thread (operator new still
// works), so code that handles a refused block can be driven down that path. Only where the
// C allocator is replaced, which CanFailCAllocations answers.
bool CanFailCAllocations();
void FailCAllocations(bool fail);

}  // namespace allocation_counter
