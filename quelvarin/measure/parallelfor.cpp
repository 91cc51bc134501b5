#include "measure/parallelfor.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace {

// More threads than this gain nothing on the machines the program runs on, and each costs a
// stack.
constexpr unsigned kMaxThreads = 16;

} // namespace

namespace parallel {

void forEach(int count, const std::function<void(int)>& fn)
{
    if (count <= 0)
        return;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const int threads = int(std::min({cores, kMaxThreads, unsigned(count)}));
    std::atomic<int> next{0};
    auto work = [&] {
        for (int i = next.fetch_add(1); i < count; i = next.fetch_add(1))
            fn(i);
    };
    std::vector<std::thread> pool;
    pool.reserve(size_t(threads - 1));
    for (int t = 1; t < threads; ++t)
        pool.emplace_back(work);
    work();
    for (std::thread& t : pool)
        t.join();
}

} // namespace parallel
