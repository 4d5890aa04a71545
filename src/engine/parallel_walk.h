#pragma once
// The parallel reader: folders read ahead on worker threads, fed to the sink by the replay
// in exactly the sequential walk's order.

#include <QString>

#include "engine/walk_replay.h"

namespace dovrane::platform {
class Device;
}

namespace dovrane::engine {

// Worker threads open and read folders ahead, the first in walk order first, so that they
// stay close to where the caller's thread is; the caller feeds the sink in the sequential
// order, reading a folder itself when no worker has got to it yet. With the caller, one
// thread a core reads always; the rest of `control.threads` only while some reader makes
// the disk read.
bool WalkTreeParallel(platform::Device& device, QStringView startPath, WalkSink& sink,
                      const WalkControl& control);

}  // namespace dovrane::engine
