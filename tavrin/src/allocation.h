#pragma once
// Every block the library hands out or keeps is taken here, so that tests can make one chosen
// allocation fail and follow each out-of-memory path (the result 5, nothing leaked). Blocks are
// released with std::free.

#include <cstddef>
#include <cstdlib>
#include <memory>

namespace tavrin {

// Null when memory runs out (or the chosen allocation is due to fail).
void* allocateBytes(size_t size);
void* allocateZeroed(size_t count, size_t size);

// Owns a block taken here until it goes out of scope.
struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template<typename T>
using Owned = std::unique_ptr<T, FreeDeleter>;

namespace testing {
// Makes the allocation `nth` counted from now fail (0: the next one); a negative value disarms.
void failAllocation(long nth);
// True once the armed failure has happened.
bool allocationFailed();
} // namespace testing

} // namespace tavrin
