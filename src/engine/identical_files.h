#pragma once
// Files whose bytes are identical. Candidates are grouped by size first, so a file whose
// size is unique is never read; then by a hash of the first 4 KiB; then by a hash of the
// rest. Each byte of a candidate is read at most once. Links of one file (one volume and
// inode) are one file; empty files are never duplicates of each other.

#include <atomic>
#include <vector>

#include "engine/file_list.h"

namespace dovrane::platform {
class ContentReader;
}

namespace dovrane::engine {

struct IdenticalGroup {
    quint64 size = 0;            // bytes of one copy
    std::vector<quint32> files;  // records, in the order the walk met them
    quint64 wastedBytes() const { return size * (files.size() - 1); }
};

struct ContentProgress {
    std::atomic<quint64> bytesRead{0};
    std::atomic<quint64> bytesToRead{0};  // set once the sizes are grouped
};

struct IdenticalResult {
    std::vector<IdenticalGroup> groups;  // largest waste first; ties in the order met
    quint64 wastedBytes = 0;
};

// `files` in the order met. A file that cannot be read (gone, changed, unreadable) takes
// no part. Returns empty when `scanning` (may be null) is cleared before the end.
std::optional<IdenticalResult> FindIdenticalFiles(const FileList& list,
                                                  const std::vector<quint32>& files,
                                                  platform::ContentReader& reader,
                                                  const std::atomic<bool>* scanning = nullptr,
                                                  ContentProgress* progress = nullptr);

// The size of the head whose hash separates candidates before they are read whole.
inline constexpr qint64 kPartialHashBytes = 4096;

}  // namespace dovrane::engine
