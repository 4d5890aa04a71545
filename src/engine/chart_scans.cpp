#include "engine/chart_scans.h"

namespace dovrane::engine {

std::optional<ScannedFolders> FolderScan::operator()(const WalkControl& control) const {
    ScannedFolders scanned{.tree = std::make_unique<FolderTree>(),
                           .numberOfSlices = numberOfSlices};
    if (device && !ScanFolder(*device, *scanned.tree, numberOfSlices, control))
        return std::nullopt;
    return scanned;
}

std::optional<std::unique_ptr<FileTypeTable>> FileTypeScan::operator()(
    const WalkControl& control) const {
    auto scanned = std::make_unique<FileTypeTable>();
    if (device && !scanned->AggregateFileTypes(*device, control))
        return std::nullopt;
    return scanned;
}

}  // namespace dovrane::engine
