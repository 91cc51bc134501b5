#pragma once
// Runs independent pieces of work on the processor's cores and returns when all are done.

#include <functional>

namespace parallel {

// Calls fn(i) for every i in 0..count-1, spread over up to one thread per core (the calling
// thread among them). fn must be safe to call concurrently for different i; the order of the
// calls is not defined. With count <= 0 nothing is called.
void forEach(int count, const std::function<void(int)>& fn);

} // namespace parallel
