#include "allocation.h"

#include <atomic>
#include <cstdlib>

namespace tavrin {

namespace {

std::atomic<long> untilFailure{-1};
std::atomic<bool> failed{false};

bool dueToFail()
{
    long n = untilFailure.load();
    while (n >= 0) {
        if (untilFailure.compare_exchange_weak(n, n - 1)) {
            if (n == 0) {
                failed = true;
                return true;
            }
            return false;
        }
    }
    return false;
}

} // namespace

void* allocateBytes(size_t size)
{
    return dueToFail() ? nullptr : std::malloc(size ? size : 1);
}

void* allocateZeroed(size_t count, size_t size)
{
    return dueToFail() ? nullptr : std::calloc(count ? count : 1, size ? size : 1);
}

namespace testing {

void failAllocation(long nth)
{
    failed = false;
    untilFailure = nth;
}

bool allocationFailed() { return failed; }

} // namespace testing

} // namespace tavrin
