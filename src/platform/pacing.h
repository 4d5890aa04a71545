#pragma once
// The pause a walk makes on entering each folder; 0 on the desktop unless asked for. And
// the walk's clock for spans of a tenth of a second.

#include <time.h>

#include <chrono>
#include <thread>

#include <QtGlobal>

namespace dovrane::platform {

inline void PaceDelay(std::chrono::milliseconds delay) {
    if (delay.count() > 0)
        std::this_thread::sleep_for(delay);
}

// Milliseconds of a monotonic clock that ticks every few milliseconds: read without the
// time stamp counter, so cheap enough to ask for every folder of a walk.
inline qint64 CoarseMilliseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return static_cast<qint64>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace dovrane::platform
