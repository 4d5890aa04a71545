#pragma once
// The two scans of the whole device behind the pies, as work for a ScanJob: the folder
// tree of the Folder View and the file-type table of the File Type View. The views start
// them for Refresh; the start-up starts the first view's before the window exists.

#include <memory>
#include <optional>

#include "engine/file_types.h"
#include "engine/folder_tree.h"
#include "engine/scan_job.h"
#include "engine/walk_sink.h"

namespace dovrane::platform {
class Device;
}

namespace dovrane::engine {

struct ScannedFolders {
    std::unique_ptr<FolderTree> tree;
    int numberOfSlices = 0;  // what "Other" was folded for
};

// Without a device, the lone root (or an empty table): a view made without one finds
// nothing. Nothing when stopped.
struct FolderScan {
    platform::Device* device = nullptr;
    int numberOfSlices = 0;
    std::optional<ScannedFolders> operator()(const WalkControl& control) const;
};

struct FileTypeScan {
    platform::Device* device = nullptr;
    std::optional<std::unique_ptr<FileTypeTable>> operator()(const WalkControl& control) const;
};

// Each begun before its view is made, and taken over by it.
using EarlyFolderScan = EarlyScan<ScannedFolders>;
using EarlyFileTypeScan = EarlyScan<std::unique_ptr<FileTypeTable>>;

}  // namespace dovrane::engine
