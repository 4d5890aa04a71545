#pragma once
// What every walk hands over and is steered by: the sink it feeds, the control it obeys
// and the progress it shows. The walks themselves (walk.h, parallel_walk.h) build on this.

#include <QString>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string_view>

#include "platform/find_data.h"

namespace dovrane::engine {

// What a running walk shows: counters are atomics; the folder text is published only when
// someone asked for it, so a walk never builds a path string per folder for nobody.
class ScanProgress {
public:
    std::atomic<quint64> folders{0};
    std::atomic<quint64> files{0};
    // Set once the walk's reading threads are all started. Whoever loads a library while a
    // walk starts waits for it first: the loader holds a lock that every new thread needs.
    std::atomic<bool> readersStarted{false};

    // The device path of the folder being walked, as of the last request (empty before).
    QString currentFolder() const;
    // Asks the walk to publish its folder on entering the next one.
    void requestFolder() { m_wanted.store(true, std::memory_order_relaxed); }

    bool wanted() const { return m_wanted.load(std::memory_order_relaxed); }
    void publish(QString path);

private:
    std::atomic<bool> m_wanted{true};
    mutable std::mutex m_mutex;
    QString m_folder;
};

struct WalkControl {
    const std::atomic<bool>* scanning = nullptr;  // null: the walk is never stopped
    ScanProgress* progress = nullptr;             // null: nobody watches
    std::chrono::milliseconds pace{0};            // pause on entering each folder
    // Threads that read folders ahead of the sink, at most (those beyond one a core only
    // while the disk is read); 1 walks on the caller's thread alone, as does any paced
    // walk. The sink sees the same sequence either way.
    int threads = 1;
    // Each entry's blocks and time for the sink's entryDetail: an export asks for them.
    bool details = false;
    // Counts the folders the walk could not read (not those it chose not to enter).
    quint64* unreadable = nullptr;

    bool stopped() const { return scanning && !scanning->load(std::memory_order_relaxed); }
};

class WalkSink {
public:
    virtual ~WalkSink() = default;
    // A sub-folder entry of the current folder; it becomes the current folder. Names stay
    // valid until the matching leaveFolder.
    virtual void enterFolder(std::string_view hostName, const platform::FindData& entry) = 0;
    // A non-folder entry. `counted` is false for the second and later links of a file with
    // several hard links: those are listed but add nothing to sums.
    virtual void file(std::string_view hostName, const platform::FindData& entry, bool counted) = 0;
    // The current folder is complete (the start folder too); its parent becomes current.
    virtual void leaveFolder() = 0;
    // The current folder was not read whole, or not entered, for `state`: said once, right
    // after it became current (the start folder too), before any of its entries.
    virtual void folderState(platform::FolderState /*state*/) {}
    // With WalkControl::details: the next entry's blocks and time, just before its
    // enterFolder or file.
    virtual void entryDetail(const platform::EntryDetail& /*detail*/) {}
};

}  // namespace dovrane::engine
