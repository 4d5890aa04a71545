#pragma once
// Whether a thread waits for the disk or is served from the page cache: a walk reads with
// more threads only while the disk is what it waits for.

#include <QtGlobal>

namespace dovrane::platform {

// Blocks the calling thread has had read from storage so far; page-cache hits add nothing.
// 0 where the host does not count them.
quint64 ThreadBlocksRead();

}  // namespace dovrane::platform
