#pragma once
// The one depth-first walk every scan uses. A source (the device) feeds a sink (the folder
// tree, the type tables, the file search) in a fixed order: the entries of each folder in
// enumeration order, each sub-folder walked at once, before the next entry of its folder.
// Any faster walk must feed its sink exactly this sequence.

#include <QString>

#include "engine/walk_sink.h"

namespace dovrane::platform {
class Device;
}

namespace dovrane::engine {

// Walks `startPath` ("" or "\" for the root). A start folder that cannot be opened walks as
// empty. Returns false when stopped through the control; the sink then has seen no
// leaveFolder for the folders still open. The sink is always called on the caller's thread.
bool WalkTree(platform::Device& device, QStringView startPath, WalkSink& sink,
              const WalkControl& control);

// The reference: one thread, one folder at a time, whatever `control.threads` says.
bool WalkTreeSequential(platform::Device& device, QStringView startPath, WalkSink& sink,
                        const WalkControl& control);

// Readers for a walk, at most: enough for a cold disk. Beyond one a core, the caller's
// thread included, they read only while the disk is waited for.
int DefaultWalkThreads();

}  // namespace dovrane::engine
