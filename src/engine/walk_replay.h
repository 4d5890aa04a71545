#pragma once
// The per-entry logic every walk shares, written once: arriving in a folder, counting hard
// links once, and feeding a sink from a stack of read folders.

#include <concepts>
#include <string_view>
#include <vector>

#include "engine/walk_sink.h"
#include "platform/find_data.h"
#include "platform/pacing.h"

namespace dovrane::engine {

// Hard links add their bytes at the first link the walk meets. Only files with more than
// one link are remembered. A count of 0 is a later name of a file whose first name was
// counted unmarked (gdu's exports mark only the later names): never first.
class FirstLinks {
public:
    bool isFirst(const platform::FindData& entry) {
        return entry.links == 1 || (entry.links > 1 && insert(entry.id));
    }

private:
    // True when `id` was not yet in the set. One open-addressed table of identities: a
    // node-based set cost a tenth of the walk's own time on a tree where one file in
    // twenty-five is linked, a cache miss or three for every link.
    bool insert(const platform::FileId& id);
    void grow();

    std::vector<platform::FileId> m_slots;  // {0, 0} is an empty slot
    size_t m_count = 0;
    int m_shift = 64;         // 64 less the log2 of the slot count
    bool m_zeroSeen = false;  // the identity {0, 0}, which an empty slot cannot hold
};

// Arriving in a folder, for every walk: counted, shown when someone asked, paced. False
// when the walk is to stop. `path` builds the folder's device path, only when wanted.
template <typename PathOf>
bool Arrive(const WalkControl& control, PathOf path) {
    if (ScanProgress* p = control.progress) {
        p->folders.fetch_add(1, std::memory_order_relaxed);
        if (p->wanted())
            p->publish(path());
    }
    // A stopped walk does not pause first: its owner is waiting for it to end.
    if (control.stopped())
        return false;
    platform::PaceDelay(control.pace);
    return !control.stopped();
}

// The folders a walk is in, innermost last, as ReplayWalk drives them: `listing()` of the
// innermost and its `cursor()` (the next entry, advanced by the caller), `descend(name)` into
// the sub-folder just announced (false: stop the walk), `ascend()` when it is done.
template <typename F>
concept Frames = requires(F frames, const F& constFrames, std::string_view name) {
    { constFrames.empty() } -> std::convertible_to<bool>;
    { constFrames.listing() } -> std::same_as<const platform::Listing&>;
    { frames.cursor() } -> std::same_as<size_t&>;
    { frames.descend(name) } -> std::convertible_to<bool>;
    frames.ascend();
};

// Tells the sink, and the control's count, about a folder just arrived in that was not read
// whole.
inline void ReportFolderState(platform::FolderState state, WalkSink& sink,
                              const WalkControl& control) {
    if (state == platform::FolderState::Read)
        return;
    sink.folderState(state);
    if (control.unreadable && state == platform::FolderState::Unreadable)
        ++*control.unreadable;
}

// The per-entry logic of every walk, written once.
template <Frames F>
bool ReplayWalk(F& frames, WalkSink& sink, const WalkControl& control, FirstLinks& links) {
    if (!frames.empty())
        ReportFolderState(frames.listing().state, sink, control);
    while (!frames.empty()) {
        const platform::Listing& listing = frames.listing();
        size_t& cursor = frames.cursor();
        if (cursor == listing.entries.size()) {
            frames.ascend();
            sink.leaveFolder();
            continue;
        }
        if (!listing.details.empty())
            sink.entryDetail(listing.details[cursor]);
        const platform::FindData& entry = listing.entries[cursor++];
        const std::string_view name = listing.nameOf(entry);
        if (entry.isFolder()) {
            sink.enterFolder(name, entry);
            if (!frames.descend(name))
                return false;
            ReportFolderState(frames.listing().state, sink, control);
        } else {
            if (control.progress)
                control.progress->files.fetch_add(1, std::memory_order_relaxed);
            sink.file(name, entry, links.isFirst(entry));
        }
    }
    return true;
}

}  // namespace dovrane::engine
