#pragma once
// Races for what removes, moves or writes: another thread exchanges two names (a folder with a
// link to one elsewhere, or two files) as fast as it can while the operation runs over and over.

#include <fcntl.h>
#include <stdio.h>

#include <QElapsedTimer>
#include <QTest>
#include <atomic>
#include <string>
#include <thread>

namespace dovrane::test {

struct RaceRuns {
    int runs = 0;  // attempts made
    int done = 0;  // attempts that counted themselves through
};

// Calls `attempt(done)` up to `maxRuns` times within `ms` milliseconds while `a` and `b` swap;
// a loaded host may starve a thread, so up to twice `ms` until one went through. Bounded well
// under a second whatever the load; stops at the first failed check.
template <typename Attempt>
RaceRuns WhileSwapping(const std::string& a, const std::string& b, Attempt attempt,
                       int maxRuns = 3000, qint64 ms = 400) {
    std::atomic<bool> stop{false};
    std::thread swapper([&] {
        while (!stop.load(std::memory_order_relaxed))
            ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE);
    });
    RaceRuns r;
    QElapsedTimer clock;
    clock.start();
    for (; !QTest::currentTestFailed() && ((r.runs < maxRuns && clock.elapsed() < ms) ||
                                           (r.done == 0 && clock.elapsed() < 2 * ms));
         ++r.runs)
        attempt(r.done);
    stop = true;
    swapper.join();
    return r;
}

}  // namespace dovrane::test
