#pragma once

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace analysis {

// fn(0) .. fn(count - 1) on up to `threads` threads, each taking the next
// index when it is done with one, so that long and short waves even out.
template <typename Fn>
void parallelFor(int count, int threads, const Fn &fn)
{
    threads = std::clamp(threads, 1, std::max(1, count));
    if (threads == 1) {
        for (int i = 0; i < count; ++i)
            fn(i);
        return;
    }
    std::atomic<int> next{0};
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
        pool.emplace_back([&] {
            for (int i = next++; i < count; i = next++)
                fn(i);
        });
    for (auto &th : pool)
        th.join();
}

}  // namespace analysis
