#pragma once
// The search behind the Largest, Duplicate and Identical Files dialogs, as work for a
// ScanJob: every file below a start folder and, for identical content, the reading of the
// candidates. The dialog runs it when it opens; a picture of the dialog begins it before
// the window library loads, and the dialog takes the running search over.

#include <QString>
#include <atomic>
#include <memory>
#include <optional>

#include "engine/file_search.h"
#include "engine/identical_files.h"
#include "engine/scan_job.h"

namespace dovrane::platform {
class Device;
}

namespace dovrane::engine {

// What a finished search hands back.
struct FoundFiles {
    std::unique_ptr<FileSearch> search;
    std::optional<IdenticalResult> identical;
    QString header;  // the text under the dialog's header line
};

// The bytes read for identical content, read on the user-interface thread while the work
// runs: shared, since a stopped job may outlive its owner's last look.
struct ContentState {
    ContentProgress progress;
    std::atomic<bool> reading{false};
};

// Without a device the search finds nothing; nothing when stopped.
struct FileSearchWork {
    platform::Device* device = nullptr;
    QString start;  // the device path; empty for the whole device
    bool largest = false;
    bool sameContent = false;
    std::shared_ptr<ContentState> content = std::make_shared<ContentState>();
    std::optional<FoundFiles> operator()(const WalkControl& control) const;

    // The same search: a dialog takes over only the one it would have started itself.
    bool sameAs(const FileSearchWork& other) const {
        return device == other.device && start == other.start && largest == other.largest &&
               sameContent == other.sameContent;
    }
};

// A search begun before its dialog is made.
class EarlyFileSearch {
public:
    EarlyFileSearch(FileSearchWork work, ScanJob::Options options)
        : m_work(work), m_scan(std::move(work), options) {}
    const FileSearchWork& work() const { return m_work; }
    EarlyScan<FoundFiles>& scan() { return m_scan; }

private:
    FileSearchWork m_work;  // what runs, for the comparison and the shared progress
    EarlyScan<FoundFiles> m_scan;
};

}  // namespace dovrane::engine
