#include "engine/walk.h"

#include <algorithm>
#include <deque>
#include <thread>
#include <vector>

#include "engine/parallel_walk.h"
#include "engine/walk_replay.h"
#include "platform/device.h"
#include "platform/name_codec.h"

namespace dovrane::engine {

using platform::FindData;
using platform::Listing;

namespace {

// Deeper than this, ancestors give back their descriptors and are reopened on the way up.
constexpr size_t kOpenLevels = 128;

class Walker {
public:
    Walker(platform::Device& device, QStringView startPath, WalkSink& sink,
           const WalkControl& control)
        : m_device(device), m_startPath(startPath), m_sink(sink), m_control(control) {}

    bool run() {
        return arrive(m_device.openFolder(m_startPath), platform::FolderState::Unreadable) &&
               ReplayWalk(*this, m_sink, m_control, m_links);
    }

    // The frames ReplayWalk walks.
    bool empty() const { return m_depth == 0; }
    const Listing& listing() const { return m_levels[m_depth - 1].listing; }
    size_t& cursor() { return m_levels[m_depth - 1].next; }
    bool descend(std::string_view name) {
        platform::Folder& parent = *m_levels[m_depth - 1].folder;
        auto child = m_device.openChild(parent, name);
        const auto why = child ? platform::FolderState::Read : m_device.whyNotOpened(parent, name);
        return arrive(std::move(child), why);
    }
    void ascend() { m_levels[--m_depth].folder.reset(); }

private:
    struct Level {
        std::unique_ptr<platform::Folder> folder;
        Listing listing;
        size_t next = 0;
    };

    // Entering a folder: show it, pause, read it. A folder that could not be opened is
    // entered and left at once, as an empty one, with `whyNot` as its state.
    bool arrive(std::unique_ptr<platform::Folder> folder, platform::FolderState whyNot) {
        if (!Arrive(m_control, [this] { return currentPath(); }))
            return false;
        if (m_levels.size() == m_depth)
            m_levels.emplace_back();
        Level& level = m_levels[m_depth++];
        level.listing.clear();
        level.next = 0;
        level.folder = std::move(folder);
        level.listing.going = m_control.scanning;
        if (level.folder)
            m_device.read(
                *level.folder, level.listing,
                m_control.details ? platform::ReadDetail::Export : platform::ReadDetail::Full);
        else
            level.listing.state = whyNot;
        if (m_depth > kOpenLevels && m_levels[m_depth - kOpenLevels - 1].folder)
            m_device.park(*m_levels[m_depth - kOpenLevels - 1].folder);
        return true;
    }

    QString currentPath() const {
        QString path = m_startPath.toString();
        if (path == u"\\")
            path.clear();
        // Each open level is inside the entry it is walking, the next folder down.
        for (size_t i = 0; i < m_depth; ++i) {
            const Level& level = m_levels[i];
            const FindData& e = level.listing.entries[level.next - 1];
            path.append(u'\\');
            platform::AppendDecodedHostName(path, level.listing.nameOf(e));
        }
        return path;
    }

    platform::Device& m_device;
    QStringView m_startPath;
    WalkSink& m_sink;
    const WalkControl& m_control;
    std::deque<Level> m_levels;  // a deque: names handed to the sink must not move
    size_t m_depth = 0;
    FirstLinks m_links;
};

}  // namespace

bool WalkTreeSequential(platform::Device& device, QStringView startPath, WalkSink& sink,
                        const WalkControl& control) {
    return Walker(device, startPath, sink, control).run();
}

bool WalkTree(platform::Device& device, QStringView startPath, WalkSink& sink,
              const WalkControl& control) {
    if (control.threads <= 1 || control.pace.count() > 0) {
        if (control.progress)
            control.progress->readersStarted.store(true);
        return WalkTreeSequential(device, startPath, sink, control);
    }
    return WalkTreeParallel(device, startPath, sink, control);
}

int DefaultWalkThreads() {
    // Measured on a cold disk: two readers leave a fifth of its speed unused, eight come
    // within a tenth of the best and sixteen within a twentieth. While the cache answers,
    // the walk keeps only one thread a core at work, so the others cost nothing there.
    return 16;
}

}  // namespace dovrane::engine
