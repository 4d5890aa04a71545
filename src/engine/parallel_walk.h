#pragma once
// What the sequential and the parallel walk share, and the parallel walk itself.

#include <QString>
#include <unordered_set>

#include "engine/walk.h"
#include "platform/find_data.h"

namespace dovrane::engine {

// Hard links add their bytes at the first link the walk meets. Only files with more than
// one link are remembered.
class FirstLinks {
public:
    bool isFirst(const platform::FindData& entry) {
        return entry.links <= 1 || m_seen.insert(entry.id).second;
    }

private:
    struct Hash {
        size_t operator()(const platform::FileId& id) const {
            return std::hash<quint64>()(id.inode * 0x9E3779B97F4A7C15ull ^ id.volume);
        }
    };
    std::unordered_set<platform::FileId, Hash> m_seen;
};

// Worker threads open and read folders ahead, last found first so that they stay close
// to where the caller's thread is; the caller feeds the sink in the sequential order,
// reading a folder itself when no worker has got to it yet.
bool WalkTreeParallel(platform::Device& device, QStringView startPath, WalkSink& sink,
                      const WalkControl& control);

}  // namespace dovrane::engine
