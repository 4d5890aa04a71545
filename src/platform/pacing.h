#pragma once
// The pause a walk makes on entering each folder; 0 on the desktop unless asked for.

#include <chrono>
#include <thread>

namespace dovrane::platform {

inline void PaceDelay(std::chrono::milliseconds delay) {
    if (delay.count() > 0)
        std::this_thread::sleep_for(delay);
}

}  // namespace dovrane::platform
